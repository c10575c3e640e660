#pragma once
// TqdSQLTab: one query tab. An SQL editor above a result grid (a splitter
// between them) and a server connection of its own; runs the editor's text
// (or its selection), loads and saves scripts, and marks its caption with
// "*" while the text has unsaved edits.

#include <QPointer>
#include <QWidget>

#include <string>

#include "ado.h"
#include "o_DBGrid.h"
#include "o_SQLPageControl.h"
#include "o_SQLSyn.h"
#include "o_ServerConnection.h"
#include "o_SynMemo.h"

class QSplitter;
class TFileDialog;
class TqdBusyIndicator;

class TqdSQLTab : public QWidget {
    Q_OBJECT
public:
    explicit TqdSQLTab(TqdSQLPageControl *owner);
    ~TqdSQLTab() override;

    TqdServerConnection *ServerConnection = nullptr;
    TqdSynMemo *SynMemo = nullptr;
    TqdSQLSyn *SyntaxHighLight = nullptr;
    std::string ErrorMessage;
    std::string InfoMessage;
    bool Saved = false;
    TDBGrid *ResultGrid = nullptr;
    ado::TDataSource *ResultSource = nullptr;
    QSplitter *ResultSplitter = nullptr;
    // The script file the text was last loaded from or saved to; empty for
    // text never loaded or saved.
    QString FileName;

    // Run the selection or the whole text on the tab's connection. True when
    // the statement ran (InfoMessage holds the outcome); false for a blank
    // editor, a data-access error (ErrorMessage) or while another statement
    // runs. Other failures pass to the caller. The statement runs on a worker
    // thread; the window keeps painting and shows a busy indicator with Cancel.
    bool ExecuteSQL();
    void OpenScript(TFileDialog *dialog);
    // Replaces the text with the file's bytes and marks the tab saved; the
    // caption is "server [file name]", the file name alone without a server.
    // A file that cannot be read throws and leaves the text empty.
    void LoadScript(const QString &fileName);
    void SaveScript(TFileDialog *dialog);
    void MarkModified();
    void ApplyDialect();

    QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);

    TqdSQLPageControl *PageControl() const { return m_owner; }
    TqdBusyIndicator *BusyIndicator() const { return m_busy; }

    // True while any tab's statement runs: commands that would start another
    // database call must wait or refuse.
    static bool isRunning();

    // Grid height at construction (twice the classic grid's five rows of 24 pixels).
    static constexpr int kGridHeight = 240;
    static constexpr int kSplitterWidth = 3;

protected:
    bool event(QEvent *event) override;

private:
    void runStatement(const std::string &statement, ado::TADODataSet *&result, int &recordsAffected);

    QPointer<TqdSQLPageControl> m_owner;
    QString m_caption;
    TqdBusyIndicator *m_busy = nullptr;
    bool m_running = false;
    bool m_deleteAfterRun = false;
};
