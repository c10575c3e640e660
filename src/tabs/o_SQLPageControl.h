#pragma once
// TqdSQLPageControl: the tab set that holds the query tabs. It keeps a label
// elsewhere in the window up to date with the server of the tab that the user
// switches to (not when code changes the page).

#include <QLabel>
#include <QPointer>
#include <QTabWidget>

#include <string>

class TqdCatalogueCache;
class TqdSQLTab;

class TqdSQLPageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit TqdSQLPageControl(QWidget *owner = nullptr);
    ~TqdSQLPageControl() override;

    // A new tab as the last page; neither made active nor given a caption.
    TqdSQLTab *AddSQLTab();
    // Throws std::out_of_range outside 0 .. PageCount() - 1.
    TqdSQLTab *SQLTab(int index) const;
    TqdSQLTab *ActiveSQLTab() const;

    int PageCount() const { return count(); }
    int ActivePageIndex() const { return currentIndex(); }
    void SetActivePageIndex(int index);
    void SetActivePage(TqdSQLTab *tab);
    // Removes the page and destroys it.
    void RemoveSQLTab(int index);

    // Not owned; becomes null when the label is destroyed.
    QLabel *ConnInfoLabel() const { return m_connInfoLabel; }
    void SetConnInfoLabel(QLabel *label) { m_connInfoLabel = label; }
    void UpdateConnInfo();

    // The catalogue names the tabs' completion offers, shared by the tabs.
    TqdCatalogueCache *CatalogueCache() const { return m_catalogueCache; }

    // The text after the last '\' or ':' (the whole name when it has neither).
    static QString fileNamePart(const std::string &serverName);

signals:
    // A tab became a page (it is the last one).
    void tabAdded(TqdSQLTab *tab);
    // A tab left the tab set because it was closed; the tab is being destroyed.
    // Not raised for pages still open when the tab set itself goes.
    void tabClosed(TqdSQLTab *tab);
    // A tab's caption changed.
    void tabCaptionChanged(TqdSQLTab *tab);

private:
    friend class TqdSQLTab;
    void insertPage(TqdSQLTab *tab);
    void removePage(TqdSQLTab *tab);
    void showCaption(TqdSQLTab *tab);
    void pageChanged(int index);

    QPointer<QLabel> m_connInfoLabel;
    TqdCatalogueCache *m_catalogueCache = nullptr;
    int m_codeChange = 0; // > 0 while code (not the user) changes the pages
};
