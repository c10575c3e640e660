#include "o_FindBar.h"

#include <Qsci/qsciscintilla.h>

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <regex>

namespace {

QToolButton *toolButton(QWidget *parent, QLayout *layout, const char *name, const QString &text,
                        const QString &tip, bool checkable = false)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(tip);
    button->setCheckable(checkable);
    button->setAutoRaise(checkable);
    layout->addWidget(button);
    return button;
}

} // namespace

TqdFindBar::TqdFindBar(QsciScintilla *editor) : QFrame(editor), m_editor(editor)
{
    setObjectName(QStringLiteral("FindBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    auto *layout = new QHBoxLayout;
    layout->setSpacing(2);
    rows->addLayout(layout);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("edtFind"));
    m_edit->setPlaceholderText(tr("Find"));
    m_edit->setMinimumWidth(160);
    m_edit->installEventFilter(this);
    layout->addWidget(m_edit);

    m_matchCase = toolButton(this, layout, "btnMatchCase", QStringLiteral("Aa"), tr("Match case"), true);
    m_wholeWord = toolButton(this, layout, "btnWholeWord", QStringLiteral("W"), tr("Whole word"), true);
    m_regExp = toolButton(this, layout, "btnRegExp", QStringLiteral(".*"), tr("Regular expression"), true);
    auto *prev = toolButton(this, layout, "btnFindPrevious", QStringLiteral("\u25B2"), tr("Find previous (Shift+F3)"));
    auto *next = toolButton(this, layout, "btnFindNext", QStringLiteral("\u25BC"), tr("Find next (F3)"));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblFindStatus"));
    layout->addWidget(m_status);

    auto *closeButton = toolButton(this, layout, "btnFindClose", QStringLiteral("\u2715"), QString());
    closeButton->setAutoRaise(true);

    m_replaceRow = new QWidget(this);
    auto *replaceLayout = new QHBoxLayout(m_replaceRow);
    replaceLayout->setContentsMargins(0, 0, 0, 0);
    replaceLayout->setSpacing(2);
    m_replace = new QLineEdit(m_replaceRow);
    m_replace->setObjectName(QStringLiteral("edtReplace"));
    m_replace->setPlaceholderText(tr("Replace"));
    m_replace->setMinimumWidth(160);
    m_replace->installEventFilter(this);
    replaceLayout->addWidget(m_replace);
    auto *replace = toolButton(m_replaceRow, replaceLayout, "btnReplace", tr("Replace"), tr("Replace this match"));
    auto *replaceAllButton = toolButton(m_replaceRow, replaceLayout, "btnReplaceAll", tr("All"), tr("Replace all"));
    replaceLayout->addStretch();
    rows->addWidget(m_replaceRow);
    m_replaceRow->hide();

    connect(prev, &QToolButton::clicked, this, [this] { find(false); });
    connect(next, &QToolButton::clicked, this, [this] { find(true); });
    connect(replace, &QToolButton::clicked, this, [this] { replaceOne(); });
    connect(replaceAllButton, &QToolButton::clicked, this, [this] { replaceAll(); });
    connect(closeButton, &QToolButton::clicked, this, &TqdFindBar::close);
    connect(m_edit, &QLineEdit::textEdited, this, [this] { m_status->clear(); });
    for (QToolButton *option : {m_matchCase, m_wholeWord, m_regExp})
        connect(option, &QToolButton::toggled, this, [this] { m_status->clear(); });
}

QString TqdFindBar::status() const
{
    return m_status->text();
}

bool TqdFindBar::replaceVisible() const
{
    return !m_replaceRow->isHidden();
}

void TqdFindBar::activate(const QString &text, bool replace)
{
    if (!text.isEmpty() && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        m_edit->setText(text);
    m_status->clear();
    m_replaceRow->setVisible(replace);
    adjustSize();
    show();
    raise();
    m_edit->setFocus();
    m_edit->selectAll();
}

int TqdFindBar::searchFlags() const
{
    int flags = 0;
    if (m_matchCase->isChecked())
        flags |= QsciScintillaBase::SCFIND_MATCHCASE;
    if (m_wholeWord->isChecked())
        flags |= QsciScintillaBase::SCFIND_WHOLEWORD;
    if (m_regExp->isChecked())
        flags |= QsciScintillaBase::SCFIND_REGEXP | QsciScintillaBase::SCFIND_CXX11REGEX;
    return flags;
}

long TqdFindBar::searchRange(long from, long to, long *end) const
{
    const QByteArray text = m_edit->text().toUtf8();
    // Scintilla answers a broken expression as "not found"; tell them apart
    if (m_regExp->isChecked()) {
        try {
            std::regex(text.constData(), size_t(text.size()), std::regex::ECMAScript);
        } catch (const std::regex_error &) {
            return -2;
        }
    }
    m_editor->SendScintilla(QsciScintillaBase::SCI_SETSEARCHFLAGS, searchFlags());
    m_editor->SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, from, to);
    const long at = m_editor->SendScintilla(QsciScintillaBase::SCI_SEARCHINTARGET, text.size(), text.constData());
    if (at >= 0 && end)
        *end = m_editor->SendScintilla(QsciScintillaBase::SCI_GETTARGETEND);
    return at;
}

// Replaces the current target (a match just found); the end of the new text.
long TqdFindBar::replaceTarget(const QString &with) const
{
    const QByteArray bytes = with.toUtf8();
    const unsigned message = m_regExp->isChecked() ? QsciScintillaBase::SCI_REPLACETARGETRE
                                                   : QsciScintillaBase::SCI_REPLACETARGET;
    m_editor->SendScintilla(message, bytes.size(), bytes.constData());
    return m_editor->SendScintilla(QsciScintillaBase::SCI_GETTARGETEND);
}

bool TqdFindBar::find(bool forward)
{
    if (m_edit->text().isEmpty()) {
        activate(QString(), replaceVisible());
        return false;
    }
    const long length = m_editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    const long selStart = m_editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long selEnd = m_editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND);
    long end = 0;
    long at;
    if (forward) {
        at = searchRange(selEnd, length, &end);
        if (at == -1)
            at = searchRange(0, length, &end);
    } else {
        // a target from high to low searches backwards
        at = searchRange(selStart, 0, &end);
        if (at == -1)
            at = searchRange(length, 0, &end);
    }
    if (at == -2) {
        m_status->setText(tr("Invalid expression"));
        return false;
    }
    if (at < 0) {
        m_status->setText(tr("Not found"));
        return false;
    }
    m_status->clear();
    m_editor->SendScintilla(QsciScintillaBase::SCI_SETSEL, at, end);
    m_editor->SendScintilla(QsciScintillaBase::SCI_SCROLLCARET);
    return true;
}

bool TqdFindBar::replaceOne()
{
    if (m_edit->text().isEmpty())
        return false;
    const long selStart = m_editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long selEnd = m_editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND);
    long end = 0;
    // Only a selection that is itself a whole match is replaced; otherwise
    // the first press just finds the next match.
    if (selEnd > selStart && searchRange(selStart, selEnd, &end) == selStart && end == selEnd) {
        const long after = replaceTarget(m_replace->text());
        m_editor->SendScintilla(QsciScintillaBase::SCI_SETSEL, after, after);
        find(true);
        return true;
    }
    find(true);
    return false;
}

int TqdFindBar::replaceAll()
{
    if (m_edit->text().isEmpty())
        return 0;
    int count = 0;
    long from = 0;
    m_editor->SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    for (;;) {
        const long length = m_editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        if (from > length)
            break;
        long end = 0;
        const long at = searchRange(from, length, &end);
        if (at < 0) {
            if (at == -2)
                m_status->setText(tr("Invalid expression"));
            break;
        }
        from = replaceTarget(m_replace->text());
        ++count;
        // an empty match (a regular expression such as "^") moves on by a
        // character, so the same place is not matched again
        if (end == at) {
            if (from >= m_editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH))
                break;
            from = m_editor->SendScintilla(QsciScintillaBase::SCI_POSITIONAFTER, from);
        }
    }
    m_editor->SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    if (count > 0)
        m_status->setText(tr("%n replaced", nullptr, count));
    else if (m_status->text().isEmpty())
        m_status->setText(tr("Not found"));
    return count;
}

void TqdFindBar::close()
{
    hide();
    m_editor->setFocus();
}

bool TqdFindBar::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_edit || watched == m_replace) && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (watched == m_replace)
                replaceOne();
            else
                find(!(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
