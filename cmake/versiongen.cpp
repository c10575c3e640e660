// tabulon_versiongen <description.ini> <block.bin>
//
// Writes a VS_VERSIONINFO block (fixed file info, one string table, one
// translation) from the small description in cmake/version.ini. Values in
// braces name the maker's constants of o_AppInfo.h, so they live in one place.

#include "o_AppInfo.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void fail(const std::string &message)
{
    std::cerr << "tabulon_versiongen: " << message << "\n";
    std::exit(1);
}

std::string trim(const std::string &s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::u16string utf16(const std::string &s)
{
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::uint32_t cp;
        int extra;
        if (c < 0x80) { cp = c; extra = 0; }
        else if ((c >> 5) == 6) { cp = c & 0x1F; extra = 1; }
        else if ((c >> 4) == 14) { cp = c & 0x0F; extra = 2; }
        else if ((c >> 3) == 30) { cp = c & 0x07; extra = 3; }
        else fail("value is not UTF-8: " + s);
        if (i + extra >= s.size() + (extra ? 0 : 1))
            fail("value is not UTF-8: " + s);
        for (int k = 1; k <= extra; ++k)
            cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        i += 1 + extra;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return out;
}

void put16(Bytes &b, std::uint32_t v) { b.push_back(v & 0xFF); b.push_back((v >> 8) & 0xFF); }
void put32(Bytes &b, std::uint32_t v) { put16(b, v & 0xFFFF); put16(b, v >> 16); }
void pad4(Bytes &b) { while (b.size() % 4) b.push_back(0); }
void putText(Bytes &b, const std::u16string &t) { for (char16_t c : t) put16(b, c); put16(b, 0); }

// One node: header, key, value and children, each part 32-bit aligned.
Bytes node(const std::string &key, std::uint16_t type, const Bytes &value, std::uint16_t valueLength,
           const std::vector<Bytes> &children)
{
    Bytes b;
    put16(b, 0); // wLength, filled in below
    put16(b, valueLength);
    put16(b, type);
    putText(b, utf16(key));
    pad4(b);
    b.insert(b.end(), value.begin(), value.end());
    for (const Bytes &child : children) {
        pad4(b);
        b.insert(b.end(), child.begin(), child.end());
    }
    if (b.size() > 0xFFFF)
        fail("version block too large");
    b[0] = b.size() & 0xFF;
    b[1] = (b.size() >> 8) & 0xFF;
    return b;
}

Bytes stringNode(const std::string &key, const std::string &value)
{
    const std::u16string v = utf16(value);
    Bytes b;
    putText(b, v);
    return node(key, 1, b, static_cast<std::uint16_t>(v.size() + 1), {});
}

// "1.0.10.282" -> the two 32-bit halves of VS_FIXEDFILEINFO.
std::pair<std::uint32_t, std::uint32_t> versionWords(const std::string &text)
{
    std::uint32_t part[4] = {0, 0, 0, 0};
    std::istringstream in(text);
    std::string piece;
    for (int i = 0; i < 4 && std::getline(in, piece, '.'); ++i)
        part[i] = static_cast<std::uint32_t>(std::stoul(piece)) & 0xFFFF;
    return {part[0] << 16 | part[1], part[2] << 16 | part[3]};
}

std::string resolve(const std::string &value)
{
    if (value.size() < 2 || value.front() != '{' || value.back() != '}')
        return value;
    static const std::map<std::string, const char *> constants = {
        {"ProductName", appinfo::ProductName},   {"MakerUrl", appinfo::MakerUrl},
        {"MakerHost", appinfo::MakerHost},       {"MakerDomainName", appinfo::MakerDomainName},
        {"AuthorName", appinfo::AuthorName},     {"ContactMail", appinfo::ContactMail},
    };
    const auto it = constants.find(value.substr(1, value.size() - 2));
    if (it == constants.end())
        fail("unknown constant " + value);
    return it->second;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        fail("usage: tabulon_versiongen <description.ini> <block.bin>");
    std::ifstream in(argv[1]);
    if (!in)
        fail(std::string("cannot read ") + argv[1]);

    std::map<std::string, std::string> header;
    std::vector<std::pair<std::string, std::string>> strings;
    bool inStrings = false;
    std::string line;
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line == "[StringFileInfo]") {
            inStrings = true;
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            fail("not a \"key = value\" line: " + line);
        std::string key = trim(line.substr(0, eq)), value = resolve(trim(line.substr(eq + 1)));
        if (inStrings)
            strings.emplace_back(std::move(key), std::move(value));
        else
            header[key] = value;
    }

    auto number = [&](const char *key) {
        const auto it = header.find(key);
        if (it == header.end())
            fail(std::string("missing ") + key);
        return static_cast<std::uint16_t>(std::stoul(it->second, nullptr, 0));
    };
    const std::uint16_t language = number("Language"), codePage = number("CodePage");
    std::string fileVersion, productVersion;
    for (const auto &[k, v] : strings) {
        if (k == "FileVersion") fileVersion = v;
        if (k == "ProductVersion") productVersion = v;
    }

    Bytes fixed;
    const auto fv = versionWords(fileVersion), pv = versionWords(productVersion);
    for (std::uint32_t w : {0xFEEF04BDu, 0x00010000u, fv.first, fv.second, pv.first, pv.second,
                            0x3Fu /*flags mask*/, 0u /*flags*/, 0u /*OS*/, 1u /*VFT_APP*/, 0u, 0u, 0u})
        put32(fixed, w);

    std::vector<Bytes> table;
    for (const auto &[k, v] : strings)
        table.push_back(stringNode(k, v));
    char tableKey[16];
    std::snprintf(tableKey, sizeof tableKey, "%.4X%.4X", unsigned(language), unsigned(codePage));
    Bytes translation;
    put16(translation, language);
    put16(translation, codePage);

    const Bytes block = node("VS_VERSION_INFO", 0, fixed, static_cast<std::uint16_t>(fixed.size()),
                             {node("StringFileInfo", 1, {}, 0, {node(tableKey, 1, {}, 0, table)}),
                              node("VarFileInfo", 1, {}, 0, {node("Translation", 0, translation, 4, {})})});

    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(block.data()), static_cast<std::streamsize>(block.size()));
    if (!out)
        fail(std::string("cannot write ") + argv[2]);
    return 0;
}
