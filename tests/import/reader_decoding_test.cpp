// Byte decoding beneath the reader: the code page 1251 table against the
// platform's own conversion and the published code page table, and decoding in
// pieces where a sequence is cut by the end of a read.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "text_decoding.h"

namespace {

TEST(Windows1251Character, AgreesWithThePlatformConversion) {
    // The platform converts code page 1251 on its own; every byte must agree.
    for (int byte = 0; byte < 256; ++byte) {
        char narrow = static_cast<char>(byte);
        WCHAR wide = 0;
        ASSERT_EQ(MultiByteToWideChar(1251, 0, &narrow, 1, &wide, 1), 1) << byte;
        EXPECT_EQ(static_cast<unsigned>(Windows1251Character(static_cast<unsigned char>(byte))),
                  static_cast<unsigned>(wide))
            << "byte " << byte;
    }
}

TEST(Windows1251Character, MatchesThePublishedTable) {
    // Values from the published code page 1251 table.
    struct Case {
        unsigned char byte;
        unsigned expected;
        const char* why;
    } cases[] = {
        {0x41, 0x0041, "ASCII as is"},
        {0x00, 0x0000, "NUL as is"},
        {0xC0, 0x0410, "first capital letter"},
        {0xFF, 0x044F, "last small letter"},
        {0xA8, 0x0401, "capital Yo"},
        {0xB8, 0x0451, "small yo"},
        {0x88, 0x20AC, "euro sign"},
        {0xB9, 0x2116, "numero sign"},
        {0x80, 0x0402, "capital Dje"},
        {0x98, 0x0098, "unassigned: kept as the C1 control of the same number"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<unsigned>(Windows1251Character(c.byte)), c.expected) << c.why;
}

TEST(EncodingAfterMark, RecognisesTheTwoMarks) {
    struct Case {
        std::string start;
        TextEncoding encoding;
        size_t mark;
        const char* why;
    } cases[] = {
        {"\xEF\xBB\xBF" "B", TextEncoding::Utf8, 3, "UTF-8 mark"},
        {"\xFF\xFE" "B", TextEncoding::Utf16Le, 2, "UTF-16LE mark"},
        {"\xFE\xFF" "B", TextEncoding::Utf8, 0, "big-endian mark is not recognised"},
        {"\xEF\xBB", TextEncoding::Utf8, 0, "half a mark"},
        {"", TextEncoding::Utf8, 0, "empty file"},
    };
    for (const Case& c : cases) {
        size_t mark = 99;
        TextEncoding got = EncodingAfterMark(
            reinterpret_cast<const unsigned char*>(c.start.data()), c.start.size(), mark);
        EXPECT_EQ(got, c.encoding) << c.why;
        EXPECT_EQ(mark, c.mark) << c.why;
    }
}

TEST(DecodeBytes, LeavesACutSequenceForTheNextRead) {
    struct Case {
        TextEncoding encoding;
        std::string bytes;
        bool atEnd;
        size_t consumed;
        std::u16string units;
        const char* why;
    } cases[] = {
        {TextEncoding::Utf8, "a\xD0", false, 1, u"a", "first byte of a two-byte letter waits"},
        {TextEncoding::Utf8, "a\xD0", true, 2, u"a\uFFFD", "at the end it is bad"},
        {TextEncoding::Utf8, "\xF0\x9F\x98", false, 0, u"", "three of four bytes wait"},
        {TextEncoding::Utf8, "\xF0\x9F" "a", false, 3, u"\uFFFD" "a", "a broken sequence does not wait"},
        {TextEncoding::Utf16Le, std::string("a\0\x3D", 3), false, 2, u"a", "an odd byte waits"},
        {TextEncoding::Utf16Le, std::string("\x3D\xD8", 2), false, 0, u"", "a high surrogate waits"},
        {TextEncoding::Utf16Le, std::string("\x3D\xD8", 2), true, 2, u"\uFFFD",
         "a high surrogate at the end is bad"},
        {TextEncoding::Windows1251, "\xC0\xD0", false, 2, u"\u0410\u0420", "1251 never waits"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::u16string out(c.bytes.size() + 1, u'\0');
        size_t written = 0;
        size_t consumed = DecodeBytes(c.encoding, reinterpret_cast<const unsigned char*>(c.bytes.data()),
                                      c.bytes.size(), c.atEnd, reinterpret_cast<WCHAR*>(&out[0]), written);
        out.resize(written);
        EXPECT_EQ(consumed, c.consumed);
        EXPECT_TRUE(out == c.units);
    }
}

}  // namespace
