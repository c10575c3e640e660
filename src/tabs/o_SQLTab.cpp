#include "o_SQLTab.h"

#include "o_AppInfo.h"
#include "o_BusyIndicator.h"
#include "o_DBGrid.h"
#include "o_Prompts.h"
#include "o_SQLSyn.h"
#include "o_ServerConnection.h"
#include "o_SynMemo.h"
#include "o_WorkerRun.h"

#include <QApplication>
#include <QFileInfo>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

bool isBlank(const std::string &text)
{
    for (unsigned char c : text)
        if (c > 32)
            return false;
    return true;
}

// The end of a run, whether it succeeded, failed with a caught error or lets
// a failure pass: the cursor back, the grid re-attached and read-only.
struct RunCleanup {
    TDBGrid *grid;
    ado::TDataSource *source;
    ~RunCleanup()
    {
        QApplication::restoreOverrideCursor();
        grid->SetDataSource(nullptr);
        grid->SetDataSource(source);
        grid->SetReadOnly(true);
    }
};

} // namespace

TqdSQLTab::TqdSQLTab(TqdSQLPageControl *owner) : QWidget(owner), m_owner(owner)
{
    setObjectName(QStringLiteral("SQLTab"));

    ServerConnection = new TqdServerConnection(this);
    ServerConnection->OnConnect = [this](TqdServerConnection *) { ApplyDialect(); };

    ResultGrid = new TDBGrid(this);

    ResultSplitter = new QSplitter(Qt::Vertical, this);
    ResultSplitter->setObjectName(QStringLiteral("ResultSplitter"));
    ResultSplitter->setHandleWidth(kSplitterWidth);
    ResultSplitter->setChildrenCollapsible(false);
    ResultSplitter->addWidget(ResultGrid);

    ResultSource = new ado::TDataSource(this);
    ResultSource->setObjectName(QStringLiteral("ResultSource"));

    SyntaxHighLight = new TqdSQLSyn(this);

    SynMemo = new TqdSynMemo(this);
    SynMemo->OnChange = [this] { MarkModified(); };
    SynMemo->setLexer(SyntaxHighLight);
    ResultSplitter->insertWidget(0, SynMemo);
    ResultSplitter->setStretchFactor(0, 1);
    ResultSplitter->setStretchFactor(1, 0);
    ResultSplitter->setSizes({400, kGridHeight});

    SyntaxHighLight->DataTypeAttri->SetForeground(QColor(0, 0, 128));
    SyntaxHighLight->KeyAttri->SetForeground(QColor(0, 0, 255));
    SyntaxHighLight->FunctionAttri->SetForeground(QColor(255, 0, 255));
    SyntaxHighLight->NumberAttri->SetForeground(QColor(0, 0, 128));
    SyntaxHighLight->VariableAttri->SetForeground(QColor(255, 0, 255));

    Saved = false;

    m_busy = new TqdBusyIndicator(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ResultSplitter, 1);
    layout->addWidget(m_busy);

    if (owner)
        owner->insertPage(this);
}

TqdSQLTab::~TqdSQLTab()
{
    if (m_owner)
        m_owner->removePage(this);
    ResultGrid->SetDataSource(nullptr);
    ResultSource->SetDataSet(nullptr);
    SynMemo->setLexer(nullptr);
}

bool TqdSQLTab::isRunning()
{
    return workerRunActive();
}

bool TqdSQLTab::event(QEvent *event)
{
    // A tab whose statement runs goes away only after the run.
    if (event->type() == QEvent::DeferredDelete && m_running) {
        m_deleteAfterRun = true;
        return true;
    }
    return QWidget::event(event);
}

void TqdSQLTab::SetCaption(const QString &caption)
{
    m_caption = caption;
    if (m_owner)
        m_owner->showCaption(this);
}

void TqdSQLTab::runStatement(const std::string &statement, ado::TADODataSet *&result, int &recordsAffected)
{
    TqdServerConnection *connection = ServerConnection;
    m_running = true;
    struct Finish {
        TqdSQLTab *tab;
        ~Finish()
        {
            tab->m_running = false;
            if (tab->m_deleteAfterRun)
                tab->deleteLater();
        }
    } finish{this};
    runOnWorker([&] { result = connection->RunStatement(statement, recordsAffected); }, m_busy,
                [connection] { connection->ADOConnection()->Cancel(); });
}

bool TqdSQLTab::ExecuteSQL()
{
    if (isRunning()) {
        // One call at a time: the connections are used by one thread at a time,
        // and the tab that runs waits for its own result.
        ErrorMessage = "A statement is still running";
        return false;
    }
    const std::string text = SynMemo->Lines().Text();
    if (isBlank(text)) {
        prompts::MessageRequest box;
        box.owner = nullptr;
        box.text = QStringLiteral("No Database is selected!");
        box.caption = appinfo::applicationTitle();
        box.icon = QMessageBox::Critical;
        box.buttons = QMessageBox::Ok;
        prompts::message(box);
        return false;
    }

    ado::TADODataSet *previous = ResultSource->DataSet();
    ResultSource->SetDataSet(nullptr);
    if (previous)
        ServerConnection->ReleaseQuery(previous);

    const std::string statement = SynMemo->SelAvail() ? SynMemo->SelText() : text;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    RunCleanup cleanup{ResultGrid, ResultSource};
    ResultSource->SetDataSet(nullptr);
    try {
        ado::TADODataSet *result = nullptr;
        int recordsAffected = 0;
        runStatement(statement, result, recordsAffected);
        if (result) {
            ResultSource->SetDataSet(result);
            InfoMessage = std::to_string(result->RecordCount()) + " Records fetched";
        } else if (recordsAffected != 0) {
            InfoMessage = std::to_string(recordsAffected) + " Records Affected";
        } else {
            InfoMessage = "Commands executed successfully...";
        }
        // The engine's notices and warnings are counted until they have a place of their own.
        if (const size_t notices = ServerConnection->LastNotices().size())
            InfoMessage += notices == 1 ? " (1 notice)" : " (" + std::to_string(notices) + " notices)";
        return true;
    } catch (const ado::EADOError &e) {
        ErrorMessage = e.message();
        return false;
    }
}

void TqdSQLTab::OpenScript(TFileDialog *dialog)
{
    if (!dialog || !dialog->Execute())
        return;
    const QString fileName = dialog->FileName;
    if (!QFileInfo::exists(fileName))
        return;
    LoadScript(fileName);
}

void TqdSQLTab::LoadScript(const QString &fileName)
{
    SynMemo->Lines().Clear();
    SynMemo->Lines().LoadFromFile(fileName);
    FileName = QFileInfo(fileName).absoluteFilePath();
    Saved = true;
    const std::string &server = ServerConnection->ServerName;
    const QString name = QFileInfo(fileName).fileName();
    if (server.empty())
        SetCaption(name);
    else
        SetCaption(QStringLiteral("%1 [%2]").arg(QString::fromUtf8(server.data(), qsizetype(server.size())), name));
}

void TqdSQLTab::SaveScript(TFileDialog *dialog)
{
    if (!dialog || Saved)
        return;
    if (!dialog->Execute())
        return;
    // The dialog has applied its default extension before asking about the file.
    const QString fileName = dialog->FileName;
    SynMemo->Lines().SaveToFile(fileName);
    FileName = QFileInfo(fileName).absoluteFilePath();
    // Drop the "*" that marks unsaved edits (a caption without one keeps its text).
    QString caption = m_caption;
    if (caption.endsWith(QLatin1Char('*')))
        caption.chop(1);
    SetCaption(caption);
    Saved = true;
}

void TqdSQLTab::MarkModified()
{
    Saved = false;
    if (!m_caption.contains(QLatin1Char('*')))
        SetCaption(m_caption + QLatin1Char('*'));
}

void TqdSQLTab::ApplyDialect()
{
    switch (ServerConnection->DBEngine) {
    case seFireBird: SyntaxHighLight->SetSQLDialect(sqlInterbase6); break;
    case seMSAccess: SyntaxHighLight->SetSQLDialect(sqlStandard); break;
    case seMSCE31:
    case seMSCE35:
    case seMSSQL: SyntaxHighLight->SetSQLDialect(sqlMSSQL2K); break;
    case seMySQL: SyntaxHighLight->SetSQLDialect(sqlMySQL); break;
    case seOracle: SyntaxHighLight->SetSQLDialect(sqlOracle); break;
    case sePostGre: SyntaxHighLight->SetSQLDialect(sqlStandard); break;
    case seSQLite: SyntaxHighLight->SetSQLDialect(sqlSQLite); break;
    case seOracleMS:
    case seNone: break;
    }
}
