#include "o_TextEncoding.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Windows-1252 at 0x80-0x9F. The five codes the code page leaves undefined
// stand for the control code of the same number, as in Latin-1, so every
// byte has exactly one letter and back.
constexpr std::array<char32_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The code point at `pos` and its length in bytes; length 0 for bytes that
// are not UTF-8 (overlong forms and surrogates included).
char32_t nextCodePoint(std::string_view s, size_t pos, size_t &length)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = byte(pos);
    length = 0;
    if (c < 0x80) {
        length = 1;
        return c;
    }
    size_t n;
    char32_t cp;
    char32_t least;
    if ((c & 0xE0) == 0xC0) {
        n = 2, cp = c & 0x1F, least = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3, cp = c & 0x0F, least = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4, cp = c & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (pos + n > s.size())
        return 0;
    for (size_t i = 1; i < n; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    length = n;
    return cp;
}

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

bool isUtf16(TSynEncoding e) { return e == TSynEncoding::UTF16LE || e == TSynEncoding::UTF16BE; }

void appendUnit(std::string &out, uint16_t unit, bool bigEndian)
{
    const char hi = char(unit >> 8), lo = char(unit & 0xFF);
    if (bigEndian) {
        out.push_back(hi);
        out.push_back(lo);
    } else {
        out.push_back(lo);
        out.push_back(hi);
    }
}

size_t lineOf(std::string_view s, size_t pos)
{
    size_t line = 1;
    for (size_t i = 0; i < pos; ++i)
        if (s[i] == '\n' || (s[i] == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n')))
            ++line;
    return line;
}

[[noreturn]] void cannotHold(std::string_view utf8, size_t pos, size_t length, char32_t cp, TSynEncoding e)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", unsigned(cp));
    throw ETextEncodingError("The script's encoding " + std::string(encodingName(e)) + " cannot hold the character \"" +
                             std::string(utf8.substr(pos, length)) + "\" (" + code + ") on line " +
                             std::to_string(lineOf(utf8, pos)) + ".");
}

} // namespace

const char *encodingName(TSynEncoding encoding)
{
    switch (encoding) {
    case TSynEncoding::UTF8: return "UTF-8";
    case TSynEncoding::Latin1: return "Latin-1";
    case TSynEncoding::Windows1252: return "Windows-1252";
    case TSynEncoding::UTF16LE: return "UTF-16LE";
    case TSynEncoding::UTF16BE: return "UTF-16BE";
    }
    return "UTF-8";
}

bool encodingFromName(std::string_view name, TSynEncoding &encoding)
{
    for (TSynEncoding e : {TSynEncoding::UTF8, TSynEncoding::Latin1, TSynEncoding::Windows1252, TSynEncoding::UTF16LE,
                           TSynEncoding::UTF16BE}) {
        if (name == encodingName(e)) {
            encoding = e;
            return true;
        }
    }
    return false;
}

bool isValidUtf8(std::string_view bytes)
{
    size_t pos = 0;
    while (pos < bytes.size()) {
        // ASCII runs are the common case: eight bytes at a time
        while (pos + 8 <= bytes.size()) {
            uint64_t word;
            std::memcpy(&word, bytes.data() + pos, 8);
            if (word & 0x8080808080808080ULL)
                break;
            pos += 8;
        }
        if (pos >= bytes.size())
            break;
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
            continue;
        }
        size_t length;
        nextCodePoint(bytes, pos, length);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

TSynEncoding detectEncoding(std::string_view bytes)
{
    for (TSynEncoding utf16 : {TSynEncoding::UTF16LE, TSynEncoding::UTF16BE}) {
        const bool mark = bytes.size() >= 2 && (utf16 == TSynEncoding::UTF16LE ? (bytes[0] == '\xFF' && bytes[1] == '\xFE')
                                                                                : (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
        if (!mark)
            continue;
        try {
            decodeText(bytes, utf16);
            return utf16;
        } catch (const ETextEncodingError &) {
            break; // not UTF-16 after all: the 8-bit rules below keep its bytes
        }
    }
    if (isValidUtf8(bytes))
        return TSynEncoding::UTF8;
    for (unsigned char c : bytes)
        if (c >= 0x80 && c <= 0x9F)
            return TSynEncoding::Windows1252;
    return TSynEncoding::Latin1;
}

std::string decodeText(std::string_view bytes, TSynEncoding encoding)
{
    std::string out;
    switch (encoding) {
    case TSynEncoding::UTF8:
        return std::string(bytes);
    case TSynEncoding::Latin1:
    case TSynEncoding::Windows1252:
        out.reserve(bytes.size() + bytes.size() / 8);
        for (unsigned char c : bytes) {
            if (c < 0x80)
                out.push_back(char(c));
            else if (c < 0xA0 && encoding == TSynEncoding::Windows1252)
                appendUtf8(out, Cp1252High[c - 0x80]);
            else
                appendUtf8(out, c);
        }
        return out;
    case TSynEncoding::UTF16LE:
    case TSynEncoding::UTF16BE:
        break;
    }
    const bool bigEndian = encoding == TSynEncoding::UTF16BE;
    size_t pos = 0;
    if (bytes.size() >= 2 && (bigEndian ? (bytes[0] == '\xFE' && bytes[1] == '\xFF')
                                        : (bytes[0] == '\xFF' && bytes[1] == '\xFE')))
        pos = 2;
    if ((bytes.size() - pos) % 2 != 0)
        throw ETextEncodingError("The script is not valid " + std::string(encodingName(encoding)) +
                                 ": it ends in the middle of a character.");
    const auto unitAt = [&](size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? uint16_t(a << 8 | b) : uint16_t(b << 8 | a);
    };
    out.reserve(bytes.size() / 2);
    while (pos < bytes.size()) {
        const uint16_t unit = unitAt(pos);
        pos += 2;
        char32_t cp = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF && pos < bytes.size()) {
            const uint16_t low = unitAt(pos);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (low - 0xDC00);
                pos += 2;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF)
            throw ETextEncodingError("The script is not valid " + std::string(encodingName(encoding)) +
                                     ": it holds an unpaired surrogate at byte " + std::to_string(pos - 2) + ".");
        appendUtf8(out, cp);
    }
    return out;
}

std::string encodeText(std::string_view utf8, TSynEncoding encoding)
{
    if (encoding == TSynEncoding::UTF8)
        return std::string(utf8);
    std::string out;
    const bool bigEndian = encoding == TSynEncoding::UTF16BE;
    if (isUtf16(encoding)) {
        out.reserve(utf8.size() * 2 + 2);
        appendUnit(out, 0xFEFF, bigEndian);
    } else {
        out.reserve(utf8.size());
    }
    size_t pos = 0;
    while (pos < utf8.size()) {
        size_t length;
        const char32_t cp = nextCodePoint(utf8, pos, length);
        if (length == 0)
            throw ETextEncodingError("The script holds bytes that are not text on line " +
                                     std::to_string(lineOf(utf8, pos)) + "; it cannot be written as " +
                                     encodingName(encoding) + ".");
        if (isUtf16(encoding)) {
            if (cp >= 0x10000) {
                appendUnit(out, uint16_t(0xD800 + ((cp - 0x10000) >> 10)), bigEndian);
                appendUnit(out, uint16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)), bigEndian);
            } else {
                appendUnit(out, uint16_t(cp), bigEndian);
            }
        } else if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF) ||
                   (cp < 0xA0 && encoding == TSynEncoding::Latin1)) {
            out.push_back(char(cp));
        } else {
            size_t high = 0;
            while (high < Cp1252High.size() && Cp1252High[high] != cp)
                ++high;
            if (encoding != TSynEncoding::Windows1252 || high == Cp1252High.size())
                cannotHold(utf8, pos, length, cp, encoding);
            out.push_back(char(0x80 + high));
        }
        pos += length;
    }
    return out;
}
