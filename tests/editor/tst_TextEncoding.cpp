// Script encodings: which encoding a file's bytes are taken to be in, and the
// decoding to the editor's UTF-8 and back, which must give the same bytes.
#include <gtest/gtest.h>

#include "o_TextEncoding.h"

#include <string>

namespace {

struct DetectCase {
    const char *name;
    std::string bytes;
    TSynEncoding expected;
};

std::string allBytes()
{
    std::string s;
    for (int i = 0; i < 256; ++i)
        s.push_back(char(i));
    return s;
}

} // namespace

TEST(TextEncoding, DetectsTheEncodingOfAFile)
{
    const DetectCase cases[] = {
        {"empty", "", TSynEncoding::UTF8},
        {"ascii", "select 1\r\n", TSynEncoding::UTF8},
        {"utf-8 letters", "select 'caf\xC3\xA9'", TSynEncoding::UTF8},
        {"utf-8 with bom", "\xEF\xBB\xBFselect 1", TSynEncoding::UTF8},
        {"latin-1 e acute", "select 'caf\xE9'", TSynEncoding::Latin1},
        {"lone utf-8 lead byte at the end", "select \xC3", TSynEncoding::Latin1},
        {"overlong utf-8 form", "select \xC0\xAF", TSynEncoding::Latin1},
        {"utf-8 surrogate", "select \xED\xBF\xBF", TSynEncoding::Latin1},
        {"cp1252 euro", "select '5 \x80'", TSynEncoding::Windows1252},
        {"cp1252 quotes and e acute", "\x93" "caf\xE9\x94", TSynEncoding::Windows1252},
        {"utf-16le bom", std::string("\xFF\xFE" "s\0", 4), TSynEncoding::UTF16LE},
        {"utf-16be bom", std::string("\xFE\xFF\0s", 4), TSynEncoding::UTF16BE},
        {"utf-16 mark, odd length", std::string("\xFF\xFE" "s\0\xE9", 5), TSynEncoding::Latin1},
        {"utf-16 mark, unpaired surrogate", std::string("\xFF\xFE\x00\xDC", 4), TSynEncoding::Latin1},
    };
    for (const DetectCase &c : cases)
        EXPECT_EQ(detectEncoding(c.bytes), c.expected) << c.name;
}

TEST(TextEncoding, EightBitEncodingsGiveEveryByteBack)
{
    // Every byte, the five codes Windows-1252 leaves undefined included, must
    // survive a load and a save unchanged.
    const std::string bytes = allBytes();
    for (TSynEncoding e : {TSynEncoding::Latin1, TSynEncoding::Windows1252}) {
        const std::string utf8 = decodeText(bytes, e);
        EXPECT_TRUE(isValidUtf8(utf8)) << encodingName(e);
        EXPECT_EQ(encodeText(utf8, e), bytes) << encodingName(e);
    }
}

TEST(TextEncoding, EightBitBytesShowAsTheirLetters)
{
    EXPECT_EQ(decodeText("caf\xE9 \x80 \x93x\x94", TSynEncoding::Windows1252), "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D");
    EXPECT_EQ(decodeText("caf\xE9 \x80", TSynEncoding::Latin1), "caf\xC3\xA9 \xC2\x80");
    // letters typed into the editor land in the script's own encoding
    EXPECT_EQ(encodeText("\xC3\xA9\xC3\xA8\xC3\xBC\xC3\x9F \xE2\x82\xAC", TSynEncoding::Windows1252), "\xE9\xE8\xFC\xDF \x80");
    EXPECT_EQ(encodeText("\xC3\xA9\xC3\xA8\xC3\xBC\xC3\x9F", TSynEncoding::Latin1), "\xE9\xE8\xFC\xDF");
}

TEST(TextEncoding, Utf16KeepsItsBytesAndItsMark)
{
    // "a\r\nb" then U+20AC and U+1F600 (a surrogate pair), in both byte orders
    const std::string le("\xFF\xFE" "a\0\r\0\n\0b\0\xAC\x20\x3D\xD8\x00\xDE", 16);
    const std::string be("\xFE\xFF\0a\0\r\0\n\0b\x20\xAC\xD8\x3D\xDE\x00", 16);
    const std::string utf8 = "a\r\nb\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(decodeText(le, TSynEncoding::UTF16LE), utf8);
    EXPECT_EQ(decodeText(be, TSynEncoding::UTF16BE), utf8);
    EXPECT_EQ(encodeText(utf8, TSynEncoding::UTF16LE), le);
    EXPECT_EQ(encodeText(utf8, TSynEncoding::UTF16BE), be);
}

TEST(TextEncoding, DamagedUtf16IsRefusedWithAReason)
{
    const struct {
        const char *name;
        std::string bytes;
        const char *reason;
    } cases[] = {
        {"odd length", std::string("\xFF\xFE" "a\0b", 5), "ends in the middle"},
        {"lone high surrogate", std::string("\xFF\xFE\x3D\xD8" "a\0", 6), "unpaired surrogate"},
        {"lone low surrogate", std::string("\xFF\xFE\x00\xDE", 4), "unpaired surrogate"},
        {"high surrogate at the end", std::string("\xFF\xFE" "a\0\x3D\xD8", 6), "unpaired surrogate"},
    };
    for (const auto &c : cases) {
        try {
            decodeText(c.bytes, TSynEncoding::UTF16LE);
            ADD_FAILURE() << c.name << ": decoded";
        } catch (const ETextEncodingError &e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

TEST(TextEncoding, TextTheEncodingCannotHoldIsRefusedNamingTheCharacter)
{
    const struct {
        TSynEncoding encoding;
        std::string text;
        const char *expected;
    } cases[] = {
        {TSynEncoding::Latin1, "select 1\r\nselect '\xE2\x82\xAC'", "\"\xE2\x82\xAC\" (U+20AC) on line 2"},
        {TSynEncoding::Windows1252, "a\nb\nc \xE4\xB8\xAD", "(U+4E2D) on line 3"},
        // a C1 control code has no place in Windows-1252: its byte is the euro sign
        {TSynEncoding::Windows1252, "\xC2\x80", "(U+0080) on line 1"},
        {TSynEncoding::Latin1, "bad \xFF byte", "bytes that are not text on line 1"},
    };
    for (const auto &c : cases) {
        try {
            encodeText(c.text, c.encoding);
            ADD_FAILURE() << encodingName(c.encoding) << ": encoded " << c.text;
        } catch (const ETextEncodingError &e) {
            EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(encodingName(c.encoding)), std::string::npos) << e.what();
        }
    }
}
