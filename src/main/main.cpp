// Tabulon: read the command line, start the application, show the main window
// with the tabs the journal restores and the scripts named on the command line,
// run until it closes.
#include <cstdio>

#include "f_main.h"
#include "o_TabJournal.h"
#include "o_CommandLine.h"

namespace {

int print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    return std::fflush(stream) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    // --help and --version answer without a display.
    const cmdline::Options early = cmdline::parse(cmdline::rawArguments(argc, argv));
    if (early.action == cmdline::Action::Help)
        return print(stdout, cmdline::helpText());
    if (early.action == cmdline::Action::Version)
        return print(stdout, cmdline::versionText());

    TTabulonApplication app(argc, argv);
    // The toolkit has taken its own options out by now.
    const cmdline::Options options = cmdline::parse(QCoreApplication::arguments().mid(1));
    if (options.action == cmdline::Action::Error) {
        print(stderr, options.error + QLatin1Char('\n'));
        return 2;
    }
    TFrmMain mainWindow;
    TqdTabJournal journal(mainWindow.SQLPageControl, TqdTabJournal::defaultStateFolder());
    mainWindow.AttachJournal(&journal);
    mainWindow.show();
    if (!options.files.isEmpty())
        mainWindow.OpenScriptFiles(options.files);
    return app.exec();
}
