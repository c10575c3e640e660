#include "o_SynMemo.h"

#include <QFile>
#include <QSaveFile>

#include <stdexcept>

namespace {

// Texts from this size on are given room to grow when they are loaded.
constexpr size_t kRoomFrom = size_t(1) << 20;

// Holds off the change event while the line list edits the document.
struct Silence {
    explicit Silence(int &counter) : m_counter(counter) { ++m_counter; }
    ~Silence() { --m_counter; }
    int &m_counter;
};

} // namespace

std::string TSynLines::Text() const
{
    return joinLines(m_memo.documentBytes(), "\r\n");
}

std::string TSynLines::FileBytes() const
{
    const std::string_view doc = m_memo.documentBytes();
    if (hasOnlyLineBreak(doc, m_lineBreak))
        return encodeText(doc, m_encoding);
    std::string joined = joinLines(doc, lineBreakBytes(m_lineBreak));
    if (m_encoding == TSynEncoding::UTF8)
        return joined;
    return encodeText(joined, m_encoding);
}

void TSynLines::replaceAll(const char *data, size_t length, bool keepBreaks)
{
    Silence silence(m_memo.m_silent);
    // One change event for the whole replacement, none per step (Qt's side
    // of each step would copy the text once more).
    m_memo.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, 0UL);
    m_memo.SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0UL);
    m_memo.SendScintilla(QsciScintillaBase::SCI_CLEARALL);
    // A large text gets room to grow with it: otherwise the first key typed
    // makes the editor move the whole text to a larger buffer.
    if (length > kRoomFrom)
        m_memo.SendScintilla(QsciScintillaBase::SCI_ALLOCATE, (unsigned long)(length + length / 8));
    if (length > 0)
        m_memo.SendScintilla(QsciScintillaBase::SCI_ADDTEXT, uintptr_t(length), data);
    // Mixed breaks are kept as the remembered style, so that the document
    // shows what a save would write.
    const std::string_view doc(data, length);
    if (!keepBreaks && !hasOnlyLineBreak(doc, m_lineBreak))
        m_memo.SendScintilla(QsciScintillaBase::SCI_CONVERTEOLS, (unsigned long)m_memo.eolMode());
    m_memo.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, (unsigned long)TqdSynMemo::kChangeEvents);
    emit m_memo.textChanged();
    m_memo.updateLineNumberMargin();
    m_memo.SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1UL);
    m_memo.SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    m_memo.SendScintilla(QsciScintillaBase::SCI_SETSAVEPOINT);
    m_memo.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0UL);
}

static QsciScintilla::EolMode eolModeOf(TSynLineBreak style)
{
    switch (style) {
    case TSynLineBreak::LF: return QsciScintilla::EolUnix;
    case TSynLineBreak::CR: return QsciScintilla::EolMac;
    case TSynLineBreak::CRLF: break;
    }
    return QsciScintilla::EolWindows;
}

void TSynLines::SetText(const std::string &text)
{
    m_encoding = TSynEncoding::UTF8;
    m_lineBreak = detectLineBreak(text);
    m_memo.setEolMode(eolModeOf(m_lineBreak));
    replaceAll(text.data(), text.size());
}

void TSynLines::Add(const std::string &line)
{
    Silence silence(m_memo.m_silent);
    std::string bytes;
    if (m_memo.SendScintilla(QsciScintillaBase::SCI_GETLENGTH) > 0)
        bytes.append(lineBreakBytes(m_lineBreak));
    bytes.append(line);
    m_memo.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, uintptr_t(bytes.size()), bytes.data());
}

void TSynLines::Clear()
{
    replaceAll("", 0);
}

int TSynLines::Count() const
{
    if (m_memo.SendScintilla(QsciScintillaBase::SCI_GETLENGTH) == 0)
        return 0;
    return int(m_memo.SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT));
}

std::string TSynLines::Strings(int index) const
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    const long start = m_memo.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, (unsigned long)index);
    const long end = m_memo.SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, (unsigned long)index);
    return std::string(m_memo.documentBytes().substr(size_t(start), size_t(end - start)));
}

void TSynLines::LoadFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot open file \"" + path.toStdString() + "\". " + file.errorString().toStdString());
    // A file is mapped rather than read: its bytes go to the editor with
    // one copy and no buffer of the file's size in between.
    QByteArray bytes;
    const uchar *mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr;
    if (!mapped) {
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw std::runtime_error("Cannot read file \"" + path.toStdString() + "\". " + file.errorString().toStdString());
    }
    const std::string_view raw = mapped ? std::string_view(reinterpret_cast<const char *>(mapped), size_t(file.size()))
                                        : std::string_view(bytes.constData(), size_t(bytes.size()));
    const TSynEncoding encoding = detectEncoding(raw);
    std::string decoded;
    if (encoding != TSynEncoding::UTF8) {
        try {
            decoded = decodeText(raw, encoding);
        } catch (const ETextEncodingError &e) {
            throw ETextEncodingError("Cannot open file \"" + path.toStdString() + "\". " + e.what());
        }
    }
    const std::string_view text = encoding == TSynEncoding::UTF8 ? raw : std::string_view(decoded);
    m_encoding = encoding;
    m_lineBreak = detectLineBreak(text);
    m_memo.setEolMode(eolModeOf(m_lineBreak));
    replaceAll(text.data(), text.size());
}

void TSynLines::Restore(std::string_view document, TSynLineBreak lineBreak, TSynEncoding encoding)
{
    m_encoding = encoding;
    m_lineBreak = lineBreak;
    m_memo.setEolMode(eolModeOf(m_lineBreak));
    replaceAll(document.data(), document.size(), true);
}

void TSynLines::SaveToFile(const QString &path) const
{
    // A UTF-8 document with the remembered breaks only is the file already:
    // it is written straight from the editor. Anything else is converted once.
    std::string converted;
    std::string_view bytes = m_memo.documentBytes();
    if (m_encoding != TSynEncoding::UTF8 || !hasOnlyLineBreak(bytes, m_lineBreak)) {
        try {
            converted = FileBytes();
        } catch (const ETextEncodingError &e) {
            throw ETextEncodingError("Cannot write file \"" + path.toStdString() + "\". " + e.what());
        }
        bytes = converted;
    }
    // Written beside the file and put in its place only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("Cannot create file \"" + path.toStdString() + "\". " + file.errorString().toStdString());
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit())
        throw std::runtime_error("Cannot write file \"" + path.toStdString() + "\". " + file.errorString().toStdString());
}
