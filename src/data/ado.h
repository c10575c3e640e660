#pragma once
// The upper level of the data-access layer, shaped like the ADO components the
// rest of the program expects: a connection with a connection string, row-set
// components opened on statements or schema kinds, fields, and a data source
// that links a row set to a grid.
//
// Nothing here opens a window or asks the user anything.

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ado_errors.h"
#include "provider.h"
#include "string_list.h"

namespace ado {

enum TCursorLocation { clUseServer = 2, clUseClient = 3 };
constexpr TCursorLocation adUseServer = clUseServer;
constexpr TCursorLocation adUseClient = clUseClient;

enum TObjectState { adStateClosed = 0, adStateOpen = 1 };

class TADODataSet;

class TADOConnection {
public:
    TADOConnection();
    ~TADOConnection();
    TADOConnection(const TADOConnection &) = delete;
    TADOConnection &operator=(const TADOConnection &) = delete;

    // Settings. The connection string takes effect at the next Open.
    std::string ConnectionString;
    TCursorLocation CursorLocation = adUseClient;
    bool LoginPrompt = false; // never prompts; kept for the callers that set it
    // Called after a statement has opened a new session in place of one that
    // was lost (not after the first open, nor after Close), on the thread that
    // runs the statement.
    std::function<void()> OnSessionRestored;
    // Told when a statement's row set begins to arrive, on the thread that
    // runs the statement, for the providers that fill row sets as rows come.
    RowsArriving OnRowsArriving;

    // Synchronous open with ConnectionString; a failure throws with the
    // provider's message and leaves the connection closed. Cancel from
    // another thread stops the attempt: Open then throws ECancelled at once,
    // and an attempt that the client library cannot stop is left to end on
    // its own, its session closed when it comes.
    void Open();
    void Close();
    bool Connected() const;
    TObjectState State() const { return Connected() ? adStateOpen : adStateClosed; }

    // Run a statement as a command; its rows, if any, are dropped. Opens the
    // connection first when it is closed.
    void Execute(const std::string &commandText, int &recordsAffected);
    // Run a statement once and keep what it returned (row set or count).
    // With OnRowsArriving set, a fetch cancelled midway returns the rows that
    // had come (ExecResult::fetchStopped says so); else it throws.
    ExecResult ExecuteWithResult(const std::string &commandText);

    // A schema row set into `dataSet` (closed first). Opens when closed.
    void OpenSchema(SchemaEnum kind, TADODataSet &dataSet, const SchemaRestrictions &restrictions = {});
    // Table names (tables and views, no system tables) and a table's field names.
    void GetTableNames(TStringList &list);
    void GetFieldNames(const std::string &table, TStringList &list);

    // Thread-safe: stops the statement that runs on this connection now, or
    // the Open in progress.
    void Cancel();

    // The open provider session, or null when closed.
    ProviderConnection *provider() const { return m_provider.get(); }

    // Data sets created on this connection; they lose their connection when it goes.
    void attach(TADODataSet *dataSet);
    void detach(TADODataSet *dataSet);

private:
    void ensureOpen();
    void openProvider();
    void closeProvider();
    struct OpenAttempt;
    std::unique_ptr<ProviderConnection> m_provider;
    std::shared_ptr<OpenAttempt> m_opening; // guarded by m_cancelMutex
    bool m_restoring = false;               // a lost session waits for its successor
    std::vector<TADODataSet *> m_dataSets;
    mutable std::mutex m_cancelMutex; // guards m_provider against Cancel from another thread
};

class TDataSource;

// A field of the current row of a data set.
class TField {
public:
    TField() = default;
    TField(const TADODataSet *dataSet, int index) : m_dataSet(dataSet), m_index(index) {}
    explicit operator bool() const { return m_dataSet != nullptr; }
    int Index() const { return m_index; }
    std::string FieldName() const;
    std::string AsString() const; // null reads as empty text
    bool IsNull() const;
    FieldKind Kind() const;

private:
    const TADODataSet *m_dataSet = nullptr;
    int m_index = -1;
};

// A row-set component: a statement (or a schema kind) on a connection, and,
// while open, its fully fetched result with a current row.
class TADODataSet {
public:
    explicit TADODataSet(TADOConnection *connection = nullptr);
    virtual ~TADODataSet();
    TADODataSet(const TADODataSet &) = delete;
    TADODataSet &operator=(const TADODataSet &) = delete;

    TADOConnection *Connection() const { return m_connection; }
    void SetConnection(TADOConnection *connection);

    // The statement, held as lines; the provider receives each line followed
    // by CR LF.
    TStringList SQL;
    void SetCommandText(const std::string &text) { SQL.SetText(text); }
    std::string CommandText() const { return SQL.Text(); }

    // Open the statement. A statement that returns no row set fails with
    // "CommandText does not return a result set".
    void Open();
    // Take a result that was already fetched (a statement run once elsewhere).
    void OpenResult(std::unique_ptr<RowSet> rows);
    void Close();
    bool Active() const { return m_rows != nullptr; }
    // Where the rows' cursor lies: a statement opened here is client-side; a
    // schema row set takes the location that its connection had set.
    TCursorLocation CursorLocation() const { return m_cursorLocation; }

    long long RecordCount() const;
    long long RecNo() const { return m_row; } // zero-based current row
    void First();
    void Next();
    bool Eof() const;
    bool MoveTo(long long row);

    int FieldCount() const;
    TField Fields(int index) const;
    // Throws EDatabaseError "Field '%s' not found".
    TField FieldByName(const std::string &name) const;
    // A null field when absent.
    TField FindField(const std::string &name) const;
    // Move to the first row whose field equals `value` exactly; false (and
    // the current row unchanged) when there is none.
    bool Locate(const std::string &fieldName, const std::string &value);

    RowSet *rowSet() const { return m_rows.get(); }

    // Data sources showing this data set (kept up to date by TDataSource).
    void addObserver(TDataSource *source);
    void removeObserver(TDataSource *source);

private:
    void notifyChanged();
    friend class TADOConnection;
    TADOConnection *m_connection = nullptr;
    std::unique_ptr<RowSet> m_rows;
    long long m_row = 0;
    TCursorLocation m_cursorLocation = adUseClient;
    std::vector<TDataSource *> m_observers;
};

// Links one data set to the grids that show it. Data sets handed to adopt()
// belong to the source and live until it is destroyed.
class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject *owner = nullptr);
    ~TDataSource() override;

    TADODataSet *DataSet() const { return m_dataSet; }
    void SetDataSet(TADODataSet *dataSet);
    void adopt(std::unique_ptr<TADODataSet> dataSet);

    // Called by a data set that opens, closes or goes away.
    void dataSetChanged(TADODataSet *dataSet, bool destroyed);

signals:
    // The shown data set was replaced, opened, closed or destroyed.
    void changed();

private:
    TADODataSet *m_dataSet = nullptr;
    std::vector<std::unique_ptr<TADODataSet>> m_owned;
};

} // namespace ado
