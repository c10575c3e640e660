#pragma once
// Catalogue command sets: one per engine family, each answering which
// databases, tables and fields there are through the engine's own catalogue.

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "ado.h"

class TqdServerConnection;

// An operation that a command set cannot answer for its engine
// ("Operation GetFieldType not supported in engine seMSAccess").
class EqdNotSupported : public ado::Exception {
public:
    using ado::Exception::Exception;
};

class TqdGenericSQLCommands {
public:
    explicit TqdGenericSQLCommands(TqdServerConnection *serverConnection);
    virtual ~TqdGenericSQLCommands();

    virtual void ListDataBases(TStringList *list) = 0;
    virtual void ListTables(TStringList *list, const std::string &dataBase) = 0;
    virtual void ListFields(TStringList *list, const std::string &dataBase, const std::string &table) = 0;
    virtual bool DataBaseExists(const std::string &dataBase) = 0;
    virtual bool TableExists(const std::string &dataBase, const std::string &table) = 0;
    virtual bool FieldExists(const std::string &dataBase, const std::string &table, const std::string &field) = 0;
    virtual std::string GetFieldType(const std::string &dataBase, const std::string &table,
                                     const std::string &field) = 0;

    TqdServerConnection *ServerConnection() const { return m_serverConnection; }
    ado::TADODataSet *Query() const { return m_query.get(); }

    // Replace the list's contents with one column of the query's rows; a
    // missing query, list or column leaves the list as it was.
    static void FillListByName(ado::TADODataSet *query, TStringList *list, const std::string &columnName);
    static void FillListByIndex(ado::TADODataSet *query, TStringList *list, int index);

    // Statement text helpers. A line filled with blanks up to `width`
    // characters (a longer line is left as it is).
    static std::string padded(std::string_view line, std::size_t width);
    // Lines joined by CR, with a CR after the last one when asked.
    static std::string crLines(std::initializer_list<std::string> lines, bool crAfterLast);

protected:
    // Close Query, fill the statement's %s placeholders in order, open it.
    void runStatement(const std::string &statement, std::initializer_list<std::string> arguments);
    // An argument as an SQL string literal: single quotes around, inner ones doubled.
    static std::string quoted(const std::string &argument);
    // Whether `name` is in the list (compared without regard to case).
    static bool listHolds(const TStringList &list, const std::string &name);

private:
    TqdServerConnection *m_serverConnection;
    std::unique_ptr<ado::TADODataSet> m_query;
};

#define TQD_COMMAND_SET(Class)                                                                                  \
    class Class : public TqdGenericSQLCommands {                                                               \
    public:                                                                                                    \
        explicit Class(TqdServerConnection *serverConnection) : TqdGenericSQLCommands(serverConnection) {}     \
        void ListDataBases(TStringList *list) override;                                                        \
        void ListTables(TStringList *list, const std::string &dataBase) override;                              \
        void ListFields(TStringList *list, const std::string &dataBase, const std::string &table) override;    \
        bool DataBaseExists(const std::string &dataBase) override;                                             \
        bool TableExists(const std::string &dataBase, const std::string &table) override;                      \
        bool FieldExists(const std::string &dataBase, const std::string &table,                                \
                         const std::string &field) override;                                                   \
        std::string GetFieldType(const std::string &dataBase, const std::string &table,                        \
                                 const std::string &field) override;                                           \
    }

TQD_COMMAND_SET(TqdMSSQLCommands);
TQD_COMMAND_SET(TqdMSAccessCommands);
TQD_COMMAND_SET(TqdMySQLCommands);
TQD_COMMAND_SET(TqdFirebirdCommands);
TQD_COMMAND_SET(TqdMSSQLCECommands);
TQD_COMMAND_SET(TqdPostGreCommands);
TQD_COMMAND_SET(TqdOracleCommands);
TQD_COMMAND_SET(TqdSQLiteCommands);

#undef TQD_COMMAND_SET
