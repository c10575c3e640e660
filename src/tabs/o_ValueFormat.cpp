#include "o_ValueFormat.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool fromHex(std::string_view hex, QByteArray &out)
{
    if (hex.size() % 2)
        return false;
    out.resize(qsizetype(hex.size() / 2));
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = hexDigit(hex[i]), lo = hexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out[qsizetype(i / 2)] = char(hi * 16 + lo);
    }
    return true;
}

// The older escape form of a byte string: "\\" for a backslash, "\ooo" octal.
bool fromEscapes(std::string_view text, QByteArray &out)
{
    out.clear();
    out.reserve(qsizetype(text.size()));
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.append(text[i]);
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            out.append('\\');
            ++i;
            continue;
        }
        if (i + 3 >= text.size())
            return false;
        int value = 0;
        for (size_t k = 1; k <= 3; ++k) {
            const char c = text[i + k];
            if (c < '0' || c > '7')
                return false;
            value = value * 8 + (c - '0');
        }
        out.append(char(value));
        i += 3;
    }
    return true;
}

bool isPicture(const QByteArray &b)
{
    return b.startsWith("\x89PNG\r\n\x1a\n") || b.startsWith("\xFF\xD8\xFF") || b.startsWith("GIF87a") ||
           b.startsWith("GIF89a");
}

bool prettyJson(const QByteArray &utf8, QString &out)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(utf8, &error);
    if (error.error != QJsonParseError::NoError || document.isNull())
        return false;
    out = QString::fromUtf8(document.toJson(QJsonDocument::Indented)).trimmed();
    return true;
}

bool indentedXml(const QByteArray &utf8, QString &out)
{
    QXmlStreamReader reader(utf8);
    QString result;
    QXmlStreamWriter writer(&result);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    bool element = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.hasError())
            break;
        if (reader.isWhitespace())
            continue;
        if (reader.isStartDocument() && reader.documentVersion().isEmpty())
            continue; // no declaration in the value: none added
        element = element || reader.isStartElement();
        writer.writeCurrentToken(reader);
    }
    if (reader.hasError() || !element)
        return false;
    out = result.trimmed();
    return true;
}

} // namespace

QByteArray binaryBytes(std::string_view text)
{
    QByteArray bytes;
    if (text.size() >= 2 && (text.substr(0, 2) == "\\x" || text.substr(0, 2) == "0x") && fromHex(text.substr(2), bytes))
        return bytes;
    if (fromHex(text, bytes))
        return bytes;
    if (text.find('\\') != std::string_view::npos && fromEscapes(text, bytes))
        return bytes;
    return QByteArray(text.data(), qsizetype(text.size()));
}

QString hexDump(const QByteArray &bytes, qsizetype maxBytes)
{
    static const char digits[] = "0123456789ABCDEF";
    const qsizetype shown = std::min(bytes.size(), maxBytes);
    QString out;
    out.reserve((shown / 16 + 2) * 80);
    for (qsizetype line = 0; line < shown; line += 16) {
        out += QStringLiteral("%1  ").arg(line, 8, 16, QLatin1Char('0')).toUpper();
        QString ascii;
        for (qsizetype i = 0; i < 16; ++i) {
            if (i == 8)
                out += QLatin1Char(' ');
            if (line + i < shown) {
                const auto c = static_cast<unsigned char>(bytes[line + i]);
                out += QLatin1Char(digits[c >> 4]);
                out += QLatin1Char(digits[c & 15]);
                out += QLatin1Char(' ');
                ascii += c >= 0x20 && c < 0x7F ? QLatin1Char(char(c)) : QLatin1Char('.');
            } else {
                out += QStringLiteral("   ");
            }
        }
        out += QStringLiteral(" |") + ascii + QStringLiteral("|\n");
    }
    if (bytes.size() > shown)
        out += QStringLiteral("... %1 more bytes\n").arg(bytes.size() - shown);
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out;
}

TShownValue shapeValue(std::string_view text, ado::FieldKind kind)
{
    TShownValue shown;
    if (kind == ado::FieldKind::Binary) {
        shown.bytes = binaryBytes(text);
        shown.text = hexDump(shown.bytes);
        shown.shape = TShownValue::Hex;
        if (isPicture(shown.bytes) && shown.image.loadFromData(shown.bytes))
            shown.shape = TShownValue::Image;
        return shown;
    }
    const QByteArray utf8(text.data(), qsizetype(text.size()));
    const QByteArray start = utf8.trimmed().left(1);
    if (kind == ado::FieldKind::Text && (start == "{" || start == "[") && prettyJson(utf8, shown.text)) {
        shown.shape = TShownValue::Json;
        return shown;
    }
    if (kind == ado::FieldKind::Text && start == "<" && indentedXml(utf8, shown.text)) {
        shown.shape = TShownValue::Xml;
        return shown;
    }
    shown.text = QString::fromUtf8(utf8);
    return shown;
}
