#include "o_TextRoom.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>

namespace textroom {

QSize buttonSize(const QPushButton *button, QSize designed)
{
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.rect = QRect(QPoint(), designed);
    opt.text = button->text();
    const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
    const QFontMetrics fm(button->font());
    // The caption keeps the style's button margin on either side; whatever
    // the contents miss is added to the button.
    const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &opt, button);
    return designed + QSize(qMax(0, fm.horizontalAdvance(button->text()) + 2 * margin - contents.width()),
                            qMax(0, fm.height() - contents.height()));
}

int lineEditHeight(const QLineEdit *edit, int designed)
{
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.rect = QRect(0, 0, edit->width(), designed);
    opt.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
    opt.midLineWidth = 0;
    opt.state |= QStyle::State_Sunken;
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit);
    const QMargins margins = edit->textMargins();
    // The line edit keeps one pixel above and below its line of text.
    const int room = contents.height() - margins.top() - margins.bottom() - 2;
    return designed + qMax(0, edit->fontMetrics().height() - room);
}

QSize comboBoxSize(const QComboBox *box, QSize designed, bool fitItems)
{
    QStyleOptionComboBox opt;
    opt.initFrom(box);
    opt.rect = QRect(QPoint(), designed);
    opt.editable = box->isEditable();
    opt.frame = box->hasFrame();
    const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, box);
    const QFontMetrics fm(box->font());
    // An item keeps a blank's width of air before the arrow.
    int width = 0;
    for (int i = 0; fitItems && i < box->count(); ++i)
        width = qMax(width, fm.horizontalAdvance(box->itemText(i)) + fm.horizontalAdvance(QLatin1Char(' ')));
    int height = fm.height();
    if (const QLineEdit *edit = box->lineEdit()) {
        // The text field is a line edit inside the field, with frame and margins of its own.
        const QMargins margins = edit->textMargins();
        height += margins.top() + margins.bottom() + 2;
    }
    return designed + QSize(qMax(0, width - field.width()), qMax(0, height - field.height()));
}

QSize labelSize(const QLabel *label, QSize designed)
{
    const QFontMetrics fm(label->font());
    const int margins = 2 * label->margin() + 2 * label->frameWidth();
    return designed.expandedTo(QSize(fm.horizontalAdvance(label->text()), fm.height()) + QSize(margins, margins));
}

} // namespace textroom
