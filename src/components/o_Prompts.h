#pragma once
// The one seam through which the program's message boxes and file dialogs
// go. In the program they show real dialogs; tests install an answerer that
// records what would have been shown and answers it.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace prompts {

struct MessageRequest {
    QWidget *owner = nullptr;
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    // The answer of Escape and of closing the box; NoButton lets the box choose.
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
};

// Show a message box; the button the user pressed. The text is shown as it
// stands: provider messages and file names are never read as markup.
QMessageBox::StandardButton message(const MessageRequest &request);

enum class FileMode { Open, Save };

struct FileRequest {
    QWidget *owner = nullptr;
    FileMode mode = FileMode::Open;
    QString title;
    QString filter;       // "Desc|pattern|Desc|pattern" as the dialogs store it
    int filterIndex = 1;  // one-based, as stored
    QString defaultExt;   // ".sql"
    QString fileName;     // initial name
    bool confirmOverwrite = false;
    bool confirmCreate = false; // ask before a name that does not exist yet is taken
    bool mustExist = true;      // open dialogs: only existing files may be chosen
    // The default extension follows the chosen filter (its first pattern's "*.ext").
    bool extensionFromFilter = false;
};

struct FileAnswer {
    bool accepted = false;
    QString fileName;
    int filterIndex = 1;
};

// Shows the dialog. A name chosen without an extension gets the default
// extension before the dialog asks about overwriting or creating the file.
FileAnswer chooseFile(const FileRequest &request);

// `fileName` with `defaultExt` (".sql" or "sql") appended when its last part
// has no "."; unchanged when it has one or when there is no default.
QString withDefaultExtension(const QString &fileName, const QString &defaultExt);

struct IntegerRequest {
    QWidget *owner = nullptr;
    QString caption;
    QString label;
    int value = 0;
    int minimum = 0;
    int maximum = 0;
};

struct IntegerAnswer {
    bool accepted = false;
    int value = 0;
};

// Ask for a whole number in [minimum, maximum].
IntegerAnswer askInteger(const IntegerRequest &request);

struct TextRequest {
    QWidget *owner = nullptr;
    QString caption;
    QString label;
    QString value;
};

struct TextAnswer {
    bool accepted = false;
    QString value;
};

// Ask for a line of text.
TextAnswer askText(const TextRequest &request);

// The "*.ext" extension of the `filterIndex`-th (one-based) pattern of a
// "Desc|pattern|..." filter, without "*."; empty when it has none.
QString filterExtension(const QString &filter, int filterIndex);

// Tests: answer every message box / file dialog with these instead of showing one.
using MessageAnswerer = std::function<QMessageBox::StandardButton(const MessageRequest &)>;
using FileAnswerer = std::function<FileAnswer(const FileRequest &)>;
using IntegerAnswerer = std::function<IntegerAnswer(const IntegerRequest &)>;
using TextAnswerer = std::function<TextAnswer(const TextRequest &)>;
void setMessageAnswerer(MessageAnswerer answerer);
void setFileAnswerer(FileAnswerer answerer);
void setIntegerAnswerer(IntegerAnswerer answerer);
void setTextAnswerer(TextAnswerer answerer);

} // namespace prompts

// An open or save dialog's settings, kept between uses, shown through the seam.
class TFileDialog : public QObject {
public:
    TFileDialog(prompts::FileMode mode, QObject *owner = nullptr);
    QString Title;
    QString Filter;
    int FilterIndex = 1;
    QString DefaultExt;
    QString FileName;
    bool OverwritePrompt = false;
    bool CreatePrompt = false;
    bool FileMustExist = true;
    QWidget *Window = nullptr; // the window the dialog belongs to
    prompts::FileMode Mode;
    // Show the dialog; true with FileName (the default extension applied) and
    // FilterIndex set when the user chose a file.
    bool Execute();
};
