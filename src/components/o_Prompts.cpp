#include "o_Prompts.h"

#include <QInputDialog>
#include <QLineEdit>

#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>

namespace prompts {
namespace {
MessageAnswerer g_messageAnswerer;
FileAnswerer g_fileAnswerer;
IntegerAnswerer g_integerAnswerer;
TextAnswerer g_textAnswerer;

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

// Qt's own file dialog, the same on every desktop, that can also ask before a
// new file is created. It applies the default suffix itself, so its overwrite
// and create questions name the file that will really be written.
class FileDialog : public QFileDialog {
public:
    FileDialog(QWidget *owner, const QString &title, bool confirmCreate)
        : QFileDialog(owner, title), m_confirmCreate(confirmCreate)
    {
        setOption(QFileDialog::DontUseNativeDialog);
    }

    // The default extension follows the chosen filter: "*.ext" of its first pattern.
    QString filterSource;

    void accept() override
    {
        if (!filterSource.isEmpty()) {
            const QString ext =
                filterExtension(filterSource, int(nameFilters().indexOf(selectedNameFilter())) + 1);
            if (!ext.isEmpty())
                setDefaultSuffix(ext);
        }
        const QStringList files = selectedFiles();
        if (m_confirmCreate && !files.isEmpty() && !files.first().isEmpty()) {
            const QFileInfo chosen(files.first());
            if (!chosen.exists() && !chosen.fileName().isEmpty()) {
                QMessageBox question(QMessageBox::Warning, windowTitle(),
                                     chosen.fileName() + QStringLiteral("\nThis file does not exist.\n"
                                                                        "Do you want to create it?"),
                                     QMessageBox::Yes | QMessageBox::No, this);
                question.setTextFormat(Qt::PlainText);
                question.setDefaultButton(QMessageBox::Yes);
                question.setEscapeButton(QMessageBox::No);
                if (question.exec() != QMessageBox::Yes)
                    return; // back to the dialog
            }
        }
        QFileDialog::accept();
    }

private:
    bool m_confirmCreate;
};
} // namespace

QString withDefaultExtension(const QString &fileName, const QString &defaultExt)
{
    const QString suffix = defaultExt.startsWith(QLatin1Char('.')) ? defaultExt.mid(1) : defaultExt;
    if (suffix.isEmpty())
        return fileName;
    const qsizetype folderEnd =
        std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    if (fileName.indexOf(QLatin1Char('.'), folderEnd + 1) >= 0)
        return fileName;
    return fileName + QLatin1Char('.') + suffix;
}

void setMessageAnswerer(MessageAnswerer answerer) { g_messageAnswerer = std::move(answerer); }
void setFileAnswerer(FileAnswerer answerer) { g_fileAnswerer = std::move(answerer); }
void setIntegerAnswerer(IntegerAnswerer answerer) { g_integerAnswerer = std::move(answerer); }
void setTextAnswerer(TextAnswerer answerer) { g_textAnswerer = std::move(answerer); }

TextAnswer askText(const TextRequest &request)
{
    if (g_textAnswerer)
        return g_textAnswerer(request);
    TextAnswer answer;
    answer.value = QInputDialog::getText(request.owner, request.caption, request.label, QLineEdit::Normal,
                                         request.value, &answer.accepted);
    return answer;
}

QString filterExtension(const QString &filter, int filterIndex)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    const int at = 2 * (filterIndex - 1) + 1;
    if (filterIndex < 1 || at >= parts.size())
        return QString();
    const QString first = parts[at].section(QLatin1Char(';'), 0, 0).trimmed();
    if (!first.startsWith(QStringLiteral("*.")) || first.indexOf(QLatin1Char('*'), 1) >= 0)
        return QString();
    return first.mid(2);
}

IntegerAnswer askInteger(const IntegerRequest &request)
{
    if (g_integerAnswerer)
        return g_integerAnswerer(request);
    IntegerAnswer answer;
    answer.value = QInputDialog::getInt(request.owner, request.caption, request.label, request.value,
                                        request.minimum, request.maximum, 1, &answer.accepted);
    return answer;
}

QMessageBox::StandardButton message(const MessageRequest &request)
{
    if (g_messageAnswerer)
        return g_messageAnswerer(request);
    QMessageBox box(request.icon, request.caption, request.text, request.buttons, request.owner);
    box.setTextFormat(Qt::PlainText);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    if (request.escapeButton != QMessageBox::NoButton)
        box.setEscapeButton(request.escapeButton);
    return QMessageBox::StandardButton(box.exec());
}

FileAnswer chooseFile(const FileRequest &request)
{
    if (g_fileAnswerer)
        return g_fileAnswerer(request);
    FileDialog dialog(request.owner, request.title, request.confirmCreate);
    dialog.setAcceptMode(request.mode == FileMode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    const bool anyName = request.mode == FileMode::Save || !request.mustExist;
    dialog.setFileMode(anyName ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.defaultExt.isEmpty())
        dialog.setDefaultSuffix(request.defaultExt);
    const QStringList filters = qtFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (request.extensionFromFilter)
        dialog.filterSource = request.filter;
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
    r.confirmCreate = CreatePrompt;
    r.mustExist = FileMustExist;
    const prompts::FileAnswer a = prompts::chooseFile(r);
    if (!a.accepted)
        return false;
    FileName = prompts::withDefaultExtension(a.fileName, DefaultExt);
    FilterIndex = a.filterIndex;
    return true;
}
