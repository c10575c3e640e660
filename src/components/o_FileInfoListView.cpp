#include "o_FileInfoListView.h"

#include "o_Error.h"

#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {

// Only the first column (the row caption) is ever edited.
class CaptionOnlyDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return index.column() == 0 ? QStyledItemDelegate::createEditor(parent, option, index) : nullptr;
    }
};

QString text(const std::string &s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

} // namespace

TqdFileInfoListView::TqdFileInfoListView(QWidget *parent)
    : QTreeWidget(parent), FFileInfo(new TqdFileInfo(this))
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    header()->setStretchLastSection(false);
    setItemDelegate(new CaptionOnlyDelegate(this));
    setEditTriggers(DoubleClicked | EditKeyPressed | SelectedClicked);
    setColumnCount(0);
    resize(254, 166);
    if (parent)
        TqdFileInfoListView::RebuildList();
}

void TqdFileInfoListView::SetFileName(const std::string &name)
{
    FFileName = name;
    if (!fileinfo::isBlank(name) && !fileinfo::fileExists(name))
        throw EqdError(name + " file does not exist!");
    FFileInfo->SetFileName(name);
    RebuildList();
}

void TqdFileInfoListView::RebuildList()
{
    clear();
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Key"), QStringLiteral("Value")});
    const int half = width() / 2;
    setColumnWidth(0, half);
    setColumnWidth(1, half);

    const TqdFileInfo &fi = *FFileInfo;
    const std::pair<const char *, const std::string *> rows[] = {
        {"CompanyName", &fi.CompanyName()},
        {"File Description", &fi.FileDescription()},
        {"FileName", &fi.FileName()},
        {"File Version", &fi.FileVersion()},
        {"Internal Name", &fi.InternalName()},
        {"Legal Copyright", &fi.LegalCopyright()},
        {"Legal TradeMarks", &fi.LegalTrademarks()},
        {"Original Filename", &fi.OriginalFilename()},
        {"Product Name", &fi.ProductName()},
        {"Product Version", &fi.ProductVersion()},
    };
    for (const auto &[caption, value] : rows) {
        auto *item = new QTreeWidgetItem(this, {QString::fromLatin1(caption), text(*value)});
        applyItemFlags(item);
    }
}

void TqdFileInfoListView::SetReadOnly(bool readOnly)
{
    FReadOnly = readOnly;
    for (int i = 0; i < topLevelItemCount(); ++i)
        applyItemFlags(topLevelItem(i));
}

void TqdFileInfoListView::applyItemFlags(QTreeWidgetItem *item) const
{
    Qt::ItemFlags flags = item->flags();
    item->setFlags(FReadOnly ? flags & ~Qt::ItemIsEditable : flags | Qt::ItemIsEditable);
}

bool TqdFileInfoListView::event(QEvent *e)
{
    const bool result = QTreeWidget::event(e);
    if (e->type() == QEvent::ParentChange && parentWidget())
        RebuildList();
    return result;
}

bool TqdFileInfoListView::viewportEvent(QEvent *e)
{
    if (e->type() != QEvent::ToolTip)
        return QTreeWidget::viewportEvent(e);
    auto *help = static_cast<QHelpEvent *>(e);
    const QModelIndex index = indexAt(help->pos());
    const QString text = index.data(Qt::DisplayRole).toString();
    const QRect cell = visualRect(index);
    // The view draws a cell's text inside a margin on either side.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const QVariant cellFont = index.data(Qt::FontRole);
    const int width = QFontMetrics(cellFont.isValid() ? cellFont.value<QFont>() : font()).horizontalAdvance(text);
    if (index.isValid() && width > cell.width() - 2 * margin)
        QToolTip::showText(help->globalPos(), text, viewport(), cell);
    else
        QToolTip::hideText();
    return true;
}
