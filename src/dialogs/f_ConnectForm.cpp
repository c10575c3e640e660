#include "f_ConnectForm.h"

#include "ui_f_ConnectForm.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProxyStyle>
#include <QSaveFile>
#include <QStandardPaths>

#include "o_AppError.h"
#include "o_AppInfo.h"
#include "o_BusyIndicator.h"
#include "o_WorkerRun.h"
#include "o_Jpeg.h"
#include "o_Prompts.h"
#include "o_TextRoom.h"
#include "f_About.h"

#include <algorithm>

namespace {

const char *const ServerListFile = "serverlist.dat";
const char *const UserListFile = "userlist.dat";

QString g_historyFolder;

struct EngineRow {
    TqdServerEngine engine;
    bool fileButton;
    bool extendedPage;
    const char *defaultPort; // filled into an empty port box
};

// The engine list in its sorted order; the position is the item's index.
const EngineRow EngineTable[] = {
    {seFireBird, true, false, nullptr},  {seMSAccess, true, false, nullptr}, {seMSCE31, true, false, nullptr},
    {seMSCE35, true, false, nullptr},    {seMSSQL, false, false, nullptr},   {seMySQL, false, true, "3306"},
    {seOracle, false, false, nullptr},   {seOracleMS, false, false, nullptr}, {sePostGre, false, true, "5432"},
    {seSQLite, true, false, nullptr},
};
constexpr int EngineCount = int(sizeof EngineTable / sizeof EngineTable[0]);

const EngineRow *engineRow(int position)
{
    return position >= 0 && position < EngineCount ? &EngineTable[position] : nullptr;
}

const char *const DatabaseFileFilter = "MS Access|*.mdb|FireBird|*.fdb;*.gdb|MS SQL Compact |*.sdf|"
                                       "SQLite database|*.sqlite;*.sqlite3;*.db;*.db3|"
                                       "All Supported types|*.mdb;*.fdb;*.gdb;*sdf;*.sqlite;*.sqlite3;*.db;*.db3|"
                                       "All files|*.*";
constexpr int AllSupportedTypesFilter = 5;

const char *const FirebirdDownloadUrl = "https://www.firebirdsql.org/en/odbc-driver/";
const char *const PostgresDownloadUrl = "https://www.postgresql.org/download/";

QString padded(const char *line, int width)
{
    QString s = QString::fromLatin1(line);
    if (s.size() < width)
        s += QString(width - s.size(), QLatin1Char(' '));
    return s;
}

bool isBlank(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() > 32)
            return false;
    return true;
}

// The password box shows every character as "*".
class StarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Sorted place of `text` among the box's items (after equal ones), without regard to case.
int sortedPosition(const QComboBox *box, const QString &text)
{
    int i = box->count();
    while (i > 0 && QString::compare(box->itemText(i - 1), text, Qt::CaseInsensitive) > 0)
        --i;
    return i;
}

// Insert an entry keeping the box sorted; the bytes are kept so that the file
// is written back exactly as it was read. The text being edited is left alone.
void insertSorted(QComboBox *box, const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    const QString edited = box->currentText();
    const bool hadItems = box->count() > 0;
    box->insertItem(sortedPosition(box, text), text, bytes);
    if (!hadItems)
        box->setCurrentIndex(-1);
    if (box->currentText() != edited)
        box->setEditText(edited);
}

// The typed character of a key press, or 0 for keys that type nothing
// (arrows, function keys) and for shortcuts; those pass unfiltered.
char typedCharacter(const QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return '\r';
    case Qt::Key_Backspace:
        return '\b';
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0; // focus movement, never a typed character here
    case Qt::Key_Delete:
        return 0; // an editing key (X11 gives it the text 0x7f), not a character
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty())
        return 0;
    const char16_t c = text.at(0).unicode();
    // Characters outside 8-bit range reach the handlers as '?', which every
    // filter here treats like any other non-digit character.
    return c < 256 ? char(c) : '?';
}

// One row of the form: a caption and its box, at their designed places.
struct FormRow {
    QLabel *label;
    QWidget *field;
    QRect designed; // the box's designed geometry
    int height;     // the box's height in the current font
};

// Lays out rows of captions and boxes: the boxes start after the widest
// caption (at their designed x at least), each row lies below the one above
// with at least `gap` pixels between the boxes (at its designed y at least),
// and each caption is centred on its box. Returns the lowest box's bottom.
int layOutRows(std::vector<FormRow> &rows, int designedStart, int width, int gap)
{
    int start = designedStart;
    for (const FormRow &row : rows)
        start = qMax(start, row.label->x() + textroom::labelSize(row.label, {}).width() + 4);
    int below = 0;
    for (FormRow &row : rows) {
        const int y = qMax(row.designed.y(), below + gap);
        // A box a pixel off the common column in the design stays so.
        const int x = row.designed.x() + start - designedStart;
        row.field->setGeometry(x, y, width + row.designed.width() - rows.front().designed.width(), row.height);
        const QSize label = textroom::labelSize(row.label, row.label->size());
        row.label->setGeometry(row.label->x(), y + (row.height - label.height()) / 2, label.width(), label.height());
        below = y + row.height;
    }
    return below;
}

} // namespace

void initConnectResources()
{
    Q_INIT_RESOURCE(connect);
}

QString historyFolder()
{
    if (!g_historyFolder.isEmpty())
        return g_historyFolder;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

void setHistoryFolder(const QString &folder) { g_historyFolder = folder; }

std::vector<QByteArray> splitHistoryText(const QByteArray &bytes)
{
    std::vector<QByteArray> entries;
    const qsizetype nul = bytes.indexOf('\0');
    const QByteArray text = nul >= 0 ? bytes.left(nul) : bytes;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != '\r' && text[end] != '\n')
            ++end;
        entries.push_back(text.mid(start, end - start));
        if (end < n && text[end] == '\r' && end + 1 < n && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return entries;
}

QByteArray joinHistoryText(const std::vector<QByteArray> &entries)
{
    QByteArray out;
    for (const QByteArray &e : entries)
        out += e + "\r\n";
    return out;
}

bool readTextAsInteger(const QString &text, int &value)
{
    const QByteArray s = text.toLatin1();
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size() || text.size() != s.size())
        return false;
    if (hex) {
        unsigned long long v = 0;
        int significant = 0;
        for (; i < s.size(); ++i) {
            const char c = s[i];
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return false;
            if (v != 0 || d != 0)
                ++significant;
            if (significant > 8)
                return false;
            v = v * 16 + unsigned(d);
        }
        const auto bits = static_cast<unsigned>(v);
        value = negative ? int(0u - bits) : int(bits);
        return true;
    }
    long long v = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL)
            return false;
    }
    if (negative)
        v = -v;
    if (v > 2147483647LL)
        return false;
    value = int(v);
    return true;
}

TqdServerEngine engineAtPosition(int position)
{
    const EngineRow *row = engineRow(position);
    return row ? row->engine : seNone;
}

TFrmConnect::TFrmConnect(QWidget *owner) : QDialog(owner), ui(new Ui::TFrmConnect)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    LogoImage = ui->LogoImage;
    TabControl2 = ui->TabControl2;
    cmbServerEngine = ui->cmbServerEngine;
    cmbServerName = ui->cmbServerName;
    btnChooseDBFileName = ui->btnChooseDBFileName;
    cmbUserName = ui->cmbUserName;
    cmbPassword = ui->cmbPassword;
    ExtendedPropsPageControl = ui->ExtendedPropsPageControl;
    edtPortNumber = ui->edtPortNumber;
    edtDataBaseName = ui->edtDataBaseName;
    TabControl1 = ui->TabControl1;
    btnConnect = ui->btnConnect;
    btnCancel = ui->btnCancel;
    btnGetProviderInfo = ui->btnGetProviderInfo;

    // While a connection is tried, the strip lies over the button row.
    ConnectIndicator = new TqdBusyIndicator(TabControl1);
    ConnectIndicator->setActivity(QStringLiteral("Connecting"));
    ConnectIndicator->btnCancel()->setToolTip(QStringLiteral("Stop connecting (Esc)"));

    // Fonts as the style and the desktop give them, before measuring texts.
    ensurePolished();
    fitToFont();

    auto *starStyle = new StarPasswordStyle;
    starStyle->setParent(cmbPassword);
    cmbPassword->setStyle(starStyle);

    OpenDialog = new TFileDialog(prompts::FileMode::Open, this);
    OpenDialog->Title = QStringLiteral("Choose DataBase File");
    OpenDialog->Filter = QString::fromLatin1(DatabaseFileFilter);
    OpenDialog->FilterIndex = AllSupportedTypesFilter;
    OpenDialog->FileMustExist = false; // a new database file may be named here
    OpenDialog->Window = this;

    for (QObject *o : {static_cast<QObject *>(cmbServerEngine), static_cast<QObject *>(cmbServerName),
                       static_cast<QObject *>(cmbUserName), static_cast<QObject *>(cmbPassword),
                       static_cast<QObject *>(edtPortNumber), static_cast<QObject *>(TabControl2),
                       static_cast<QObject *>(TabControl1)})
        o->installEventFilter(this);

    connect(cmbServerEngine, &QComboBox::currentIndexChanged, this, [this] { cmbServerEngineSelect(); });
    connect(btnChooseDBFileName, &QToolButton::clicked, this, [this] { btnChooseDBFileNameClick(); });
    connect(btnConnect, &QPushButton::clicked, this, [this] { btnConnectClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btnGetProviderInfo, &QPushButton::clicked, this, [this] { btnGetProviderInfoClick(); });

    FormCreate();
}

TFrmConnect::~TFrmConnect() { delete ui; }

void TFrmConnect::fitToFont()
{
    // The boxes of the frame: all as wide as the widest engine name needs (274 at least).
    const int boxWidth = textroom::comboBoxSize(cmbServerEngine, cmbServerEngine->size(), true).width();
    std::vector<FormRow> rows = {
        {ui->Label1, cmbServerEngine, cmbServerEngine->geometry(),
         textroom::comboBoxSize(cmbServerEngine, cmbServerEngine->size(), false).height()},
        {ui->Label2, cmbServerName, cmbServerName->geometry(),
         textroom::comboBoxSize(cmbServerName, cmbServerName->size(), false).height()},
        {ui->Label3, cmbUserName, cmbUserName->geometry(),
         textroom::comboBoxSize(cmbUserName, cmbUserName->size(), false).height()},
        {ui->Label4, cmbPassword, cmbPassword->geometry(), textroom::lineEditHeight(cmbPassword, cmbPassword->height())},
    };
    const int boxesBottom = layOutRows(rows, 95, boxWidth, 2);
    // The "..." button beside the server name, as high as its box allows.
    const QRect server = cmbServerName->geometry();
    btnChooseDBFileName->setGeometry(server.right() + 3, server.y() - 1, btnChooseDBFileName->width(),
                                     qMax(btnChooseDBFileName->height(), server.height() - 2));

    // The extended page: its two rows, with room below the lower box.
    std::vector<FormRow> pageRows = {
        {ui->Label5, edtPortNumber, edtPortNumber->geometry(), textroom::lineEditHeight(edtPortNumber, edtPortNumber->height())},
        {ui->Label6, edtDataBaseName, edtDataBaseName->geometry(),
         textroom::lineEditHeight(edtDataBaseName, edtDataBaseName->height())},
    };
    const int pageBottom = layOutRows(pageRows, 91, edtPortNumber->width(), 0);
    QWidget *sheet = ui->TabSheet1;
    sheet->setMinimumSize(edtDataBaseName->geometry().right() + 4, pageBottom + 5);
    const QSize page = ExtendedPropsPageControl->size().expandedTo(ExtendedPropsPageControl->minimumSizeHint());
    ExtendedPropsPageControl->resize(page);

    // The frame: 420 by 208, or wide enough for the boxes and the "..." button
    // with their designed margin, and high enough for the rows above the page.
    const int width = std::max({420, btnChooseDBFileName->geometry().right() + 1 + 26, page.width() + 8});
    const int frameHeight = qMax(208, boxesBottom + 6 + page.height() + 4);
    TabControl2->setMinimumSize(width, frameHeight);

    // The button strip: buttons as large as their captions need (the designed
    // 75 by 25 and 117 by 25 at least); Connect on the left, Get Provider Info
    // in the middle, Cancel on the right, at their designed margins.
    const QSize connect = textroom::buttonSize(btnConnect, btnConnect->size());
    const QSize info = textroom::buttonSize(btnGetProviderInfo, btnGetProviderInfo->size());
    const QSize cancel = textroom::buttonSize(btnCancel, btnCancel->size());
    const int buttonHeight = std::max({connect.height(), info.height(), cancel.height()});
    const int stripWidth = qMax(width, 24 + connect.width() + 8 + info.width() + 8 + cancel.width() + 17);
    const int stripHeight = 41 + buttonHeight - 25;
    const int buttonY = (stripHeight - buttonHeight) / 2;
    btnConnect->setGeometry(24, buttonY, connect.width(), buttonHeight);
    btnGetProviderInfo->setGeometry(152 + (stripWidth - 420) / 2 + (117 - info.width()) / 2, buttonY, info.width(),
                                    buttonHeight);
    btnCancel->setGeometry(stripWidth - 17 - cancel.width(), buttonY, cancel.width(), buttonHeight);
    TabControl1->setMinimumSize(stripWidth, stripHeight);
    TabControl1->setMaximumHeight(stripHeight);
    TabControl2->setMinimumWidth(stripWidth);
    LogoImage->setMinimumWidth(stripWidth);
    resize(stripWidth, LogoImage->height() + frameHeight + stripHeight);
}

void TFrmConnect::FormCreate()
{
    ServerConnection = new TqdServerConnection(this);
    cmbServerEngine->setCurrentIndex(-1);
    btnChooseDBFileName->hide();
    ExtendedPropsPageControl->hide();
    loadBanner();
    loadHistory(cmbServerName, QString::fromLatin1(ServerListFile));
    loadHistory(cmbUserName, QString::fromLatin1(UserListFile));
}

void TFrmConnect::loadBanner()
{
    initConnectResources();
    QFile file(QStringLiteral(":/connect/connect-banner.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QImage banner = decodeJpeg(file.readAll());
    if (!banner.isNull())
        showBanner(LogoImage, banner);
}

void TFrmConnect::loadHistory(QComboBox *box, const QString &fileName)
{
    const QString path = QDir(historyFolder()).filePath(fileName);
    if (!QFileInfo::exists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        apperror::show(QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path),
                                                                         file.errorString()));
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFile::NoError) {
        apperror::show(QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path),
                                                                         file.errorString()));
        return;
    }
    for (const QByteArray &entry : splitHistoryText(bytes))
        insertSorted(box, entry);
}

bool TFrmConnect::saveHistory(QComboBox *box, const QString &fileName)
{
    const QString folder = historyFolder();
    const QString path = QDir(folder).filePath(fileName);
    std::vector<QByteArray> entries;
    for (int i = 0; i < box->count(); ++i) {
        const QVariant bytes = box->itemData(i);
        entries.push_back(bytes.isValid() ? bytes.toByteArray() : box->itemText(i).toUtf8());
    }
    QDir().mkpath(folder); // a failure shows as the file's own error below
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        const QByteArray text = joinHistoryText(entries);
        ok = file.write(text) == text.size() && file.commit();
    }
    if (!ok) {
        apperror::show(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path),
                                                                           file.errorString()));
        return false;
    }
    return true;
}

void TFrmConnect::keyPressEvent(QKeyEvent *event)
{
    // No button answers Escape or Enter for the whole dialog: Escape would
    // close it and lose the entries. Cancel and the close box close it.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFrmConnect::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void TFrmConnect::FormShow() { cmbServerEngine->setFocus(Qt::OtherFocusReason); }

bool TFrmConnect::FormClose(int result)
{
    if (result != QDialog::Accepted)
        return true;
    return saveHistory(cmbServerName, QString::fromLatin1(ServerListFile)) &&
           saveHistory(cmbUserName, QString::fromLatin1(UserListFile));
}

void TFrmConnect::done(int result)
{
    if (!FormClose(result))
        return;
    QDialog::done(result);
}

bool TFrmConnect::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TabControl1 && event->type() == QEvent::Resize) {
        ConnectIndicator->setGeometry(TabControl1->rect());
        return false;
    }
    if (watched == TabControl2 && event->type() == QEvent::Resize) {
        // The extended page is docked to the bottom of its frame.
        const int h = ExtendedPropsPageControl->height();
        ExtendedPropsPageControl->setGeometry(4, TabControl2->height() - 4 - h, TabControl2->width() - 8, h);
        return false;
    }
    if (event->type() == QEvent::FocusOut && (watched == cmbServerName || watched == cmbUserName)) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            cmbServerNameExit(watched);
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    char key = typedCharacter(keyEvent);
    if (key == 0)
        return false;
    if (watched == cmbServerEngine)
        cmbServerEngineKeyPress(watched, key);
    else if (watched == cmbServerName || watched == cmbUserName)
        cmbServerNameKeyPress(watched, key);
    else if (watched == edtPortNumber)
        edtPortNumberKeyPress(watched, key);
    else if (watched == cmbPassword && key == '\r') {
        btnConnectClick();
        return true;
    }
    // Enter has done its work in the handler; letting it through would only
    // reach the combo box's own (unused) insertion.
    return key == 0 || key == '\r';
}

void TFrmConnect::cmbServerEngineKeyPress(QObject *, char &key)
{
    if (key == '\r')
        cmbServerName->setFocus(Qt::TabFocusReason);
    key = 0;
}

void TFrmConnect::cmbServerEngineSelect()
{
    const EngineRow *row = engineRow(cmbServerEngine->currentIndex());
    btnChooseDBFileName->setVisible(row && row->fileButton);
    ExtendedPropsPageControl->setVisible(row && row->extendedPage);
    if (row && row->defaultPort && edtPortNumber->text().isEmpty())
        edtPortNumber->setText(QString::fromLatin1(row->defaultPort));
}

void TFrmConnect::cmbServerNameKeyPress(QObject *sender, char &key)
{
    if (key != '\r')
        return;
    applyHistoryRule(static_cast<QComboBox *>(sender));
    if (sender == cmbUserName)
        cmbPassword->setFocus(Qt::TabFocusReason);
    else
        cmbUserName->setFocus(Qt::TabFocusReason);
}

void TFrmConnect::cmbServerNameExit(QObject *sender) { applyHistoryRule(static_cast<QComboBox *>(sender)); }

void TFrmConnect::applyHistoryRule(QComboBox *box)
{
    const QString text = box->currentText();
    if (isBlank(text))
        return;
    for (int i = 0; i < box->count(); ++i)
        if (QString::compare(box->itemText(i), text, Qt::CaseInsensitive) == 0)
            return;
    insertSorted(box, text.toUtf8());
}

void TFrmConnect::btnChooseDBFileNameClick()
{
    if (OpenDialog->Execute())
        cmbServerName->setEditText(QDir::toNativeSeparators(QFileInfo(OpenDialog->FileName).absoluteFilePath()));
}

void TFrmConnect::edtPortNumberKeyPress(QObject *, char &key)
{
    if (!((key >= '0' && key <= '9') || key == '\b'))
        key = 0;
}

void TFrmConnect::btnConnectClick()
{
    apperror::guarded([this] {
        if (const EngineRow *row = engineRow(cmbServerEngine->currentIndex()))
            ServerConnection->DBEngine = row->engine;
        ServerConnection->ServerName = cmbServerName->currentText().toStdString();
        ServerConnection->UserName = cmbUserName->currentText().toStdString();
        ServerConnection->Password = cmbPassword->text().toStdString();
        int port = 0;
        if (readTextAsInteger(edtPortNumber->text(), port))
            ServerConnection->Port = port;
        ServerConnection->DataBaseName = edtDataBaseName->text().toStdString();
        // The attempt runs on a worker while the dialog keeps painting; Cancel
        // (or Escape) gives the dialog back at once with its entries as they were.
        TqdServerConnection *connection = ServerConnection;
        try {
            runOnWorker([connection] { connection->ReConnect(); }, ConnectIndicator,
                        [connection] { connection->ADOConnection()->Cancel(); });
        } catch (const ado::ECancelled &) {
            return;
        }
        accept();
    });
}

void TFrmConnect::btnCancelClick() { reject(); }

QString TFrmConnect::providerInfoText(const QString &engineItem)
{
    const QChar cr(13);
    QStringList lines;
    if (engineItem == QLatin1String("FireBird")) {
        lines << QStringLiteral("Tabulon is using the IB Provider Free Edition ")
              << padded("which can be download from", 49) << padded(FirebirdDownloadUrl, 49);
    } else if (engineItem == QLatin1String("PostGre")) {
        lines << padded("Due to lack of a proper working", 38) << QStringLiteral("freeware OLE DB Provider, Tabulon  ")
              << padded("is using a provider from", 38) << padded(PostgresDownloadUrl, 38)
              << padded("Unfortunaly this provider is not free", 38)
              << padded("but you can download it for evaluation", 38) << padded("purposes and use it to temporarily", 38)
              << padded("do your job", 38);
    } else {
        return {};
    }
    QString text;
    for (const QString &line : lines)
        text += line + cr;
    return text;
}

void TFrmConnect::btnGetProviderInfoClick()
{
    const QString text = providerInfoText(cmbServerEngine->currentIndex() >= 0 ? cmbServerEngine->currentText()
                                                                                : QString());
    if (text.isEmpty())
        return;
    prompts::MessageRequest r;
    r.owner = this;
    r.text = text;
    r.caption = appinfo::applicationTitle();
    r.icon = QMessageBox::Warning;
    r.buttons = QMessageBox::Ok;
    prompts::message(r);
}
