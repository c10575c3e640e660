// Damaged and hostile files: truncated, offsets and lengths pointing outside
// the file, loops in the resource directory, absurd counts. They must give
// empty or unchanged values, and never crash or hang.

#include "fileinfo_fixture.h"

#include <functional>

using namespace vbtest;

namespace {

enum Outcome {
    Unchanged, // the container is not understood: the previous values stay
    Empty,     // a block is found but has no usable string table
    Either,    // harmless damage: values are read, or left as they were
};

struct Mutation {
    const char *name;
    std::function<void(Bytes &)> apply;
    Outcome expected;
};

// The damaged files are made from Good; the read before each one is of Previous.
const VersionInfo Good = standardInfo();
const Values GoodValues = valuesOf(Good.tables[0]);
const VersionInfo Previous = standardInfo("prev-");
const Values PreviousValues = valuesOf(Previous.tables[0]);

// The node whose key is `key` (UTF-16), as an offset into the block.
std::size_t nodeOf(const Bytes &block, const std::string &key)
{
    Bytes pattern;
    putText(pattern, key);
    for (std::size_t i = 6; i + pattern.size() <= block.size(); i += 2)
        if (std::equal(pattern.begin(), pattern.end(), block.begin() + std::ptrdiff_t(i)))
            return i - 6;
    ADD_FAILURE() << "no node " << key;
    return 0;
}

void check(const std::string &fileName, const Bytes &bytes, const Mutation &m)
{
    const std::string previous = writeFile("previous-" + fileName, elfWith(Previous.build()).bytes);
    const std::string bad = writeFile("damaged-" + fileName, bytes);
    TqdFileInfo fi;
    fi.SetFileName(previous);
    fi.SetFileName(bad);
    const Values got = values(fi);
    switch (m.expected) {
    case Unchanged:
        EXPECT_EQ(got, PreviousValues) << m.name;
        break;
    case Empty:
        EXPECT_EQ(got, Values{}) << m.name;
        break;
    case Either:
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_TRUE(got[i] == GoodValues[i] || got[i] == PreviousValues[i] || got[i].empty())
                << m.name << ": " << got[i];
        break;
    }
}

Mutation truncateTo(std::size_t n)
{
    static std::vector<std::string> names; // keeps the names alive
    names.push_back("truncated to " + std::to_string(n) + " bytes");
    return {names.back().c_str(), [n](Bytes &b) { b.resize(std::min(n, b.size())); }, Unchanged};
}

} // namespace

TEST(DamagedFiles, PortableExecutable)
{
    const PeFile pe = peWith(Good.build());
    const PeFile pe64 = peWith(Good.build(), true);
    const std::size_t rsrc = pe.rsrc;
    std::vector<Mutation> cases = {
        truncateTo(1), truncateTo(0x3C), truncateTo(0x44), truncateTo(0x100), truncateTo(rsrc + 8),
        truncateTo(rsrc + 0x50), truncateTo(pe.blockOff() + 20), truncateTo(pe.bytes.size() - 4),
        {"PE header beyond the file", [&](Bytes &b) { set32(b, pe.lfanewField, 0xFFFFFFF0u); }, Unchanged},
        {"no sections", [&](Bytes &b) { set16(b, pe.numSectionsField, 0); }, Unchanged},
        {"65535 sections", [&](Bytes &b) { set16(b, pe.numSectionsField, 0xFFFF); }, Unchanged},
        {"optional header too short", [&](Bytes &b) { set16(b, pe.optSizeField, 0); }, Unchanged},
        {"unknown optional header", [&](Bytes &b) { set16(b, pe.magicField, 0x999); }, Unchanged},
        {"PE32 magic on a PE32+ layout", [&](Bytes &b) { b = pe64.bytes; set16(b, pe64.magicField, 0x10B); }, Either},
        {"resources outside every section", [&](Bytes &b) { set32(b, pe.resDirRvaField, 0x9000); }, Unchanged},
        {"empty type directory", [&](Bytes &b) { set32(b, pe.rootCounts(), 0); }, Unchanged},
        {"absurd entry counts", [&](Bytes &b) { set32(b, pe.rootCounts(), 0xFFFFFFFFu); }, Either},
        {"type directory points at itself", [&](Bytes &b) { set32(b, pe.rootEntryData(), 0x80000000u); }, Unchanged},
        {"name directory points at itself",
         [&](Bytes &b) { set32(b, pe.namesEntryData(), 0x80000000u | 0x18); }, Unchanged},
        {"language directory points at itself",
         [&](Bytes &b) { set32(b, pe.langEntryData(), 0x80000000u | 0x30); }, Unchanged},
        {"language directory points back to the root", [&](Bytes &b) { set32(b, pe.langEntryData(), 0x80000000u); },
         Unchanged},
        {"type entry is data, not a directory", [&](Bytes &b) { set32(b, pe.rootEntryData(), 0x48); }, Unchanged},
        {"data entry outside the section", [&](Bytes &b) { set32(b, pe.langEntryData(), 0x7FFFFFF0u); }, Unchanged},
        {"empty name directory", [&](Bytes &b) { set32(b, pe.namesCounts(), 0); }, Unchanged},
        {"block RVA outside the image", [&](Bytes &b) { set32(b, pe.dataEntryRva(), 0xFFFFFF00u); }, Unchanged},
        {"block size zero", [&](Bytes &b) { set32(b, pe.dataEntrySize(), 0); }, Unchanged},
        {"block size 4 GB", [&](Bytes &b) { set32(b, pe.dataEntrySize(), 0xFFFFFFFFu); }, Unchanged},
        {"block size 8 bytes", [&](Bytes &b) { set32(b, pe.dataEntrySize(), 8); }, Empty},
        {"section data beyond the file", [&](Bytes &b) { set32(b, pe.sectionHeader + 20, 0xFFFFFF00u); }, Unchanged},
        {"section 4 GB long", [&](Bytes &b) { set32(b, pe.sectionHeader + 16, 0xFFFFFFFFu); }, Either},
        {"section at the end of the address space",
         [&](Bytes &b) { set32(b, pe.sectionHeader + 12, 0xFFFFFFF0u); set32(b, pe.resDirRvaField, 0xFFFFFFF8u); },
         Unchanged},
    };
    for (const Mutation &m : cases) {
        Bytes bytes = pe.bytes;
        m.apply(bytes);
        check("pe.dll", bytes, m);
    }
}

TEST(DamagedFiles, Elf)
{
    for (bool is64 : {true, false}) {
        const ElfFile elf = elfWith(Good.build(), is64);
        std::vector<Mutation> cases = {
            truncateTo(3), truncateTo(20), truncateTo(elf.blockOff + 10), truncateTo(elf.shoff + 10),
            truncateTo(elf.bytes.size() - 1),
            {"no section table", [&](Bytes &b) { ElfFile f = elf; f.setWord(f.shoffField, 0); b = f.bytes; }, Unchanged},
            {"section table beyond the file",
             [&](Bytes &b) { ElfFile f = elf; f.setWord(f.shoffField, ~0ull >> 1); b = f.bytes; }, Unchanged},
            {"section header size 1", [&](Bytes &b) { set16(b, elf.shentsizeField, 1); }, Unchanged},
            {"65535 sections", [&](Bytes &b) { set16(b, elf.shnumField, 0xFFFF); }, Unchanged},
            {"extended section count, absurd",
             [&](Bytes &b) {
                 set16(b, elf.shnumField, 0);
                 ElfFile f = elf;
                 f.bytes = b;
                 f.setWord(f.sizeField(0), ~0ull >> 8);
                 b = f.bytes;
             },
             Unchanged},
            {"name table index out of range", [&](Bytes &b) { set16(b, elf.shstrndxField, 7); }, Unchanged},
            {"extended name table index", [&](Bytes &b) { set16(b, elf.shstrndxField, 0xFFFF); }, Unchanged},
            {"section name beyond the name table", [&](Bytes &b) { set32(b, elf.nameField(1), 0xFFFFFFF0u); },
             Unchanged},
            {"section without contents", [&](Bytes &b) { set32(b, elf.typeField(1), 8); }, Unchanged},
            {"section beyond the file",
             [&](Bytes &b) { ElfFile f = elf; f.setWord(f.offsetField(1), 0xFFFFFFF0u); b = f.bytes; }, Unchanged},
            {"section huge",
             [&](Bytes &b) { ElfFile f = elf; f.setWord(f.sizeField(1), 0xFFFFFFFFu); b = f.bytes; }, Unchanged},
            {"section 4 bytes", [&](Bytes &b) { ElfFile f = elf; f.setWord(f.sizeField(1), 4); b = f.bytes; }, Empty},
            {"name table beyond the file",
             [&](Bytes &b) { ElfFile f = elf; f.setWord(f.offsetField(2), 0xFFFFFFF0u); b = f.bytes; }, Unchanged},
            {"unknown class", [&](Bytes &b) { b[4] = 3; }, Unchanged},
            {"read as big-endian", [&](Bytes &b) { b[5] = 2; }, Unchanged},
        };
        for (const Mutation &m : cases) {
            Bytes bytes = elf.bytes;
            m.apply(bytes);
            check(is64 ? "elf64" : "elf32", bytes, m);
        }
    }
}

TEST(DamagedFiles, VersionBlock)
{
    const Bytes block = Good.build();
    const std::size_t strings = nodeOf(block, "StringFileInfo"), table = nodeOf(block, "040904E4"),
                      company = nodeOf(block, "CompanyName"), comments = nodeOf(block, "Comments"),
                      translation = nodeOf(block, "Translation");
    const std::vector<Mutation> cases = {
        {"root length zero", [&](Bytes &b) { set16(b, 0, 0); }, Empty},
        {"root length past the end", [&](Bytes &b) { set16(b, 0, 0xFFFF); }, Either},
        {"root length shorter than its children", [&](Bytes &b) { set16(b, 0, 0x60); }, Empty},
        {"string file info of length zero", [&](Bytes &b) { set16(b, strings, 0); }, Empty},
        {"string table of length 6", [&](Bytes &b) { set16(b, table, 6); }, Empty},
        {"first string of length zero", [&](Bytes &b) { set16(b, company, 0); }, Empty},
        {"last string runs past its table", [&](Bytes &b) { set16(b, comments, 0xFFF0); }, Either},
        {"last string without its zero",
         [&](Bytes &b) {
             for (std::size_t i = comments + 6; i + 1 < translation - 0x20; i += 2)
                 if (b[i] == 0 && b[i + 1] == 0) { b[i] = 'x'; }
         },
         Either},
        {"translation of 2 bytes", [&](Bytes &b) { set16(b, translation + 2, 2); }, Empty},
        {"translation past the block", [&](Bytes &b) { set16(b, translation, 0xFFFF); set16(b, translation + 2, 0xFFFF); },
         Either},
        {"translation for another language", [&](Bytes &b) { set16(b, translation + 0x20, 0x0407); }, Empty},
        {"all bytes 0xFF", [&](Bytes &b) { std::fill(b.begin(), b.end(), 0xFF); }, Empty},
        {"all bytes zero", [&](Bytes &b) { std::fill(b.begin(), b.end(), 0); }, Empty},
    };
    for (const Mutation &m : cases) {
        Bytes bytes = block;
        m.apply(bytes);
        check("block", elfWith(bytes).bytes, m);
    }
}
