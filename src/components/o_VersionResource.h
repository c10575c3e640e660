#pragma once
// Version resources without the Windows version API.
//
// A version block is the VS_VERSIONINFO tree: nodes of
//   WORD wLength; WORD wValueLength; WORD wType; WCHAR szKey[]; pad to 32 bits;
//   value; pad to 32 bits; children
// with UTF-16LE keys and values. It is found
//   - in a PE file (.exe/.dll, PE32 and PE32+): resource type RT_VERSION (16),
//     its first name, that name's first language;
//   - in an ELF file (32/64-bit, either byte order): the whole contents of the
//     section named ".tabulon_version" (Tabulon's build puts its own block there).
//
// Everything here works on untrusted bytes: every read is bounds-checked, sizes
// are capped, and no walk can loop. A damaged file simply yields no block.
// No Qt here, so the fuzz target can build these two files alone.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verres {

// The ELF section that carries a version block.
inline constexpr const char *ElfSectionName = ".tabulon_version";

// A block never exceeds the 16-bit length of its root node; more is not read.
inline constexpr std::size_t MaxBlockSize = 0xFFFF;

// Random access to the bytes of a file or of a buffer.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Reads exactly n bytes at offset; false (dst untouched or partly written)
    // when the range is not inside the source or the read fails.
    virtual bool read(std::uint64_t offset, void *dst, std::size_t n) const = 0;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, void *dst, std::size_t n) const override;

private:
    const std::uint8_t *data_;
    std::size_t size_;
};

// A regular file opened for reading; closed on destruction.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::string &path);
    ~FileSource() override;
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;
    bool isOpen() const { return fd_ >= 0; }
    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, void *dst, std::size_t n) const override;

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// The version block of a PE or ELF image; nothing when the file is neither,
// carries no block, or is damaged on the way to it.
std::optional<std::vector<std::uint8_t>> findPeVersionBlock(const ByteSource &src);
std::optional<std::vector<std::uint8_t>> findElfVersionBlock(const ByteSource &src);
std::optional<std::vector<std::uint8_t>> findVersionBlock(const ByteSource &src);

// What a lookup in a block found: the value's bytes (inside the block) and the
// node's type (1 = text, 0 = binary).
struct ValueRef {
    std::size_t offset = 0; // from the start of the block
    std::size_t size = 0;   // bytes available for the value, up to the node's end
    std::uint16_t type = 0;
    std::uint16_t valueLength = 0; // as stored (characters for text, bytes for binary)
};

// Looks up a path such as "\VarFileInfo\Translation" or
// "\StringFileInfo\040904E4\FileVersion"; names are compared without regard to
// letter case. "\" alone is the root (its value is VS_FIXEDFILEINFO).
std::optional<ValueRef> queryValue(const std::vector<std::uint8_t> &block, std::string_view path);

// A text value: UTF-16LE up to its first zero character (or the node's end),
// as UTF-8.
std::string textAt(const std::vector<std::uint8_t> &block, const ValueRef &ref);

// The first entry of "\VarFileInfo\Translation": language and code page.
struct Translation {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
};
std::optional<Translation> firstTranslation(const std::vector<std::uint8_t> &block);

// "\StringFileInfo\%.4x%.4x\<key>" with upper-case hex digits.
std::string stringPath(const Translation &t, std::string_view key);

// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(const std::u16string &text);

} // namespace verres
