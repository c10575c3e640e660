#include "files.h"

#include <QFile>

namespace testfiles {

std::string readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    const QByteArray b = f.readAll();
    return std::string(b.constData(), size_t(b.size()));
}

bool writeBytes(const QString &path, std::string_view bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()) && f.flush();
}

} // namespace testfiles
