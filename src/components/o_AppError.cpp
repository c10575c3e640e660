#include "o_AppError.h"

#include "o_AppInfo.h"
#include "o_Prompts.h"

namespace apperror {

QString boxText(const QString &message)
{
    // Compared as bytes, as the message's 8-bit text would be.
    const QByteArray bytes = message.toUtf8();
    if (!bytes.isEmpty() && static_cast<unsigned char>(bytes.back()) > '.')
        return message + QLatin1Char('.');
    return message;
}

void show(const QString &message)
{
    prompts::MessageRequest r;
    r.text = boxText(message);
    r.caption = appinfo::applicationTitle();
    r.icon = QMessageBox::Critical;
    r.buttons = QMessageBox::Ok;
    prompts::message(r);
}

void show(const std::exception &e) { show(QString::fromUtf8(e.what())); }

bool guarded(const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const std::exception &e) {
        show(e);
    } catch (...) {
        show(QStringLiteral("Unknown error"));
    }
    return false;
}

} // namespace apperror
