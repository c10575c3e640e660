#include "o_Prompts.h"

#include <QFileDialog>

namespace prompts {
namespace {
MessageAnswerer g_messageAnswerer;
FileAnswerer g_fileAnswerer;

// "Desc|*.a;*.b|Desc2|*.c" -> "Desc (*.a *.b)", "Desc2 (*.c)"
QStringList qtFilters(const QString &filter)
{
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return out;
}
} // namespace

void setMessageAnswerer(MessageAnswerer answerer) { g_messageAnswerer = std::move(answerer); }
void setFileAnswerer(FileAnswerer answerer) { g_fileAnswerer = std::move(answerer); }

QMessageBox::StandardButton message(const MessageRequest &request)
{
    if (g_messageAnswerer)
        return g_messageAnswerer(request);
    QMessageBox box(request.icon, request.caption, request.text, request.buttons, request.owner);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    return QMessageBox::StandardButton(box.exec());
}

FileAnswer chooseFile(const FileRequest &request)
{
    if (g_fileAnswerer)
        return g_fileAnswerer(request);
    QFileDialog dialog(request.owner, request.title);
    dialog.setAcceptMode(request.mode == FileMode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mode == FileMode::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = qtFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    FileAnswer answer;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return answer;
    answer.accepted = true;
    answer.fileName = dialog.selectedFiles().first();
    answer.filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (answer.filterIndex < 1)
        answer.filterIndex = request.filterIndex;
    return answer;
}

} // namespace prompts

TFileDialog::TFileDialog(prompts::FileMode mode, QObject *owner) : QObject(owner), Mode(mode) {}

bool TFileDialog::Execute()
{
    prompts::FileRequest r;
    r.owner = Window;
    r.mode = Mode;
    r.title = Title;
    r.filter = Filter;
    r.filterIndex = FilterIndex;
    r.defaultExt = DefaultExt;
    r.fileName = FileName;
    r.confirmOverwrite = OverwritePrompt;
    const prompts::FileAnswer a = prompts::chooseFile(r);
    if (!a.accepted)
        return false;
    FileName = a.fileName;
    FilterIndex = a.filterIndex;
    return true;
}
