#include "fit_check.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>

#include <cmath>

namespace fitcheck {

namespace {

QString nameOf(const QWidget *w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

void check(QStringList &out, const QWidget *w, const QString &text, const char *what, int needed, int room)
{
    if (needed > room)
        out << QStringLiteral("%1: \"%2\" needs %3 pixels of %4, gets %5")
                   .arg(nameOf(w), text, QString::number(needed), QLatin1String(what), QString::number(room));
}

void checkLabel(QStringList &out, const QLabel *label)
{
    if (label->text().isEmpty() || label->wordWrap() || !label->pixmap().isNull())
        return;
    const QFontMetrics fm(label->font());
    const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                      -label->margin());
    check(out, label, label->text(), "width", fm.horizontalAdvance(label->text()), room.width());
    check(out, label, label->text(), "height", fm.height(), room.height());
}

void checkPushButton(QStringList &out, const QPushButton *button)
{
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
    const QFontMetrics fm(button->font());
    check(out, button, button->text(), "width", fm.horizontalAdvance(button->text()), room.width());
    check(out, button, button->text(), "height", fm.height(), room.height());
}

void checkToolButton(QStringList &out, const QToolButton *button)
{
    if (button->text().isEmpty() || button->toolButtonStyle() == Qt::ToolButtonIconOnly)
        return;
    // The label is drawn inside the frame; under the picture the text gets
    // the full width and the height below the picture and its 4-pixel gap.
    const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    const QRect label = button->rect().adjusted(frame, frame, -frame, -frame);
    int height = label.height();
    if (button->toolButtonStyle() == Qt::ToolButtonTextUnderIcon && !button->icon().isNull())
        height -= button->iconSize().height() + 4;
    const QFontMetrics fm(button->font());
    check(out, button, button->text(), "width", fm.horizontalAdvance(button->text()), label.width());
    check(out, button, button->text(), "height", fm.height(), height);
}

void checkGroupBox(QStringList &out, const QGroupBox *box)
{
    if (box->title().isEmpty())
        return;
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.text = box->title();
    opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    opt.textAlignment = box->alignment();
    opt.lineWidth = 1;
    const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
    const QRect inside = label.intersected(box->rect());
    check(out, box, box->title(), "width", label.width(), inside.width());
    check(out, box, box->title(), "height", label.height(), inside.height());
}

void checkTabBar(QStringList &out, const QTabBar *bar)
{
    const QFontMetrics fm(bar->font());
    const int padding = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar);
    for (int i = 0; i < bar->count(); ++i) {
        const QRect tab = bar->tabRect(i).intersected(bar->rect());
        check(out, bar, bar->tabText(i), "width", fm.horizontalAdvance(bar->tabText(i)), tab.width() - padding);
        check(out, bar, bar->tabText(i), "height", fm.height(), tab.height());
    }
}

void checkComboBox(QStringList &out, const QComboBox *box)
{
    QStyleOptionComboBox opt;
    opt.initFrom(box);
    opt.editable = box->isEditable();
    opt.frame = box->hasFrame();
    const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, box);
    const QFontMetrics fm(box->font());
    for (int i = 0; i < box->count(); ++i)
        check(out, box, box->itemText(i), "width", fm.horizontalAdvance(box->itemText(i)), field.width());
    // An editable box's line edit has its own frame and margins (checked as a line edit).
    if (!box->isEditable())
        check(out, box, QStringLiteral("a line of text"), "height", fm.height(), field.height());
}

void checkLineEdit(QStringList &out, const QLineEdit *edit)
{
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.rect = edit->rect();
    opt.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
    opt.midLineWidth = 0;
    opt.state |= QStyle::State_Sunken;
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit);
    const QMargins margins = edit->textMargins();
    // One pixel above and below the line, as the line edit paints it.
    const int room = contents.height() - margins.top() - margins.bottom() - 2;
    check(out, edit, QStringLiteral("a line of text"), "height", QFontMetrics(edit->font()).height(), room);
}

// Named widgets of the window's own design (not Qt's internal parts) lie
// inside their parent's frame.
void checkPlacement(QStringList &out, const QWidget *w)
{
    const QWidget *parent = w->parentWidget();
    if (!parent || w->isWindow() || w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
        return;
    if (qobject_cast<const QAbstractScrollArea *>(parent) || qobject_cast<const QComboBox *>(parent))
        return;
    const QRect inside = parent->contentsRect();
    if (!inside.contains(w->geometry()))
        out << QStringLiteral("%1 at (%2,%3 %4x%5) sticks out of %6's inside (%7,%8 %9x%10)")
                   .arg(nameOf(w))
                   .arg(w->x())
                   .arg(w->y())
                   .arg(w->width())
                   .arg(w->height())
                   .arg(nameOf(parent))
                   .arg(inside.x())
                   .arg(inside.y())
                   .arg(inside.width())
                   .arg(inside.height());
}

} // namespace

QStringList cutTexts(const QWidget *window)
{
    QStringList out;
    QList<const QWidget *> widgets{window};
    for (const QWidget *w : window->findChildren<QWidget *>())
        widgets << w;
    for (const QWidget *w : widgets) {
        if (!w->isVisible())
            continue;
        checkPlacement(out, w);
        if (auto *label = qobject_cast<const QLabel *>(w))
            checkLabel(out, label);
        else if (auto *push = qobject_cast<const QPushButton *>(w))
            checkPushButton(out, push);
        else if (auto *tool = qobject_cast<const QToolButton *>(w))
            checkToolButton(out, tool);
        else if (auto *box = qobject_cast<const QGroupBox *>(w))
            checkGroupBox(out, box);
        else if (auto *bar = qobject_cast<const QTabBar *>(w))
            checkTabBar(out, bar);
        else if (auto *combo = qobject_cast<const QComboBox *>(w))
            checkComboBox(out, combo);
        else if (auto *edit = qobject_cast<const QLineEdit *>(w))
            checkLineEdit(out, edit);
    }
    return out;
}

QStringList cutCells(const QTreeWidget *view, int column)
{
    QStringList out;
    // Item views draw a cell's text inside a margin on either side.
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int room = view->columnWidth(column) - 2 * margin;
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = view->topLevelItem(i);
        // The view lays a cell's text out in fractions of a pixel and elides
        // it when the fraction does not fit.
        const QFontMetricsF fm(item->font(column), view);
        check(out, view, item->text(column), "width", int(std::ceil(fm.horizontalAdvance(item->text(column)))), room);
    }
    // A header section keeps its own margin on either side.
    const int headerMargin = view->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, view->header());
    const QFontMetrics header(view->header()->font());
    const QString caption = view->headerItem()->text(column);
    check(out, view->header(), caption, "width", header.horizontalAdvance(caption),
          view->columnWidth(column) - 2 * headerMargin);
    return out;
}

int textWidth(const QWidget *widget, const QString &text) { return widget->fontMetrics().horizontalAdvance(text); }

AppFont::AppFont(const QFont &font) : saved(QApplication::font()) { QApplication::setFont(font); }

AppFont::~AppFont() { QApplication::setFont(saved); }

QFont AppFont::scaled(double factor)
{
    QFont font = QApplication::font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(qRound(font.pixelSize() * factor));
    return font;
}

QFont AppFont::small()
{
    QFont font = QApplication::font();
    font.setPixelSize(8);
    return font;
}

} // namespace fitcheck
