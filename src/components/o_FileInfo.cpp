#include "o_FileInfo.h"

#include "o_VersionResource.h"

#include <QCoreApplication>

#include <array>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace fileinfo {

bool isBlank(std::string_view text)
{
    return trimBlanks(text).empty();
}

std::string_view trimBlanks(std::string_view text)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool fileExists(const std::string &name)
{
    if (name.empty())
        return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(name), ec);
}

std::string executablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath().toUtf8().toStdString();
    std::array<char, 4096> buf{};
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    return n > 0 ? std::string(buf.data(), static_cast<std::size_t>(n)) : std::string();
}

std::optional<std::int32_t> parseInteger(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    bool hex = false;
    if (!text.empty() && (text.front() == '$' || text.front() == 'x' || text.front() == 'X')) {
        hex = true;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        hex = true;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;

    if (hex) {
        std::uint32_t value = 0;
        int significant = 0;
        for (char c : text) {
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return std::nullopt;
            if (significant > 0 || d != 0)
                ++significant;
            if (significant > 8)
                return std::nullopt;
            value = value << 4 | std::uint32_t(d);
        }
        if (negative)
            value = 0u - value;
        return static_cast<std::int32_t>(value);
    }

    std::int64_t value = 0;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace fileinfo

TqdFileInfo::TqdFileInfo(QObject *owner) : QObject(owner) {}

void TqdFileInfo::SetFileName(const std::string &name)
{
    FFileName = name;
    ReadVersionInfo();
}

std::int32_t TqdFileInfo::FileVersionAsNumeric() const
{
    std::string_view rest = FFileVersion;
    const auto dot = rest.rfind('.');
    if (dot != std::string_view::npos)
        rest.remove_prefix(dot + 1);
    return fileinfo::parseInteger(fileinfo::trimBlanks(rest)).value_or(0);
}

void TqdFileInfo::ReadVersionInfo()
{
    if (fileinfo::isBlank(FFileName))
        FFileName = fileinfo::executablePath();
    if (!fileinfo::fileExists(FFileName))
        return;

    std::vector<std::uint8_t> block;
    {
        verres::FileSource file(FFileName);
        if (!file.isOpen())
            return;
        auto found = verres::findVersionBlock(file);
        if (!found || found->empty())
            return; // no version information: the values stay as they are
        block = std::move(*found);
    }

    const auto translation = verres::firstTranslation(block);
    auto lookup = [&](std::string_view key) -> std::string {
        if (!translation)
            return {};
        FLastQueryPath = verres::stringPath(*translation, key);
        const auto ref = verres::queryValue(block, FLastQueryPath);
        return ref ? verres::textAt(block, *ref) : std::string();
    };

    FCompanyName = lookup("CompanyName");
    FFileDescription = lookup("FileDescription");
    FFileVersion = lookup("FileVersion");
    FInternalName = lookup("InternalName");
    FLegalCopyright = lookup("LegalCopyRight");
    FLegalTrademarks = lookup("LegalTradeMarks");
    FOriginalFilename = lookup("OriginalFileName");
    FProductName = lookup("ProductName");
    FProductVersion = lookup("ProductVersion");
    FComments = lookup("Comments");
}
