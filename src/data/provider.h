#pragma once
// The lower level of the data-access layer: one provider per client library.
//
// A ProviderConnection is one open session with an engine; a RowSet is one
// statement's result, fully fetched (exact row count, random access), whose
// values are read where they lie: in the client library's own result (PGresult,
// MYSQL_RES) or in the provider's compact blocks. Text is rendered only for the
// cells that are read.
//
// Errors: a provider throws ado::EProviderError with the engine's or client
// library's message unchanged. Nothing here opens a window.
//
// Threads: a connection is used by one thread at a time; cancel() is the one
// call that may come from another thread while execute() or open() runs.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "connection_string.h"

namespace ado {

// ADO's schema row-set kinds, with ADO's numbers.
enum SchemaEnum : int {
    adSchemaColumns = 4,
    adSchemaIndexes = 12,
    adSchemaTables = 20,
    adSchemaForeignKeys = 27,
    adSchemaPrimaryKeys = 28,
};

// What a field holds, for display (alignment) only; values always read as text.
enum class FieldKind { Text, Number, DateTime, Boolean, Binary };

// Whether a row set handed out while its rows come has them all: Arriving
// while more may be appended; then Whole, or Stopped when the statement failed
// or was cancelled before the last row (the rows that came stay readable).
enum class Arrival { Arriving, Whole, Stopped };

class RowSet {
public:
    virtual ~RowSet() = default;

    virtual int fieldCount() const = 0;
    virtual std::string fieldName(int field) const = 0;
    virtual FieldKind fieldKind(int /*field*/) const { return FieldKind::Text; }
    virtual long long rowCount() const = 0;
    virtual bool isNull(long long row, int field) const = 0;
    // The value as text; a null reads as empty text. The view points either
    // into the provider's storage (valid while the row set lives) or into
    // `scratch` (valid until scratch is changed). row and field must be in range.
    virtual std::string_view text(long long row, int field, std::string &scratch) const = 0;

    // Read before rowCount(): once it is not Arriving, the count is final.
    virtual Arrival arrival() const { return Arrival::Whole; }

    // The row set that holds the rows: itself, or for a row set held
    // elsewhere as well (sharedRowSet) the one it shares.
    virtual const RowSet &holder() const { return *this; }

    // Index of a field by name without regard to case, -1 when absent.
    int fieldIndex(std::string_view name) const;
    std::string value(long long row, int field) const;
};

// Restrictions of a schema request; empty means "no restriction".
struct SchemaRestrictions {
    std::string catalog;
    std::string schema;
    std::string table;
};

struct ExecResult {
    std::unique_ptr<RowSet> rows;   // null when the statement returned no row set
    long long recordsAffected = -1; // -1 when the engine does not know
    // What the engine said besides the result (notices, warnings), in order,
    // as the engine worded them.
    std::vector<std::string> notices;
    // Not empty when the fetch was stopped (cancelled) after some rows had
    // come: `rows` holds those, and this is the engine's message.
    std::string fetchStopped;
};

// Told, on the thread that runs a statement, that a row set has begun to
// arrive: its rows can be read from any thread while more are appended
// (rowCount() grows). The row set passed on stays valid for as long as the
// receiver keeps it, whatever becomes of the statement.
using RowsArriving = std::function<void(std::shared_ptr<const RowSet>)>;

// A row set held elsewhere as well, as one that execute() hands out.
std::unique_ptr<RowSet> sharedRowSet(std::shared_ptr<const RowSet> rows);

// The message of a statement that found its session gone: the engine's text
// and, when a transaction was open, that the transaction is lost with it. The
// session stays closed; the next statement opens a new one.
std::string sessionLostMessage(const std::string &engineMessage, bool transactionWasOpen);

class ProviderConnection {
public:
    virtual ~ProviderConnection() = default;

    // Open with the connection string given at creation. Throws EProviderError.
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Run one statement once. Whether a row set came back is the engine's
    // answer (libpq's tuples status, mysql_field_count, output columns, ...).
    virtual ExecResult execute(const std::string &statement) = 0;

    // One of the five schema row sets, with the OLE DB column names
    // (TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE, COLUMN_NAME, ...).
    // An unsupported kind throws EADOError("Invalid Enum Value")... or the
    // provider's own message when the engine refuses.
    virtual std::unique_ptr<RowSet> openSchema(SchemaEnum kind, const SchemaRestrictions &restrictions) = 0;

    // Tables and views (TABLE_TYPE exactly "TABLE" or "VIEW"), no system
    // tables, in the schema row set's order. Default: from openSchema.
    virtual std::vector<std::string> tableNames();
    // COLUMN_NAME of each column of a table, in order. Default: from openSchema.
    virtual std::vector<std::string> fieldNames(const std::string &table);

    // Stop the statement that execute() is running on another thread. Safe to
    // call at any time, also when nothing runs. The connection stays usable.
    // While open() runs, a provider whose client library can stop a login
    // makes open() throw ECancelled soon; the others let it run on (the
    // caller abandons such an attempt).
    virtual void cancel() = 0;

    // Called by execute() for each row set that it fills as the rows come,
    // when the provider does so (the others hand out whole row sets only).
    RowsArriving rowsArriving;
};

using ProviderFactory = std::function<std::unique_ptr<ProviderConnection>(const ConnectionString &)>;

// Maps a connection string to the provider that serves it: by its Provider=
// value, or by its DRIVER={...} name. Names compare without regard to case.
class ProviderRegistry {
public:
    // The registry that connections use; the built-in providers are in it.
    static ProviderRegistry &instance();

    void registerProvider(const std::string &name, ProviderFactory factory);
    void unregisterProvider(const std::string &name);
    // Serves DRIVER={...} strings whose driver has no provider of its own.
    void setDriverFallback(ProviderFactory factory);

    // Throws EADOError for an empty or malformed string or an unknown provider.
    std::unique_ptr<ProviderConnection> create(const std::string &connectionString);

private:
    ProviderRegistry();
    std::mutex m_mutex;
    std::map<std::string, ProviderFactory> m_factories; // key: lower-case name
    ProviderFactory m_driverFallback;
};

// A row set held in memory, compactly: all cell texts in one growing buffer.
// Used for schema row sets that a provider assembles itself, and by test providers.
class MemoryRowSet : public RowSet {
public:
    explicit MemoryRowSet(std::vector<std::string> fieldNames = {});
    void addField(std::string name, FieldKind kind = FieldKind::Text);
    // Append a row; cells beyond the given ones are null.
    void addRow(const std::vector<std::optional<std::string>> &cells);

    int fieldCount() const override { return int(m_names.size()); }
    std::string fieldName(int field) const override { return m_names[size_t(field)]; }
    FieldKind fieldKind(int field) const override { return m_kinds[size_t(field)]; }
    long long rowCount() const override;
    bool isNull(long long row, int field) const override;
    std::string_view text(long long row, int field, std::string &scratch) const override;

private:
    std::vector<std::string> m_names;
    std::vector<FieldKind> m_kinds;
    std::string m_data;
    // per cell: end offset in m_data; the top bit marks a null
    std::vector<unsigned long long> m_ends;
};

} // namespace ado
