#pragma once
// Who makes Tabulon, and the title every window and message box carries.

#include <QString>

namespace appinfo {

inline constexpr const char *ProductName = "Tabulon";
inline constexpr const char *MakerUrl = "https://www.brennick.example/tabulon";
inline constexpr const char *MakerHost = "www.brennick.example";
inline constexpr const char *MakerDomainName = "brennick.example";
inline constexpr const char *AuthorName = "Brennick Software";
inline constexpr const char *ContactMail = "tabulon@brennick.example";

// "Tabulon - " followed by the maker's web address.
inline QString applicationTitle() { return QStringLiteral("Tabulon - ") + QString::fromLatin1(MakerUrl); }

} // namespace appinfo
