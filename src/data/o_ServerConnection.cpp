#include "o_ServerConnection.h"

#include <QThread>

#include <algorithm>
#include <string_view>

namespace {
// Fill a connection-string format: each %s and %d takes the next argument,
// already quoted for the string's syntax.
std::string fill(std::string_view format, std::initializer_list<std::string> arguments)
{
    std::string text;
    auto argument = arguments.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == 's' || format[i + 1] == 'd') &&
            argument != arguments.end()) {
            text += *argument++;
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

std::string ole(const std::string &value) { return ado::ConnectionString::quoteOleDbValue(value); }
std::string odbc(const std::string &value) { return ado::ConnectionString::quoteOdbcValue(value); }
} // namespace

const char *engineName(TqdServerEngine engine)
{
    switch (engine) {
    case seNone: return "seNone";
    case seFireBird: return "seFireBird";
    case seMSAccess: return "seMSAccess";
    case seMSCE31: return "seMSCE31";
    case seMSCE35: return "seMSCE35";
    case seMSSQL: return "seMSSQL";
    case seMySQL: return "seMySQL";
    case seOracle: return "seOracle";
    case sePostGre: return "sePostGre";
    case seOracleMS: return "seOracleMS";
    case seSQLite: return "seSQLite";
    }
    return "";
}

bool isSingleDatabaseEngine(TqdServerEngine engine)
{
    return engine == seFireBird || engine == seMSAccess || engine == seMSCE31 || engine == seMSCE35 ||
           engine == seSQLite;
}

TqdScriptDialect scriptDialect(TqdServerEngine engine)
{
    switch (engine) {
    case seFireBird: return sdFirebird;
    case seMSAccess: return sdAccess;
    case seMSCE31:
    case seMSCE35:
    case seMSSQL: return sdMSSQL;
    case seMySQL: return sdMySQL;
    case seOracle:
    case seOracleMS: return sdOracle;
    case sePostGre: return sdPostgreSQL;
    case seSQLite: // '...', "...", `...`, -- and /* */, trigger bodies: the standard rules
    case seNone: break;
    }
    return sdStandard;
}

TqdServerConnection::TqdServerConnection(QObject *owner)
    : QObject(owner), m_adoConnection(std::make_unique<ado::TADOConnection>())
{
    m_adoConnection->LoginPrompt = false;
    m_adoConnection->CursorLocation = ado::adUseClient;
    m_adoConnection->OnSessionRestored = [this] { sessionRestored(); };
    DBEngine = seNone;
    m_msSqlCommands = std::make_unique<TqdMSSQLCommands>(this);
    m_msAccessCommands = std::make_unique<TqdMSAccessCommands>(this);
    m_mySqlCommands = std::make_unique<TqdMySQLCommands>(this);
    m_firebirdCommands = std::make_unique<TqdFirebirdCommands>(this);
    m_msSqlCeCommands = std::make_unique<TqdMSSQLCECommands>(this);
    m_postGreCommands = std::make_unique<TqdPostGreCommands>(this);
    m_oracleCommands = std::make_unique<TqdOracleCommands>(this);
    m_sqliteCommands = std::make_unique<TqdSQLiteCommands>(this);
}

TqdServerConnection::~TqdServerConnection()
{
    m_queryList.clear();
    m_msSqlCommands.reset();
    m_msAccessCommands.reset();
    m_mySqlCommands.reset();
    m_firebirdCommands.reset();
    m_msSqlCeCommands.reset();
    m_postGreCommands.reset();
    m_oracleCommands.reset();
    m_sqliteCommands.reset();
    try {
        DoDisConnect();
    } catch (...) {
        // A close that fails while the connection goes away has no one to tell.
    }
    m_adoConnection.reset();
}

bool TqdServerConnection::Connected() const { return m_adoConnection->Connected(); }

std::string TqdServerConnection::GetConnectionString()
{
    m_adoConnection->CursorLocation = ado::adUseClient;
    std::string text;
    switch (DBEngine) {
    case seNone:
        break;
    case seFireBird:
        text = fill("Provider=LCPI.IBProvider.3.Free;Password=%s;Persist Security Info=True;User ID=%s;"
                    "Data Source=\"\";Location=%s;ctype=NONE;dbclient_library=\"\";auto_commit=true",
                    {ole(Password), ole(UserName), ole(ServerName)});
        break;
    case seMSAccess:
        text = fill("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%s;Persist Security Info=False", {ole(ServerName)});
        break;
    case seMSCE31:
        text = fill("Provider=Microsoft.SQLSERVER.MOBILE.OLEDB.3.0;Data Source=%s;Persist Security Info=False",
                    {ole(ServerName)});
        break;
    case seMSCE35:
        text = fill("Provider=Microsoft.SQLSERVER.CE.OLEDB.3.5;Data Source=%s;Persist Security Info=False",
                    {ole(ServerName)});
        break;
    case seMSSQL:
        text = fill("Provider=SQLOLEDB.1;Password=%s;User ID=%s;Initial Catalog=%s;Data Source=%s",
                    {ole(Password), ole(UserName), ole(DataBaseName), ole(ServerName)});
        break;
    case seMySQL:
        text = fill("DRIVER={MySQL ODBC 5.1 Driver}; SERVER=%s; PORT=%d; DATABASE=%s; UID=%s; PASSWORD=%s;OPTION=3;",
                    {odbc(ServerName), std::to_string(Port), odbc(DataBaseName), odbc(UserName), odbc(Password)});
        break;
    case seOracle:
        text = fill("Provider=OraOLEDB.Oracle.1;Password=%s;Persist Security Info=False;User ID=%s;Data Source=%s",
                    {ole(Password), ole(UserName), ole(ServerName)});
        break;
    case sePostGre: {
        // The port follows the data source only when one was given.
        const std::string port = Port != 0 ? ";Port=" + std::to_string(Port) : std::string();
        if (DataBaseName.empty())
            text = fill("Provider=PGNP.1;Password=%s;Persist Security Info=True;User ID=%s;Data Source=%s",
                        {ole(Password), ole(UserName), ole(ServerName)});
        else
            text = fill("Provider=PGNP.1;Password=%s;Persist Security Info=True;User ID=%s;Initial Catalog=%s;"
                        "Data Source=%s",
                        {ole(Password), ole(UserName), ole(DataBaseName), ole(ServerName)});
        text += port + ";Extended Properties=\"SSL=allow;\"";
        break;
    }
    case seOracleMS:
        text = fill("Provider=MSDAORA.1;Password=%s;User ID=%s;Data Source=%s;Persist Security Info=False",
                    {ole(Password), ole(UserName), ole(ServerName)});
        break;
    case seSQLite:
        // The file alone: no user, password or port.
        text = fill("Provider=SQLite;Data Source=%s", {ole(ServerName)});
        break;
    }
    if (DBEngine == seMSCE31 || DBEngine == seMSCE35)
        m_adoConnection->CursorLocation = ado::adUseServer;
    return text;
}

void TqdServerConnection::DoConnect()
{
    m_adoConnection->Close();
    if (UseCustomConnectionString)
        m_adoConnection->ConnectionString = CustomConnectionString;
    else
        m_adoConnection->ConnectionString = GetConnectionString();
    m_adoConnection->Open();
    if (OnConnect)
        OnConnect(this);
}

void TqdServerConnection::DoDisConnect()
{
    if (Connected())
        m_adoConnection->Close();
    if (OnDisConnect)
        OnDisConnect(this);
}

void TqdServerConnection::DoReConnect()
{
    DoDisConnect();
    DoConnect();
    if (OnReConnect)
        OnReConnect(this);
}

void TqdServerConnection::sessionRestored()
{
    auto notify = [this] {
        if (OnConnect)
            OnConnect(this);
    };
    // The handlers touch the window: from a worker they are queued to this
    // object's thread (the statement does not wait for them, so a window
    // thread that waits for the worker cannot lock up).
    if (QThread::currentThread() == thread())
        notify();
    else
        QMetaObject::invokeMethod(this, notify, Qt::QueuedConnection);
}

void TqdServerConnection::AssignConnection(const TqdServerConnection *source)
{
    if (!source)
        return;
    DisConnect();
    DBEngine = source->DBEngine;
    ServerName = source->ServerName;
    DataBaseName = source->DataBaseName;
    UserName = source->UserName;
    Password = source->Password;
    Port = source->Port;
    UseCustomConnectionString = source->UseCustomConnectionString;
    CustomConnectionString = source->CustomConnectionString;
}

TqdGenericSQLCommands *TqdServerConnection::commandsFor(TqdServerEngine engine) const
{
    switch (engine) {
    case seNone: return nullptr;
    case seFireBird: return m_firebirdCommands.get();
    case seMSAccess: return m_msAccessCommands.get();
    case seMSCE31:
    case seMSCE35: return m_msSqlCeCommands.get();
    case seMSSQL: return m_msSqlCommands.get();
    case seMySQL: return m_mySqlCommands.get();
    case seOracle:
    case seOracleMS: return m_oracleCommands.get();
    case sePostGre: return m_postGreCommands.get();
    case seSQLite: return m_sqliteCommands.get();
    }
    return nullptr;
}

void TqdServerConnection::ListDataBases(TStringList *list)
{
    if (TqdGenericSQLCommands *commands = commandsFor(DBEngine))
        commands->ListDataBases(list);
}

void TqdServerConnection::ListTables(TStringList *list, const std::string &dataBase)
{
    if (TqdGenericSQLCommands *commands = commandsFor(DBEngine))
        commands->ListTables(list, dataBase);
}

void TqdServerConnection::ListFields(TStringList *list, const std::string &dataBase, const std::string &table)
{
    if (TqdGenericSQLCommands *commands = commandsFor(DBEngine))
        commands->ListFields(list, dataBase, table);
}

ado::TADODataSet *TqdServerConnection::OpenQuery(const std::string &statement)
{
    m_lastNotices.clear();
    auto query = std::make_unique<ado::TADODataSet>(m_adoConnection.get());
    query->Close();
    query->SetCommandText(statement);
    ado::ExecResult result = m_adoConnection->ExecuteWithResult(query->CommandText());
    if (!result.rows)
        throw ado::EDatabaseError("CommandText does not return a result set");
    m_lastNotices = std::move(result.notices);
    query->OpenResult(std::move(result.rows));
    m_queryList.push_back(std::move(query));
    return m_queryList.back().get();
}

int TqdServerConnection::ExecSQL(const std::string &statement)
{
    m_lastNotices.clear();
    ado::ExecResult result = m_adoConnection->ExecuteWithResult(statement);
    m_lastNotices = std::move(result.notices);
    return int(result.recordsAffected);
}

ado::TADODataSet *TqdServerConnection::RunStatement(const std::string &statement, int &recordsAffected)
{
    m_lastNotices.clear();
    m_lastFetchStopped.clear();
    ado::ExecResult result = m_adoConnection->ExecuteWithResult(statement);
    recordsAffected = int(result.recordsAffected);
    m_lastNotices = std::move(result.notices);
    m_lastFetchStopped = std::move(result.fetchStopped);
    if (!result.rows)
        return nullptr;
    auto query = std::make_unique<ado::TADODataSet>(m_adoConnection.get());
    query->SetCommandText(statement);
    query->OpenResult(std::move(result.rows));
    m_queryList.push_back(std::move(query));
    return m_queryList.back().get();
}

void TqdServerConnection::ReleaseQuery(ado::TADODataSet *dataSet)
{
    if (!dataSet)
        return;
    auto found = std::find_if(m_queryList.begin(), m_queryList.end(),
                              [dataSet](const std::unique_ptr<ado::TADODataSet> &q) { return q.get() == dataSet; });
    if (found == m_queryList.end())
        return;
    std::unique_ptr<ado::TADODataSet> query = std::move(*found);
    m_queryList.erase(found);
    query.reset();
}

void TqdServerConnection::LoadSchema(ado::SchemaEnum kind, ado::TDataSource *source)
{
    if (!source)
        return;
    auto schema = std::make_unique<ado::TADODataSet>(m_adoConnection.get());
    m_adoConnection->OpenSchema(kind, *schema);
    ado::TADODataSet *shown = schema.get();
    source->SetDataSet(nullptr);
    source->adopt(std::move(schema));
    source->SetDataSet(shown);
}
