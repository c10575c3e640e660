#include "o_FindBar.h"

#include <Qsci/qsciscintilla.h>

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

TqdFindBar::TqdFindBar(QsciScintilla *editor) : QFrame(editor), m_editor(editor)
{
    setObjectName(QStringLiteral("FindBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("edtFind"));
    m_edit->setPlaceholderText(tr("Find"));
    m_edit->setMinimumWidth(160);
    m_edit->installEventFilter(this);
    layout->addWidget(m_edit);

    auto *prev = new QToolButton(this);
    prev->setObjectName(QStringLiteral("btnFindPrevious"));
    prev->setText(QStringLiteral("\u25B2"));
    prev->setToolTip(tr("Find previous (Shift+F3)"));
    layout->addWidget(prev);

    auto *next = new QToolButton(this);
    next->setObjectName(QStringLiteral("btnFindNext"));
    next->setText(QStringLiteral("\u25BC"));
    next->setToolTip(tr("Find next (F3)"));
    layout->addWidget(next);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblFindStatus"));
    layout->addWidget(m_status);

    auto *closeButton = new QToolButton(this);
    closeButton->setObjectName(QStringLiteral("btnFindClose"));
    closeButton->setText(QStringLiteral("\u2715"));
    closeButton->setAutoRaise(true);
    layout->addWidget(closeButton);

    connect(prev, &QToolButton::clicked, this, [this] { find(false); });
    connect(next, &QToolButton::clicked, this, [this] { find(true); });
    connect(closeButton, &QToolButton::clicked, this, &TqdFindBar::close);
    connect(m_edit, &QLineEdit::textEdited, this, [this] { m_status->clear(); });
}

void TqdFindBar::activate(const QString &text)
{
    if (!text.isEmpty() && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        m_edit->setText(text);
    m_status->clear();
    show();
    raise();
    m_edit->setFocus();
    m_edit->selectAll();
}

bool TqdFindBar::find(bool forward)
{
    const QString text = m_edit->text();
    if (text.isEmpty()) {
        activate(QString());
        return false;
    }
    int line = 0, index = 0;
    m_editor->getCursorPosition(&line, &index);
    if (!forward && m_editor->hasSelectedText()) {
        int lineFrom, indexFrom, lineTo, indexTo;
        m_editor->getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
        line = lineFrom;
        index = indexFrom;
    }
    const bool found = m_editor->findFirst(text, false, false, false, true, forward, line, index, true);
    m_status->setText(found ? QString() : tr("Not found"));
    return found;
}

void TqdFindBar::close()
{
    hide();
    m_editor->setFocus();
}

bool TqdFindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            find(!(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
