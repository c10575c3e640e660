#pragma once
// Whole files as bytes, for tests that check what was written byte for byte.

#include <QString>

#include <string>
#include <string_view>

namespace testfiles {

// The file's bytes; "<unreadable>" when it cannot be read.
std::string readBytes(const QString &path);
// Replaces the file with these bytes; false when it cannot be written.
bool writeBytes(const QString &path, std::string_view bytes);

} // namespace testfiles
