// Reading version information from ELF and PE files.

#include "fileinfo_fixture.h"
#include "o_AppInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <climits>
#include <filesystem>

using namespace vbtest;

namespace {

enum class Container { Elf64, Elf32, Pe32, Pe32Plus };

Bytes wrap(Container c, const Bytes &block)
{
    switch (c) {
    case Container::Elf64: return elfWith(block, true).bytes;
    case Container::Elf32: return elfWith(block, false).bytes;
    case Container::Pe32: return peWith(block, false).bytes;
    case Container::Pe32Plus: return peWith(block, true).bytes;
    }
    return {};
}

const char *name(Container c)
{
    switch (c) {
    case Container::Elf64: return "elf64";
    case Container::Elf32: return "elf32";
    case Container::Pe32: return "pe32.dll";
    case Container::Pe32Plus: return "pe32plus.exe";
    }
    return "";
}

class FileInfoContainers : public ::testing::TestWithParam<Container> {};

} // namespace

TEST_P(FileInfoContainers, ReadsTheTenValuesOfTheFirstTranslation)
{
    const VersionInfo info = standardInfo();
    const std::string path = writeFile(name(GetParam()), wrap(GetParam(), info.build()));
    TqdFileInfo fi;
    fi.SetFileName(path);
    EXPECT_EQ(fi.FileName(), path);
    EXPECT_EQ(values(fi), valuesOf(info.tables[0]));
    EXPECT_EQ(fi.FileVersionAsNumeric(), 44);
    EXPECT_EQ(fi.LastQueryPath(), "\\StringFileInfo\\040904E4\\Comments");
}

INSTANTIATE_TEST_SUITE_P(AllFormats, FileInfoContainers,
                         ::testing::Values(Container::Elf64, Container::Elf32, Container::Pe32, Container::Pe32Plus));

TEST(FileInfo, OnlyTheFirstTranslationChoosesTheStringTable)
{
    struct Case {
        std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
        std::string expectedTag;
    } cases[] = {
        {{{0x0407, 0x04B0}, {0x0409, 0x04E4}}, "de-"},
        {{{0x0409, 0x04E4}, {0x0407, 0x04B0}}, "en-"},
    };
    for (const Case &c : cases) {
        VersionInfo info;
        info.translations = c.translations;
        info.tables = {standardTable("040704B0", "de-"), standardTable("040904E4", "en-")};
        TqdFileInfo fi;
        fi.SetFileName(writeFile("two-translations", elfWith(info.build()).bytes));
        EXPECT_EQ(fi.CompanyName(), c.expectedTag + "Company");
        EXPECT_EQ(fi.Comments(), c.expectedTag + "Comments");
    }
}

TEST(FileInfo, NoStringTableForTheTranslationEmptiesEveryValue)
{
    TqdFileInfo fi;
    fi.SetFileName(writeFile("good", elfWith(standardInfo().build()).bytes));
    ASSERT_EQ(fi.CompanyName(), "Company");

    VersionInfo other;
    other.translations = {{0x0409, 0x04E4}};
    other.tables = {standardTable("040704B0")};
    fi.SetFileName(writeFile("no-table", peWith(other.build()).bytes));
    EXPECT_EQ(values(fi), Values{});

    // And so does a block without a translation table.
    fi.SetFileName(writeFile("good", elfWith(standardInfo().build()).bytes));
    VersionInfo noVar = standardInfo();
    noVar.withVarFileInfo = false;
    fi.SetFileName(writeFile("no-translation", elfWith(noVar.build()).bytes));
    EXPECT_EQ(values(fi), Values{});
}

TEST(FileInfo, NamesAreMatchedWithoutRegardToCase)
{
    VersionInfo info;
    info.tables = {{"040904e4", // lower-case hex in the table's name
                    {{"COMPANYNAME", "a"},
                     {"legalcopyright", "b"},
                     {"LegalTrademarks", "c"},
                     {"OriginalFilename", "d"},
                     {"PRODUCTversion", "e"}}}};
    TqdFileInfo fi;
    fi.SetFileName(writeFile("spelling", elfWith(info.build()).bytes));
    EXPECT_EQ(fi.CompanyName(), "a");
    EXPECT_EQ(fi.LegalCopyright(), "b");
    EXPECT_EQ(fi.LegalTrademarks(), "c");
    EXPECT_EQ(fi.OriginalFilename(), "d");
    EXPECT_EQ(fi.ProductVersion(), "e");
    EXPECT_EQ(fi.FileDescription(), "");
}

TEST(FileInfo, ValuesEndAtTheirFirstZeroAndComeOutAsUtf8)
{
    VersionInfo info;
    info.tables = {{"040904E4",
                    {{"CompanyName", std::string("abc\0def", 7)},
                     {"Comments", "caf\xE9"}, // Latin-1 e-acute, written as UTF-16
                     {"ProductName", ""}}}};
    TqdFileInfo fi;
    fi.SetFileName(writeFile("text", peWith(info.build(), true).bytes));
    EXPECT_EQ(fi.CompanyName(), "abc");
    EXPECT_EQ(fi.Comments(), "caf\xC3\xA9");
    EXPECT_EQ(fi.ProductName(), "");
}

TEST(FileInfo, BlankNameReadsTheRunningExecutable)
{
    const std::string exe = QCoreApplication::applicationFilePath().toStdString();
    for (const char *blank : {"", "   ", "\t \r\n"}) {
        TqdFileInfo fi;
        fi.SetFileName(blank);
        EXPECT_EQ(fi.FileName(), exe) << "for \"" << blank << "\"";
    }
}

TEST(FileInfo, MissingFileOrNoVersionBlockKeepsThePreviousValues)
{
    const VersionInfo info = standardInfo();
    const std::string good = writeFile("good", elfWith(info.build()).bytes);
    const std::string notAFile[] = {
        testDir() + "/missing.exe",
        testDir(), // a directory
        writeFile("empty", {}),
        writeFile("text.txt", Bytes{'h', 'e', 'l', 'l', 'o'}),
        writeFile("elf-other-section", elfWith(info.build(), true, ".rodata").bytes),
        writeFile("pe-other-type", peWith(info.build(), false, 10).bytes),
        writeFile("elf-empty-section", elfWith({}).bytes),
    };
    for (const std::string &path : notAFile) {
        TqdFileInfo fi;
        fi.SetFileName(good);
        fi.SetFileName(path);
        EXPECT_EQ(fi.FileName(), path);
        EXPECT_EQ(values(fi), valuesOf(info.tables[0])) << path;
    }
}

TEST(FileInfo, FileVersionAsNumeric)
{
    const struct {
        const char *version;
        std::int32_t expected;
    } cases[] = {
        {"1.0.10.282", 282}, {"2.5", 5},           {"7", 7},
        {"1.0.0.0", 0},      {"1.0.10.", 0},       {"1, 0, 10, 282", 0},
        {"1.2.3. 17 ", 17},  {"1.2.3.$1F", 31},    {"", 0},
        {"1.4b", 0},         {"1.-5", -5},         {"1.+5", 5},
        {"1.0x1f", 31},      {"1.X10", 16},        {"1.$", 0},
        {"1.-", 0},          {"1.2147483647", INT_MAX}, {"1.2147483648", 0},
        {"1.-2147483648", INT_MIN}, {"1.$FFFFFFFF", -1}, {"1.$000000010", 16},
        {"1.$100000000", 0}, {"1.1 2", 0},
    };
    for (const auto &c : cases) {
        VersionInfo info;
        info.tables = {{"040904E4", {{"FileVersion", c.version}}}};
        TqdFileInfo fi;
        fi.SetFileName(writeFile("numeric", elfWith(info.build()).bytes));
        ASSERT_EQ(fi.FileVersion(), c.version);
        EXPECT_EQ(fi.FileVersionAsNumeric(), c.expected) << "for \"" << c.version << "\"";
    }
}

TEST(FileInfo, ReadsADllLinkedByTheMingwTools)
{
    const QString windres = QStandardPaths::findExecutable("x86_64-w64-mingw32-windres");
    const QString ld = QStandardPaths::findExecutable("x86_64-w64-mingw32-ld");
    if (windres.isEmpty() || ld.isEmpty())
        FAIL() << "x86_64-w64-mingw32-windres and x86_64-w64-mingw32-ld are needed "
                  "(Debian package binutils-mingw-w64-x86-64)";

    const QString dir = QString::fromStdString(testDir());
    const std::string rc = R"(2 RCDATA { "some data" }
STRINGTABLE { 1, "a string" }
1 VERSIONINFO
FILEVERSION 3,1,4,159
PRODUCTVERSION 3,1,0,0
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040704B0"
    BEGIN
      VALUE "CompanyName", "Wrong Table"
    END
    BLOCK "040904B0"
    BEGIN
      VALUE "CompanyName", "Windres Test Co"
      VALUE "FileDescription", "A resource-only DLL"
      VALUE "FileVersion", "3.1.4.159"
      VALUE "InternalName", "wrtest"
      VALUE "LegalCopyright", "(c) nobody"
      VALUE "OriginalFilename", "wrtest.dll"
      VALUE "ProductName", "Windres Test"
      VALUE "ProductVersion", "3.1"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200, 0x407, 1200
  END
END
)";
    writeFile("wrtest.rc", Bytes(rc.begin(), rc.end()));
    auto run = [&](const QString &program, const QStringList &args) {
        QProcess p;
        p.setWorkingDirectory(dir);
        p.start(program, args);
        const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        return ok ? std::string() : (program + " " + args.join(' ') + ": " + p.readAllStandardError()).toStdString();
    };
    std::string err = run(windres, {"--preprocessor=cat", "wrtest.rc", "-O", "coff", "-o", "wrtest.o"});
    ASSERT_EQ(err, "");
    err = run(ld, {"--dll", "-e", "0", "-o", "wrtest.dll", "wrtest.o"});
    ASSERT_EQ(err, "");

    TqdFileInfo fi;
    fi.SetFileName((dir + "/wrtest.dll").toStdString());
    EXPECT_EQ(values(fi), (Values{"Windres Test Co", "A resource-only DLL", "3.1.4.159", "wrtest", "(c) nobody", "",
                                  "wrtest.dll", "Windres Test", "3.1", ""}));
    EXPECT_EQ(fi.FileVersionAsNumeric(), 159);
    EXPECT_EQ(fi.LastQueryPath(), "\\StringFileInfo\\040904B0\\Comments");
}

TEST(FileInfo, TabulonCarriesItsOwnVersionInformation)
{
    const std::string exe = TABULON_BINARY_DIR "/tabulon";
    if (!std::filesystem::is_regular_file(exe))
        FAIL() << exe << " is not built: build the tabulon target before the tests";
    TqdFileInfo fi;
    fi.SetFileName(exe);
    const std::string product = appinfo::ProductName, host = appinfo::MakerHost;
    EXPECT_EQ(values(fi), (Values{appinfo::MakerDomainName, product, "1.0.10.282", product, host, host, product,
                                  product, "1.0.10.0", host}));
    EXPECT_EQ(fi.FileVersionAsNumeric(), 282);
    EXPECT_EQ(fi.LastQueryPath(), "\\StringFileInfo\\040904E4\\Comments");
}
