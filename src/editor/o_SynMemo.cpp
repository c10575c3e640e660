#include "o_SynMemo.h"

#include "o_FindBar.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QFontDatabase>
#include <QResizeEvent>

TqdSynMemo::TqdSynMemo(QWidget *parent) : QsciScintilla(parent), m_lines(*this)
{
    setObjectName(QStringLiteral("SynMemo"));
    setUtf8(true); // SCI_SETCODEPAGE SC_CP_UTF8: bytes stay as given, UTF-8 shows as text
    setEolMode(EolWindows);
    setEolVisibility(false);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setMarginLineNumbers(0, true);
    setMarginType(0, NumberMargin);
    setMarginWidth(1, 0);
    setBraceMatching(SloppyBraceMatch);
    setAutoIndent(true);
    setTabWidth(4);
    updateLineNumberMargin();

    connect(this, &QsciScintilla::textChanged, this, &TqdSynMemo::textWasChanged);
    connect(this, &QsciScintilla::linesChanged, this, &TqdSynMemo::updateLineNumberMargin);

    m_findBar = new TqdFindBar(this);
    m_findBar->hide();

}

TqdSynMemo::~TqdSynMemo() = default;

void TqdSynMemo::textWasChanged()
{
    if (m_silent == 0 && OnChange)
        OnChange();
}

void TqdSynMemo::updateLineNumberMargin()
{
    int digits = 1;
    for (int n = lines(); n >= 10; n /= 10)
        ++digits;
    digits = std::max(digits, 3);
    if (digits == m_marginDigits)
        return;
    m_marginDigits = digits;
    setMarginWidth(0, QString(digits + 1, QLatin1Char('9')));
}

std::string_view TqdSynMemo::documentBytes() const
{
    const long length = SendScintilla(SCI_GETLENGTH);
    if (length <= 0)
        return {};
    const char *data = static_cast<const char *>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return std::string_view(data, size_t(length));
}

bool TqdSynMemo::SelAvail() const
{
    return SendScintilla(SCI_GETSELECTIONEMPTY) == 0;
}

std::string TqdSynMemo::SelText() const
{
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    const long end = SendScintilla(SCI_GETSELECTIONEND);
    if (end <= start)
        return {};
    return std::string(documentBytes().substr(size_t(start), size_t(end - start)));
}

void TqdSynMemo::CutToClipboard()
{
    cut();
}

void TqdSynMemo::CopyToClipboard()
{
    copy();
}

void TqdSynMemo::PasteFromClipboard()
{
    paste();
}

void TqdSynMemo::ClearSelection()
{
    if (SelAvail())
        removeSelectedText();
}

void TqdSynMemo::showFindBar()
{
    placeFindBar();
    m_findBar->activate(selectedText());
}

void TqdSynMemo::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Find)) {
        showFindBar();
        return;
    }
    if (event->matches(QKeySequence::FindNext) || event->matches(QKeySequence::FindPrevious)) {
        if (m_findBar->edtFind()->text().isEmpty())
            showFindBar();
        else
            m_findBar->find(event->matches(QKeySequence::FindNext));
        return;
    }
    if (event->key() == Qt::Key_Escape && m_findBar->isVisible()) {
        m_findBar->close();
        return;
    }
    QsciScintilla::keyPressEvent(event);
}

void TqdSynMemo::resizeEvent(QResizeEvent *event)
{
    QsciScintilla::resizeEvent(event);
    placeFindBar();
}

void TqdSynMemo::placeFindBar()
{
    if (!m_findBar)
        return;
    const QSize hint = m_findBar->sizeHint();
    const QRect area = viewport()->geometry();
    const int width = std::min(hint.width(), std::max(area.width(), 0));
    m_findBar->setGeometry(area.right() - width + 1, area.top(), width, hint.height());
    m_findBar->raise();
}
