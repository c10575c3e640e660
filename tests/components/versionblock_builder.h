#pragma once
// Test helper: writes version blocks (VS_VERSIONINFO) and wraps them in
// minimal ELF and PE files, with the offsets of the fields that the damage
// tests change. Standard library only (the fuzz seed writer uses it too).

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace vbtest {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes &b, std::uint32_t v) { b.push_back(v & 0xFF); b.push_back((v >> 8) & 0xFF); }
inline void put32(Bytes &b, std::uint32_t v) { put16(b, v & 0xFFFF); put16(b, v >> 16); }
inline void put64(Bytes &b, std::uint64_t v) { put32(b, std::uint32_t(v)); put32(b, std::uint32_t(v >> 32)); }
inline void pad4(Bytes &b) { while (b.size() % 4) b.push_back(0); }
inline void padTo(Bytes &b, std::size_t n) { if (b.size() < n) b.resize(n, 0); }

inline void set16(Bytes &b, std::size_t off, std::uint32_t v) { b[off] = v & 0xFF; b[off + 1] = (v >> 8) & 0xFF; }
inline void set32(Bytes &b, std::size_t off, std::uint32_t v) { set16(b, off, v & 0xFFFF); set16(b, off + 2, v >> 16); }
inline void set64(Bytes &b, std::size_t off, std::uint64_t v) { set32(b, off, std::uint32_t(v)); set32(b, off + 4, std::uint32_t(v >> 32)); }

// ASCII/Latin-1 text as UTF-16LE with its terminating zero.
inline void putText(Bytes &b, const std::string &s)
{
    for (unsigned char c : s)
        put16(b, c);
    put16(b, 0);
}

inline Bytes node(const std::string &key, std::uint16_t type, const Bytes &value, std::uint16_t valueLength,
                  const std::vector<Bytes> &children)
{
    Bytes b;
    put16(b, 0);
    put16(b, valueLength);
    put16(b, type);
    putText(b, key);
    pad4(b);
    b.insert(b.end(), value.begin(), value.end());
    for (const Bytes &c : children) {
        pad4(b);
        b.insert(b.end(), c.begin(), c.end());
    }
    set16(b, 0, std::uint32_t(b.size()));
    return b;
}

struct StringTable {
    std::string langCp; // e.g. "040904E4"
    std::vector<std::pair<std::string, std::string>> strings;
};

struct VersionInfo {
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations{{0x0409, 0x04E4}};
    std::vector<StringTable> tables;
    bool withVarFileInfo = true;

    Bytes build() const
    {
        Bytes fixed;
        for (std::uint32_t w : {0xFEEF04BDu, 0x00010000u, 0x00010000u, 0x000A011Au, 0x00010000u, 0x000A0000u,
                                0x3Fu, 0u, 0x40004u, 1u, 0u, 0u, 0u})
            put32(fixed, w);
        std::vector<Bytes> tableNodes;
        for (const StringTable &t : tables) {
            std::vector<Bytes> strings;
            for (const auto &[k, v] : t.strings) {
                Bytes value;
                putText(value, v);
                strings.push_back(node(k, 1, value, std::uint16_t(v.size() + 1), {}));
            }
            tableNodes.push_back(node(t.langCp, 1, {}, 0, strings));
        }
        std::vector<Bytes> top{node("StringFileInfo", 1, {}, 0, tableNodes)};
        if (withVarFileInfo) {
            Bytes tr;
            for (auto [lang, cp] : translations) {
                put16(tr, lang);
                put16(tr, cp);
            }
            top.push_back(node("VarFileInfo", 1, {}, 0, {node("Translation", 0, tr, std::uint16_t(tr.size()), {})}));
        }
        return node("VS_VERSION_INFO", 0, fixed, std::uint16_t(fixed.size()), top);
    }
};

// The ten standard strings with recognisable values, keys spelled as usual.
inline StringTable standardTable(const std::string &langCp, const std::string &tag = "")
{
    return {langCp,
            {{"CompanyName", tag + "Company"},
             {"FileDescription", tag + "Description"},
             {"FileVersion", tag + "1.2.3.44"},
             {"InternalName", tag + "Internal"},
             {"LegalCopyright", tag + "Copyright"},
             {"LegalTrademarks", tag + "Trademarks"},
             {"OriginalFilename", tag + "Original"},
             {"ProductName", tag + "Product"},
             {"ProductVersion", tag + "1.2.0.0"},
             {"Comments", tag + "Comments"}}};
}

// ---------------------------------------------------------------- ELF

struct ElfFile {
    Bytes bytes;
    bool is64 = true;
    std::size_t blockOff = 0;        // where the block's bytes start
    std::size_t shoffField = 0;      // e_shoff
    std::size_t shentsizeField = 0;  // e_shentsize
    std::size_t shnumField = 0;      // e_shnum
    std::size_t shstrndxField = 0;   // e_shstrndx
    std::size_t shoff = 0;           // section header table
    std::size_t shentsize = 0;
    // Fields of section header i (0 null, 1 the version section, 2 .shstrtab).
    std::size_t nameField(int i) const { return shoff + i * shentsize; }
    std::size_t typeField(int i) const { return shoff + i * shentsize + 4; }
    std::size_t offsetField(int i) const { return shoff + i * shentsize + (is64 ? 24 : 16); }
    std::size_t sizeField(int i) const { return shoff + i * shentsize + (is64 ? 32 : 20); }
    void setWord(std::size_t off, std::uint64_t v) { is64 ? set64(bytes, off, v) : set32(bytes, off, std::uint32_t(v)); }
};

inline ElfFile elfWith(const Bytes &payload, bool is64 = true, const std::string &section = ".tabulon_version")
{
    ElfFile f;
    f.is64 = is64;
    Bytes &b = f.bytes;
    const std::size_t ehsize = is64 ? 64 : 52;
    b = {0x7F, 'E', 'L', 'F', std::uint8_t(is64 ? 2 : 1), 1, 1, 0};
    padTo(b, 16);
    put16(b, 2);                  // ET_EXEC
    put16(b, is64 ? 62 : 3);      // x86-64 / i386
    put32(b, 1);                  // version
    if (is64) { put64(b, 0); put64(b, 0); f.shoffField = b.size(); put64(b, 0); }
    else { put32(b, 0); put32(b, 0); f.shoffField = b.size(); put32(b, 0); }
    put32(b, 0);                  // flags
    put16(b, std::uint32_t(ehsize));
    put16(b, 0); put16(b, 0);     // no program headers
    f.shentsizeField = b.size(); put16(b, is64 ? 64 : 40);
    f.shnumField = b.size(); put16(b, 3);
    f.shstrndxField = b.size(); put16(b, 2);
    padTo(b, ehsize);

    f.blockOff = b.size();
    b.insert(b.end(), payload.begin(), payload.end());
    pad4(b);
    const std::size_t strOff = b.size();
    Bytes names{0};
    const std::size_t secName = names.size();
    names.insert(names.end(), section.begin(), section.end());
    names.push_back(0);
    const std::size_t strName = names.size();
    for (char c : std::string(".shstrtab")) names.push_back(std::uint8_t(c));
    names.push_back(0);
    b.insert(b.end(), names.begin(), names.end());
    pad4(b);
    if (is64) while (b.size() % 8) b.push_back(0);

    f.shoff = b.size();
    f.shentsize = is64 ? 64 : 40;
    is64 ? set64(b, f.shoffField, f.shoff) : set32(b, f.shoffField, std::uint32_t(f.shoff));
    auto header = [&](std::uint32_t name, std::uint32_t type, std::uint64_t off, std::uint64_t size) {
        const std::size_t start = b.size();
        put32(b, name);
        put32(b, type);
        if (is64) { put64(b, 0); put64(b, 0); put64(b, off); put64(b, size); }
        else { put32(b, 0); put32(b, 0); put32(b, std::uint32_t(off)); put32(b, std::uint32_t(size)); }
        padTo(b, start + f.shentsize);
    };
    header(0, 0, 0, 0);
    header(std::uint32_t(secName), 1, f.blockOff, payload.size());
    header(std::uint32_t(strName), 3, strOff, names.size());
    return f;
}

// ---------------------------------------------------------------- PE

struct PeFile {
    Bytes bytes;
    std::size_t lfanewField = 0x3C;
    std::size_t numSectionsField = 0;
    std::size_t optSizeField = 0;
    std::size_t magicField = 0;
    std::size_t resDirRvaField = 0;     // data directory 2: RVA
    std::size_t sectionHeader = 0;      // the one section (.rsrc)
    std::size_t rsrc = 0;               // file offset of the resource section
    std::uint32_t rsrcRva = 0x1000;
    // Resource directory fields, as file offsets.
    std::size_t rootCounts() const { return rsrc + 12; }   // named, id counts
    std::size_t rootEntryId() const { return rsrc + 16; }
    std::size_t rootEntryData() const { return rsrc + 20; }
    std::size_t namesCounts() const { return rsrc + 0x18 + 12; }
    std::size_t namesEntryData() const { return rsrc + 0x18 + 20; }
    std::size_t langCounts() const { return rsrc + 0x30 + 12; }
    std::size_t langEntryData() const { return rsrc + 0x30 + 20; }
    std::size_t dataEntryRva() const { return rsrc + 0x48; }
    std::size_t dataEntrySize() const { return rsrc + 0x4C; }
    std::size_t blockOff() const { return rsrc + 0x58; }
};

// resourceType: the type id of the single resource (16 is RT_VERSION).
inline PeFile peWith(const Bytes &block, bool pe32plus = false, std::uint32_t resourceType = 16)
{
    PeFile f;
    Bytes &b = f.bytes;
    b = {'M', 'Z'};
    padTo(b, 0x3C);
    put32(b, 0x40);
    put32(b, 0x00004550); // "PE\0\0"
    put16(b, pe32plus ? 0x8664 : 0x14C);
    f.numSectionsField = b.size(); put16(b, 1);
    put32(b, 0); put32(b, 0); put32(b, 0);
    const std::uint16_t optSize = pe32plus ? 240 : 224;
    f.optSizeField = b.size(); put16(b, optSize);
    put16(b, 0x2102); // DLL, executable image
    const std::size_t opt = b.size();
    f.magicField = opt;
    put16(b, pe32plus ? 0x20B : 0x10B);
    padTo(b, opt + (pe32plus ? 108 : 92));
    put32(b, 16); // NumberOfRvaAndSizes
    const std::size_t dirs = b.size();
    padTo(b, opt + optSize);
    f.resDirRvaField = dirs + 16;

    f.sectionHeader = b.size();
    for (char c : std::string(".rsrc\0\0\0", 8)) b.push_back(std::uint8_t(c));
    padTo(b, f.sectionHeader + 40);
    f.rsrc = 0x200;
    padTo(b, f.rsrc);

    // Type -> name 1 -> language 0x409 -> data entry -> block.
    Bytes r;
    auto dir = [&](std::uint32_t id, std::uint32_t data) {
        put32(r, 0); put32(r, 0); put16(r, 0); put16(r, 0); put16(r, 0); put16(r, 1);
        put32(r, id); put32(r, data);
    };
    dir(resourceType, 0x80000000u | 0x18);
    dir(1, 0x80000000u | 0x30);
    dir(0x409, 0x48);
    put32(r, f.rsrcRva + 0x58); put32(r, std::uint32_t(block.size())); put32(r, 0); put32(r, 0);
    padTo(r, 0x58);
    r.insert(r.end(), block.begin(), block.end());
    pad4(r);

    b.insert(b.end(), r.begin(), r.end());
    set32(b, f.resDirRvaField, f.rsrcRva);
    set32(b, f.resDirRvaField + 4, std::uint32_t(r.size()));
    set32(b, f.sectionHeader + 8, std::uint32_t(r.size()));   // VirtualSize
    set32(b, f.sectionHeader + 12, f.rsrcRva);                // VirtualAddress
    set32(b, f.sectionHeader + 16, std::uint32_t(r.size()));  // SizeOfRawData
    set32(b, f.sectionHeader + 20, std::uint32_t(f.rsrc));    // PointerToRawData
    return f;
}

} // namespace vbtest
