#pragma once
// TqdFileInfo: the version information of a file (company, description,
// versions, names, copyright...), read from the file's version resource when
// FileName is assigned. Windows PE files and ELF files that carry the block in
// their ".tabulon_version" section are understood (see o_VersionResource.h).

#include <QObject>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TqdFileInfo : public QObject {
    Q_OBJECT
public:
    explicit TqdFileInfo(QObject *owner = nullptr);

    // Assigning reads the file's version information (every time, also when
    // the name is unchanged). A blank name reads the running executable and
    // FileName then holds its full path. A missing file, or one without a
    // version block, leaves every value as it was.
    const std::string &FileName() const { return FFileName; }
    void SetFileName(const std::string &name);

    const std::string &CompanyName() const { return FCompanyName; }
    const std::string &FileDescription() const { return FFileDescription; }
    const std::string &FileVersion() const { return FFileVersion; }
    const std::string &InternalName() const { return FInternalName; }
    const std::string &LegalCopyright() const { return FLegalCopyright; }
    const std::string &LegalTrademarks() const { return FLegalTrademarks; }
    const std::string &OriginalFilename() const { return FOriginalFilename; }
    const std::string &ProductName() const { return FProductName; }
    const std::string &ProductVersion() const { return FProductVersion; }
    const std::string &Comments() const { return FComments; }

    // The integer after the last "." of FileVersion, 0 when there is none.
    std::int32_t FileVersionAsNumeric() const;

    // The sub-block path of the last string lookup, e.g. \StringFileInfo\040904E4\Comments.
    const std::string &LastQueryPath() const { return FLastQueryPath; }

private:
    void ReadVersionInfo();

    std::string FLastQueryPath;
    std::string FCompanyName, FLegalCopyright, FLegalTrademarks, FOriginalFilename, FInternalName,
        FFileDescription, FFileName, FFileVersion, FProductVersion, FProductName, FComments;
};

namespace fileinfo {

// Blank: empty, or only characters with codes up to 32.
bool isBlank(std::string_view text);
// Removes characters with codes up to 32 at both ends.
std::string_view trimBlanks(std::string_view text);
// True when the name denotes an existing regular file (not a directory).
bool fileExists(const std::string &name);
// Full path of the running program's executable.
std::string executablePath();

// Text read as an integer: optional sign, then decimal digits within the signed
// 32-bit range, or at most eight significant hex digits after "$", "x", "X",
// "0x" or "0X" (a 32-bit pattern). The whole text must be consumed.
std::optional<std::int32_t> parseInteger(std::string_view text);

} // namespace fileinfo
