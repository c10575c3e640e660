#pragma once
// The program's command line:
//   tabulon [OPTION]... [FILE]...
// Each FILE opens as a script in a tab of its own; --help and --version print
// and end the program. Options the GUI toolkit takes for itself (-platform,
// -style, ...) are removed by the application object before the files are
// read, so the start-up parses twice: the raw arguments for --help and
// --version (which need no display), the application's arguments for files.

#include <QString>
#include <QStringList>

namespace cmdline {

enum class Action {
    Start,   // start the window, opening Files
    Help,    // print HelpText() and end
    Version, // print VersionText() and end
    Error,   // an unknown option: print Error to stderr and end with status 2
};

struct Options {
    Action action = Action::Start;
    QStringList files;
    QString error;
};

// The arguments after the program name. "--help"/"-h" wins over "--version",
// and both win over an unknown option wherever they stand; after "--" every
// argument is a file.
Options parse(const QStringList &arguments);

// argv[1..] as the system passed them (local 8-bit encoding).
QStringList rawArguments(int argc, char **argv);

QString helpText();
// The product name and file version from the running executable's own version
// block ("Tabulon 1.0.10.282"); the product name alone when the block is missing.
QString versionText();

} // namespace cmdline
