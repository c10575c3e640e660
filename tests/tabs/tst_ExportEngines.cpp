// A table of awkward values on PostgreSQL, MariaDB and Firebird, read back
// through each engine's provider and written in every text format, byte for
// byte. The engines differ only where their values' text differs (binary,
// booleans, how a name is quoted); those spots are filled in per engine.
#include <gtest/gtest.h>

#include "export/o_Exporters.h"
#include "provider.h"
#include "providers/firebird/fb_client.h"
#include "testenv.h"

#include <map>
#include <memory>
#include <string>

namespace {

// Quotes and commas; CR, LF and a tab inside a value; NULL against empty
// text; letters beyond ASCII; binary bytes; a number with 18 digits; dates.
const char *const kRows[] = {
    "(1, 'He said \"hi\", then left', 12345678901234.5678, '2024-02-29', {B1}, {TRUE})",
    "(2, {CRLF}, -0.5, NULL, NULL, {FALSE})",
    "(3, NULL, NULL, NULL, NULL, NULL)",
    "(4, '', 0, '1999-12-31', {B0}, NULL)",
    "(5, 'Gr\xC3\xBC\xC3\x9F" "e | \xC5\x8Csaka', 100, '2000-01-01', NULL, {TRUE})",
};

struct Engine {
    const char *name;
    TqdServerEngine engine;
    std::map<std::string, std::string> sql;  // spots in the statements above
    std::map<std::string, std::string> text; // spots in the expected output
};

std::string filled(std::string s, const std::map<std::string, std::string> &spots)
{
    for (const auto &[key, value] : spots)
        for (size_t at = s.find(key); at != std::string::npos; at = s.find(key, at + value.size()))
            s.replace(at, key.size(), value);
    return s;
}

// Spots of the expected text: B1 / B0 the binary values as text (EB1 / EB0
// escaped for JSON and Markdown, CB0 in CSV), T / F a boolean's text (JT / JF
// in JSON, ST / SF in SQL), Q the engine's identifier quote, COLS the INSERT's
// column list, OKA the Markdown alignment of the boolean column.
const Engine kEngines[] = {
    {"PostgreSQL",
     sePostGre,
     {{"{B1}", "'\\x00ff41'::bytea"}, {"{B0}", "''::bytea"}, {"{TRUE}", "true"}, {"{FALSE}", "false"},
      {"{CRLF}", "E'cr\\r\\nlf\\ttab'"}},
     {{"{B1}", "\\x00ff41"}, {"{EB1}", "\\\\x00ff41"}, {"{B0}", "\\x"}, {"{CB0}", "\\x"}, {"{EB0}", "\\\\x"},
      {"{T}", "t"}, {"{F}", "f"}, {"{JT}", "true"}, {"{JF}", "false"}, {"{ST}", "'t'"}, {"{SF}", "'f'"},
      {"{Q}", "\""}, {"{COLS}", "id, txt, num, d, b, ok"}, {"{OKA}", "---"}}},
    {"MariaDB",
     seMySQL,
     {{"{B1}", "x'00ff41'"}, {"{B0}", "x''"}, {"{TRUE}", "true"}, {"{FALSE}", "false"},
      {"{CRLF}", "'cr\\r\\nlf\\ttab'"}},
     {{"{B1}", "0x00FF41"}, {"{EB1}", "0x00FF41"}, {"{B0}", "0x"}, {"{CB0}", "0x"}, {"{EB0}", "0x"},
      {"{T}", "1"}, {"{F}", "0"}, {"{JT}", "1"}, {"{JF}", "0"}, {"{ST}", "1"}, {"{SF}", "0"},
      {"{Q}", "`"}, {"{COLS}", "id, txt, num, d, b, ok"}, {"{OKA}", "---:"}}},
    // Lower-case names, quoted: Firebird would fold bare ones to upper case.
    {"Firebird",
     seFireBird,
     {{"{B1}", "x'00ff41'"}, {"{B0}", "''"}, {"{TRUE}", "true"}, {"{FALSE}", "false"},
      {"{CRLF}", "'cr' || ascii_char(13) || ascii_char(10) || 'lf' || ascii_char(9) || 'tab'"}},
     {{"{B1}", "00FF41"}, {"{EB1}", "00FF41"}, {"{B0}", ""}, {"{CB0}", "\"\""}, {"{EB0}", ""},
      {"{T}", "TRUE"}, {"{F}", "FALSE"}, {"{JT}", "true"}, {"{JF}", "false"}, {"{ST}", "'TRUE'"},
      {"{SF}", "'FALSE'"}, {"{Q}", "\""}, {"{COLS}", "\"id\", \"txt\", \"num\", \"d\", \"b\", \"ok\""},
      {"{OKA}", "---"}}},
};

struct Format {
    const char *name;
    TExportFormat format;
    const char *expected;
};

const Format kFormats[] = {
    {"CSV", TExportFormat::Csv,
     "id,txt,num,d,b,ok\r\n"
     "1,\"He said \"\"hi\"\", then left\",12345678901234.5678,2024-02-29,{B1},{T}\r\n"
     "2,\"cr\r\nlf\ttab\",-0.5000,,,{F}\r\n"
     "3,,,,,\r\n"
     "4,\"\",0.0000,1999-12-31,{CB0},\r\n"
     "5,Gr\xC3\xBC\xC3\x9F" "e | \xC5\x8Csaka,100.0000,2000-01-01,,{T}\r\n"},
    {"TSV", TExportFormat::Tsv,
     "id\ttxt\tnum\td\tb\tok\n"
     "1\t\"He said \"\"hi\"\", then left\"\t12345678901234.5678\t2024-02-29\t{B1}\t{T}\n"
     "2\t\"cr\r\nlf\ttab\"\t-0.5000\t\t\t{F}\n"
     "3\t\t\t\t\t\n"
     "4\t\t0.0000\t1999-12-31\t{B0}\t\n"
     "5\tGr\xC3\xBC\xC3\x9F" "e | \xC5\x8Csaka\t100.0000\t2000-01-01\t\t{T}\n"},
    {"JSON", TExportFormat::Json,
     "[\n"
     "{\"id\":1,\"txt\":\"He said \\\"hi\\\", then left\",\"num\":12345678901234.5678,\"d\":\"2024-02-29\","
     "\"b\":\"{EB1}\",\"ok\":{JT}},\n"
     "{\"id\":2,\"txt\":\"cr\\r\\nlf\\ttab\",\"num\":-0.5000,\"d\":null,\"b\":null,\"ok\":{JF}},\n"
     "{\"id\":3,\"txt\":null,\"num\":null,\"d\":null,\"b\":null,\"ok\":null},\n"
     "{\"id\":4,\"txt\":\"\",\"num\":0.0000,\"d\":\"1999-12-31\",\"b\":\"{EB0}\",\"ok\":null},\n"
     "{\"id\":5,\"txt\":\"Gr\xC3\xBC\xC3\x9F" "e | \xC5\x8Csaka\",\"num\":100.0000,\"d\":\"2000-01-01\",\"b\":null,"
     "\"ok\":{JT}}\n"
     "]\n"},
    {"JSON Lines", TExportFormat::JsonLines,
     "{\"id\":1,\"txt\":\"He said \\\"hi\\\", then left\",\"num\":12345678901234.5678,\"d\":\"2024-02-29\","
     "\"b\":\"{EB1}\",\"ok\":{JT}}\n"
     "{\"id\":2,\"txt\":\"cr\\r\\nlf\\ttab\",\"num\":-0.5000,\"d\":null,\"b\":null,\"ok\":{JF}}\n"
     "{\"id\":3,\"txt\":null,\"num\":null,\"d\":null,\"b\":null,\"ok\":null}\n"
     "{\"id\":4,\"txt\":\"\",\"num\":0.0000,\"d\":\"1999-12-31\",\"b\":\"{EB0}\",\"ok\":null}\n"
     "{\"id\":5,\"txt\":\"Gr\xC3\xBC\xC3\x9F" "e | \xC5\x8Csaka\",\"num\":100.0000,\"d\":\"2000-01-01\",\"b\":null,"
     "\"ok\":{JT}}\n"},
    {"SQL INSERT", TExportFormat::SqlInsert,
     "INSERT INTO {Q}Tricky Values{Q} ({COLS}) VALUES "
     "(1, 'He said \"hi\", then left', 12345678901234.5678, '2024-02-29', '{B1}', {ST});\n"
     "INSERT INTO {Q}Tricky Values{Q} ({COLS}) VALUES "
     "(2, 'cr\r\nlf\ttab', -0.5000, NULL, NULL, {SF});\n"
     "INSERT INTO {Q}Tricky Values{Q} ({COLS}) VALUES (3, NULL, NULL, NULL, NULL, NULL);\n"
     "INSERT INTO {Q}Tricky Values{Q} ({COLS}) VALUES (4, '', 0.0000, '1999-12-31', '{B0}', NULL);\n"
     "INSERT INTO {Q}Tricky Values{Q} ({COLS}) VALUES "
     "(5, 'Gr\xC3\xBC\xC3\x9F" "e | \xC5\x8Csaka', 100.0000, '2000-01-01', NULL, {ST});\n"},
    {"Markdown", TExportFormat::Markdown,
     "| id | txt | num | d | b | ok |\n"
     "| ---: | --- | ---: | --- | --- | {OKA} |\n"
     "| 1 | He said \"hi\", then left | 12345678901234.5678 | 2024-02-29 | {EB1} | {T} |\n"
     "| 2 | cr<br>lf\ttab | -0.5000 |  |  | {F} |\n"
     "| 3 |  |  |  |  |  |\n"
     "| 4 |  | 0.0000 | 1999-12-31 | {EB0} |  |\n"
     "| 5 | Gr\xC3\xBC\xC3\x9F" "e \\| \xC5\x8Csaka | 100.0000 | 2000-01-01 |  | {T} |\n"},
};

class ExportEngines : public ::testing::TestWithParam<int> {
protected:
    const Engine &engine() const { return kEngines[GetParam()]; }

    std::unique_ptr<ado::RowSet> load()
    {
        const Engine &e = engine();
        std::string insert = "insert into export_tricky values ";
        for (size_t i = 0; i < std::size(kRows); ++i)
            insert += std::string(i ? ", " : "") + filled(kRows[i], e.sql);
        if (e.engine == sePostGre) {
            testenv::pgExec("drop table if exists export_tricky; create table export_tricky (id int, txt varchar(40), "
                            "num numeric(18,4), d date, b bytea, ok boolean); " + insert);
            m_db = ado::ProviderRegistry::instance().create(testenv::pgConnectionString());
        } else if (e.engine == seMySQL) {
            testenv::myExec("drop table if exists export_tricky; create table export_tricky (id int, txt varchar(40) "
                            "character set utf8mb4, num decimal(18,4), d date, b varbinary(8), ok boolean); " +
                            insert,
                            testenv::myDatabase());
            m_db = ado::ProviderRegistry::instance().create(testenv::myConnectionString());
        } else {
            const std::string path = testenv::tempDir() + "/tricky.fdb";
            std::remove(path.c_str());
            ado::fb::createDatabase(path, "UTF8");
            m_db = ado::ProviderRegistry::instance().create(
                "Provider=LCPI.IBProvider.3.Free;Password=;Persist Security Info=True;User ID=;Data Source=\"\";"
                "Location=" + path + ";dbclient_library=\"\";ctype=UTF8;auto_commit=true");
            m_db->open();
            m_db->execute("create table export_tricky (\"id\" int, \"txt\" varchar(40) character set utf8, "
                          "\"num\" numeric(18,4), \"d\" date, \"b\" varchar(8) character set octets, \"ok\" boolean)");
            // Firebird takes one row per INSERT.
            for (const char *row : kRows)
                m_db->execute("insert into export_tricky values " + filled(row, e.sql));
        }
        if (!m_db->isOpen())
            m_db->open();
        auto result = m_db->execute("select * from export_tricky order by 1");
        return std::move(result.rows);
    }

    std::unique_ptr<ado::ProviderConnection> m_db;
};

TEST_P(ExportEngines, EachFormatByteForByte)
{
    if (engine().engine == sePostGre)
        REQUIRE_PG();
    if (engine().engine == seMySQL)
        REQUIRE_MY();
    const std::unique_ptr<ado::RowSet> rows = load();
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->rowCount(), 5);
    for (const Format &f : kFormats) {
        SCOPED_TRACE(f.name);
        TExportOptions options;
        options.format = f.format;
        options.engine = engine().engine;
        options.table = "Tricky Values";
        TStringSink sink;
        ASSERT_TRUE(exportRows(*rows, options, sink));
        EXPECT_EQ(sink.text, filled(f.expected, engine().text));
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ExportEngines, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int> &info) { return kEngines[info.param].name; });

} // namespace
