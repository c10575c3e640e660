// The command line: what the arguments ask for, and the executable's answers
// to --help, --version and an unknown option.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "o_CommandLine.h"

using cmdline::Action;

namespace {

struct ParseCase {
    const char *name;
    QStringList arguments;
    Action action;
    QStringList files;
    const char *errorMentions; // nullptr: no error text
};

TEST(CommandLine, ArgumentsGiveAnActionAndTheFiles)
{
    const ParseCase cases[] = {
        {"nothing", {}, Action::Start, {}, nullptr},
        {"files in order", {"b.sql", "/tmp/a b.sql", "b.sql"}, Action::Start, {"b.sql", "/tmp/a b.sql", "b.sql"}, nullptr},
        {"help", {"--help"}, Action::Help, {}, nullptr},
        {"short help", {"-h"}, Action::Help, {}, nullptr},
        {"version", {"--version"}, Action::Version, {}, nullptr},
        {"version after a file opens nothing", {"a.sql", "--version"}, Action::Version, {}, nullptr},
        {"help wins over version", {"--version", "--help"}, Action::Help, {}, nullptr},
        {"help wins over an unknown option", {"--bogus", "--help"}, Action::Help, {}, nullptr},
        {"version wins over an unknown option", {"-x", "--version"}, Action::Version, {}, nullptr},
        {"unknown long option", {"a.sql", "--bogus"}, Action::Error, {}, "--bogus"},
        {"the first unknown option is named", {"-q", "--bogus"}, Action::Error, {}, "\"-q\""},
        {"a lone dash is no file", {"-"}, Action::Error, {}, "\"-\""},
        {"options end at --", {"--", "--help", "-x.sql"}, Action::Start, {"--help", "-x.sql"}, nullptr},
        {"files on both sides of --", {"a.sql", "--", "b.sql", "--"}, Action::Start, {"a.sql", "b.sql", "--"}, nullptr},
    };
    for (const ParseCase &c : cases) {
        const cmdline::Options o = cmdline::parse(c.arguments);
        EXPECT_EQ(int(o.action), int(c.action)) << c.name;
        EXPECT_EQ(o.files, c.files) << c.name;
        if (c.errorMentions)
            EXPECT_TRUE(o.error.contains(QLatin1String(c.errorMentions))) << c.name << ": " << o.error.toStdString();
        else
            EXPECT_TRUE(o.error.isEmpty()) << c.name;
    }
}

// The file version that the build writes into the executable's version block.
QString builtFileVersion()
{
    QFile ini(QStringLiteral(TABULON_SOURCE_DIR "/cmake/version.ini"));
    EXPECT_TRUE(ini.open(QIODevice::ReadOnly | QIODevice::Text));
    const QRegularExpression line(QStringLiteral("^FileVersion\\s*=\\s*(\\S+)\\s*$"),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(QString::fromUtf8(ini.readAll()));
    EXPECT_TRUE(m.hasMatch());
    return m.captured(1);
}

struct ProcessRun {
    int exitCode = -1;
    QString out, err;
};

// The program run as a user would from a terminal; `withDisplay` false takes
// every display away, so anything that opens a window fails.
ProcessRun runTabulon(const QStringList &arguments, bool withDisplay)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (withDisplay)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TABULON_BINARY_DIR "/tabulon"), arguments);
    EXPECT_TRUE(p.waitForFinished(30000)) << "tabulon " << arguments.join(' ').toStdString() << " did not end";
    ProcessRun r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

TEST(CommandLineProgram, VersionComesFromTheExecutablesVersionBlockWithoutADisplay)
{
    const QString expected = QStringLiteral("Tabulon ") + builtFileVersion() + QLatin1Char('\n');
    for (const QStringList &arguments : {QStringList{"--version"}, QStringList{"a.sql", "--version", "b.sql"}}) {
        const ProcessRun r = runTabulon(arguments, false);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, expected);
    }
    // The toolkit's own options do not count as unknown.
    const ProcessRun withToolkitOption = runTabulon({"-platform", "offscreen", "--version"}, false);
    EXPECT_EQ(withToolkitOption.exitCode, 0);
    EXPECT_EQ(withToolkitOption.out, expected);
}

TEST(CommandLineProgram, HelpPrintsUsageWithoutADisplay)
{
    const ProcessRun r = runTabulon({"--help"}, false);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Usage: tabulon [OPTION]... [FILE]...\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("--version")));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST(CommandLineProgram, UnknownOptionEndsWithStatusTwoAndNoWindow)
{
    const ProcessRun r = runTabulon({"--bogus", "a.sql"}, true);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("unknown option \"--bogus\""))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("tabulon --help"))) << r.err.toStdString();
}

} // namespace
