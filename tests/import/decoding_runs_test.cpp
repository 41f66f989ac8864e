// Decoding of long runs: ASCII taken eight bytes at a time must join the bytes
// around it exactly, at every position a non-ASCII byte or sequence may fall.
// Expected units written out by hand from code page 1251 (C8 = U+0418, E0 =
// U+0430) and UTF-8 (D0 98 = U+0418, E2 82 AC = U+20AC, F0 9F 98 80 = U+1F600).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "text_decoding.h"

namespace {

WString Decode(TextEncoding encoding, const std::string& bytes, size_t& consumed) {
    std::vector<WCHAR> out(bytes.size() + 1);
    size_t written = 0;
    consumed = DecodeBytes(encoding, reinterpret_cast<const unsigned char*>(bytes.data()),
                           bytes.size(), true, out.data(), written);
    return WString(out.data(), written);
}

TEST(DecodeBytes, JoinsAsciiRunsWithWhatLiesBetween) {
    const std::string eight = "abcdefgh", seven = "abcdefg", nine = "abcdefghi";
    struct Case {
        TextEncoding encoding;
        std::string bytes;
        WString expected;
        const char* why;
    } cases[] = {
        {TextEncoding::Windows1251, eight + "\xC8" + eight, TEXT("abcdefgh\u0418abcdefgh"),
         "a letter between two full words"},
        {TextEncoding::Windows1251, seven + "\xC8" + nine + "\xE0", TEXT("abcdefg\u0418abcdefghi\u0430"),
         "a letter inside the first word, another last"},
        {TextEncoding::Windows1251, std::string(16, '\xE0') + eight,
         WString(16, u'\u0430') + TEXT("abcdefgh"), "sixteen letters, then ASCII"},
        {TextEncoding::Windows1251, "\x98" + eight, TEXT("\u0098abcdefgh"), "the unassigned byte 98"},
        {TextEncoding::Utf8, seven + "\xD0\x98" + eight, TEXT("abcdefg\u0418abcdefgh"),
         "a two-byte sequence across a word boundary"},
        {TextEncoding::Utf8, eight + "\xE2\x82\xAC" + nine, TEXT("abcdefgh\u20ACabcdefghi"),
         "a three-byte sequence right after a word"},
        {TextEncoding::Utf8, "abcdef\xF0\x9F\x98\x80" + eight, TEXT("abcdef\U0001F600abcdefgh"),
         "a four-byte sequence inside a word"},
        {TextEncoding::Utf8, eight + "\xFF" + eight, TEXT("abcdefgh\uFFFDabcdefgh"),
         "a byte that is never UTF-8"},
        {TextEncoding::Utf8, std::string(64, 'x'), WString(64, u'x'), "ASCII only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        size_t consumed = 0;
        EXPECT_EQ(Utf8(Decode(c.encoding, c.bytes, consumed)), Utf8(c.expected));
        EXPECT_EQ(consumed, c.bytes.size());
    }
}

}  // namespace
