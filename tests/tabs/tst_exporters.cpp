// Result formats written byte for byte from a small row set of awkward values.
#include <gtest/gtest.h>

#include "export/o_Exporters.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <optional>
#include <string>
#include <vector>

namespace {

using Cells = std::vector<std::optional<std::string>>;
constexpr std::nullopt_t null = std::nullopt;

// Quotes, separators, line breaks of both kinds, tabs, a control byte,
// NULL against empty text, non-ASCII letters, a number longer than a double
// holds, a numeric value that is no JSON number.
ado::MemoryRowSet tricky()
{
    ado::MemoryRowSet rs;
    rs.addField("id", ado::FieldKind::Number);
    rs.addField("name");
    rs.addField("unit price", ado::FieldKind::Number);
    rs.addField("ok", ado::FieldKind::Boolean);
    rs.addRow(Cells{"1", "say \"hi\", ok", "12345678901234567890.123456789", "t"});
    rs.addRow(Cells{"2", "a\r\nb\nc", null, "f"});
    rs.addRow(Cells{"3", "", "NaN", null});
    rs.addRow(Cells{"-4", "tab\tpipe|back\\ Gr\xC3\xBC\xC3\x9F" "e\x01", "-0.5e10", "t"});
    rs.addRow(Cells{"5", null, "0", "f"});
    return rs;
}

std::string run(const ado::RowSet &rs, const TExportOptions &options, const std::vector<long long> *rows = nullptr,
                const std::vector<int> *fields = nullptr)
{
    TStringSink sink;
    EXPECT_TRUE(exportRows(rs, options, sink, rows, fields));
    return sink.text;
}

TExportOptions opts(TExportFormat format, TqdServerEngine engine = seNone)
{
    TExportOptions o;
    o.format = format;
    o.engine = engine;
    o.table = "order lines";
    return o;
}

struct FormatCase {
    const char *name;
    TExportOptions options;
    std::string expected;
};

TEST(Exporters, EachFormatByteForByte)
{
    const ado::MemoryRowSet rs = tricky();
    const FormatCase cases[] = {
        {"csv", opts(TExportFormat::Csv),
         "id,name,unit price,ok\r\n"
         "1,\"say \"\"hi\"\", ok\",12345678901234567890.123456789,t\r\n"
         "2,\"a\r\nb\nc\",,f\r\n"
         "3,\"\",NaN,\r\n"
         "-4,tab\tpipe|back\\ Gr\xC3\xBC\xC3\x9F" "e\x01,-0.5e10,t\r\n"
         "5,,0,f\r\n"},
        {"tsv", opts(TExportFormat::Tsv),
         "id\tname\tunit price\tok\n"
         "1\t\"say \"\"hi\"\", ok\"\t12345678901234567890.123456789\tt\n"
         "2\t\"a\r\nb\nc\"\t\tf\n"
         "3\t\tNaN\t\n"
         "-4\t\"tab\tpipe|back\\ Gr\xC3\xBC\xC3\x9F" "e\x01\"\t-0.5e10\tt\n"
         "5\t\t0\tf\n"},
        {"json", opts(TExportFormat::Json),
         "[\n"
         "{\"id\":1,\"name\":\"say \\\"hi\\\", ok\",\"unit price\":12345678901234567890.123456789,\"ok\":true},\n"
         "{\"id\":2,\"name\":\"a\\r\\nb\\nc\",\"unit price\":null,\"ok\":false},\n"
         "{\"id\":3,\"name\":\"\",\"unit price\":\"NaN\",\"ok\":null},\n"
         "{\"id\":-4,\"name\":\"tab\\tpipe|back\\\\ Gr\xC3\xBC\xC3\x9F" "e\\u0001\",\"unit price\":-0.5e10,\"ok\":true},\n"
         "{\"id\":5,\"name\":null,\"unit price\":0,\"ok\":false}\n"
         "]\n"},
        {"json lines", opts(TExportFormat::JsonLines),
         "{\"id\":1,\"name\":\"say \\\"hi\\\", ok\",\"unit price\":12345678901234567890.123456789,\"ok\":true}\n"
         "{\"id\":2,\"name\":\"a\\r\\nb\\nc\",\"unit price\":null,\"ok\":false}\n"
         "{\"id\":3,\"name\":\"\",\"unit price\":\"NaN\",\"ok\":null}\n"
         "{\"id\":-4,\"name\":\"tab\\tpipe|back\\\\ Gr\xC3\xBC\xC3\x9F" "e\\u0001\",\"unit price\":-0.5e10,\"ok\":true}\n"
         "{\"id\":5,\"name\":null,\"unit price\":0,\"ok\":false}\n"},
        {"sql postgres", opts(TExportFormat::SqlInsert, sePostGre),
         "INSERT INTO \"order lines\" (id, name, \"unit price\", ok) VALUES (1, 'say \"hi\", ok', 12345678901234567890.123456789, 't');\n"
         "INSERT INTO \"order lines\" (id, name, \"unit price\", ok) VALUES (2, 'a\r\nb\nc', NULL, 'f');\n"
         "INSERT INTO \"order lines\" (id, name, \"unit price\", ok) VALUES (3, '', 'NaN', NULL);\n"
         "INSERT INTO \"order lines\" (id, name, \"unit price\", ok) VALUES (-4, 'tab\tpipe|back\\ Gr\xC3\xBC\xC3\x9F" "e\x01', -0.5e10, 't');\n"
         "INSERT INTO \"order lines\" (id, name, \"unit price\", ok) VALUES (5, NULL, 0, 'f');\n"},
        // MySQL reads a backslash in a string as an escape: it is doubled.
        {"sql mysql", opts(TExportFormat::SqlInsert, seMySQL),
         "INSERT INTO `order lines` (id, name, `unit price`, ok) VALUES (1, 'say \"hi\", ok', 12345678901234567890.123456789, 't');\n"
         "INSERT INTO `order lines` (id, name, `unit price`, ok) VALUES (2, 'a\r\nb\nc', NULL, 'f');\n"
         "INSERT INTO `order lines` (id, name, `unit price`, ok) VALUES (3, '', 'NaN', NULL);\n"
         "INSERT INTO `order lines` (id, name, `unit price`, ok) VALUES (-4, 'tab\tpipe|back\\\\ Gr\xC3\xBC\xC3\x9F" "e\x01', -0.5e10, 't');\n"
         "INSERT INTO `order lines` (id, name, `unit price`, ok) VALUES (5, NULL, 0, 'f');\n"},
        {"markdown", opts(TExportFormat::Markdown),
         "| id | name | unit price | ok |\n"
         "| ---: | --- | ---: | --- |\n"
         "| 1 | say \"hi\", ok | 12345678901234567890.123456789 | t |\n"
         "| 2 | a<br>b<br>c |  | f |\n"
         "| 3 |  | NaN |  |\n"
         "| -4 | tab\tpipe\\|back\\\\ Gr\xC3\xBC\xC3\x9F" "e\x01 | -0.5e10 | t |\n"
         "| 5 |  | 0 | f |\n"},
    };
    for (const FormatCase &c : cases)
        EXPECT_EQ(run(rs, c.options), c.expected) << c.name;
}

TEST(Exporters, JsonOutputParses)
{
    const ado::MemoryRowSet rs = tricky();
    QJsonParseError error;
    const std::string json = run(rs, opts(TExportFormat::Json));
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_EQ(doc.array().size(), 5);
    EXPECT_EQ(doc.array()[3].toObject()["name"].toString(), QString::fromUtf8("tab\tpipe|back\\ Gr\xC3\xBC\xC3\x9F" "e\x01"));
    EXPECT_TRUE(doc.array()[1].toObject()["unit price"].isNull());
    EXPECT_EQ(doc.array()[2].toObject()["name"].toString(), QString(""));
}

TEST(Exporters, SubsetsHeaderlessEmptyAndBom)
{
    const ado::MemoryRowSet rs = tricky();
    const std::vector<long long> rows{4, 0};
    const std::vector<int> fields{2, 0};
    TExportOptions csv = opts(TExportFormat::Csv);
    csv.header = false;
    EXPECT_EQ(run(rs, csv, &rows, &fields), "0,5\r\n12345678901234567890.123456789,1\r\n");

    const std::vector<long long> none;
    EXPECT_EQ(run(rs, opts(TExportFormat::Json), &none), "[]\n");
    EXPECT_EQ(run(rs, opts(TExportFormat::JsonLines), &none), "");
    EXPECT_EQ(run(rs, opts(TExportFormat::SqlInsert, sePostGre), &none), "");

    TExportOptions bom = opts(TExportFormat::Csv);
    bom.bom = true;
    EXPECT_EQ(run(rs, bom, &none), "\xEF\xBB\xBFid,name,unit price,ok\r\n");
}

TEST(Exporters, NumbersThatAreNotJsonNumbersStayText)
{
    struct Case {
        const char *text;
        bool number;
    } cases[] = {{"0", true},      {"-0.0", true}, {"1e-7", true},  {"98765432109876543210", true},
                 {"007", false},   {".5", false},  {"5.", false},   {"+1", false},
                 {"1e", false},    {"", false},    {"-", false},    {"Infinity", false},
                 {"1,5", false},   {" 1", false},  {"0x10", false}, {"1.5E+3", true}};
    for (const Case &c : cases)
        EXPECT_EQ(isJsonNumber(c.text), c.number) << c.text;
}

TEST(Exporters, ProgressStopsTheWalk)
{
    ado::MemoryRowSet rs;
    rs.addField("n", ado::FieldKind::Number);
    for (int i = 0; i < 20000; ++i)
        rs.addRow(Cells{std::to_string(i)});
    TStringSink sink;
    TExportOptions o = opts(TExportFormat::Csv);
    long long seen = 0;
    EXPECT_FALSE(exportRows(rs, o, sink, nullptr, nullptr, [&](long long done) {
        seen = done;
        return done < 8000;
    }));
    EXPECT_EQ(seen, 8192);
    EXPECT_EQ(sink.text.find("8192\r\n"), std::string::npos);

    TStringSink all;
    long long last = 0;
    EXPECT_TRUE(exportRows(rs, o, all, nullptr, nullptr, [&](long long done) {
        last = done;
        return true;
    }));
    EXPECT_EQ(last, 20000);
    EXPECT_NE(all.text.find("\r\n19999\r\n"), std::string::npos);
}

} // namespace
