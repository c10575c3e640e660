#include "o_Help.h"

#include <QDir>
#include <QFileInfo>

#ifndef TABULON_DOC_FROM_BIN
#define TABULON_DOC_FROM_BIN "../share/doc/tabulon"
#endif

namespace help {

QStringList helpFileCandidates(const QString &programFolder)
{
    const QDir folder(programFolder);
    return {
        folder.filePath(QStringLiteral("Tabulon.chm")),
        QDir::cleanPath(folder.filePath(QStringLiteral("share/doc/tabulon/index.html"))),
        QDir::cleanPath(folder.filePath(QStringLiteral(TABULON_DOC_FROM_BIN "/index.html"))),
    };
}

QString findHelpFile(const QString &programFolder)
{
    for (const QString &candidate : helpFileCandidates(programFolder))
        if (QFileInfo(candidate).isFile())
            return candidate;
    return QString();
}

} // namespace help
