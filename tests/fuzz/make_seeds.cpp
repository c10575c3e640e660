// Writes the fuzz target's seed inputs: a version block bare and inside
// ELF32, ELF64, PE32 and PE32+ files.  usage: make_seeds <folder>

#include "versionblock_builder.h"

#include <fstream>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    using namespace vbtest;
    VersionInfo info;
    info.translations = {{0x0409, 0x04E4}, {0x0407, 0x04B0}};
    info.tables = {standardTable("040904E4"), standardTable("040704B0", "de-")};
    const Bytes block = info.build();
    const std::pair<const char *, Bytes> seeds[] = {
        {"block.bin", block},
        {"elf64", elfWith(block, true).bytes},
        {"elf32", elfWith(block, false).bytes},
        {"pe32.dll", peWith(block, false).bytes},
        {"pe32plus.dll", peWith(block, true).bytes},
    };
    for (const auto &[name, bytes] : seeds) {
        std::ofstream out(std::string(argv[1]) + "/" + name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        if (!out)
            return 1;
    }
    return 0;
}
