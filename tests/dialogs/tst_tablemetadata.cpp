// The database metadata window: schema row sets of its own connection, the
// wait box around the request, the column width rule, release on close.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>

#include <functional>

#include "dialogs_fixture.h"
#include "f_TableMetaData.h"
#include "f_WaitBox.h"
#include "o_DBGrid.h"

using dialogs_test::RecordedPrompts;

namespace {

// A provider that answers schema requests from memory and notes whether the
// wait box was up while it was asked. Indexes it refuses.
struct SchemaProbe {
    int requests = 0;
    bool waitBoxUpDuringRequest = false;
};
SchemaProbe g_probe;

const char *const LongFieldName = "A_FIELD_NAME_FAR_WIDER_THAN_THE_WIDEST_COLUMN_THE_WINDOW_ALLOWS";

class ProbeConnection : public ado::ProviderConnection {
public:
    void open() override { m_open = true; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    ado::ExecResult execute(const std::string &) override { return {}; }
    std::unique_ptr<ado::RowSet> openSchema(ado::SchemaEnum kind, const ado::SchemaRestrictions &) override
    {
        ++g_probe.requests;
        g_probe.waitBoxUpDuringRequest = CurrentWaitBox() != nullptr && CurrentWaitBox()->isVisible();
        if (kind == ado::adSchemaIndexes)
            throw ado::EProviderError("indexes are not offered here");
        auto rows = std::make_unique<ado::MemoryRowSet>(std::vector<std::string>{"K", LongFieldName});
        rows->addRow({std::to_string(int(kind)), std::string("x")});
        return rows;
    }
    void cancel() override {}

private:
    bool m_open = false;
};

const bool probeInstalled = [] {
    ado::ProviderRegistry::instance().registerProvider(
        "Tabulon.Test.SchemaProbe", [](const ado::ConnectionString &) { return std::make_unique<ProbeConnection>(); });
    return true;
}();

void useProbe(TqdServerConnection &c)
{
    c.UseCustomConnectionString = true;
    c.CustomConnectionString = "Provider=Tabulon.Test.SchemaProbe;";
}

int positionOf(ado::SchemaEnum kind)
{
    const ado::SchemaEnum order[] = {ado::adSchemaTables, ado::adSchemaColumns, ado::adSchemaIndexes,
                                     ado::adSchemaForeignKeys, ado::adSchemaPrimaryKeys};
    for (int i = 0; i < 5; ++i)
        if (order[i] == kind)
            return i;
    return -1;
}

std::vector<std::string> columnValues(const ado::TADODataSet *ds, const std::string &field)
{
    std::vector<std::string> out;
    const ado::RowSet *rows = ds->rowSet();
    const int f = rows ? rows->fieldIndex(field) : -1;
    for (long long r = 0; f >= 0 && r < rows->rowCount(); ++r)
        out.push_back(rows->value(r, f));
    return out;
}

bool containsNoCase(const std::vector<std::string> &values, const std::string &wanted)
{
    for (const std::string &v : values)
        if (QString::fromStdString(v).compare(QString::fromStdString(wanted), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

class TableMetadataTest : public ::testing::Test {
protected:
    void SetUp() override { g_probe = {}; }
    void TearDown() override
    {
        HideWaitBox();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    RecordedPrompts prompts;
};

TEST_F(TableMetadataTest, OpeningCopiesTheConnectionAndSetsTheCaption)
{
    QWidget owner;
    TqdServerConnection root;
    useProbe(root);
    root.ServerName = "srv";
    root.UserName = "u";
    TFrmTableMetadata *window = OpenTableMetadataWindow(&owner, &root, " srv (u)");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "MetaData for  srv (u)");
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->windowType(), Qt::Window);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window->parentWidget(), &owner);
    EXPECT_NE(window->ServerConnection, &root);
    EXPECT_EQ(window->ServerConnection->ServerName, "srv");
    EXPECT_TRUE(window->ServerConnection->UseCustomConnectionString);
    EXPECT_FALSE(window->ServerConnection->Connected()) << "unconnected until the first Show";
    EXPECT_EQ(window->cmbTableMetaData->currentIndex(), -1);
    const QStringList kinds{"Tables & Views", "Columns", "Indexes", "Foreign Keys", "Primary Keys"};
    for (int i = 0; i < kinds.size(); ++i)
        EXPECT_EQ(window->cmbTableMetaData->itemText(i), kinds[i]);

    TFrmTableMetadata *second = OpenTableMetadataWindow(&owner, &root, "other");
    EXPECT_NE(second, window);
    EXPECT_NE(second->ServerConnection, window->ServerConnection);
}

TEST_F(TableMetadataTest, ShowWithoutAKindDoesNothing)
{
    TqdServerConnection root;
    useProbe(root);
    TFrmTableMetadata *window = OpenTableMetadataWindow(nullptr, &root, "n");
    window->btnShowMetaData->click();
    window->cmbTableMetaData->setEditText("Views only"); // typed text that names no kind
    window->btnShowMetaData->click();
    EXPECT_FALSE(window->ServerConnection->Connected());
    EXPECT_EQ(g_probe.requests, 0);
    EXPECT_EQ(window->dsTableMetaData->DataSet(), nullptr);
    EXPECT_TRUE(prompts.messages.empty());
    window->close();
}

TEST_F(TableMetadataTest, ShowAsksAgainUnderTheWaitBoxAndReplacesTheGrid)
{
    TqdServerConnection root;
    useProbe(root);
    TFrmTableMetadata *window = OpenTableMetadataWindow(nullptr, &root, "n");
    window->cmbTableMetaData->setCurrentIndex(positionOf(ado::adSchemaColumns));
    window->btnShowMetaData->click();
    EXPECT_TRUE(window->ServerConnection->Connected());
    EXPECT_TRUE(g_probe.waitBoxUpDuringRequest);
    EXPECT_EQ(CurrentWaitBox(), nullptr);
    ado::TADODataSet *first = window->dsTableMetaData->DataSet();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(columnValues(first, "K"), std::vector<std::string>{"4"});
    EXPECT_EQ(window->DBGrid1->model()->columnCount(), 2);
    EXPECT_EQ(window->DBGrid1->model()->headerData(1, Qt::Horizontal).toString(), LongFieldName);

    window->btnShowMetaData->click();
    EXPECT_EQ(g_probe.requests, 2);
    EXPECT_NE(window->dsTableMetaData->DataSet(), first);
    EXPECT_TRUE(prompts.messages.empty());
    window->close();
}

TEST_F(TableMetadataTest, WideColumnsAreNarrowedAfterTheGridFitsThem)
{
    TqdServerConnection root;
    useProbe(root);
    TFrmTableMetadata *window = OpenTableMetadataWindow(nullptr, &root, "n");
    window->cmbTableMetaData->setCurrentIndex(positionOf(ado::adSchemaTables));
    window->btnShowMetaData->click();

    // The same row set in a plain grid shows the widths the grid itself chose.
    ado::TDataSource plainSource;
    plainSource.SetDataSet(window->dsTableMetaData->DataSet());
    TDBGrid plain;
    plain.SetDataSource(&plainSource);
    ASSERT_GT(plain.columnWidth(1), TFrmTableMetadata::MaxColumnWidth) << "fixture: the long title needs room";
    ASSERT_LT(plain.columnWidth(0), TFrmTableMetadata::MaxColumnWidth);
    EXPECT_EQ(window->DBGrid1->columnWidth(0), plain.columnWidth(0));
    EXPECT_EQ(window->DBGrid1->columnWidth(1), TFrmTableMetadata::MaxColumnWidth);
    plain.SetDataSource(nullptr);
    window->close();
}

TEST_F(TableMetadataTest, NarrowingKeepsColumnsUpToTheLimit)
{
    QStandardItemModel model(1, 4);
    QTableView grid;
    grid.setModel(&model);
    const int before[] = {60, 140, 141, 400};
    const int after[] = {60, 140, 140, 140};
    for (int i = 0; i < 4; ++i)
        grid.setColumnWidth(i, before[i]);
    narrowColumns(&grid, 140);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(grid.columnWidth(i), after[i]) << "column " << i;
}

TEST_F(TableMetadataTest, FailuresReachTheErrorBoxAndLeaveTheGrid)
{
    TqdServerConnection root;
    useProbe(root);
    TFrmTableMetadata *window = OpenTableMetadataWindow(nullptr, &root, "n");
    window->cmbTableMetaData->setCurrentIndex(positionOf(ado::adSchemaTables));
    window->btnShowMetaData->click();
    ado::TADODataSet *shown = window->dsTableMetaData->DataSet();
    const int width = window->DBGrid1->columnWidth(1);

    window->cmbTableMetaData->setCurrentIndex(positionOf(ado::adSchemaIndexes));
    window->btnShowMetaData->click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "indexes are not offered here.");
    EXPECT_EQ(prompts.messages[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(g_probe.waitBoxUpDuringRequest);
    EXPECT_EQ(CurrentWaitBox(), nullptr) << "the wait box goes also when the request fails";
    EXPECT_EQ(window->dsTableMetaData->DataSet(), shown);
    EXPECT_EQ(window->DBGrid1->columnWidth(1), width);
    window->close();

    // A connection that cannot open: the error, and no wait box was shown.
    TqdServerConnection nowhere; // no engine: an empty connection string
    TFrmTableMetadata *failing = OpenTableMetadataWindow(nullptr, &nowhere, "n");
    failing->cmbTableMetaData->setCurrentIndex(0);
    g_probe = {};
    failing->btnShowMetaData->click();
    EXPECT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(g_probe.requests, 0);
    EXPECT_EQ(CurrentWaitBox(), nullptr);
    EXPECT_FALSE(failing->ServerConnection->Connected());
    EXPECT_EQ(failing->dsTableMetaData->DataSet(), nullptr);
    failing->close();
}

TEST_F(TableMetadataTest, ClosingReleasesTheWindowItsConnectionAndRowSets)
{
    TqdServerConnection root;
    useProbe(root);
    QPointer<TFrmTableMetadata> window = OpenTableMetadataWindow(nullptr, &root, "n");
    window->cmbTableMetaData->setCurrentIndex(0);
    window->btnShowMetaData->click();
    window->btnShowMetaData->click();
    QPointer<TqdServerConnection> connection = window->ServerConnection;
    QPointer<ado::TDataSource> source = window->dsTableMetaData;
    EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(connection.isNull());
    EXPECT_TRUE(source.isNull());
    EXPECT_TRUE(prompts.messages.empty());
}

// Every kind against the real engines, on a parent and a child table joined by a foreign key.
struct EngineCase {
    const char *name;
    std::function<bool()> available;
    std::function<void(TqdServerConnection &)> setUp; // settings, and the tables when needed
    std::string parent, child;
};

class EngineSchemaTest : public TableMetadataTest, public ::testing::WithParamInterface<EngineCase> {};

TEST_P(EngineSchemaTest, EveryKindShowsTheTables)
{
    const EngineCase &c = GetParam();
    ASSERT_TRUE(c.available()) << "the test server for " << c.name
                               << " is not running: run the suite through the README's test command";
    TqdServerConnection root;
    c.setUp(root);
    TFrmTableMetadata *window = OpenTableMetadataWindow(nullptr, &root, "node");
    struct Kind {
        ado::SchemaEnum kind;
        const char *field;
        std::string table;
    };
    const Kind kinds[] = {
        {ado::adSchemaTables, "TABLE_NAME", c.parent},   {ado::adSchemaColumns, "TABLE_NAME", c.child},
        {ado::adSchemaIndexes, "TABLE_NAME", c.parent},  {ado::adSchemaForeignKeys, "FK_TABLE_NAME", c.child},
        {ado::adSchemaPrimaryKeys, "TABLE_NAME", c.child},
    };
    for (const Kind &k : kinds) {
        SCOPED_TRACE(window->cmbTableMetaData->itemText(positionOf(k.kind)).toStdString());
        prompts.messages.clear();
        window->cmbTableMetaData->setCurrentIndex(positionOf(k.kind));
        window->btnShowMetaData->click();
        for (const auto &m : prompts.messages)
            ADD_FAILURE() << "message: " << m.text.toStdString();
        const ado::TADODataSet *ds = window->dsTableMetaData->DataSet();
        ASSERT_NE(ds, nullptr);
        EXPECT_TRUE(containsNoCase(columnValues(ds, k.field), k.table)) << k.field << " lacks " << k.table;
        ASSERT_EQ(window->DBGrid1->model()->columnCount(), ds->FieldCount());
        for (int i = 0; i < ds->FieldCount(); ++i)
            EXPECT_LE(window->DBGrid1->columnWidth(i), TFrmTableMetadata::MaxColumnWidth);
    }
    EXPECT_TRUE(window->ServerConnection->Connected());
    EXPECT_FALSE(root.Connected()) << "the window works on a connection of its own";
    window->close();
}

INSTANTIATE_TEST_SUITE_P(
    Engines, EngineSchemaTest,
    ::testing::Values(
        EngineCase{"PostgreSQL", testenv::pgAvailable,
                   [](TqdServerConnection &c) {
                       testenv::pgExec("drop table if exists tmd_child, tmd_parent;\n" +
                                       dialogs_test::parentChildDdl("tmd_"));
                       c.DBEngine = sePostGre;
                       c.ServerName = testenv::pgSocket();
                       c.Port = testenv::pgPort();
                       c.UserName = testenv::pgUser();
                       c.Password = testenv::pgPassword();
                       c.DataBaseName = testenv::pgDatabase();
                   },
                   "tmd_parent", "tmd_child"},
        EngineCase{"MariaDB", testenv::myAvailable,
                   [](TqdServerConnection &c) {
                       testenv::myExec("drop table if exists tmd_child, tmd_parent;\n" +
                                           dialogs_test::parentChildDdl("tmd_"),
                                       testenv::myDatabase());
                       c.DBEngine = seMySQL;
                       c.ServerName = testenv::mySocket();
                       c.Port = testenv::myPort();
                       c.UserName = testenv::myUser();
                       c.Password = testenv::myPassword();
                       c.DataBaseName = testenv::myDatabase();
                   },
                   "tmd_parent", "tmd_child"},
        EngineCase{"embedded_Firebird", [] { return true; },
                   [](TqdServerConnection &c) {
                       c.DBEngine = seFireBird;
                       c.ServerName = dialogs_test::createFirebirdDatabase(dialogs_test::parentChildDdl("tmd_"));
                       c.UserName = "SYSDBA";
                       c.Password = "masterkey";
                   },
                   "tmd_parent", "tmd_child"},
        EngineCase{"SQLite", [] { return true; },
                   [](TqdServerConnection &c) {
                       c.DBEngine = seSQLite;
                       c.ServerName = dialogs_test::createSQLiteDatabase(dialogs_test::parentChildDdl("tmd_"));
                   },
                   "tmd_parent", "tmd_child"},
        EngineCase{"Access", [] { return true; },
                   [](TqdServerConnection &c) {
                       c.DBEngine = seMSAccess;
                       c.ServerName = testenv::accessFixtureDir() + "/indexTestV2000.mdb";
                   },
                   "Table2", "Table1"}),
    [](const ::testing::TestParamInfo<EngineCase> &info) { return std::string(info.param.name); });

} // namespace
