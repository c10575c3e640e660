// Results written to files: whole or not at all, xlsx cells with their
// types, and the table that a SELECT reads for INSERT statements.
#include <gtest/gtest.h>

#include "export/o_ExportFile.h"
#include "o_SQLNames.h"
#include "providers/packed_rows.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

using Cells = std::vector<std::optional<std::string>>;
constexpr std::nullopt_t null = std::nullopt;

// Enough rows that a stop after the first progress report lands midway.
ado::MemoryRowSet manyRows(int count = 20000)
{
    ado::MemoryRowSet rs;
    rs.addField("id", ado::FieldKind::Number);
    rs.addField("text");
    for (int i = 0; i < count; ++i)
        rs.addRow(Cells{std::to_string(i), "row number " + std::to_string(i) + " with some text to fill the file"});
    return rs;
}

QString freshDir()
{
    static int serial = 0;
    const QString dir = QString::fromStdString(testenv::tempDir()) + QStringLiteral("/export%1").arg(++serial);
    QDir().mkpath(dir);
    return dir;
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TExportOutcome write(bool xlsx, const ado::RowSet &rs, const QString &path, const TExportProgress &progress = {})
{
    TExportOptions csv;
    return xlsx ? exportToXlsx(rs, path, nullptr, progress) : exportToFile(rs, csv, path, nullptr, progress);
}

// Lowers the largest file this process may write, for one scope: a write past
// it fails as on a full disk.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = saved;
        lower.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    rlimit saved{};
};

class ExportFileKinds : public ::testing::TestWithParam<bool> {};

TEST_P(ExportFileKinds, StopMidwayLeavesNoFileAndAnExistingFileAsItWas)
{
    const ado::MemoryRowSet rs = manyRows();
    const QString dir = freshDir();
    const QString fresh = dir + QStringLiteral("/fresh.out");
    const QString existing = dir + QStringLiteral("/existing.out");
    testenv::writeBytes(existing, "the old contents\n");

    long long reported = 0;
    const auto stopAfterFirstReport = [&reported](long long rows) {
        reported = rows;
        return false;
    };
    for (const QString &path : {fresh, existing}) {
        SCOPED_TRACE(path.toStdString());
        const TExportOutcome outcome = write(GetParam(), rs, path, stopAfterFirstReport);
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(outcome.cancelled);
        EXPECT_TRUE(outcome.error.isEmpty());
        EXPECT_GT(reported, 0);
        EXPECT_LT(reported, rs.rowCount());
    }
    EXPECT_EQ(filesIn(dir), QStringList{QStringLiteral("existing.out")}); // no temporary file either
    EXPECT_EQ(testenv::readBytes(existing), QByteArray("the old contents\n"));
}

TEST_P(ExportFileKinds, AFailedWriteIsReportedAndLeavesNoFile)
{
    const ado::MemoryRowSet rs = manyRows(200000);
    const QString dir = freshDir();
    const QString path = dir + QStringLiteral("/big.out");
    TExportOutcome outcome;
    {
        const FileSizeLimit limit(64 * 1024);
        outcome = write(GetParam(), rs, path);
    }
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_TRUE(outcome.error.startsWith(QStringLiteral("Cannot write ") + path)) << outcome.error.toStdString();
    EXPECT_TRUE(filesIn(dir).isEmpty()) << filesIn(dir).join(QLatin1Char(' ')).toStdString();
}

TEST_P(ExportFileKinds, AFolderThatCannotBeWrittenIsReported)
{
    const QString path = QStringLiteral("/proc/no-such-folder/out.file");
    const TExportOutcome outcome = write(GetParam(), manyRows(10), path);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.error.startsWith(QStringLiteral("Cannot create ") + path)) << outcome.error.toStdString();
}

TEST_P(ExportFileKinds, ACompleteWriteReplacesAnExistingFile)
{
    const QString dir = freshDir();
    const QString path = dir + QStringLiteral("/out.file");
    testenv::writeBytes(path, "old");
    ado::MemoryRowSet rs;
    rs.addField("a");
    rs.addRow(Cells{"x"});
    long long last = -1;
    const TExportOutcome outcome = write(GetParam(), rs, path, [&last](long long rows) {
        last = rows;
        return true;
    });
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(last, 1);
    EXPECT_EQ(filesIn(dir), QStringList{QStringLiteral("out.file")});
    if (!GetParam())
        EXPECT_EQ(testenv::readBytes(path), QByteArray("a\r\nx\r\n"));
    else
        EXPECT_TRUE(testenv::readBytes(path).startsWith("PK")); // a zip container
}

QByteArray unzipped(const QString &zip, const QString &member);

// A statement's rows as they arrive: appended by another thread, a few at a
// time, while the export reads them; then whole, or stopped short.
struct RowsArrivingMeanwhile {
    ado::PackedRows rows;
    std::thread writer;
    RowsArrivingMeanwhile(int count, ado::Arrival end)
    {
        rows.addField("id", ado::FieldKind::Number);
        rows.addField("text", ado::FieldKind::Text);
        rows.startArriving();
        writer = std::thread([this, count, end] {
            for (int i = 0; i < count; ++i) {
                const std::string id = std::to_string(i), text = "row, \"" + id + "\"";
                rows.appendRow([&](int f, size_t &length) {
                    const std::string &v = f == 0 ? id : text;
                    length = v.size();
                    return v.data();
                });
                if (i % 500 == 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(3));
            }
            rows.endArriving(end);
        });
    }
    ~RowsArrivingMeanwhile() { writer.join(); }
};

TEST_P(ExportFileKinds, RowsStillArrivingAreWrittenUpToTheLastOne)
{
    constexpr int kRows = 6000;
    const QString dir = freshDir();
    const QString path = dir + QStringLiteral("/arriving.out");
    RowsArrivingMeanwhile arriving(kRows, ado::Arrival::Whole);
    long long reported = 0;
    const TExportOutcome outcome = write(GetParam(), arriving.rows, path, [&reported](long long rows) {
        reported = rows;
        return true;
    });
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(reported, kRows);
    if (GetParam()) {
        const QByteArray sheet = unzipped(path, QStringLiteral("xl/worksheets/sheet1.xml"));
        EXPECT_TRUE(sheet.contains("<row r=\"6001\"")) << "the last row is missing";
        EXPECT_FALSE(sheet.contains("<row r=\"6002\""));
        return;
    }
    QByteArray expected = "id,text\r\n";
    for (int i = 0; i < kRows; ++i)
        expected += QByteArray::number(i) + ",\"row, \"\"" + QByteArray::number(i) + "\"\"\"\r\n";
    EXPECT_EQ(testenv::readBytes(path), expected);
}

TEST_P(ExportFileKinds, RowsThatStopArrivingShortLeaveNoFile)
{
    const QString dir = freshDir();
    const QString path = dir + QStringLiteral("/stopped.out");
    RowsArrivingMeanwhile arriving(3000, ado::Arrival::Stopped);
    const TExportOutcome outcome = write(GetParam(), arriving.rows, path);
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_TRUE(outcome.error.contains(QStringLiteral("stopped before its last row"))) << outcome.error.toStdString();
    EXPECT_TRUE(filesIn(dir).isEmpty()) << filesIn(dir).join(QLatin1Char(' ')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(TextAndWorkbook, ExportFileKinds, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) { return info.param ? "xlsx" : "text"; });

QByteArray unzipped(const QString &zip, const QString &member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, member});
    EXPECT_TRUE(unzip.waitForFinished(10000));
    return unzip.readAllStandardOutput();
}

TEST(ExportXlsx, CellsKeepTheirTypes)
{
    ado::MemoryRowSet rs;
    rs.addField("n", ado::FieldKind::Number);
    rs.addField("t");
    rs.addField("b", ado::FieldKind::Boolean);
    rs.addRow(Cells{"42", "a <b> & \"c\"", "t"});
    rs.addRow(Cells{"-0.25", "", "f"});
    rs.addRow(Cells{null, null, null});
    rs.addRow(Cells{"12345678901234567890.5", "Gr\xC3\xBC\xC3\x9F" "e", null}); // too many digits for a double
    rs.addRow(Cells{"NaN", "line\nbreak", null});
    const QString path = freshDir() + QStringLiteral("/types.xlsx");
    const TExportOutcome outcome = exportToXlsx(rs, path);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();

    const QString sheet = QString::fromUtf8(unzipped(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    ASSERT_FALSE(sheet.isEmpty());
    // Strings may sit in the sheet or in the shared table; resolve either.
    const QString shared = QString::fromUtf8(unzipped(path, QStringLiteral("xl/sharedStrings.xml")));
    const auto cell = [&](const QString &ref) -> QString {
        const qsizetype at = sheet.indexOf(QStringLiteral("<c r=\"%1\"").arg(ref));
        if (at < 0)
            return QStringLiteral("<none>");
        const qsizetype end = sheet.indexOf(QStringLiteral("</c>"), at);
        return sheet.mid(at, end - at);
    };
    const auto isNumber = [&](const QString &ref, const QString &value) {
        const QString c = cell(ref);
        return !c.contains(QStringLiteral("t=\"")) && c.contains(QStringLiteral("<v>%1</v>").arg(value));
    };
    const auto holdsText = [&](const QString &ref, const QString &xmlText) {
        const QString c = cell(ref);
        if (c.contains(QStringLiteral("t=\"inlineStr\"")))
            return c.contains(QStringLiteral(">%1</t>").arg(xmlText));
        if (!c.contains(QStringLiteral("t=\"s\"")))
            return false;
        const int index = c.mid(c.indexOf(QStringLiteral("<v>")) + 3).section(QLatin1Char('<'), 0, 0).toInt();
        const QStringList items = shared.split(QStringLiteral("<si>"));
        return index + 1 < items.size() && items[index + 1].contains(QStringLiteral(">%1</t>").arg(xmlText));
    };

    EXPECT_TRUE(holdsText(QStringLiteral("A1"), QStringLiteral("n")));
    EXPECT_TRUE(holdsText(QStringLiteral("C1"), QStringLiteral("b")));
    EXPECT_TRUE(isNumber(QStringLiteral("A2"), QStringLiteral("42"))) << cell(QStringLiteral("A2")).toStdString();
    EXPECT_TRUE(isNumber(QStringLiteral("A3"), QStringLiteral("-0.25")));
    EXPECT_TRUE(holdsText(QStringLiteral("B2"), QStringLiteral("a &lt;b&gt; &amp; \"c\"")))
        << cell(QStringLiteral("B2")).toStdString();
    EXPECT_TRUE(cell(QStringLiteral("C2")).contains(QStringLiteral("t=\"b\"")));
    EXPECT_TRUE(cell(QStringLiteral("C2")).contains(QStringLiteral("<v>1</v>")));
    EXPECT_TRUE(cell(QStringLiteral("C3")).contains(QStringLiteral("<v>0</v>")));
    // A null is no cell at all; so is an empty text (the library writes no empty string).
    for (const char *empty : {"B3", "A4", "B4", "C4", "C5"})
        EXPECT_EQ(cell(QString::fromLatin1(empty)), QStringLiteral("<none>")) << empty;
    EXPECT_TRUE(holdsText(QStringLiteral("A5"), QStringLiteral("12345678901234567890.5")));
    EXPECT_TRUE(holdsText(QStringLiteral("B5"), QStringLiteral("Gr\u00FC\u00DF" "e")));
    EXPECT_TRUE(holdsText(QStringLiteral("A6"), QStringLiteral("NaN")));
    EXPECT_TRUE(holdsText(QStringLiteral("B6"), QStringLiteral("line\nbreak")));
}

TEST(ExportXlsx, MoreRowsThanASheetHoldsIsRefused)
{
    // A row set that claims more rows than it needs to hold.
    struct Tall : ado::RowSet {
        int fieldCount() const override { return 1; }
        std::string fieldName(int) const override { return "x"; }
        long long rowCount() const override { return 1048576; }
        bool isNull(long long, int) const override { return true; }
        std::string_view text(long long, int, std::string &) const override { return {}; }
    } tall;
    const QString dir = freshDir();
    const TExportOutcome outcome = exportToXlsx(tall, dir + QStringLiteral("/tall.xlsx"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.error.contains(QStringLiteral("1048576 rows"))) << outcome.error.toStdString();
    EXPECT_TRUE(filesIn(dir).isEmpty());
}

TEST(SelectedTable, OneTableSelectsNameTheirTable)
{
    struct Case {
        TqdServerEngine engine;
        const char *statement;
        const char *table; // as an INSERT names it; "" for none
    };
    const Case cases[] = {
        {sePostGre, "select * from items", "items"},
        {sePostGre, "SELECT id, name FROM Items i WHERE id > 3 ORDER BY 1", "items"},
        {sePostGre, "select * from \"Order Lines\" as ol;", "\"Order Lines\""},
        {sePostGre, "select * from sales.items limit 10", "sales.items"},
        {sePostGre, "select * from public.items", "items"},
        {sePostGre, "-- all of them\nselect /* every */ * from items\n", "items"},
        {sePostGre, "select (select max(x) from other) from items where a in (select b from c)", "items"},
        {sePostGre, "select 'from x' as a from items", "items"},
        {seFireBird, "select first 5 * from items", "ITEMS"},
        {seFireBird, "select * from \"items\"", "\"items\""},
        {seMySQL, "select * from `order lines` where 1", "`order lines`"},
        {seMySQL, "select * from Items", "Items"},
        {seMSSQL, "select * from [dbo].[My Table]", "[My Table]"},
        // Not one table, or not a SELECT:
        {sePostGre, "select * from a, b", ""},
        {sePostGre, "select * from a join b on a.id = b.id", ""},
        {sePostGre, "select * from a natural join b", ""},
        {sePostGre, "select * from a left outer join b using (id)", ""},
        {sePostGre, "select * from (select 1) s", ""},
        {sePostGre, "select 1", ""},
        {sePostGre, "select * from a union select * from b", ""},
        {sePostGre, "select * from generate_series(1, 5)", ""},
        {sePostGre, "update a set selected = 1", ""},
        {sePostGre, "select * from a; select * from b", ""},
        {sePostGre, "select * from \"unterminated", ""},
    };
    for (const Case &c : cases) {
        const std::string listed = selectedTable(c.engine, c.statement);
        EXPECT_EQ(listed.empty() ? listed : sqlTableName(c.engine, listed), c.table) << c.statement;
    }
}

} // namespace
