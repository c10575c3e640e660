#include "o_JournalFiles.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray FirstLine = "TABULON TAB JOURNAL 1";
const QString LockSuffix = QStringLiteral(".lock");

QByteArray pct(const QString &s) { return s.toUtf8().toPercentEncoding(); }
QByteArray pct(const std::string &s) { return QByteArray(s.data(), qsizetype(s.size())).toPercentEncoding(); }

QByteArray textHash(std::string_view text)
{
    return QCryptographicHash::hash(QByteArrayView(text.data(), qsizetype(text.size())), QCryptographicHash::Sha1)
        .toHex();
}

QByteArray recordHead(const TJournalRecord &r)
{
    QByteArray head;
    head.reserve(512);
    const auto line = [&](const char *key, const QByteArray &value) {
        head += key;
        head += ": ";
        head += value;
        head += '\n';
    };
    head += FirstLine + '\n';
    line("caption", pct(r.caption));
    line("file", pct(r.fileName));
    line("saved", r.saved ? "1" : "0");
    line("encoding", pct(r.encoding));
    line("linebreak", pct(r.lineBreak));
    line("cursor", QByteArray::number(qint64(r.cursor)));
    line("engine", QByteArray::number(r.engine));
    line("server", pct(r.server));
    line("user", pct(r.user));
    line("port", QByteArray::number(r.port));
    line("database", pct(r.database));
    line("length", QByteArray::number(qulonglong(r.text.size())));
    line("sha1", textHash(r.text));
    head += '\n';
    return head;
}

QString systemError(const char *what, const QString &path)
{
    return QStringLiteral("%1 \"%2\": %3").arg(QLatin1String(what), path, QString::fromLocal8Bit(std::strerror(errno)));
}

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace

QByteArray journalRecordBytes(const TJournalRecord &record)
{
    return recordHead(record) + QByteArray(record.text.data(), qsizetype(record.text.size()));
}

bool readJournalRecord(const QByteArray &bytes, TJournalRecord &record, QString &reason)
{
    const qsizetype headEnd = bytes.indexOf("\n\n");
    if (!bytes.startsWith(FirstLine + '\n') || headEnd < 0) {
        reason = QStringLiteral("not a tab journal record");
        return false;
    }
    QHash<QByteArray, QByteArray> fields;
    for (const QByteArray &line : bytes.left(headEnd).split('\n').mid(1)) {
        const qsizetype colon = line.indexOf(": ");
        if (colon <= 0) {
            reason = QStringLiteral("damaged line \"%1\"").arg(QString::fromUtf8(line.left(60)));
            return false;
        }
        fields.insert(line.left(colon), line.mid(colon + 2));
    }
    static const char *const required[] = {"caption", "file",   "saved", "encoding", "linebreak", "cursor", "engine",
                                           "server",  "user",   "port",  "database", "length",    "sha1"};
    for (const char *key : required) {
        if (!fields.contains(key)) {
            reason = QStringLiteral("the field \"%1\" is missing").arg(QLatin1String(key));
            return false;
        }
    }
    const auto text = [&](const char *key) { return QByteArray::fromPercentEncoding(fields.value(key)); };
    const auto str = [&](const char *key) { return text(key).toStdString(); };
    bool ok = true;
    const auto number = [&](const char *key) {
        bool good = false;
        const qlonglong n = fields.value(key).toLongLong(&good);
        ok = ok && good;
        return n;
    };
    TJournalRecord r;
    r.caption = QString::fromUtf8(text("caption"));
    r.fileName = QString::fromUtf8(text("file"));
    r.saved = fields.value("saved") == "1";
    r.encoding = str("encoding");
    r.lineBreak = str("linebreak");
    r.cursor = number("cursor");
    r.engine = int(number("engine"));
    r.server = str("server");
    r.user = str("user");
    r.port = int(number("port"));
    r.database = str("database");
    const qlonglong length = number("length");
    if (!ok) {
        reason = QStringLiteral("a number field is damaged");
        return false;
    }
    const qsizetype textStart = headEnd + 2;
    if (length < 0 || bytes.size() - textStart != length) {
        reason = QStringLiteral("the text holds %1 bytes instead of %2").arg(bytes.size() - textStart).arg(length);
        return false;
    }
    r.text.assign(bytes.constData() + textStart, size_t(length));
    if (textHash(r.text) != fields.value("sha1")) {
        reason = QStringLiteral("the text does not match its checksum");
        return false;
    }
    record = std::move(r);
    return true;
}

bool writeFileAtomically(const QString &path, const QByteArray &head, std::string_view body, QString &error)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".tmp";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = systemError("Cannot create", QFile::decodeName(temporary));
        return false;
    }
    const bool written = writeAll(fd, head.constData(), size_t(head.size())) && writeAll(fd, body.data(), body.size()) &&
                         ::fsync(fd) == 0;
    if (!written)
        error = systemError("Cannot write", QFile::decodeName(temporary));
    if (::close(fd) != 0 && written) {
        error = systemError("Cannot write", QFile::decodeName(temporary));
        ::unlink(temporary.constData());
        return false;
    }
    if (!written) {
        ::unlink(temporary.constData());
        return false;
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        error = systemError("Cannot replace", path);
        ::unlink(temporary.constData());
        return false;
    }
    // The rename itself lasts only once the folder is on disk.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool makePrivateFolder(const QString &path, QString &error)
{
    if (!QDir().mkpath(path)) {
        error = QStringLiteral("Cannot create the folder \"%1\"").arg(path);
        return false;
    }
    if (::chmod(QFile::encodeName(path).constData(), 0700) != 0) {
        error = systemError("Cannot protect the folder", path);
        return false;
    }
    return true;
}

QString journalFileName(uint64_t number)
{
    return QStringLiteral("tab-%1.journal").arg(qulonglong(number), 6, 10, QLatin1Char('0'));
}

uint64_t journalFileNumber(const QString &fileName)
{
    if (!fileName.startsWith(QLatin1String("tab-")) || !fileName.endsWith(QLatin1String(".journal")))
        return 0;
    bool ok = false;
    const qulonglong n = fileName.mid(4, fileName.size() - 4 - 8).toULongLong(&ok);
    return ok ? n : 0;
}

TJournalFolders::TJournalFolders(const QString &stateFolder) : m_journal(stateFolder + QStringLiteral("/journal")) {}

TJournalFolders::~TJournalFolders() = default;

QString TJournalFolders::damagedFolder() const { return QFileInfo(m_journal).path() + QStringLiteral("/damaged"); }

bool TJournalFolders::open(QString &error)
{
    if (!makePrivateFolder(QFileInfo(m_journal).path(), error) || !makePrivateFolder(m_journal, error))
        return false;
    // The lock comes first: a folder without a held lock belongs to no one.
    const QString base = m_journal + QLatin1Char('/') + QString::number(QCoreApplication::applicationPid()) +
                         QLatin1Char('-') + QString::number(QDateTime::currentMSecsSinceEpoch());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = attempt == 0 ? base : base + QLatin1Char('-') + QString::number(attempt);
        auto lock = std::make_unique<QLockFile>(candidate + LockSuffix);
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            continue;
        if (QFileInfo::exists(candidate) || !QDir().mkdir(candidate) || !makePrivateFolder(candidate, error)) {
            lock->unlock();
            continue;
        }
        ::chmod(QFile::encodeName(candidate + LockSuffix).constData(), 0600);
        m_instance = candidate;
        m_lock = std::move(lock);
        return true;
    }
    if (error.isEmpty())
        error = QStringLiteral("Cannot create a journal folder in \"%1\"").arg(m_journal);
    return false;
}

QStringList TJournalFolders::claimOrphans()
{
    QStringList claimed;
    const QFileInfoList entries =
        QDir(m_journal).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString folder = entry.absoluteFilePath();
        if (folder == m_instance)
            continue;
        auto lock = std::make_unique<QLockFile>(folder + LockSuffix);
        lock->setStaleLockTime(0); // only an owner that has ended gives its folder up
        if (!lock->tryLock(0))
            continue;
        claimed << folder;
        m_claimed.push_back({folder, std::move(lock), false});
    }
    return claimed;
}

bool TJournalFolders::adopt(const QString &recordPath, const QString &newName)
{
    return ::rename(QFile::encodeName(recordPath).constData(),
                    QFile::encodeName(m_instance + QLatin1Char('/') + newName).constData()) == 0;
}

QString TJournalFolders::setAside(const QString &recordPath)
{
    QString error;
    if (!makePrivateFolder(damagedFolder(), error))
        return {};
    const QFileInfo info(recordPath);
    const QString target = damagedFolder() + QLatin1Char('/') + info.dir().dirName() + QLatin1Char('-') + info.fileName();
    if (::rename(QFile::encodeName(recordPath).constData(), QFile::encodeName(target).constData()) != 0)
        return {};
    return target;
}

void TJournalFolders::keepClaimed(const QString &folder)
{
    for (Claim &claim : m_claimed)
        if (claim.folder == folder)
            claim.keep = true;
}

void TJournalFolders::releaseClaimed()
{
    for (Claim &claim : m_claimed) {
        if (!claim.keep)
            QDir(claim.folder).removeRecursively();
        claim.lock->unlock();
    }
    m_claimed.clear();
}

void TJournalFolders::close()
{
    releaseClaimed();
    if (!m_lock)
        return;
    const QStringList records = QDir(m_instance).entryList({QStringLiteral("tab-*.journal")}, QDir::Files);
    if (records.isEmpty())
        QDir(m_instance).removeRecursively();
    m_lock->unlock();
    m_lock.reset();
}

TJournalWriter::TJournalWriter(const QString &folder, Done done)
    : m_folder(folder), m_done(std::move(done)), m_thread([this] { run(); })
{
}

TJournalWriter::~TJournalWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void TJournalWriter::write(uint64_t number, std::shared_ptr<const TJournalRecord> record)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back({number, std::move(record)});
    }
    m_wake.notify_all();
}

void TJournalWriter::remove(uint64_t number)
{
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_jobs, [number](const Job &job) { return job.number == number; });
        m_jobs.push_back({number, nullptr});
    }
    m_wake.notify_all();
}

void TJournalWriter::flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void TJournalWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
        if (m_jobs.empty()) {
            if (m_stop)
                return;
            continue;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();

        const QString path = m_folder + QLatin1Char('/') + journalFileName(job.number);
        QString error;
        if (job.record) {
            writeFileAtomically(path, recordHead(*job.record), job.record->text, error);
        } else if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT) {
            error = systemError("Cannot remove", path);
        }
        if (m_done)
            m_done(job.number, !job.record, error);

        lock.lock();
        m_busy = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}
