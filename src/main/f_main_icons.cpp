// The main window's picture lists: the desktop theme's icons where it has
// them, our own pictures otherwise; disabled pictures are greyed versions.
#include "f_main.h"

#include <QApplication>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

static void initMainResources() { Q_INIT_RESOURCE(main); }

namespace {

struct Picture {
    const char *themeNames[3]; // freedesktop names, first found wins
    const char *ownFile;       // our own picture under :/main/icons/
};

QIcon pictureIcon(const Picture &picture, int size)
{
    const QIcon own(QStringLiteral(":/main/icons/") + QLatin1String(picture.ownFile));
    for (const char *name : picture.themeNames) {
        if (!name)
            break;
        const QIcon themed = QIcon::fromTheme(QLatin1String(name));
        if (!themed.isNull() && !themed.pixmap(size, size).isNull())
            return themed;
    }
    return own;
}

QIcon greyed(const QIcon &icon, int size)
{
    const QPixmap normal = icon.pixmap(size, size, QIcon::Normal);
    QStyleOption option;
    option.palette = QApplication::palette();
    QPixmap disabled = QApplication::style()->generatedIconPixmap(QIcon::Disabled, normal, &option);
    if (disabled.isNull())
        disabled = icon.pixmap(size, size, QIcon::Disabled);
    QIcon result;
    result.addPixmap(disabled, QIcon::Normal);
    result.addPixmap(disabled, QIcon::Disabled);
    return result;
}

} // namespace

void TFrmMain::createPictureLists()
{
    initMainResources();
    static const Picture tree[4] = {
        {{"network-server", "computer", nullptr}, "tree-server.png"},
        {{"folder-database", "drive-harddisk", "folder"}, "tree-database.png"},
        {{"x-office-spreadsheet", "text-x-generic", nullptr}, "tree-table.png"},
        {{"text-x-generic-template", "format-justify-left", nullptr}, "tree-field.png"},
    };
    for (size_t i = 0; i < TreeviewImageList.size(); ++i)
        TreeviewImageList[i] = pictureIcon(tree[i], 16);

    static const Picture tool[7] = {
        {{"document-open", nullptr, nullptr}, "tool-open.png"},
        {{"media-playback-start", "system-run", nullptr}, "tool-run.png"},
        {{"network-connect", nullptr, nullptr}, "tool-connect.png"},
        {{"network-disconnect", nullptr, nullptr}, "tool-disconnect.png"},
        {{"tab-new", "document-new", nullptr}, "tool-newtab.png"},
        {{"tab-close", "window-close", nullptr}, "tool-closetab.png"},
        {{"document-save", nullptr, nullptr}, "tool-save.png"},
    };
    for (size_t i = 0; i < ToolImageList.size(); ++i) {
        ToolImageList[i] = pictureIcon(tool[i], 32);
        ToolDisabledImageList[i] = greyed(ToolImageList[i], 32);
    }
}
