// The catalogue statements of every engine, byte for byte as the provider
// receives them, and how each command set reads the answers.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "o_ServerConnection.h"
#include "recording_provider.h"

namespace {

// Here every engine answers through the recording provider.
const bool allEnginesRecorded = [] {
    recording::installFor({"PGNP.1", "MySQL ODBC 5.1 Driver", "LCPI.IBProvider.3.Free", "Microsoft.Jet.OLEDB.4.0"});
    return true;
}();

// One line of a statement constant: its text with placeholders, and the width
// that blanks fill it to (0: unpadded).
struct Line {
    const char *text;
    std::size_t width = 0;
};

// What the provider receives: each line filled with blanks, its %s replaced
// by the next argument, followed by CR LF.
std::string sent(std::initializer_list<Line> lines, std::vector<std::string> args = {})
{
    std::string out;
    for (const Line &l : lines) {
        std::string s = l.text;
        if (s.size() < l.width)
            s.append(l.width - s.size(), ' ');
        out += s + "\r\n";
    }
    std::size_t at = 0;
    for (const std::string &arg : args) {
        at = out.find("%s", at);
        if (at == std::string::npos)
            break;
        out.replace(at, 2, arg);
        at += arg.size();
    }
    return out;
}

using Op = std::function<void(TqdServerConnection &)>;

struct StatementCase {
    const char *name;
    TqdServerEngine engine;
    Op op;
    std::vector<std::string> expected; // every statement sent, in order
    std::vector<std::string> answer;   // columns of the (empty) answer, where the operation reads one by name
};

// Names with a single quote in them, so that every quoted placeholder shows its doubling.
const std::string kDb = "sh'op";
const std::string kTable = "it's";
const std::string kField = "o'k";

void list(TqdServerConnection &c, int which)
{
    TStringList l;
    if (which == 0)
        c.ListDataBases(&l);
    else if (which == 1)
        c.ListTables(&l, kDb);
    else
        c.ListFields(&l, kDb, kTable);
}

const Op listDataBases = [](TqdServerConnection &c) { list(c, 0); };
const Op listTables = [](TqdServerConnection &c) { list(c, 1); };
const Op listFields = [](TqdServerConnection &c) { list(c, 2); };

template <class Commands>
Op exists(Commands *(TqdServerConnection::*set)() const, int which)
{
    return [set, which](TqdServerConnection &c) {
        Commands *commands = (c.*set)();
        if (which == 0)
            commands->DataBaseExists(kDb);
        else if (which == 1)
            commands->TableExists(kDb, kTable);
        else if (which == 2)
            commands->FieldExists(kDb, kTable, kField);
        else
            commands->GetFieldType(kDb, kTable, kField);
    };
}

const std::string kMsSqlListTables = sent(
    {
        {"select", 60},
        {"sysTbl.NAME", 60},
        {"from", 60},
        {"\tsys.tables sysTbl", 60},
        {"left join", 60},
        {"\tsys.databases sysDB on sysDB.database_id = sysTbl.schema_id", 60},
        {"--where (sysDB.name = %s)", 60},
        {"order by sysTbl.NAME"},
    },
    {"'sh''op'"});

const std::string kMsSqlListFields = sent(
    {
        {"select", 67},
        {"sysCol.NAME", 67},
        {"from", 67},
        {"\tsys.columns sysCol", 67},
        {"left join", 67},
        {"\tsys.tables sysTbl on sysTbl.object_id = sysCol.object_id", 67},
        {"left join", 67},
        {"\tsys.databases sysDB on sysDB.database_id = sysTbl.schema_id", 67},
        {"where (sysTbl.name = %s)", 67},
        {"order by sysCol.name"},
    },
    {"'it''s'"});

const std::string kMsSqlTableExists = sent(
    {
        {"select", 60},
        {"sysTbl.NAME", 60},
        {"from", 60},
        {"\tsys.tables sysTbl", 60},
        {"left join", 60},
        {"\tsys.databases sysDB on sysDB.database_id = sysTbl.schema_id", 60},
        {"where (sysDB.name = %s) and (sysTbl.name = %s)", 60},
    },
    {"'sh''op'", "'it''s'"});

const std::string kMsSqlFieldExists = sent(
    {
        {"select", 67},
        {"sysCol.NAME", 67},
        {"from", 67},
        {"\tsys.columns sysCol", 67},
        {"left join", 67},
        {"\tsys.tables sysTbl on sysTbl.object_id = sysCol.object_id", 67},
        {"left join", 67},
        {"\tsys.databases sysDB on sysDB.database_id = sysTbl.schema_id", 67},
        {"where (sysDB.name = %s) and (sysTbl.name = %s) and (sysCol.name=%s)", 67},
    },
    {"'sh''op'", "'it''s'", "'o''k'"});

const std::string kMsSqlFieldType = sent(
    {
        {"select", 70},
        {"sysTyp.name", 70},
        {"from", 70},
        {"\tsys.columns sysCol", 70},
        {"left join", 70},
        {"\tsys.tables sysTbl on sysTbl.object_id = sysCol.object_id", 70},
        {"left join", 70},
        {"\tsys.databases sysDB on sysDB.database_id = sysTbl.schema_id", 70},
        {"left join", 70},
        {"\tsys.types     sysTyp on sysTyp.system_type_id = sysCol.system_type_id", 70},
        {"where (sysDB.name = %s) and (sysTbl.name = %s) and (sysCol.name = %s)", 70},
    },
    {"'sh''op'", "'it''s'", "'o''k'"});

const std::string kFbListTables = sent({
    {"select rdb$relation_name as TABLE_NAME", 52},
    {"from rdb$relations", 52},
    {"where rdb$view_blr is null", 52},
    {"and (rdb$system_flag is null or rdb$system_flag = 0)", 52},
    {"order by 1", 52},
});

const std::string kFbListFields = sent(
    {
        {"select f.rdb$relation_name as TABLE_NAME, f.rdb$field_name as FIELD_NAME", 72},
        {"from rdb$relation_fields f", 72},
        {"join rdb$relations r on f.rdb$relation_name = r.rdb$relation_name", 72},
        {"and r.rdb$view_blr is null", 72},
        {"and (r.rdb$system_flag is null or r.rdb$system_flag = 0)", 72},
        {"where f.rdb$relation_name  = %s", 72},
        {"order by 1, f.rdb$field_position", 72},
    },
    {"'it''s'"});

const std::string kCeListTables = sent({{"select convert(nvarchar(126),TABLE_NAME) as TABLE_NAME from "
                                         "information_schema.tables order by TABLE_NAME"}});
const std::string kCeListFields = sent({{"select convert(nvarchar(126),COLUMN_NAME) as COLUMN_NAME from "
                                         "information_schema.columns where TABLE_NAME = 'it''s' order by COLUMN_NAME"}});
const std::string kCeFieldType = sent({{"select cast(DATA_TYPE as nvarchar(127)) as DATA_TYPE from "
                                        "information_schema.columns where (TABLE_NAME = 'it''s') and "
                                        "(COLUMN_NAME='o''k')"}});

const std::string kPgListDataBases = sent({
    {" SELECT", 60},
    {"    d.datname as DB_NAME", 60},
    {"  FROM pg_catalog.pg_database d", 60},
    {"    LEFT JOIN pg_catalog.pg_user u ON d.datdba = u.usesysid", 60},
    {"  ORDER BY 1", 60},
});

const std::string kPgListTables = sent(
    {
        {"SELECT table_schema, table_name", 40},
        {"FROM information_schema.tables", 40},
        {"WHERE table_type = 'BASE TABLE'", 38},
        {"AND table_catalog =%s", 40},
        {"AND table_schema NOT IN", 40},
        {"('pg_catalog', 'information_schema')"},
        {"order by table_name, table_schema", 40},
    },
    {"'sh''op'"});

// The columns of table "it's" in the schema given as a literal.
std::string pgListFields(const std::string &schema)
{
    return sent(
        {
            {"SELECT a.attname", 43},
            {"FROM pg_class c, pg_attribute a, pg_type t,", 43},
            {"pg_namespace n", 43},
            {"WHERE c.relname = %s", 43},
            {"AND n.nspname = %s", 43},
            {"AND c.relnamespace = n.oid", 43},
            {"AND a.attnum > 0", 43},
            {"AND NOT a.attisdropped", 43},
            {"AND a.attrelid = c.oid", 43},
            {"AND a.atttypid = t.oid", 43},
            {"order by a.attname", 43},
        },
        {"'it''s'", schema});
}
const std::string kPgListFields = pgListFields("'public'");

const std::string kOraListDataBases = sent({{"select username as DB_NAME from all_users order by username"}});
const std::string kOraListTables = sent({{"select OBJECT_NAME as TABLE_NAME from ALL_OBJECTS where OWNER ='sh''op' "
                                          "and OBJECT_TYPE='TABLE' order by OBJECT_NAME"}});
const std::string kOraListFields = sent({{"select COLUMN_NAME from ALL_TAB_COLUMNS where (OWNER ='sh''op') and "
                                          "(TABLE_NAME='it''s') order by COLUMN_NAME"}});
const std::string kOraFieldType = sent({{"select DATA_TYPE from ALL_TAB_COLUMNS where (OWNER ='sh''op') and "
                                         "(TABLE_NAME='it''s') and (COLUMN_NAME='o''k')"}});

using S = TqdServerConnection;
const StatementCase kStatements[] = {
    {"mssql ListDataBases", seMSSQL, listDataBases, {sent({{"select name from sys.databases"}})}},
    {"mssql ListTables", seMSSQL, listTables, {kMsSqlListTables}},
    {"mssql ListFields", seMSSQL, listFields, {kMsSqlListFields}},
    {"mssql DataBaseExists",
     seMSSQL,
     exists(&S::MSSQLCommands, 0),
     {sent({{"select NAME as DB_NAME from SYS.DATABASES where NAME = 'sh''op'"}})}},
    {"mssql TableExists", seMSSQL, exists(&S::MSSQLCommands, 1), {kMsSqlTableExists}},
    {"mssql FieldExists", seMSSQL, exists(&S::MSSQLCommands, 2), {kMsSqlFieldExists}},
    {"mssql GetFieldType", seMSSQL, exists(&S::MSSQLCommands, 3), {kMsSqlFieldType}},

    {"mysql ListDataBases", seMySQL, listDataBases, {sent({{"show databases"}})}},
    {"mysql ListTables", seMySQL, [](S &c) { TStringList l; c.ListTables(&l, "my-shop"); },
     {sent({{"show tables from `my-shop`"}})}},
    {"mysql ListFields, plain names", seMySQL, [](S &c) { TStringList l; c.ListFields(&l, "Shop", "orders"); },
     {sent({{"show columns from Shop.orders"}})}},
    {"mysql ListTables, reserved word", seMySQL, [](S &c) { TStringList l; c.ListTables(&l, "order"); },
     {sent({{"show tables from `order`"}})}},
    {"mysql ListFields", seMySQL, [](S &c) { TStringList l; c.ListFields(&l, "sales 2024", "a`b"); },
     {sent({{"show columns from `sales 2024`.`a``b`"}})}},
    {"mysql DataBaseExists", seMySQL, exists(&S::MySQLCommands, 0), {sent({{"show databases"}})}},
    {"mysql TableExists", seMySQL, [](S &c) { c.MySQLCommands()->TableExists("my-shop", "t"); },
     {sent({{"show tables from `my-shop`"}})}},
    {"mysql FieldExists", seMySQL, exists(&S::MySQLCommands, 2), {sent({{"show columns from `sh'op`.`it's`"}})}},
    {"mysql GetFieldType", seMySQL, exists(&S::MySQLCommands, 3), {sent({{"show columns from `sh'op`.`it's`"}})},
     {"Field", "Type"}},

    {"firebird ListDataBases", seFireBird, listDataBases, {kFbListTables}},
    {"firebird ListTables", seFireBird, listTables, {kFbListTables}},
    {"firebird ListFields", seFireBird, listFields, {kFbListFields}},
    {"firebird DataBaseExists", seFireBird, exists(&S::FirebirdCommands, 0), {}},
    {"firebird TableExists", seFireBird, exists(&S::FirebirdCommands, 1), {kFbListTables}},
    {"firebird FieldExists", seFireBird, exists(&S::FirebirdCommands, 2), {kFbListFields}},
    {"firebird GetFieldType", seFireBird, exists(&S::FirebirdCommands, 3), {}},

    {"compact 3.1 ListDataBases", seMSCE31, listDataBases, {kCeListTables}},
    {"compact 3.5 ListTables", seMSCE35, listTables, {kCeListTables}},
    {"compact 3.1 ListFields", seMSCE31, listFields, {kCeListFields}},
    {"compact DataBaseExists", seMSCE35, exists(&S::MSSQLCECommands, 0), {}},
    {"compact TableExists", seMSCE35, exists(&S::MSSQLCECommands, 1), {kCeListTables}},
    {"compact FieldExists", seMSCE31, exists(&S::MSSQLCECommands, 2), {kCeListFields}},
    {"compact GetFieldType", seMSCE35, exists(&S::MSSQLCECommands, 3), {kCeFieldType}},

    {"postgres ListDataBases", sePostGre, listDataBases, {kPgListDataBases}},
    {"postgres ListTables", sePostGre, listTables, {kPgListTables}},
    {"postgres ListFields", sePostGre, listFields, {kPgListFields}},
    {"postgres ListFields of another schema",
     sePostGre,
     [](S &c) { TStringList l; c.ListFields(&l, kDb, "\"Sales\".\"it's\""); },
     {pgListFields("'Sales'")}},
    {"postgres DataBaseExists", sePostGre, exists(&S::PostGreCommands, 0), {kPgListDataBases}},
    {"postgres TableExists", sePostGre, exists(&S::PostGreCommands, 1), {kPgListTables}},
    {"postgres FieldExists", sePostGre, exists(&S::PostGreCommands, 2), {kPgListFields}},
    {"postgres GetFieldType", sePostGre, exists(&S::PostGreCommands, 3), {}},

    {"oracle ListDataBases", seOracle, listDataBases, {kOraListDataBases}},
    {"oracle ms ListDataBases", seOracleMS, listDataBases, {kOraListDataBases}},
    {"oracle ListTables", seOracleMS, listTables, {kOraListTables}},
    {"oracle ListFields", seOracle, listFields, {kOraListFields}},
    {"oracle DataBaseExists", seOracle, exists(&S::OracleCommands, 0), {kOraListDataBases}},
    {"oracle TableExists", seOracle, exists(&S::OracleCommands, 1), {kOraListTables}},
    {"oracle FieldExists", seOracle, exists(&S::OracleCommands, 2), {kOraListFields}},
    {"oracle GetFieldType", seOracle, exists(&S::OracleCommands, 3), {kOraFieldType}, {"DATA_TYPE"}},

    {"access ListDataBases", seMSAccess, listDataBases, {}},
    {"access ListFields", seMSAccess, listFields, {}},
    {"access TableExists", seMSAccess, exists(&S::MSAccessCommands, 1), {}},
};

class CatalogueTest : public testing::Test {
protected:
    void SetUp() override { recording::server().reset(); }
    void open(TqdServerEngine engine)
    {
        connection.DBEngine = engine;
        connection.ServerName = "srv";
        connection.ReConnect();
        recording::server().statements.clear();
    }
    recording::Server &server() { return recording::server(); }
    TqdServerConnection connection;
};

TEST_F(CatalogueTest, EveryStatementReachesTheProviderByteForByte)
{
    for (const StatementCase &c : kStatements) {
        SCOPED_TRACE(c.name);
        open(c.engine);
        if (!c.answer.empty())
            server().rows(c.answer);
        c.op(connection);
        EXPECT_EQ(server().statements, c.expected);
        server().reset();
    }
}

TEST_F(CatalogueTest, SqlServerListsTheOpenDatabaseWhateverTheName)
{
    open(seMSSQL);
    TStringList tables;
    connection.ListTables(&tables, "");
    EXPECT_EQ(server().last(), sent({{"select", 60},
                                     {"sysTbl.NAME", 60},
                                     {"from", 60},
                                     {"\tsys.tables sysTbl", 60},
                                     {"left join", 60},
                                     {"\tsys.databases sysDB on sysDB.database_id = sysTbl.schema_id", 60},
                                     {"--where (sysDB.name = '')", 60},
                                     {"order by sysTbl.NAME"}}));
}

// Each list operation reads its own result column, looked up without regard to case.
TEST_F(CatalogueTest, ListsReadTheirResultColumn)
{
    const struct {
        const char *name;
        TqdServerEngine engine;
        int which; // 0 databases, 1 tables, 2 fields
        std::vector<std::string> columns;
        int answerColumn = 0; // the column that holds the names
    } cases[] = {
        {"mssql databases", seMSSQL, 0, {"NAME"}},
        {"mssql tables", seMSSQL, 1, {"NAME"}},
        {"mssql fields", seMSSQL, 2, {"name"}},
        {"mysql databases", seMySQL, 0, {"Database"}},
        {"mysql tables, first column whatever its name", seMySQL, 1, {"Tables_in_sh'op", "x"}},
        {"mysql fields", seMySQL, 2, {"Type", "Field"}, 1},
        {"firebird databases are tables", seFireBird, 0, {"TABLE_NAME"}},
        {"firebird fields", seFireBird, 2, {"TABLE_NAME", "FIELD_NAME"}, 1},
        {"compact tables", seMSCE35, 1, {"table_name"}},
        {"compact fields", seMSCE31, 2, {"COLUMN_NAME"}},
        {"postgres databases", sePostGre, 0, {"db_name"}},
        {"postgres fields", sePostGre, 2, {"attname"}},
        {"oracle databases", seOracle, 0, {"DB_NAME"}},
        {"oracle tables", seOracleMS, 1, {"TABLE_NAME"}},
        {"oracle fields", seOracle, 2, {"COLUMN_NAME"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        open(c.engine);
        const int answer = c.answerColumn;
        auto row = [&](const char *value) {
            std::vector<std::optional<std::string>> cells(c.columns.size(), std::string("other"));
            cells[size_t(answer)] = value ? std::optional<std::string>(value) : std::nullopt;
            return cells;
        };
        // Names as the provider returns them: blanks kept, a null as empty text.
        server().rows(c.columns, {row("ORDERS   "), row(nullptr), row("b")});
        TStringList l;
        l.Add("stale");
        if (c.which == 0)
            connection.ListDataBases(&l);
        else if (c.which == 1)
            connection.ListTables(&l, kDb);
        else
            connection.ListFields(&l, kDb, kTable);
        EXPECT_EQ(l.items(), (std::vector<std::string>{"ORDERS   ", "", "b"}));
        server().reset();
    }
}

// PostgreSQL reads schema and table: tables of "public" by their bare name
// (as the catalogue gives it), the others as schema.table written as SQL.
TEST_F(CatalogueTest, PostgresListsTablesOutsidePublicWithTheirSchema)
{
    open(sePostGre);
    server().rows({"TABLE_SCHEMA", "TABLE_NAME"}, {{"public", "ORDERS   "},
                                                   {"public", "q1 totals"},
                                                   {"sales", "orders"},
                                                   {"Sales", "Order Lines"},
                                                   {"public", "sales.orders"},
                                                   {std::nullopt, "b"}});
    TStringList l;
    l.Add("stale");
    connection.ListTables(&l, kDb);
    EXPECT_EQ(l.items(), (std::vector<std::string>{"ORDERS   ", "q1 totals", "sales.orders", "\"Sales\".\"Order Lines\"",
                                                   "\"sales.orders\"", "b"}));
    // Without either column the list stays as it was.
    for (const char *only : {"table_name", "table_schema"}) {
        server().rows({only}, {{"x"}});
        connection.ListTables(&l, kDb);
        EXPECT_EQ(l.Count(), 6) << only;
    }
}

TEST_F(CatalogueTest, AnswerWithoutTheColumnOrAFailingStatementLeavesTheList)
{
    open(sePostGre);
    TStringList l;
    l.Add("kept");
    server().rows({"datname"}, {{"postgres"}});
    connection.ListDataBases(&l);
    EXPECT_EQ(l.items(), std::vector<std::string>{"kept"});

    server().fail("ERROR:  relation \"pg_user\" does not exist");
    try {
        connection.ListDataBases(&l);
        FAIL() << "the statement should fail";
    } catch (const ado::EProviderError &e) {
        EXPECT_STREQ(e.what(), "ERROR:  relation \"pg_user\" does not exist");
    }
    EXPECT_EQ(l.items(), std::vector<std::string>{"kept"});
}

TEST_F(CatalogueTest, FillListByIndexOutsideTheColumnsLeavesTheList)
{
    open(seMSSQL);
    server().rows({"a", "b"}, {{"1", "2"}});
    connection.MSSQLCommands()->ListDataBases(nullptr); // no list: nothing to fill
    ado::TADODataSet *query = connection.MSSQLCommands()->Query();
    TStringList l;
    l.Add("kept");
    for (int index : {-1, 2}) {
        TqdGenericSQLCommands::FillListByIndex(query, &l, index);
        EXPECT_EQ(l.items(), std::vector<std::string>{"kept"}) << index;
    }
    TqdGenericSQLCommands::FillListByIndex(query, &l, 1);
    EXPECT_EQ(l.items(), std::vector<std::string>{"2"});
    TqdGenericSQLCommands::FillListByName(nullptr, &l, "a");
    TqdGenericSQLCommands::FillListByName(query, nullptr, "a");
    EXPECT_EQ(l.items(), std::vector<std::string>{"2"});
}

// SQL Server and Compact: a yes only for exactly one row, a type only from exactly one row.
TEST_F(CatalogueTest, ExactlyOneRowAnswers)
{
    const struct {
        TqdServerEngine engine;
        const char *typeColumn;
    } engines[] = {{seMSSQL, "name"}, {seMSCE35, "DATA_TYPE"}};
    for (const auto &e : engines) {
        SCOPED_TRACE(engineName(e.engine));
        open(e.engine);
        TqdGenericSQLCommands *commands = e.engine == seMSSQL ? static_cast<TqdGenericSQLCommands *>(
                                                                    connection.MSSQLCommands())
                                                              : connection.MSSQLCECommands();
        for (int rows : {0, 1, 2}) {
            std::vector<std::vector<std::optional<std::string>>> data(size_t(rows), {std::string("int")});
            server().rows({e.typeColumn}, data);
            EXPECT_EQ(commands->GetFieldType(kDb, kTable, kField), rows == 1 ? "int" : "") << rows;
            if (e.engine == seMSSQL) {
                server().rows({"NAME"}, data);
                EXPECT_EQ(commands->TableExists(kDb, kTable), rows == 1) << rows;
                server().rows({"NAME"}, data);
                EXPECT_EQ(commands->FieldExists(kDb, kTable, kField), rows == 1) << rows;
                server().rows({"DB_NAME"}, data);
                EXPECT_EQ(commands->DataBaseExists(kDb), rows == 1) << rows;
            }
        }
        server().rows({"other"}, {{"int"}});
        try {
            commands->GetFieldType(kDb, kTable, kField);
            FAIL() << "a missing type column should fail";
        } catch (const ado::EDatabaseError &err) {
            EXPECT_EQ(err.message(), std::string("Field '") + e.typeColumn + "' not found");
        }
    }
}

TEST_F(CatalogueTest, OracleTypeIsTheFirstRow)
{
    open(seOracle);
    TqdOracleCommands *commands = connection.OracleCommands();
    server().rows({"DATA_TYPE"}, {{"NUMBER"}, {"VARCHAR2"}});
    EXPECT_EQ(commands->GetFieldType(kDb, kTable, kField), "NUMBER");
    server().rows({"DATA_TYPE"});
    EXPECT_EQ(commands->GetFieldType(kDb, kTable, kField), "");
    server().rows({"TYPE"});
    EXPECT_THROW(commands->GetFieldType(kDb, kTable, kField), ado::EDatabaseError);
}

TEST_F(CatalogueTest, MySqlTypeIsTheRowOfTheField)
{
    open(seMySQL);
    TqdMySQLCommands *commands = connection.MySQLCommands();
    const std::vector<std::vector<std::optional<std::string>>> columns = {{"id", "int(11)"}, {"name", "varchar(20)"}};
    const struct {
        const char *field;
        std::vector<std::string> resultColumns;
        const char *expected;
    } cases[] = {
        {"name", {"Field", "Type"}, "varchar(20)"},
        {"NAME", {"Field", "Type"}, ""}, // the row is found by its exact value
        {"missing", {"Field", "Type"}, ""},
        {"name", {"Field", "Kind"}, ""},
    };
    for (const auto &c : cases) {
        server().rows(c.resultColumns, columns);
        EXPECT_EQ(commands->GetFieldType("db", "t", c.field), c.expected) << c.field;
    }
}

// The membership tests of the list-based engines look names up without regard to case.
TEST_F(CatalogueTest, MembershipIgnoresCase)
{
    open(sePostGre);
    server().rows({"table_schema", "table_name"}, {{"public", "orders"}, {"public", "Items"}});
    EXPECT_TRUE(connection.PostGreCommands()->TableExists("shop", "ORDERS"));
    server().rows({"table_schema", "table_name"}, {{"public", "orders"}});
    EXPECT_FALSE(connection.PostGreCommands()->TableExists("shop", "order"));
    open(seMySQL);
    server().rows({"Database"}, {{"Shop"}});
    EXPECT_TRUE(connection.MySQLCommands()->DataBaseExists("shop"));
    open(seOracle);
    server().rows({"COLUMN_NAME"}, {{"EMPNO"}});
    EXPECT_TRUE(connection.OracleCommands()->FieldExists("SCOTT", "EMP", "empno"));
}

TEST_F(CatalogueTest, SingleDatabaseEnginesHaveEveryDatabase)
{
    for (TqdServerEngine engine : {seFireBird, seMSAccess, seMSCE31, seMSCE35}) {
        SCOPED_TRACE(engineName(engine));
        open(engine);
        TqdGenericSQLCommands *commands = engine == seFireBird ? static_cast<TqdGenericSQLCommands *>(
                                                                     connection.FirebirdCommands())
                                          : engine == seMSAccess ? static_cast<TqdGenericSQLCommands *>(
                                                                       connection.MSAccessCommands())
                                                                 : connection.MSSQLCECommands();
        for (const char *name : {"", "anything", "it's"})
            EXPECT_TRUE(commands->DataBaseExists(name)) << name;
        EXPECT_TRUE(server().statements.empty());
    }
}

TEST_F(CatalogueTest, AccessNamesComeSortedFromTheLayer)
{
    server().tables = {"Orders", "customers", "Audit view", "audit"};
    server().fields["Orders"] = {"ship_to", "Id", "amount"};
    connection.DBEngine = seMSAccess;
    connection.ServerName = "/data/shop.mdb";
    connection.ReConnect();
    connection.DisConnect(); // the name lists open it again by themselves
    int connects = 0;
    connection.OnConnect = [&](TqdServerConnection *) { ++connects; };

    TStringList tables;
    tables.Add("stale");
    connection.ListDataBases(&tables);
    EXPECT_EQ(tables.items(), (std::vector<std::string>{"audit", "Audit view", "customers", "Orders"}));
    EXPECT_TRUE(tables.Sorted());
    tables.Add("Bills");
    EXPECT_EQ(tables[1], "Audit view");
    EXPECT_EQ(tables[2], "Bills");

    TStringList fields;
    connection.ListFields(&fields, "ignored", "Orders");
    EXPECT_EQ(fields.items(), (std::vector<std::string>{"amount", "Id", "ship_to"}));
    EXPECT_EQ(connects, 0);
    EXPECT_TRUE(connection.Connected());

    TqdMSAccessCommands *commands = connection.MSAccessCommands();
    EXPECT_TRUE(commands->TableExists("", "ORDERS"));
    EXPECT_FALSE(commands->TableExists("", "Order"));
    EXPECT_TRUE(commands->FieldExists("", "Orders", "id"));
    EXPECT_TRUE(server().statements.empty());
    commands->ListTables(nullptr, "");
}

TEST_F(CatalogueTest, AccessHasNoFieldTypes)
{
    open(seMSAccess);
    try {
        connection.MSAccessCommands()->GetFieldType("", "Orders", "Id");
        FAIL() << "GetFieldType should not be supported";
    } catch (const ado::EDatabaseError &) {
        FAIL() << "not a data-access error";
    } catch (const ado::Exception &e) {
        EXPECT_STREQ(e.what(), "Operation GetFieldType not supported in engine seMSAccess");
    }
}

} // namespace
