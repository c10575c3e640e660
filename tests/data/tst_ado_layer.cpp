// The upper level of the data-access layer over a provider that a test
// registers: statements as lines, row sets, fields, data sources.
#include <gtest/gtest.h>

#include "ado.h"

#include <QSignalSpy>

namespace {

struct Recorder {
    std::vector<std::string> statements;
    int opens = 0;
};

class ScriptedConnection : public ado::ProviderConnection {
public:
    explicit ScriptedConnection(Recorder *rec) : m_rec(rec) {}
    void open() override
    {
        ++m_rec->opens;
        m_open = true;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    ado::ExecResult execute(const std::string &statement) override
    {
        m_rec->statements.push_back(statement);
        ado::ExecResult r;
        if (statement.rfind("select", 0) == 0) {
            auto rows = std::make_unique<ado::MemoryRowSet>(std::vector<std::string>{"ID", "Name"});
            rows->addRow({"1", "ann"});
            rows->addRow({"2", std::nullopt});
            rows->addRow({"3", ""});
            r.rows = std::move(rows);
        } else {
            r.recordsAffected = 7;
        }
        return r;
    }
    std::unique_ptr<ado::RowSet> openSchema(ado::SchemaEnum, const ado::SchemaRestrictions &r) override
    {
        auto rows = std::make_unique<ado::MemoryRowSet>(
            std::vector<std::string>{"TABLE_NAME", "TABLE_TYPE", "COLUMN_NAME"});
        rows->addRow({"orders", "TABLE", "id"});
        rows->addRow({"MSysObjects", "SYSTEM TABLE", "x"});
        rows->addRow({"open_orders", "VIEW", "id"});
        rows->addRow({"orders", "TABLE", r.table.empty() ? "none" : "total"});
        return rows;
    }
    void cancel() override {}

private:
    Recorder *m_rec;
    bool m_open = false;
};

class AdoLayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ado::ProviderRegistry::instance().registerProvider(
            "Scripted.Test.1", [this](const ado::ConnectionString &) {
                return std::make_unique<ScriptedConnection>(&rec);
            });
        connection.ConnectionString = "Provider=Scripted.Test.1;Data Source=x";
    }
    void TearDown() override { ado::ProviderRegistry::instance().unregisterProvider("Scripted.Test.1"); }
    Recorder rec;
    ado::TADOConnection connection;
};

} // namespace

TEST_F(AdoLayer, StatementReachesProviderAsLinesEachEndingInCrLf)
{
    ado::TADODataSet query(&connection);
    query.SetCommandText("select *  \rfrom t\nwhere x = 1\r\n");
    query.Open(); // opens the closed connection first
    EXPECT_EQ(rec.opens, 1);
    ASSERT_EQ(rec.statements.size(), 1u);
    EXPECT_EQ(rec.statements[0], "select *  \r\nfrom t\r\nwhere x = 1\r\n");
}

TEST_F(AdoLayer, RowsFieldsAndLocate)
{
    ado::TADODataSet query(&connection);
    query.SetCommandText("select 1");
    query.Open();
    EXPECT_EQ(query.RecordCount(), 3);
    std::vector<std::string> names;
    for (query.First(); !query.Eof(); query.Next())
        names.push_back(query.FieldByName("name").AsString());
    EXPECT_EQ(names, (std::vector<std::string>{"ann", "", ""}));
    query.First();
    query.Next();
    EXPECT_TRUE(query.FieldByName("NAME").IsNull());
    query.Next();
    EXPECT_FALSE(query.FieldByName("Name").IsNull()); // empty text is not null
    EXPECT_FALSE(query.FindField("missing"));
    try {
        query.FieldByName("missing");
        ADD_FAILURE();
    } catch (const ado::EDatabaseError &e) {
        EXPECT_STREQ(e.what(), "Field 'missing' not found");
    }
    EXPECT_TRUE(query.Locate("ID", "2"));
    EXPECT_EQ(query.RecNo(), 1);
    EXPECT_FALSE(query.Locate("ID", "9"));
    EXPECT_EQ(query.RecNo(), 1);
}

TEST_F(AdoLayer, CommandWithoutRowsCannotOpenAsRowSetButExecutes)
{
    ado::TADODataSet query(&connection);
    query.SetCommandText("update t set x = 1");
    try {
        query.Open();
        ADD_FAILURE();
    } catch (const ado::EADOError &) {
        ADD_FAILURE() << "not the layer's own fault";
    } catch (const ado::EDatabaseError &e) {
        EXPECT_STREQ(e.what(), "CommandText does not return a result set");
    }
    int affected = 0;
    connection.Execute("update t set x = 1", affected);
    EXPECT_EQ(affected, 7);
}

TEST_F(AdoLayer, UnknownSchemaKindIsTheLayersOwnError)
{
    ado::TADODataSet schema;
    EXPECT_THROW(connection.OpenSchema(ado::SchemaEnum(99), schema), ado::EADOError);
}

TEST_F(AdoLayer, TableNamesKeepTablesAndViewsOnly)
{
    TStringList list;
    list.Add("stale");
    connection.GetTableNames(list);
    EXPECT_EQ(list.items(), (std::vector<std::string>{"orders", "open_orders", "orders"}));
    TStringList fields;
    connection.GetFieldNames("orders", fields);
    EXPECT_EQ(fields.items(), (std::vector<std::string>{"id", "total"}));
}

TEST_F(AdoLayer, DataSourceLosesADataSetThatIsClosedOrDestroyed)
{
    ado::TDataSource source;
    QSignalSpy spy(&source, &ado::TDataSource::changed);
    auto query = std::make_unique<ado::TADODataSet>(&connection);
    query->SetCommandText("select 1");
    query->Open();
    source.SetDataSet(query.get());
    EXPECT_EQ(spy.count(), 1);
    query->Close();
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(source.DataSet(), query.get());
    query.reset();
    EXPECT_EQ(spy.count(), 3);
    EXPECT_EQ(source.DataSet(), nullptr);
}

TEST_F(AdoLayer, DataSetOutlivesItsConnection)
{
    auto conn = std::make_unique<ado::TADOConnection>();
    conn->ConnectionString = connection.ConnectionString;
    ado::TADODataSet query(conn.get());
    query.SetCommandText("select 1");
    query.Open();
    conn.reset();
    EXPECT_EQ(query.Connection(), nullptr);
    EXPECT_EQ(query.RecordCount(), 3); // the fetched rows stay readable
    EXPECT_THROW(query.Open(), ado::EADOError);
}
