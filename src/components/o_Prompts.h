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
};

// Show a message box; the button the user pressed.
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
};

struct FileAnswer {
    bool accepted = false;
    QString fileName;
    int filterIndex = 1;
};

FileAnswer chooseFile(const FileRequest &request);

// Tests: answer every message box / file dialog with these instead of showing one.
using MessageAnswerer = std::function<QMessageBox::StandardButton(const MessageRequest &)>;
using FileAnswerer = std::function<FileAnswer(const FileRequest &)>;
void setMessageAnswerer(MessageAnswerer answerer);
void setFileAnswerer(FileAnswerer answerer);

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
    QWidget *Window = nullptr; // the window the dialog belongs to
    prompts::FileMode Mode;
    // Show the dialog; true with FileName and FilterIndex set when the user chose a file.
    bool Execute();
};
