#include "o_CommandLine.h"

#include "o_AppInfo.h"
#include "o_FileInfo.h"

namespace cmdline {

Options parse(const QStringList &arguments)
{
    Options options;
    bool help = false, version = false, optionsEnd = false;
    QString unknown;
    for (const QString &argument : arguments) {
        if (optionsEnd || !argument.startsWith(QLatin1Char('-'))) {
            options.files << argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnd = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            help = true;
        } else if (argument == QLatin1String("--version")) {
            version = true;
        } else if (unknown.isEmpty()) {
            unknown = argument;
        }
    }
    if (help)
        options.action = Action::Help;
    else if (version)
        options.action = Action::Version;
    else if (!unknown.isEmpty()) {
        options.action = Action::Error;
        options.error = QStringLiteral("tabulon: unknown option \"%1\"\nTry \"tabulon --help\".").arg(unknown);
    }
    if (options.action != Action::Start)
        options.files.clear();
    return options;
}

QStringList rawArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

QString helpText()
{
    return QStringLiteral(
        "Usage: tabulon [OPTION]... [FILE]...\n"
        "A desktop client for relational databases: PostgreSQL, MySQL and MariaDB,\n"
        "Firebird, Microsoft Access, SQL Server and Oracle.\n"
        "\n"
        "Each FILE is opened as an SQL script in a tab of its own. Such a tab has no\n"
        "connection yet: running it asks for one.\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "      --version  show the version and exit\n"
        "  --             take every argument after it as a FILE\n"
        "\n"
        "Options of the Qt toolkit (-platform, -style, -geometry...) are understood too.\n"
        "The manual opens with F1 in the program.\n");
}

QString versionText()
{
    TqdFileInfo info;
    info.SetFileName(std::string());
    const QString product = info.ProductName().empty() ? QString::fromLatin1(appinfo::ProductName)
                                                       : QString::fromStdString(info.ProductName());
    if (info.FileVersion().empty())
        return product + QLatin1Char('\n');
    return product + QLatin1Char(' ') + QString::fromStdString(info.FileVersion()) + QLatin1Char('\n');
}

} // namespace cmdline
