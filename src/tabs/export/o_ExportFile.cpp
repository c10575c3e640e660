#include "o_ExportFile.h"

#include "o_SQLNames.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr long long kProgressEvery = 4096;

// A write that failed; carries the device's message out of the row loop.
struct WriteFailed {
    QString message;
};

// Bytes written between two requests to the kernel to start writing them to disk.
constexpr qint64 kWriteBackEvery = 8 * 1024 * 1024;

class SaveFileSink : public TExportSink {
public:
    explicit SaveFileSink(QSaveFile &file) : m_file(file) {}
    void write(std::string_view bytes) override
    {
        if (m_file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            throw WriteFailed{m_file.errorString()};
        m_written += qint64(bytes.size());
        if (m_written - m_started >= kWriteBackEvery)
            startWriteBack();
    }

private:
    // The file is synced to disk before it replaces the target; started here
    // while the rows are still being written, that sync finds little left to do.
    void startWriteBack()
    {
        if (!m_file.flush())
            throw WriteFailed{m_file.errorString()};
        const int fd = m_file.handle();
        if (fd >= 0)
            ::sync_file_range(fd, m_started, m_written - m_started, SYNC_FILE_RANGE_WRITE);
        m_started = m_written;
    }

    QSaveFile &m_file;
    qint64 m_written = 0;
    qint64 m_started = 0; // bytes before this were handed to the disk already
};

QString failure(const QString &what, const QString &path, const QString &why)
{
    return QStringLiteral("%1 %2: %3").arg(what, QDir::toNativeSeparators(path), why);
}

TExportOutcome failed(QString error)
{
    TExportOutcome outcome;
    outcome.error = std::move(error);
    return outcome;
}

TExportOutcome succeeded()
{
    TExportOutcome outcome;
    outcome.ok = true;
    return outcome;
}

QString rowsStoppedText()
{
    return QStringLiteral("the statement stopped before its last row came; nothing was written");
}

TExportOutcome stopped()
{
    TExportOutcome outcome;
    outcome.cancelled = true;
    return outcome;
}

// ---- xlsx -------------------------------------------------------------

// A sheet cell holds at most this many characters; longer text is cut.
constexpr size_t kMaxCellBytes = 32767;
// Digits a sheet's number keeps; a longer number stays text so that no digit is lost.
constexpr int kMaxNumberDigits = 15;

int significantDigits(std::string_view number)
{
    int digits = 0;
    bool leading = true;
    for (char c : number) {
        if (c == 'e' || c == 'E')
            break;
        if (c < '0' || c > '9')
            continue;
        if (leading && c == '0')
            continue;
        leading = false;
        ++digits;
    }
    // Trailing zeros after a decimal point carry no digit of the value.
    const size_t point = number.find('.');
    if (point != std::string_view::npos) {
        size_t end = number.find_first_of("eE");
        if (end == std::string_view::npos)
            end = number.size();
        while (end > point + 1 && number[end - 1] == '0' && digits > 0) {
            --end;
            --digits;
        }
    }
    return digits;
}

// Text as a sheet takes it: valid UTF-8 of at most kMaxCellBytes bytes.
std::string_view cellText(std::string_view v, std::string &scratch)
{
    bool ascii = true;
    for (char c : v)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (!ascii) {
        const QByteArray valid = QString::fromUtf8(v.data(), qsizetype(v.size())).toUtf8();
        if (valid.size() != qsizetype(v.size()) || std::memcmp(valid.constData(), v.data(), v.size()) != 0) {
            scratch.assign(valid.constData(), size_t(valid.size()));
            v = scratch;
        }
    }
    if (v.size() > kMaxCellBytes) {
        size_t cut = kMaxCellBytes;
        while (cut > 0 && (static_cast<unsigned char>(v[cut]) & 0xC0) == 0x80)
            --cut; // not inside a character
        v = v.substr(0, cut);
    }
    return v;
}

QString xlsxError(lxw_error error) { return QString::fromUtf8(lxw_strerror(error)); }

// ---- the statement's table --------------------------------------------

struct Token {
    enum Kind { Word, Quoted, Punct } kind;
    std::string text; // a quoted name without its quotes
};

bool wordChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
           c == '#' || c == '@' || c >= 0x80;
}

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

// Words, quoted names and punctuation; comments and string literals dropped
// (a literal leaves a "'" mark). False for text that does not end cleanly.
bool tokenize(std::string_view s, std::vector<Token> &tokens)
{
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c <= ' ') {
            ++i;
        } else if (s.substr(i, 2) == "--") {
            const size_t end = s.find('\n', i);
            i = end == std::string_view::npos ? s.size() : end + 1;
        } else if (s.substr(i, 2) == "/*") {
            const size_t end = s.find("*/", i + 2);
            if (end == std::string_view::npos)
                return false;
            i = end + 2;
        } else if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : char(c);
            std::string text;
            size_t j = i + 1;
            for (;;) {
                if (j >= s.size())
                    return false;
                if (s[j] == close) {
                    if (j + 1 < s.size() && s[j + 1] == close && close != ']') {
                        text += close;
                        j += 2;
                        continue;
                    }
                    break;
                }
                text += s[j++];
            }
            if (c == '\'')
                tokens.push_back({Token::Punct, "'"});
            else
                tokens.push_back({Token::Quoted, std::move(text)});
            i = j + 1;
        } else if (wordChar(c)) {
            size_t j = i;
            while (j < s.size() && wordChar(static_cast<unsigned char>(s[j])))
                ++j;
            tokens.push_back({Token::Word, std::string(s.substr(i, j - i))});
            i = j;
        } else {
            tokens.push_back({Token::Punct, std::string(1, char(c))});
            ++i;
        }
    }
    return true;
}

bool isWord(const Token &t, std::initializer_list<std::string_view> words)
{
    if (t.kind != Token::Word)
        return false;
    const std::string w = lower(t.text);
    for (std::string_view candidate : words)
        if (w == candidate)
            return true;
    return false;
}

// Words that end the FROM clause of a one-table SELECT.
const std::initializer_list<std::string_view> kClauseWords = {
    "where", "order", "group", "having", "limit", "offset", "fetch", "for", "window", "plan", "rows", "lock"};
// Words that make the statement read more than one table.
const std::initializer_list<std::string_view> kSetWords = {"union", "intersect", "except", "minus"};

bool nameToken(const Token &t)
{
    if (t.kind == Token::Quoted)
        return !t.text.empty();
    if (t.kind != Token::Word || (t.text[0] >= '0' && t.text[0] <= '9'))
        return false;
    return !isWord(t, kClauseWords) && !isWord(t, kSetWords) &&
           !isWord(t, {"join", "inner", "left", "right", "full", "cross", "natural", "outer", "on", "using", "as",
                       "select", "from", "lateral"});
}

// A name part as the engine stores it: quoted parts as written, the others
// folded as the engine folds unquoted names.
std::string storedName(TqdServerEngine engine, const Token &t)
{
    if (t.kind == Token::Quoted)
        return t.text;
    std::string name = t.text;
    const TqdNameRule::TFolding folding = nameRule(engine).folding;
    for (char &c : name) {
        if (folding == TqdNameRule::foldLower && c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        else if (folding == TqdNameRule::foldUpper && c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return name;
}

} // namespace

TExportOutcome exportToFile(const ado::RowSet &rowSet, const TExportOptions &options, const QString &path,
                            const std::vector<long long> *rows, const TExportProgress &progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(failure(QStringLiteral("Cannot create"), path, file.errorString()));
    SaveFileSink sink(file);
    try {
        if (!exportRows(rowSet, options, sink, rows, nullptr, progress)) {
            file.cancelWriting();
            return stopped();
        }
    } catch (const WriteFailed &e) {
        file.cancelWriting();
        return failed(failure(QStringLiteral("Cannot write"), path, e.message));
    } catch (const TRowsStopped &) {
        file.cancelWriting();
        return failed(failure(QStringLiteral("Cannot write"), path, rowsStoppedText()));
    }
    if (!file.commit())
        return failed(failure(QStringLiteral("Cannot write"), path, file.errorString()));
    return succeeded();
}

TExportOutcome exportToXlsx(const ado::RowSet &rowSet, const QString &path, const std::vector<long long> *rows,
                            const TExportProgress &progress)
{
    // A sheet's size is checked before it is written: rows still coming are waited for.
    while (!rows && rowSet.arrival() == ado::Arrival::Arriving) {
        if (progress && !progress(0))
            return stopped();
        std::this_thread::sleep_for(kArrivalWait);
    }
    if (!rows && rowSet.arrival() == ado::Arrival::Stopped)
        return failed(failure(QStringLiteral("Cannot write"), path, rowsStoppedText()));
    const long long count = rows ? static_cast<long long>(rows->size()) : rowSet.rowCount();
    const int fields = rowSet.fieldCount();
    if (count + 1 > LXW_ROW_MAX)
        return failed(QStringLiteral("The result has %1 rows; a sheet holds at most %2 under its titles.")
                          .arg(count)
                          .arg(LXW_ROW_MAX - 1));
    if (fields > LXW_COL_MAX)
        return failed(QStringLiteral("The result has %1 columns; a sheet holds at most %2.").arg(fields).arg(LXW_COL_MAX));

    // The workbook is written beside the target and takes its place when complete.
    const QFileInfo target(path);
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    if (!temp.open())
        return failed(failure(QStringLiteral("Cannot create"), path, temp.errorString()));
    temp.close();
    const QByteArray tempName = QFile::encodeName(temp.fileName());

    lxw_workbook_options workbookOptions{};
    workbookOptions.constant_memory = LXW_TRUE; // rows go to disk as they are written
    workbookOptions.use_zip64 = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(tempName.constData(), &workbookOptions);
    if (!book)
        return failed(failure(QStringLiteral("Cannot create"), path, QStringLiteral("out of memory")));
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);

    std::vector<ado::FieldKind> kinds;
    std::string scratch, fixed, cell; // cell: the C string the library reads
    lxw_error error = LXW_NO_ERROR;
    for (int f = 0; f < fields && !error; ++f) {
        kinds.push_back(rowSet.fieldKind(f));
        const std::string name = rowSet.fieldName(f);
        cell.assign(cellText(name, fixed));
        error = worksheet_write_string(sheet, 0, lxw_col_t(f), cell.c_str(), nullptr);
    }
    // Rows go to a temporary file of the library's, which does not tell of a
    // failed write; its error flag does.
    const auto spoolFailed = [sheet]() {
        return sheet->optimize_tmpfile && (std::fflush(sheet->optimize_tmpfile) != 0 || std::ferror(sheet->optimize_tmpfile));
    };
    bool cancelled = false;
    int spoolErrno = 0;
    for (long long i = 0; i < count && !error; ++i) {
        if (i && i % kProgressEvery == 0) {
            if (spoolFailed()) {
                spoolErrno = errno ? errno : EIO;
                break;
            }
            if (progress && !progress(i)) {
                cancelled = true;
                break;
            }
        }
        const long long row = rows ? (*rows)[size_t(i)] : i;
        const lxw_row_t sheetRow = lxw_row_t(i + 1);
        for (int f = 0; f < fields && !error; ++f) {
            if (rowSet.isNull(row, f))
                continue; // an empty cell
            const std::string_view v = rowSet.text(row, f, scratch);
            const ado::FieldKind kind = kinds[size_t(f)];
            if (kind == ado::FieldKind::Number && isJsonNumber(v) && significantDigits(v) <= kMaxNumberDigits) {
                error = worksheet_write_number(sheet, sheetRow, lxw_col_t(f), std::strtod(std::string(v).c_str(), nullptr),
                                               nullptr);
            } else if (kind == ado::FieldKind::Boolean && !booleanWord(v).empty()) {
                error = worksheet_write_boolean(sheet, sheetRow, lxw_col_t(f), booleanWord(v) == "true", nullptr);
            } else {
                // The library takes C strings: a value that holds a NUL is cut there.
                cell.assign(cellText(v, fixed));
                error = worksheet_write_string(sheet, sheetRow, lxw_col_t(f), cell.c_str(), nullptr);
            }
        }
    }
    if (!spoolErrno && !cancelled && spoolFailed())
        spoolErrno = errno ? errno : EIO;
    errno = 0;
    const lxw_error closeError = workbook_close(book);
    const int closeErrno = errno;
    if (cancelled)
        return stopped();
    if (error)
        return failed(failure(QStringLiteral("Cannot write"), path, xlsxError(error)));
    if (spoolErrno)
        return failed(failure(QStringLiteral("Cannot write"), path,
                              QString::fromLocal8Bit(std::strerror(spoolErrno)) + QStringLiteral(" (temporary file)")));
    if (closeError) {
        QString why = xlsxError(closeError);
        if (closeErrno)
            why += QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(closeErrno)) + QLatin1Char(')');
        return failed(failure(QStringLiteral("Cannot write"), path, why));
    }
    if (progress)
        progress(count);
    // An existing file keeps its permissions; a new one gets those a new file gets.
    if (target.exists())
        QFile::setPermissions(temp.fileName(), QFile::permissions(path));
    else
        QFile::setPermissions(temp.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                   QFile::ReadOther);
    if (std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0)
        return failed(failure(QStringLiteral("Cannot write"), path, QString::fromLocal8Bit(std::strerror(errno))));
    temp.setAutoRemove(false);
    return succeeded();
}

std::string selectedTable(TqdServerEngine engine, std::string_view statement)
{
    std::vector<Token> t;
    if (!tokenize(statement, t) || t.empty() || !isWord(t[0], {"select"}))
        return {};
    // The FROM of the outer SELECT; nothing at that level may combine results.
    size_t from = 0;
    int depth = 0;
    for (size_t i = 1; i < t.size(); ++i) {
        if (t[i].kind == Token::Punct && t[i].text == "(")
            ++depth;
        else if (t[i].kind == Token::Punct && t[i].text == ")")
            --depth;
        else if (depth == 0 && isWord(t[i], kSetWords))
            return {};
        else if (depth == 0 && !from && isWord(t[i], {"from"}))
            from = i;
    }
    if (!from)
        return {};
    size_t i = from + 1;
    std::vector<const Token *> parts;
    for (;;) {
        if (i >= t.size() || !nameToken(t[i]))
            return {};
        parts.push_back(&t[i++]);
        if (i < t.size() && t[i].kind == Token::Punct && t[i].text == ".")
            ++i;
        else
            break;
    }
    // An alias, with or without AS.
    if (i < t.size() && isWord(t[i], {"as"}))
        ++i;
    if (i < t.size() && nameToken(t[i]))
        ++i;
    // Then the end, a clause of the one table, or a closing semicolon.
    const bool end = i == t.size() || isWord(t[i], kClauseWords) ||
                     (t[i].kind == Token::Punct && t[i].text == ";" && i + 1 == t.size());
    if (!end || parts.size() > 3)
        return {};
    const std::string table = storedName(engine, *parts.back());
    const std::string schema = parts.size() > 1 ? storedName(engine, *parts[parts.size() - 2]) : std::string();
    return listedTableName(engine, schema, table);
}
