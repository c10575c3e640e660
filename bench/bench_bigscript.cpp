// Tabulon's sides of the huge-script cases: a script of many lines opened and
// saved through the query tab's file commands, and a script of one very long
// line opened and typed into at its end.
#include "bench_app.h"
#include "bench_env.h"
#include "bench_sides.h"

#include "o_Prompts.h"
#include "o_SQLPageControl.h"
#include "o_SQLTab.h"
#include "o_SynMemo.h"

#include <QFile>
#include <QKeyEvent>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace bench {

namespace {

std::string needPath(const char *name)
{
    const char *value = std::getenv(name);
    if (!value || !*value)
        throw std::runtime_error(std::string(name) + " is not set (run the benchmark through tools/bench.sh)");
    return value;
}

// A window of the benchmark's size with one query tab, and the file dialogs
// answered with the given paths.
struct ScriptWindow {
    SideApplication app;
    TqdSQLPageControl pages;
    TqdSQLTab *tab = nullptr;
    TFileDialog openDialog{prompts::FileMode::Open};
    TFileDialog saveDialog{prompts::FileMode::Save};

    ScriptWindow(const QString &openPath, const QString &savePath)
    {
        pages.resize(kWindowWidth, kWindowHeight);
        tab = pages.AddSQLTab();
        pages.SetActivePage(tab);
        pages.show();
        SideApplication::paint(&pages);
        openDialog.DefaultExt = QStringLiteral("sql");
        saveDialog.DefaultExt = QStringLiteral("sql");
        prompts::setFileAnswerer([openPath, savePath](const prompts::FileRequest &request) {
            return prompts::FileAnswer{true, request.mode == prompts::FileMode::Open ? openPath : savePath, 1};
        });
    }
    ~ScriptWindow() { prompts::setFileAnswerer(nullptr); }

    void open()
    {
        tab->OpenScript(&openDialog);
        SideApplication::paint(&pages);
    }
};

qint64 fileSize(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.size();
}

// Byte for byte, without holding both files at once.
bool sameFiles(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    constexpr qint64 kChunk = 4 << 20;
    while (!fa.atEnd())
        if (fa.read(kChunk) != fb.read(kChunk))
            return false;
    return true;
}

// The script named by the variable opened into the tab, to the first screen.
SideResult openSide(const char *variable)
{
    const QString script = QString::fromStdString(needPath(variable));
    ScriptWindow window(script, QString());
    Stopwatch clock;
    window.open();
    SideResult out{clock.seconds(), window.tab->SynMemo->SendScintilla(QsciScintillaBase::SCI_GETLENGTH)};
    if (out.items != fileSize(script))
        throw std::runtime_error("the editor holds another length than the script");
    return out;
}

} // namespace

SideResult bigScriptOpen()
{
    return openSide("TABULON_BENCH_BIGSCRIPT");
}

SideResult bigScriptSave()
{
    const QString script = QString::fromStdString(needPath("TABULON_BENCH_BIGSCRIPT"));
    const QString saved = QString::fromStdString(needPath("TABULON_BENCH_WORK") + "/saved-bigscript.sql");
    QFile::remove(saved);
    ScriptWindow window(script, saved);
    window.open();
    window.tab->MarkModified(); // an edit: a script that is saved already is not written again
    Stopwatch clock;
    window.tab->SaveScript(&window.saveDialog);
    SideResult out{clock.seconds(), fileSize(saved)};
    if (!sameFiles(script, saved))
        throw std::runtime_error("the saved script differs from the opened one");
    QFile::remove(saved);
    return out;
}

SideResult longLineOpen()
{
    return openSide("TABULON_BENCH_LONGLINE");
}

SideResult longLineKeys()
{
    const QString script = QString::fromStdString(needPath("TABULON_BENCH_LONGLINE"));
    ScriptWindow window(script, QString());
    window.open();
    TqdSynMemo *memo = window.tab->SynMemo;
    memo->setFocus();
    // The caret to the end of the line, as Ctrl+End would; then each key is
    // handled and the window painted before the next one. The slowest counts.
    auto press = [&](int key, const QString &text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(memo, &down);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(memo, &up);
        SideApplication::paint(&window.pages);
    };
    press(Qt::Key_End, QString(), Qt::ControlModifier);
    const long before = memo->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    double slowest = 0;
    const QString typed = QStringLiteral("x;");
    for (const QChar c : typed) {
        Stopwatch clock;
        press(c.unicode(), QString(c));
        slowest = std::max(slowest, clock.seconds());
    }
    for (int key : {Qt::Key_Left, Qt::Key_Home, Qt::Key_End, Qt::Key_Backspace}) {
        Stopwatch clock;
        press(key, QString());
        slowest = std::max(slowest, clock.seconds());
    }
    const long grown = memo->SendScintilla(QsciScintillaBase::SCI_GETLENGTH) - before;
    if (grown != typed.size() - 1)
        throw std::runtime_error("the typed keys did not all reach the editor");
    return {slowest, grown};
}

} // namespace bench
