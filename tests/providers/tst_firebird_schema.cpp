// Schema row sets and catalogue statements of the Firebird provider, and a
// result of a million rows, on an embedded database made for each test.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include <QProcess>

#include "ado_errors.h"
#include "provider.h"
#include "providers/firebird/fb_client.h"
#include "providers/firebird/fb_rowset.h"
#include "testenv.h"

namespace {

class FirebirdSchemaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int serial = 0;
        std::string path = testenv::tempDir() + "/schema" + std::to_string(++serial) + ".fdb";
        ado::fb::createDatabase(path, "UTF8");
        m_db = ado::ProviderRegistry::instance().create(
            "Provider=LCPI.IBProvider.3.Free;Password=;Persist Security Info=True;User ID=;Data Source=\"\";"
            "Location=" + path + ";ctype=NONE;dbclient_library=\"\";auto_commit=true");
        m_db->open();
        for (const char *sql : {
                 "create table zoo (zeta integer not null primary key, alpha varchar(30) default 'none',"
                 " mid numeric(9, 3) not null)",
                 "create table keeper (id integer not null, zoo_id integer, name char(10),"
                 " constraint pk_keeper primary key (id),"
                 " constraint fk_keeper_zoo foreign key (zoo_id) references zoo (zeta) on delete cascade)",
                 "create unique index keeper_name on keeper (name, id)",
                 "create view zoo_names as select alpha from zoo",
             })
            m_db->execute(sql);
    }

    // The rows of a schema row set whose column `key` equals `value`, as
    // "COL=text" lists of the named columns.
    std::vector<std::string> rowsOf(ado::SchemaEnum kind, const char *key, const std::string &value,
                                    std::vector<const char *> columns)
    {
        auto rows = m_db->openSchema(kind, {});
        int keyField = rows->fieldIndex(key);
        EXPECT_GE(keyField, 0) << key;
        std::vector<std::string> out;
        for (long long r = 0; r < rows->rowCount(); ++r) {
            if (rows->value(r, keyField) != value)
                continue;
            std::string line;
            for (const char *c : columns) {
                int f = rows->fieldIndex(c);
                EXPECT_GE(f, 0) << c;
                line += std::string(line.empty() ? "" : " ") + c + "=" + (rows->isNull(r, f) ? "<null>" : rows->value(r, f));
            }
            out.push_back(line);
        }
        return out;
    }

    std::unique_ptr<ado::ProviderConnection> m_db;
};

using Lines = std::vector<std::string>;

TEST_F(FirebirdSchemaTest, TablesListUserTablesViewsAndSystemRelations)
{
    const std::vector<const char *> cols = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_TYPE"};
    EXPECT_EQ(rowsOf(ado::adSchemaTables, "TABLE_NAME", "ZOO", cols),
              Lines{"TABLE_CATALOG=<null> TABLE_SCHEMA=<null> TABLE_TYPE=TABLE"});
    EXPECT_EQ(rowsOf(ado::adSchemaTables, "TABLE_NAME", "ZOO_NAMES", {"TABLE_TYPE"}), Lines{"TABLE_TYPE=VIEW"});
    EXPECT_EQ(rowsOf(ado::adSchemaTables, "TABLE_NAME", "RDB$RELATIONS", {"TABLE_TYPE"}),
              Lines{"TABLE_TYPE=SYSTEM TABLE"});
    EXPECT_EQ(m_db->tableNames(), (Lines{"KEEPER", "ZOO", "ZOO_NAMES"}));
    auto restricted = m_db->openSchema(ado::adSchemaTables, {"", "", "KEEPER"});
    ASSERT_EQ(restricted->rowCount(), 1);
    EXPECT_EQ(restricted->value(0, restricted->fieldIndex("TABLE_NAME")), "KEEPER");
}

TEST_F(FirebirdSchemaTest, ColumnsInPositionWithTypesAndDefaults)
{
    EXPECT_EQ(rowsOf(ado::adSchemaColumns, "TABLE_NAME", "ZOO",
                     {"COLUMN_NAME", "ORDINAL_POSITION", "COLUMN_DEFAULT", "IS_NULLABLE", "DATA_TYPE",
                      "CHARACTER_MAXIMUM_LENGTH", "NUMERIC_PRECISION", "NUMERIC_SCALE"}),
              (Lines{
                  "COLUMN_NAME=ZETA ORDINAL_POSITION=1 COLUMN_DEFAULT=<null> IS_NULLABLE=FALSE DATA_TYPE=3 "
                  "CHARACTER_MAXIMUM_LENGTH=<null> NUMERIC_PRECISION=10 NUMERIC_SCALE=0",
                  "COLUMN_NAME=ALPHA ORDINAL_POSITION=2 COLUMN_DEFAULT='none' IS_NULLABLE=TRUE DATA_TYPE=129 "
                  "CHARACTER_MAXIMUM_LENGTH=30 NUMERIC_PRECISION=<null> NUMERIC_SCALE=<null>",
                  "COLUMN_NAME=MID ORDINAL_POSITION=3 COLUMN_DEFAULT=<null> IS_NULLABLE=FALSE DATA_TYPE=131 "
                  "CHARACTER_MAXIMUM_LENGTH=<null> NUMERIC_PRECISION=9 NUMERIC_SCALE=3",
              }));
    EXPECT_EQ(m_db->fieldNames("ZOO"), (Lines{"ZETA", "ALPHA", "MID"}));
    EXPECT_EQ(m_db->fieldNames("ZOO_NAMES"), (Lines{"ALPHA"}));
    EXPECT_EQ(m_db->fieldNames("NO_SUCH"), Lines{});
}

TEST_F(FirebirdSchemaTest, KeysAndIndexes)
{
    EXPECT_EQ(rowsOf(ado::adSchemaPrimaryKeys, "TABLE_NAME", "KEEPER", {"COLUMN_NAME", "ORDINAL", "PK_NAME"}),
              Lines{"COLUMN_NAME=ID ORDINAL=1 PK_NAME=PK_KEEPER"});
    EXPECT_EQ(rowsOf(ado::adSchemaForeignKeys, "FK_TABLE_NAME", "KEEPER",
                     {"PK_TABLE_NAME", "PK_COLUMN_NAME", "FK_COLUMN_NAME", "ORDINAL", "UPDATE_RULE", "DELETE_RULE",
                      "FK_NAME", "PK_NAME"}),
              Lines{"PK_TABLE_NAME=ZOO PK_COLUMN_NAME=ZETA FK_COLUMN_NAME=ZOO_ID ORDINAL=1 UPDATE_RULE=NO ACTION "
                    "DELETE_RULE=CASCADE FK_NAME=FK_KEEPER_ZOO PK_NAME=" +
                    rowsOf(ado::adSchemaPrimaryKeys, "TABLE_NAME", "ZOO", {"PK_NAME"}).at(0).substr(8)});
    Lines indexes = rowsOf(ado::adSchemaIndexes, "TABLE_NAME", "KEEPER",
                           {"INDEX_NAME", "PRIMARY_KEY", "UNIQUE", "COLUMN_NAME", "ORDINAL_POSITION"});
    EXPECT_EQ(indexes, (Lines{
                           "INDEX_NAME=FK_KEEPER_ZOO PRIMARY_KEY=FALSE UNIQUE=FALSE COLUMN_NAME=ZOO_ID ORDINAL_POSITION=1",
                           "INDEX_NAME=KEEPER_NAME PRIMARY_KEY=FALSE UNIQUE=TRUE COLUMN_NAME=NAME ORDINAL_POSITION=1",
                           "INDEX_NAME=KEEPER_NAME PRIMARY_KEY=FALSE UNIQUE=TRUE COLUMN_NAME=ID ORDINAL_POSITION=2",
                           "INDEX_NAME=PK_KEEPER PRIMARY_KEY=TRUE UNIQUE=TRUE COLUMN_NAME=ID ORDINAL_POSITION=1",
                       }));
}

TEST_F(FirebirdSchemaTest, UnknownKindIsTheLayersOwnError)
{
    try {
        m_db->openSchema(ado::SchemaEnum(5), {});
        FAIL() << "no error";
    } catch (const ado::EADOError &e) {
        EXPECT_EQ(e.message(), "Invalid Enum Value");
    }
}

// The catalogue's table and field lists, as the program sends them: blank-padded
// lines, each ended by CR LF.
std::string padded(std::initializer_list<const char *> lines, size_t width)
{
    std::string out;
    for (const char *line : lines) {
        std::string l = line;
        if (l.size() < width)
            l.append(width - l.size(), ' ');
        out += l + "\r\n";
    }
    return out;
}

TEST_F(FirebirdSchemaTest, CatalogueStatementsGivePaddedNamesInOrder)
{
    auto tables = m_db->execute(padded({"select rdb$relation_name as TABLE_NAME", "from rdb$relations",
                                        "where rdb$view_blr is null",
                                        "and (rdb$system_flag is null or rdb$system_flag = 0)", "order by 1"},
                                       52))
                      .rows;
    ASSERT_TRUE(tables);
    int name = tables->fieldIndex("TABLE_NAME");
    ASSERT_EQ(tables->rowCount(), 2);
    // RDB$ names are CHAR(31) in this version: the blanks come along.
    EXPECT_EQ(tables->value(0, name), "KEEPER" + std::string(25, ' '));
    EXPECT_EQ(tables->value(1, name), "ZOO" + std::string(28, ' '));

    auto fields = m_db->execute(padded({"select f.rdb$relation_name as TABLE_NAME, f.rdb$field_name as FIELD_NAME",
                                        "from rdb$relation_fields f",
                                        "join rdb$relations r on f.rdb$relation_name = r.rdb$relation_name",
                                        "and r.rdb$view_blr is null",
                                        "and (r.rdb$system_flag is null or r.rdb$system_flag = 0)",
                                        "where f.rdb$relation_name  = 'ZOO'", "order by 1, f.rdb$field_position"},
                                       72))
                      .rows;
    ASSERT_TRUE(fields);
    int field = fields->fieldIndex("FIELD_NAME");
    ASSERT_EQ(fields->rowCount(), 3);
    const char *order[] = {"ZETA", "ALPHA", "MID"};
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(fields->value(r, field), order[r] + std::string(31 - std::strlen(order[r]), ' '));
}

long statusKb(const char *key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + std::strlen(key));
    return -1;
}

TEST_F(FirebirdSchemaTest, AMillionRowsStayCompact)
{
    long rssBefore = statusKb("VmRSS:");
    auto started = std::chrono::steady_clock::now();
    auto result = m_db->execute("execute block returns (n integer, label varchar(20), amount numeric(12, 2),"
                                " stamp timestamp, ratio double precision) as begin n = 0;"
                                " while (n < 1000000) do begin n = n + 1; label = 'row ' || n;"
                                " amount = n / 100.0; stamp = dateadd(n second to timestamp '2000-01-01');"
                                " ratio = n * 1.5e0; suspend; end end");
    double fetched = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_TRUE(result.rows);
    const ado::RowSet &rows = *result.rows;
    ASSERT_EQ(rows.rowCount(), 1000000);
    std::string scratch;
    size_t textBytes = 0;
    started = std::chrono::steady_clock::now();
    for (long long r = 0; r < rows.rowCount(); ++r)
        for (int f = 0; f < rows.fieldCount(); ++f)
            textBytes += rows.text(r, f, scratch).size();
    double read = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(rows.value(999999, 1), "row 1000000");
    EXPECT_EQ(rows.value(999999, 2), "10000.00");
    EXPECT_EQ(rows.value(0, 3), "2000-01-01 00:00:01.0000");
    auto *store = dynamic_cast<const ado::fb::RowStore *>(&rows);
    std::printf("1,000,000 rows x 5 columns: fetched in %.2f s, every cell read as text in %.2f s (%zu bytes of"
                " text); storage %.1f MB; RSS grew %.1f MB; peak RSS %.1f MB\n",
                fetched, read, textBytes, store ? store->storageBytes() / 1e6 : -1.0,
                (statusKb("VmRSS:") - rssBefore) / 1024.0, statusKb("VmHWM:") / 1024.0);
}

TEST(FirebirdSampleDatabase, ScriptBuildsWhatTheProviderReads)
{
    const std::string path = testenv::tempDir() + "/sample/tabulon-sample.fdb";
    for (int run = 0; run < 2; ++run) { // the second run replaces the first file
        QProcess script;
        script.start(TABULON_SOURCE_DIR "/tools/make-sample-db.sh", {QString::fromStdString(path)});
        ASSERT_TRUE(script.waitForFinished(60000));
        ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    }
    auto db = ado::ProviderRegistry::instance().create("Provider=LCPI.IBProvider.3.Free;Location=" + path +
                                                       ";ctype=NONE;auto_commit=true");
    db->open();
    EXPECT_EQ(db->tableNames(), (Lines{"CUSTOMERS", "ORDERS", "PRODUCTS", "ORDER_TOTALS"}));
    auto rows = db->execute("select count(*), max(total) from order_totals").rows;
    EXPECT_EQ(rows->value(0, 0), "15");
    EXPECT_EQ(rows->value(0, 1), "716.00");
    EXPECT_EQ(db->execute("select since, notes from customers where id = 3").rows->value(0, 1),
              "Prefers mail.\nNo calls before 10.");
}

} // namespace
