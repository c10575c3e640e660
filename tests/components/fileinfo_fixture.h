#pragma once
// Test helper: files with version blocks in a temporary folder, and the ten
// values of a TqdFileInfo side by side.

#include "o_FileInfo.h"
#include "testenv.h"
#include "versionblock_builder.h"

#include <array>
#include <fstream>
#include <string>

namespace vbtest {

// One temporary folder for the whole test program.
inline const std::string &testDir()
{
    static const std::string dir = testenv::tempDir();
    return dir;
}

inline std::string writeFile(const std::string &name, const Bytes &bytes)
{
    const std::string path = testDir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

using Values = std::array<std::string, 10>;

// In the order of the keys: CompanyName, FileDescription, FileVersion,
// InternalName, LegalCopyright, LegalTrademarks, OriginalFilename, ProductName,
// ProductVersion, Comments.
inline Values values(const TqdFileInfo &fi)
{
    return {fi.CompanyName(),    fi.FileDescription(), fi.FileVersion(),   fi.InternalName(),
            fi.LegalCopyright(), fi.LegalTrademarks(), fi.OriginalFilename(), fi.ProductName(),
            fi.ProductVersion(), fi.Comments()};
}

inline Values valuesOf(const StringTable &t)
{
    Values v;
    for (std::size_t i = 0; i < v.size() && i < t.strings.size(); ++i)
        v[i] = t.strings[i].second;
    return v;
}

inline VersionInfo standardInfo(const std::string &tag = "")
{
    VersionInfo info;
    info.tables = {standardTable("040904E4", tag)};
    return info;
}

} // namespace vbtest
