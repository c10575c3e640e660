#pragma once
// TqdServerConnection: the one object through which the program talks to a
// database. It holds one connection's settings, builds the engine's connection
// string, opens and closes its ADO connection, hands out result queries and
// answers catalogue questions through the engine's command set.

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ado.h"
#include "o_SQLCommands.h"
#include "o_ScriptSplitter.h"
#include "o_ServerEngine.h"

// How the engine's scripts are cut into statements.
TqdScriptDialect scriptDialect(TqdServerEngine engine);

class TqdServerConnection;
using TNotifyEvent = std::function<void(TqdServerConnection *sender)>;

class TqdServerConnection : public QObject {
    Q_OBJECT
public:
    explicit TqdServerConnection(QObject *owner = nullptr);
    ~TqdServerConnection() override;

    // Settings; assigning one never connects, disconnects or reconnects.
    bool UseCustomConnectionString = false;
    std::string DataBaseName;
    std::string Password;
    std::string ServerName;
    std::string UserName;
    std::string CustomConnectionString;
    TqdServerEngine DBEngine = seNone;
    TNotifyEvent OnReConnect;
    TNotifyEvent OnConnect;
    TNotifyEvent OnDisConnect;

    ado::TADOConnection *ADOConnection() const { return m_adoConnection.get(); }
    const std::vector<std::unique_ptr<ado::TADODataSet>> &QueryList() const { return m_queryList; }
    int Port = 0;

    TqdMSSQLCommands *MSSQLCommands() const { return m_msSqlCommands.get(); }
    TqdMSAccessCommands *MSAccessCommands() const { return m_msAccessCommands.get(); }
    TqdMySQLCommands *MySQLCommands() const { return m_mySqlCommands.get(); }
    TqdFirebirdCommands *FirebirdCommands() const { return m_firebirdCommands.get(); }
    TqdMSSQLCECommands *MSSQLCECommands() const { return m_msSqlCeCommands.get(); }
    TqdPostGreCommands *PostGreCommands() const { return m_postGreCommands.get(); }
    TqdOracleCommands *OracleCommands() const { return m_oracleCommands.get(); }
    TqdSQLiteCommands *SQLiteCommands() const { return m_sqliteCommands.get(); }

    bool Connected() const;

    void DisConnect() { DoDisConnect(); }
    void ReConnect() { DoReConnect(); }
    virtual void AssignConnection(const TqdServerConnection *source);

    void ListDataBases(TStringList *list);
    void ListTables(TStringList *list, const std::string &dataBase);
    void ListFields(TStringList *list, const std::string &dataBase, const std::string &table);

    // Open a statement as a result query (kept in QueryList until released).
    ado::TADODataSet *OpenQuery(const std::string &statement);
    // Execute a statement as a command; the records affected.
    int ExecSQL(const std::string &statement);
    // Run a statement once and keep whatever it returned: a result query (in
    // QueryList) when it produced a row set, else null with recordsAffected set.
    ado::TADODataSet *RunStatement(const std::string &statement, int &recordsAffected);
    void ReleaseQuery(ado::TADODataSet *dataSet);
    // The notices and warnings of the last statement run by OpenQuery,
    // ExecSQL or RunStatement.
    const std::vector<std::string> &LastNotices() const { return m_lastNotices; }
    // Not empty when RunStatement's row set holds only the rows that came
    // before its fetch was cancelled: the engine's message.
    const std::string &LastFetchStopped() const { return m_lastFetchStopped; }
    void LoadSchema(ado::SchemaEnum kind, ado::TDataSource *source);

    // The connection string for the current settings (also sets the cursor location).
    std::string ConnectionString() { return GetConnectionString(); }

protected:
    virtual void DoConnect();
    virtual void DoDisConnect();
    virtual void DoReConnect();
    virtual std::string GetConnectionString();

private:
    std::unique_ptr<ado::TADOConnection> m_adoConnection;
    std::vector<std::unique_ptr<ado::TADODataSet>> m_queryList;
    std::vector<std::string> m_lastNotices;
    std::string m_lastFetchStopped;
    // A statement opened a new session in place of a lost one: OnConnect, on
    // this object's thread.
    void sessionRestored();
    std::unique_ptr<TqdMSSQLCommands> m_msSqlCommands;
    std::unique_ptr<TqdMSAccessCommands> m_msAccessCommands;
    std::unique_ptr<TqdMySQLCommands> m_mySqlCommands;
    std::unique_ptr<TqdFirebirdCommands> m_firebirdCommands;
    std::unique_ptr<TqdMSSQLCECommands> m_msSqlCeCommands;
    std::unique_ptr<TqdPostGreCommands> m_postGreCommands;
    std::unique_ptr<TqdOracleCommands> m_oracleCommands;
    std::unique_ptr<TqdSQLiteCommands> m_sqliteCommands;
    TqdGenericSQLCommands *commandsFor(TqdServerEngine engine) const;
};
