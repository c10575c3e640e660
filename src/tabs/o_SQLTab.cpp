#include "o_SQLTab.h"

#include "o_AppInfo.h"
#include "o_BusyIndicator.h"
#include "o_CatalogueCache.h"
#include "o_CatalogueCompletion.h"
#include "o_DBGrid.h"
#include "o_Prompts.h"
#include "o_ResultArea.h"
#include "o_RowSetModel.h"
#include "o_SQLSyn.h"
#include "o_ServerConnection.h"
#include "o_SynMemo.h"
#include "o_WorkerRun.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QSplitter>
#include <QTimer>
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
        // Bound to the result, or bound again when the model still shows rows
        // that arrived for a statement that then failed. A model that shows the
        // result's rows already keeps them as they are: a reset would lay out
        // every row's header again and lose the user's place in the grid.
        if (grid->DataSource() != source || grid->rowSetModel()->rowsArriving())
            grid->SetDataSource(source);
        grid->SetReadOnly(true);
    }
};

// Hands the row set that a statement fills on the worker to the grid's
// model, on the window thread, for the scope of one run.
struct ArrivingRows {
    ado::TADOConnection *connection;
    ArrivingRows(ado::TADOConnection *c, TRowSetModel *model) : connection(c)
    {
        QPointer<TRowSetModel> to(model);
        connection->OnRowsArriving = [to, running = running](std::shared_ptr<const ado::RowSet> rows) {
            QMetaObject::invokeMethod(
                to,
                [to, rows, running] {
                    // Dropped when the run has ended first: its result is shown by then.
                    if (to && *running)
                        to->showArriving(rows);
                },
                Qt::QueuedConnection);
        };
    }
    ~ArrivingRows()
    {
        connection->OnRowsArriving = nullptr;
        *running = false;
    }
    std::shared_ptr<bool> running = std::make_shared<bool>(true);
    ArrivingRows(const ArrivingRows &) = delete;
    ArrivingRows &operator=(const ArrivingRows &) = delete;
};

// The outcome of a statement that returned no rows.
std::string outcomeText(int recordsAffected)
{
    if (recordsAffected != 0)
        return std::to_string(recordsAffected) + " Records Affected";
    return "Commands executed successfully...";
}

// " (1 notice)", " (3 notices)" after an outcome; nothing without notices.
std::string noticeCount(std::size_t notices)
{
    if (notices == 0)
        return {};
    return notices == 1 ? " (1 notice)" : " (" + std::to_string(notices) + " notices)";
}

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
    if (TqdCatalogueCache *cache = owner ? owner->CatalogueCache() : nullptr) {
        SynMemo->NameCompletion = [this, cache](long caret) {
            return catalogueCompletion(*cache, *ServerConnection, SynMemo->documentBytes(), caret);
        };
        connect(cache, &TqdCatalogueCache::arrived, SynMemo, &TqdSynMemo::namesArrived);
    }
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

    ResultArea = new TqdResultArea(ResultSplitter, ResultGrid, ServerConnection, this);

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
    ResultArea->Clear();
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
    // The grid shows the rows while they arrive: it can be scrolled, and its
    // rows copied or exported, meanwhile.
    runOnWorker([&] { result = connection->RunStatement(statement, recordsAffected); }, m_busy,
                [this, connection] {
                    m_cancelRequested = true;
                    connection->ADOConnection()->Cancel();
                },
                ResultGrid);
}

bool TqdSQLTab::startRun()
{
    if (isRunning()) {
        // One call at a time: the connections are used by one thread at a time,
        // and the tab that runs waits for its own result.
        ErrorMessage = "A statement is still running";
        return false;
    }
    if (isBlank(SynMemo->Lines().Text())) {
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
    ResultArea->Clear();
    return true;
}

bool TqdSQLTab::ExecuteSQL()
{
    if (!startRun())
        return false;
    const bool selection = SynMemo->SelAvail();
    const std::string statement = selection ? SynMemo->SelText() : SynMemo->Lines().Text();

    // The splitter reads the document's own bytes, so that its offsets are editor positions.
    const std::size_t base = selection ? std::size_t(SynMemo->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART)) : 0;
    std::string_view scope = SynMemo->documentBytes();
    if (selection)
        scope = scope.substr(base, statement.size());
    bool clientCommands = false;
    const std::vector<TqdScriptStatement> statements =
        SplitScript(scope, scriptDialect(ServerConnection->DBEngine), &clientCommands);
    if (statements.size() > 1)
        return runScript(statements, base);
    // One statement goes to the engine as written, unless the text also held
    // commands meant for a command-line client (SET TERM, DELIMITER, GO, "/").
    if (statements.size() == 1 && clientCommands)
        return runOne(statements.front().text);
    return runOne(statement);
}

bool TqdSQLTab::ExecuteStatementAtCursor()
{
    if (!startRun())
        return false;
    const std::vector<TqdScriptStatement> statements =
        SplitScript(SynMemo->documentBytes(), scriptDialect(ServerConnection->DBEngine));
    const int index =
        StatementAt(statements, std::size_t(SynMemo->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS)));
    if (index < 0) {
        ErrorMessage = "No statement at the cursor";
        return false;
    }
    const TqdScriptStatement &found = statements[std::size_t(index)];
    markStatement(found.offset, found.text.size());
    return runOne(found.text);
}

void TqdSQLTab::markStatement(std::size_t position, std::size_t length)
{
    TqdSynMemo *memo = SynMemo;
    memo->SendScintilla(QsciScintillaBase::SCI_INDICSETSTYLE, kStatementMarkIndicator, QsciScintillaBase::INDIC_FULLBOX);
    memo->SendScintilla(QsciScintillaBase::SCI_INDICSETFORE, kStatementMarkIndicator, QColor(255, 190, 0));
    memo->SendScintilla(QsciScintillaBase::SCI_INDICSETALPHA, kStatementMarkIndicator, 90);
    auto clear = [memo] {
        memo->SendScintilla(QsciScintillaBase::SCI_SETINDICATORCURRENT, kStatementMarkIndicator);
        memo->SendScintilla(QsciScintillaBase::SCI_INDICATORCLEARRANGE, 0UL,
                            memo->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    };
    // One mark at a time: the one of a run a moment ago goes now, and its timer with it.
    clear();
    delete m_markTimer;
    memo->SendScintilla(QsciScintillaBase::SCI_INDICATORFILLRANGE, (unsigned long)position, long(length));
    m_markTimer = new QTimer(this);
    m_markTimer->setSingleShot(true);
    connect(m_markTimer, &QTimer::timeout, memo, clear);
    m_markTimer->start(kStatementMarkMs);
}

bool TqdSQLTab::runOne(const std::string &statement)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    RunCleanup cleanup{ResultGrid, ResultSource};
    ResultSource->SetDataSet(nullptr);
    try {
        ado::TADODataSet *result = nullptr;
        int recordsAffected = 0;
        {
            // The grid shows the rows while they arrive, for the providers that
            // hand them out so.
            ArrivingRows arriving{ServerConnection->ADOConnection(), ResultGrid->rowSetModel()};
            runStatement(statement, result, recordsAffected);
        }
        if (result) {
            ResultSource->SetDataSet(result);
            InfoMessage = std::to_string(result->RecordCount()) + " Records fetched";
            if (!ServerConnection->LastFetchStopped().empty())
                InfoMessage += " before the fetch was cancelled";
        } else {
            InfoMessage = outcomeText(recordsAffected);
        }
        // The engine's notices and warnings are counted; a script's messages list them.
        InfoMessage += noticeCount(ServerConnection->LastNotices().size());
        return true;
    } catch (const ado::EADOError &e) {
        ErrorMessage = e.message();
        return false;
    }
}

bool TqdSQLTab::runScript(const std::vector<TqdScriptStatement> &statements, std::size_t base)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    RunCleanup cleanup{ResultGrid, ResultSource};
    ResultArea->BeginScript();
    m_cancelRequested = false;
    std::string info;
    std::size_t noticesSeen = 0;
    int notKept = 0;
    QElapsedTimer total;
    total.start();
    for (std::size_t k = 0; k < statements.size(); ++k) {
        const TqdScriptStatement &st = statements[k];
        const std::size_t position = base + st.offset;
        const int line = int(SynMemo->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, (unsigned long)position)) + 1;
        const QString head =
            QStringLiteral("Line %1, %2: ").arg(line).arg(QString::fromUtf8(StatementSummary(st.text)));
        const std::size_t left = statements.size() - k - 1;
        const QString notRun = left == 1 ? QStringLiteral("1 statement not run")
                                         : QStringLiteral("%1 statements not run").arg(left);
        ado::TADODataSet *result = nullptr;
        int recordsAffected = 0;
        QElapsedTimer clock;
        clock.start();
        try {
            runStatement(st.text, result, recordsAffected);
        } catch (const ado::Exception &e) {
            // The failing statement ends the script: its line in the messages,
            // the status line and under the cursor.
            ResultArea->AddMessage(head + QStringLiteral("Error: ") + QString::fromUtf8(e.message()));
            if (left > 0)
                ResultArea->AddMessage(QStringLiteral("Stopped at line %1; %2").arg(line).arg(notRun));
            ResultArea->ShowFront(true);
            // The status line has room for one line: the engine's lines joined.
            ErrorMessage = "Line " + std::to_string(line) + ": " + StatementSummary(e.message(), std::string::npos);
            SynMemo->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, (unsigned long)position);
            SynMemo->setFocus();
            return false;
        }
        const QString time = QStringLiteral(", %1 ms").arg(clock.elapsed());
        if (result) {
            const long long rows = result->RecordCount();
            info = std::to_string(rows) + " Records fetched";
            const bool kept = ResultArea->AddResult(result);
            notKept += kept ? 0 : 1;
            ResultArea->AddMessage(head + rowCount(rows) + QStringLiteral(" fetched") + time
                                   + (kept ? QStringLiteral(" (Result %1)").arg(ResultArea->ResultCount())
                                           : QStringLiteral(" (not kept)")));
        } else {
            info = outcomeText(recordsAffected);
            ResultArea->AddMessage(head
                                   + (recordsAffected != 0 ? rowCount(recordsAffected) + QStringLiteral(" affected")
                                                           : QStringLiteral("done"))
                                   + time);
        }
        const std::vector<std::string> &notices = ServerConnection->LastNotices();
        noticesSeen += notices.size();
        for (const std::string &notice : notices)
            ResultArea->AddMessage(QStringLiteral("    ") + QString::fromUtf8(StatementSummary(notice, std::string::npos)));
        if ((m_cancelRequested || m_deleteAfterRun) && left > 0) {
            // Cancel came as the statement finished (or the tab is closing): the next one does not start.
            ResultArea->AddMessage(QStringLiteral("Cancelled after line %1; %2").arg(line).arg(notRun));
            ResultArea->ShowFront(true);
            ErrorMessage = "Cancelled after line " + std::to_string(line);
            return false;
        }
    }
    if (notKept > 0)
        ResultArea->AddMessage(QStringLiteral("%1 more row sets not kept (at most %2 result tabs)")
                                   .arg(notKept)
                                   .arg(TqdResultArea::kMaxResultTabs));
    ResultArea->AddMessage(QStringLiteral("%1 statements run, %2 ms").arg(statements.size()).arg(total.elapsed()));
    ResultArea->ShowFront(false);
    // The last statement's outcome, and every notice of the script counted:
    // the messages tell which statement had them.
    InfoMessage = info + noticeCount(noticesSeen);
    return true;
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
