#pragma once
// A provider that records what the program sends and answers with what the
// test gives it. Including this header registers it, for the test program's
// lifetime, under the providers of the engines that cannot run here (SQL
// Server, Oracle through both providers, SQL Server Compact 3.1 and 3.5).
// A test program that wants byte-exact statements of the other engines calls
// recording::installFor() with their names as well.
//
// Every statement is kept byte for byte. Each execute takes the next queued
// answer; with none queued it answers an empty row set without columns.

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ado_errors.h"
#include "provider.h"

namespace recording {

struct Answer {
    std::shared_ptr<ado::MemoryRowSet> rows; // null: no row set, `recordsAffected` rows touched
    long long recordsAffected = -1;
    std::string error;                       // not empty: fail with this provider message
};

struct Server {
    std::vector<std::string> connectionStrings; // every opened string, in order
    std::vector<std::string> statements;        // every executed statement, in order
    std::vector<ado::SchemaEnum> schemaKinds;   // every schema request, in order
    std::deque<Answer> answers;
    std::vector<std::string> tables;                          // tableNames()
    std::map<std::string, std::vector<std::string>> fields;   // fieldNames(table)
    std::string openError;                                    // not empty: open() fails with it
    int opens = 0;
    int closes = 0;

    void reset() { *this = Server(); }

    // Queue answers.
    void rows(std::vector<std::string> columns, std::vector<std::vector<std::optional<std::string>>> data = {})
    {
        auto set = std::make_shared<ado::MemoryRowSet>(std::move(columns));
        for (const auto &row : data)
            set->addRow(row);
        answers.push_back(Answer{std::move(set), -1, {}});
    }
    void count(long long recordsAffected) { answers.push_back(Answer{nullptr, recordsAffected, {}}); }
    void fail(std::string message) { answers.push_back(Answer{nullptr, -1, std::move(message)}); }

    const std::string &last() const
    {
        static const std::string none;
        return statements.empty() ? none : statements.back();
    }
};

inline Server &server()
{
    static Server s;
    return s;
}

// A row set copied out of a shared one, so that one answer can serve once.
class SharedRowSet : public ado::RowSet {
public:
    explicit SharedRowSet(std::shared_ptr<ado::MemoryRowSet> rows) : m_rows(std::move(rows)) {}
    int fieldCount() const override { return m_rows->fieldCount(); }
    std::string fieldName(int field) const override { return m_rows->fieldName(field); }
    long long rowCount() const override { return m_rows->rowCount(); }
    bool isNull(long long row, int field) const override { return m_rows->isNull(row, field); }
    std::string_view text(long long row, int field, std::string &scratch) const override
    {
        return m_rows->text(row, field, scratch);
    }

private:
    std::shared_ptr<ado::MemoryRowSet> m_rows;
};

class Connection : public ado::ProviderConnection {
public:
    explicit Connection(const ado::ConnectionString &cs) : m_text(cs.text()) {}

    void open() override
    {
        Server &s = server();
        if (!s.openError.empty())
            throw ado::EProviderError(s.openError);
        s.connectionStrings.push_back(m_text);
        ++s.opens;
        m_open = true;
    }
    void close() override
    {
        if (m_open)
            ++server().closes;
        m_open = false;
    }
    bool isOpen() const override { return m_open; }

    ado::ExecResult execute(const std::string &statement) override
    {
        Server &s = server();
        s.statements.push_back(statement);
        ado::ExecResult result;
        if (s.answers.empty()) {
            result.rows = std::make_unique<ado::MemoryRowSet>();
            return result;
        }
        Answer a = s.answers.front();
        s.answers.pop_front();
        if (!a.error.empty())
            throw ado::EProviderError(a.error);
        if (a.rows)
            result.rows = std::make_unique<SharedRowSet>(a.rows);
        result.recordsAffected = a.recordsAffected;
        return result;
    }

    std::unique_ptr<ado::RowSet> openSchema(ado::SchemaEnum kind, const ado::SchemaRestrictions &) override
    {
        Server &s = server();
        s.schemaKinds.push_back(kind);
        if (!s.answers.empty()) {
            Answer a = s.answers.front();
            s.answers.pop_front();
            if (!a.error.empty())
                throw ado::EProviderError(a.error);
            if (a.rows)
                return std::make_unique<SharedRowSet>(a.rows);
        }
        return std::make_unique<ado::MemoryRowSet>(std::vector<std::string>{"TABLE_NAME"});
    }

    std::vector<std::string> tableNames() override { return server().tables; }
    std::vector<std::string> fieldNames(const std::string &table) override
    {
        auto it = server().fields.find(table);
        return it == server().fields.end() ? std::vector<std::string>() : it->second;
    }
    void cancel() override {}

private:
    std::string m_text;
    bool m_open = false;
};

inline void installFor(const std::vector<std::string> &names)
{
    for (const std::string &name : names)
        ado::ProviderRegistry::instance().registerProvider(
            name, [](const ado::ConnectionString &cs) { return std::make_unique<Connection>(cs); });
}

inline const bool installed = [] {
    installFor({"SQLOLEDB.1", "OraOLEDB.Oracle.1", "MSDAORA.1", "Microsoft.SQLSERVER.MOBILE.OLEDB.3.0",
                "Microsoft.SQLSERVER.CE.OLEDB.3.5"});
    return true;
}();

} // namespace recording
