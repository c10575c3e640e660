#include "o_VersionResource.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verres {

// ---------------------------------------------------------------- sources

bool MemorySource::read(std::uint64_t offset, void *dst, std::size_t n) const
{
    if (offset > size_ || n > size_ - offset)
        return false;
    if (n)
        std::memcpy(dst, data_ + offset, n);
    return true;
}

FileSource::FileSource(const std::string &path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        return;
    struct stat st {};
    // Only regular files: a FIFO or a device would block or never end.
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
}

FileSource::~FileSource()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FileSource::read(std::uint64_t offset, void *dst, std::size_t n) const
{
    if (fd_ < 0 || offset > size_ || n > size_ - offset)
        return false;
    auto *out = static_cast<unsigned char *>(dst);
    while (n > 0) {
        ssize_t got = ::pread(fd_, out, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false; // error, or the file shrank under us
        out += got;
        offset += static_cast<std::uint64_t>(got);
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

// ---------------------------------------------------------------- helpers

namespace {

struct Reader {
    const ByteSource &src;
    bool bigEndian = false;

    bool bytes(std::uint64_t off, void *dst, std::size_t n) const { return src.read(off, dst, n); }
    bool u16(std::uint64_t off, std::uint16_t &v) const
    {
        unsigned char b[2];
        if (!src.read(off, b, 2))
            return false;
        v = bigEndian ? std::uint16_t(b[0] << 8 | b[1]) : std::uint16_t(b[1] << 8 | b[0]);
        return true;
    }
    bool u32(std::uint64_t off, std::uint32_t &v) const
    {
        unsigned char b[4];
        if (!src.read(off, b, 4))
            return false;
        v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t(b[bigEndian ? 3 - i : i]) << (8 * i);
        return true;
    }
    bool u64(std::uint64_t off, std::uint64_t &v) const
    {
        unsigned char b[8];
        if (!src.read(off, b, 8))
            return false;
        v = 0;
        for (int i = 0; i < 8; ++i)
            v |= std::uint64_t(b[bigEndian ? 7 - i : i]) << (8 * i);
        return true;
    }
};

std::optional<std::vector<std::uint8_t>> readBlock(const ByteSource &src, std::uint64_t off, std::uint64_t size)
{
    if (size == 0)
        return std::nullopt;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, MaxBlockSize));
    std::vector<std::uint8_t> block(n);
    if (!src.read(off, block.data(), n))
        return std::nullopt;
    return block;
}

// ---------------------------------------------------------------- PE

constexpr std::uint32_t RT_VERSION = 16;
constexpr std::uint32_t HighBit = 0x80000000u;
constexpr std::uint32_t MaxSections = 96;  // the loader's own limit
constexpr std::uint32_t MaxDirEntries = 4096;

class PeImage {
public:
    explicit PeImage(const ByteSource &src) : r{src} {}

    bool open()
    {
        std::uint16_t mz = 0;
        std::uint32_t peOff = 0, sig = 0;
        if (!r.u16(0, mz) || mz != 0x5A4D || !r.u32(0x3C, peOff) || !r.u32(peOff, sig) || sig != 0x00004550)
            return false;
        const std::uint64_t coff = std::uint64_t(peOff) + 4;
        std::uint16_t nsec = 0, optSize = 0, magic = 0;
        if (!r.u16(coff + 2, nsec) || !r.u16(coff + 16, optSize))
            return false;
        const std::uint64_t opt = coff + 20;
        if (!r.u16(opt, magic))
            return false;
        std::uint64_t countAt, dirsAt;
        if (magic == 0x10B) {
            countAt = opt + 92;
            dirsAt = opt + 96;
        } else if (magic == 0x20B) {
            countAt = opt + 108;
            dirsAt = opt + 112;
        } else {
            return false;
        }
        std::uint32_t ndirs = 0;
        if (!r.u32(countAt, ndirs) || ndirs < 3)
            return false;
        // The resource directory entry (index 2) must lie inside the optional header.
        if (dirsAt + 3 * 8 > opt + optSize)
            return false;
        if (!r.u32(dirsAt + 16, resRva_) || resRva_ == 0)
            return false;
        // The section table, read once (the loader's limit bounds it).
        const std::uint64_t table = opt + optSize;
        for (std::uint32_t i = 0; i < std::min<std::uint32_t>(nsec, MaxSections); ++i) {
            const std::uint64_t h = table + std::uint64_t(i) * 40;
            Section s;
            if (!r.u32(h + 12, s.va) || !r.u32(h + 16, s.rawSize) || !r.u32(h + 20, s.rawPtr))
                return false;
            sections_.push_back(s);
        }
        return true;
    }

    std::uint32_t resourceRva() const { return resRva_; }

    // File offset of [rva, rva + n), which must lie in one section's raw data.
    std::optional<std::uint64_t> map(std::uint64_t rva, std::uint64_t n) const
    {
        for (const Section &s : sections_) {
            if (rva >= s.va && rva - s.va <= s.rawSize && n <= s.rawSize - (rva - s.va))
                return std::uint64_t(s.rawPtr) + (rva - s.va);
        }
        return std::nullopt;
    }

    bool u16At(std::uint64_t rva, std::uint16_t &v) const
    {
        auto off = map(rva, 2);
        return off && r.u16(*off, v);
    }
    bool u32At(std::uint64_t rva, std::uint32_t &v) const
    {
        auto off = map(rva, 4);
        return off && r.u32(*off, v);
    }

    // Entry count of the resource directory at `dirOff` (from the resource root).
    std::optional<std::uint32_t> entryCount(std::uint32_t dirOff) const
    {
        std::uint16_t named = 0, ids = 0;
        const std::uint64_t at = std::uint64_t(resRva_) + dirOff;
        if (!u16At(at + 12, named) || !u16At(at + 14, ids))
            return std::nullopt;
        return std::min<std::uint32_t>(std::uint32_t(named) + ids, MaxDirEntries);
    }

    bool entry(std::uint32_t dirOff, std::uint32_t i, std::uint32_t &name, std::uint32_t &data) const
    {
        const std::uint64_t at = std::uint64_t(resRva_) + dirOff + 16 + std::uint64_t(i) * 8;
        return u32At(at, name) && u32At(at + 4, data);
    }

private:
    struct Section {
        std::uint32_t va = 0, rawSize = 0, rawPtr = 0;
    };
    Reader r;
    std::uint32_t resRva_ = 0;
    std::vector<Section> sections_;
};

// ---------------------------------------------------------------- ELF

constexpr std::uint32_t SHT_NOBITS = 8;
constexpr std::uint64_t MaxElfSections = 1u << 20;
constexpr std::uint64_t MaxElfNames = 16u << 20;
constexpr std::uint64_t MaxElfTable = 16u << 20;

// ---------------------------------------------------------------- block

struct Node {
    std::size_t end = 0;      // one past the node's last byte
    std::uint16_t length = 0; // wLength
    std::uint16_t valueLength = 0;
    std::uint16_t type = 0;
    std::u16string key;
    std::size_t valueOff = 0;
    std::size_t childrenOff = 0;
};

std::size_t align4(std::size_t v) { return (v + 3) & ~std::size_t(3); }

std::uint16_t le16(const std::vector<std::uint8_t> &b, std::size_t off)
{
    return std::uint16_t(b[off] | (b[off + 1] << 8));
}

std::optional<Node> parseNode(const std::vector<std::uint8_t> &b, std::size_t off, std::size_t limit)
{
    if (limit > b.size() || off > limit || limit - off < 6)
        return std::nullopt;
    Node n;
    n.length = le16(b, off);
    if (n.length < 6)
        return std::nullopt;
    n.valueLength = le16(b, off + 2);
    n.type = le16(b, off + 4);
    n.end = std::min(off + n.length, limit);
    std::size_t p = off + 6;
    bool terminated = false;
    while (p + 2 <= n.end) {
        std::uint16_t c = le16(b, p);
        p += 2;
        if (c == 0) {
            terminated = true;
            break;
        }
        n.key.push_back(char16_t(c));
    }
    if (!terminated) {
        n.valueOff = n.childrenOff = n.end;
        return n;
    }
    n.valueOff = std::min(align4(p), n.end);
    const std::size_t valueBytes = n.type == 1 ? std::size_t(n.valueLength) * 2 : n.valueLength;
    n.childrenOff = std::min(align4(n.valueOff + valueBytes), n.end);
    return n;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool sameName(const std::u16string &key, std::string_view name)
{
    const std::string k = utf16ToUtf8(key);
    if (k.size() != name.size())
        return false;
    for (std::size_t i = 0; i < k.size(); ++i)
        if (asciiLower(k[i]) != asciiLower(name[i]))
            return false;
    return true;
}

} // namespace

// ---------------------------------------------------------------- finding blocks

std::optional<std::vector<std::uint8_t>> findPeVersionBlock(const ByteSource &src)
{
    PeImage pe(src);
    if (!pe.open())
        return std::nullopt;

    // Level 1: the type RT_VERSION, given by number.
    auto count = pe.entryCount(0);
    if (!count)
        return std::nullopt;
    std::uint32_t namesDir = 0;
    bool found = false;
    for (std::uint32_t i = 0; i < *count; ++i) {
        std::uint32_t name = 0, data = 0;
        if (!pe.entry(0, i, name, data))
            return std::nullopt;
        if (name == RT_VERSION) {
            if (!(data & HighBit))
                return std::nullopt;
            namesDir = data & ~HighBit;
            found = true;
            break;
        }
    }
    if (!found)
        return std::nullopt;

    // Level 2: its first name; level 3: that name's first language. The walk has
    // a fixed depth, so a directory that points back at an ancestor cannot loop.
    std::uint32_t name = 0, data = 0;
    count = pe.entryCount(namesDir);
    if (!count || *count == 0 || !pe.entry(namesDir, 0, name, data) || !(data & HighBit))
        return std::nullopt;
    const std::uint32_t langDir = data & ~HighBit;
    count = pe.entryCount(langDir);
    if (!count || *count == 0 || !pe.entry(langDir, 0, name, data) || (data & HighBit))
        return std::nullopt;

    // The data entry: the block's RVA (from the image base) and size.
    std::uint32_t dataRva = 0, dataSize = 0;
    const std::uint64_t at = std::uint64_t(pe.resourceRva()) + data;
    if (!pe.u32At(at, dataRva) || !pe.u32At(at + 4, dataSize) || dataSize == 0)
        return std::nullopt;
    const std::uint64_t n = std::min<std::uint64_t>(dataSize, MaxBlockSize);
    auto off = pe.map(dataRva, n);
    if (!off)
        return std::nullopt;
    return readBlock(src, *off, n);
}

std::optional<std::vector<std::uint8_t>> findElfVersionBlock(const ByteSource &src)
{
    unsigned char ident[16];
    if (!src.read(0, ident, sizeof ident) || ident[0] != 0x7F || ident[1] != 'E' || ident[2] != 'L' || ident[3] != 'F')
        return std::nullopt;
    const bool is64 = ident[4] == 2;
    if (!is64 && ident[4] != 1)
        return std::nullopt;
    if (ident[5] != 1 && ident[5] != 2)
        return std::nullopt;
    Reader r{src, ident[5] == 2};

    std::uint64_t shoff = 0;
    std::uint16_t shentsize = 0, shnum16 = 0, shstrndx16 = 0;
    if (is64) {
        if (!r.u64(0x28, shoff) || !r.u16(0x3A, shentsize) || !r.u16(0x3C, shnum16) || !r.u16(0x3E, shstrndx16))
            return std::nullopt;
    } else {
        std::uint32_t off32 = 0;
        if (!r.u32(0x20, off32) || !r.u16(0x2E, shentsize) || !r.u16(0x30, shnum16) || !r.u16(0x32, shstrndx16))
            return std::nullopt;
        shoff = off32;
    }
    const std::uint16_t minEnt = is64 ? 64 : 40;
    if (shoff == 0 || shentsize < minEnt)
        return std::nullopt;

    struct Section {
        std::uint32_t name = 0, type = 0, link = 0;
        std::uint64_t offset = 0, size = 0;
    };
    // Reads section header i from a reader whose offset 0 is `base`.
    auto section = [&](const Reader &from, std::uint64_t base, std::uint64_t i, Section &s) {
        const std::uint64_t h = base + i * shentsize;
        if (is64)
            return from.u32(h, s.name) && from.u32(h + 4, s.type) && from.u64(h + 24, s.offset) &&
                   from.u64(h + 32, s.size) && from.u32(h + 40, s.link);
        std::uint32_t o = 0, z = 0;
        bool ok = from.u32(h, s.name) && from.u32(h + 4, s.type) && from.u32(h + 16, o) && from.u32(h + 20, z) &&
                  from.u32(h + 24, s.link);
        s.offset = o;
        s.size = z;
        return ok;
    };

    // Many sections: the real count and string-table index sit in section 0.
    std::uint64_t shnum = shnum16;
    std::uint64_t shstrndx = shstrndx16;
    if (shnum == 0 || shstrndx == 0xFFFF) {
        Section s0;
        if (!section(r, shoff, 0, s0))
            return std::nullopt;
        if (shnum == 0)
            shnum = s0.size;
        if (shstrndx == 0xFFFF)
            shstrndx = s0.link;
    }
    // The table must fit the file (this also bounds an absurd count); it is read
    // in one piece, and so is the table of section names.
    if (shnum == 0 || shnum > MaxElfSections || shoff > src.size() || shnum * shentsize > src.size() - shoff ||
        shnum * shentsize > MaxElfTable || shstrndx >= shnum)
        return std::nullopt;
    std::vector<std::uint8_t> table(static_cast<std::size_t>(shnum * shentsize));
    if (!src.read(shoff, table.data(), table.size()))
        return std::nullopt;
    const MemorySource tableSrc(table.data(), table.size());
    const Reader t{tableSrc, r.bigEndian};

    Section strtab;
    if (!section(t, 0, shstrndx, strtab) || strtab.type == SHT_NOBITS || strtab.offset > src.size() ||
        strtab.size > src.size() - strtab.offset || strtab.size > MaxElfNames)
        return std::nullopt;
    std::vector<char> names(static_cast<std::size_t>(strtab.size));
    if (!src.read(strtab.offset, names.data(), names.size()))
        return std::nullopt;

    const std::size_t wantLen = std::strlen(ElfSectionName) + 1; // with its zero
    for (std::uint64_t i = 0; i < shnum; ++i) {
        Section s;
        if (!section(t, 0, i, s))
            return std::nullopt;
        if (s.name >= names.size() || names.size() - s.name < wantLen ||
            std::memcmp(names.data() + s.name, ElfSectionName, wantLen) != 0)
            continue;
        if (s.type == SHT_NOBITS || s.offset > src.size() || s.size > src.size() - s.offset)
            return std::nullopt;
        return readBlock(src, s.offset, s.size);
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> findVersionBlock(const ByteSource &src)
{
    unsigned char magic[4] = {};
    if (!src.read(0, magic, 2))
        return std::nullopt;
    if (magic[0] == 'M' && magic[1] == 'Z')
        return findPeVersionBlock(src);
    if (magic[0] == 0x7F)
        return findElfVersionBlock(src);
    return std::nullopt;
}

// ---------------------------------------------------------------- queries

std::optional<ValueRef> queryValue(const std::vector<std::uint8_t> &block, std::string_view path)
{
    auto cur = parseNode(block, 0, block.size());
    if (!cur)
        return std::nullopt;
    std::size_t pos = 0;
    while (pos < path.size()) {
        if (path[pos] == '\\') {
            ++pos;
            continue;
        }
        std::size_t stop = path.find('\\', pos);
        if (stop == std::string_view::npos)
            stop = path.size();
        const std::string_view part = path.substr(pos, stop - pos);
        pos = stop;

        std::optional<Node> match;
        // Offsets only grow (each node is at least 6 bytes), so this ends.
        for (std::size_t c = cur->childrenOff; c < cur->end && cur->end - c >= 6;) {
            auto child = parseNode(block, c, cur->end);
            if (!child)
                break;
            if (sameName(child->key, part)) {
                match = std::move(child);
                break;
            }
            c = align4(c + child->length);
        }
        if (!match)
            return std::nullopt;
        cur = std::move(match);
    }
    ValueRef ref;
    ref.offset = cur->valueOff;
    ref.size = cur->end - cur->valueOff;
    ref.type = cur->type;
    ref.valueLength = cur->valueLength;
    return ref;
}

std::string textAt(const std::vector<std::uint8_t> &block, const ValueRef &ref)
{
    std::u16string text;
    if (ref.valueLength == 0 || ref.offset > block.size())
        return {};
    const std::size_t end = std::min(block.size(), ref.offset + ref.size);
    for (std::size_t p = ref.offset; p + 2 <= end; p += 2) {
        std::uint16_t c = le16(block, p);
        if (c == 0)
            break;
        text.push_back(char16_t(c));
    }
    return utf16ToUtf8(text);
}

std::optional<Translation> firstTranslation(const std::vector<std::uint8_t> &block)
{
    auto ref = queryValue(block, "\\VarFileInfo\\Translation");
    if (!ref)
        return std::nullopt;
    const std::size_t declared = ref->type == 1 ? std::size_t(ref->valueLength) * 2 : ref->valueLength;
    if (declared < 4 || ref->size < 4)
        return std::nullopt;
    Translation t;
    t.language = le16(block, ref->offset);
    t.codePage = le16(block, ref->offset + 2);
    return t;
}

std::string stringPath(const Translation &t, std::string_view key)
{
    char lc[16];
    std::snprintf(lc, sizeof lc, "%.4X%.4X", unsigned(t.language), unsigned(t.codePage));
    std::string path = "\\StringFileInfo\\";
    path += lc;
    path += '\\';
    path += key;
    return path;
}

std::string utf16ToUtf8(const std::u16string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (std::uint32_t(text[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace verres
