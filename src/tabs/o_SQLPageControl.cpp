#include "o_SQLPageControl.h"

#include "o_CatalogueCache.h"
#include "o_SQLTab.h"
#include "o_ServerConnection.h"

#include <stdexcept>

namespace {

struct CodeChange {
    explicit CodeChange(int &counter) : m_counter(counter) { ++m_counter; }
    ~CodeChange() { --m_counter; }
    int &m_counter;
};

} // namespace

TqdSQLPageControl::TqdSQLPageControl(QWidget *owner) : QTabWidget(owner)
{
    setObjectName(QStringLiteral("SQLPageControl"));
    setDocumentMode(true);
    m_catalogueCache = new TqdCatalogueCache(this);
    connect(this, &QTabWidget::currentChanged, this, &TqdSQLPageControl::pageChanged);
}

TqdSQLPageControl::~TqdSQLPageControl()
{
    CodeChange guard(m_codeChange);
    while (count() > 0) {
        QWidget *page = widget(0);
        removeTab(0);
        delete page;
    }
}

TqdSQLTab *TqdSQLPageControl::AddSQLTab()
{
    return new TqdSQLTab(this);
}

void TqdSQLPageControl::insertPage(TqdSQLTab *tab)
{
    CodeChange guard(m_codeChange);
    addTab(tab, QString());
    emit tabAdded(tab);
}

void TqdSQLPageControl::removePage(TqdSQLTab *tab)
{
    CodeChange guard(m_codeChange);
    const int index = indexOf(tab);
    if (index >= 0) {
        removeTab(index);
        emit tabClosed(tab);
    }
}

void TqdSQLPageControl::showCaption(TqdSQLTab *tab)
{
    const int index = indexOf(tab);
    if (index < 0)
        return;
    QString shown = tab->Caption();
    shown.replace(QLatin1Char('&'), QLatin1String("&&")); // no mnemonics from server names
    setTabText(index, shown);
    emit tabCaptionChanged(tab);
}

TqdSQLTab *TqdSQLPageControl::SQLTab(int index) const
{
    if (index < 0 || index >= count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return qobject_cast<TqdSQLTab *>(widget(index));
}

TqdSQLTab *TqdSQLPageControl::ActiveSQLTab() const
{
    return qobject_cast<TqdSQLTab *>(currentWidget());
}

void TqdSQLPageControl::SetActivePageIndex(int index)
{
    CodeChange guard(m_codeChange);
    setCurrentIndex(index);
}

void TqdSQLPageControl::SetActivePage(TqdSQLTab *tab)
{
    CodeChange guard(m_codeChange);
    if (tab && indexOf(tab) >= 0)
        setCurrentWidget(tab);
}

void TqdSQLPageControl::RemoveSQLTab(int index)
{
    TqdSQLTab *tab = SQLTab(index);
    removePage(tab);
    if (TqdSQLTab::isRunning())
        tab->deleteLater(); // a run may be waiting on this tab's frame
    else
        delete tab;
}

void TqdSQLPageControl::pageChanged(int /*index*/)
{
    if (m_codeChange == 0)
        UpdateConnInfo();
}

void TqdSQLPageControl::UpdateConnInfo()
{
    QLabel *label = m_connInfoLabel;
    TqdSQLTab *tab = ActiveSQLTab();
    if (!label || !tab)
        return;
    label->setText(fileNamePart(tab->ServerConnection->ServerName));
}

QString TqdSQLPageControl::fileNamePart(const std::string &serverName)
{
    const size_t cut = serverName.find_last_of("\\:");
    const std::string part = cut == std::string::npos ? serverName : serverName.substr(cut + 1);
    return QString::fromUtf8(part.data(), qsizetype(part.size()));
}
