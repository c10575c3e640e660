#pragma once
// The encodings a script file may be in. The editor always holds UTF-8; a
// script in another encoding is decoded when it is loaded and encoded again
// when it is saved. Every decoding here is one to one, so text the user did
// not touch is written back with the bytes it was read with.

#include <stdexcept>
#include <string>
#include <string_view>

enum class TSynEncoding {
    UTF8,        // bytes as they are (also pure ASCII and UTF-8 with a BOM)
    Latin1,      // ISO 8859-1: every byte is the letter of the same code
    Windows1252, // Latin-1 with printable letters in 0x80-0x9F (the € and the curly quotes)
    UTF16LE,     // with the byte-order mark FF FE
    UTF16BE,     // with the byte-order mark FE FF
};

// A script that cannot be decoded, or text that its encoding cannot hold.
class ETextEncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "UTF-8", "Latin-1", "Windows-1252", "UTF-16LE", "UTF-16BE".
const char *encodingName(TSynEncoding encoding);
// The encoding of a name given by encodingName; false for an unknown name.
bool encodingFromName(std::string_view name, TSynEncoding &encoding);

bool isValidUtf8(std::string_view bytes);

// The encoding a file's bytes are in: UTF-16 when they start with its
// byte-order mark and are valid UTF-16 throughout, UTF-8 when they are valid
// UTF-8, otherwise Windows-1252
// when a byte in 0x80-0x9F occurs (Latin-1 has only control codes there) and
// Latin-1 when none does.
TSynEncoding detectEncoding(std::string_view bytes);

// The file's bytes as the editor's UTF-8 (the UTF-16 byte-order mark is
// dropped). Throws ETextEncodingError for UTF-16 that is cut short or holds
// an unpaired surrogate.
std::string decodeText(std::string_view bytes, TSynEncoding encoding);

// The editor's UTF-8 as the file's bytes (UTF-16 with its byte-order mark).
// Throws ETextEncodingError naming the first character that the encoding
// cannot hold, and its line.
std::string encodeText(std::string_view utf8, TSynEncoding encoding);
