// libFuzzer target: the PE and ELF readers and the version-block lookups on
// arbitrary bytes. Built and run by run.sh.

#include "o_VersionResource.h"

#include <cstddef>
#include <cstdint>

namespace {

const char *const Keys[] = {"CompanyName",     "FileDescription", "FileVersion", "InternalName",
                            "LegalCopyRight",  "LegalTradeMarks", "OriginalFileName",
                            "ProductName",     "ProductVersion",  "Comments"};

void queryAll(const std::vector<std::uint8_t> &block)
{
    (void)verres::queryValue(block, "\\");
    const auto t = verres::firstTranslation(block);
    if (!t)
        return;
    for (const char *key : Keys) {
        const auto ref = verres::queryValue(block, verres::stringPath(*t, key));
        if (ref)
            (void)verres::textAt(block, *ref);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const verres::MemorySource src(data, size);
    // As a whole file, through each reader.
    if (auto block = verres::findVersionBlock(src))
        queryAll(*block);
    if (auto block = verres::findPeVersionBlock(src))
        queryAll(*block);
    if (auto block = verres::findElfVersionBlock(src))
        queryAll(*block);
    // As a bare version block.
    if (size <= verres::MaxBlockSize)
        queryAll(std::vector<std::uint8_t>(data, data + size));
    return 0;
}
