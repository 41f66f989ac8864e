// Code page conversion against the Win32 contract: the windows-1251 table
// checked byte by byte against the C library's iconv, best fit and default
// character, Win32 size and error rules, and UTF-8 in both directions.
#include <gtest/gtest.h>
#include <iconv.h>
#include <windows.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

using Wide = std::u16string;

std::string Hex(const std::string& bytes) {
    std::string out;
    char part[4];
    for (unsigned char b : bytes) {
        snprintf(part, sizeof part, "%02X ", b);
        out += part;
    }
    return out;
}

std::string Hex(const Wide& units) {
    std::string out;
    char part[6];
    for (char16_t u : units) {
        snprintf(part, sizeof part, "%04X ", static_cast<unsigned>(u));
        out += part;
    }
    return out;
}

// iconv's conversion of `in` (bytes of `from`) into `to`; false when iconv
// rejects any of it.
bool IconvConvert(const char* to, const char* from, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string source = in;
    char buffer[64];
    char* inPtr = &source[0];
    size_t inLeft = source.size();
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1) || inLeft != 0) return false;
    out.assign(buffer, static_cast<size_t>(outPtr - buffer));
    return true;
}

std::string ToAcp(const Wide& text, DWORD flags = 0, const char* defaultChar = nullptr,
                  BOOL* usedDefault = nullptr) {
    char buffer[64] = {};
    const int n = WideCharToMultiByte(CP_ACP, flags, text.data(), static_cast<int>(text.size()),
                                      buffer, sizeof buffer, defaultChar, usedDefault);
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

// The code page's own table, as glibc's iconv knows it, for every byte. Byte 0x98
// is the one place where the two disagree: iconv rejects it as unassigned, while
// Windows passes it through as U+0098 both ways; the subset follows Windows.
TEST(CodePage1251, EveryByteMatchesIconvBothWays) {
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE("byte 0x" + Hex(std::string(1, static_cast<char>(b))));
        const std::string byte(1, static_cast<char>(b));
        std::string le;
        char16_t expected;
        if (IconvConvert("UTF-16LE", "WINDOWS-1251", byte, le)) {
            ASSERT_EQ(le.size(), 2u);
            expected = static_cast<char16_t>(static_cast<unsigned char>(le[0]) |
                                             (static_cast<unsigned char>(le[1]) << 8));
        } else {
            ASSERT_EQ(b, 0x98) << "only 0x98 is unassigned in windows-1251";
            expected = 0x0098;
        }
        char16_t wide = 0xFFFF;
        ASSERT_EQ(MultiByteToWideChar(1251, 0, byte.data(), 1, &wide, 1), 1);
        EXPECT_EQ(wide, expected);
        BOOL used = TRUE;
        char back = 0;
        ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, &expected, 1, &back, 1, nullptr, &used), 1);
        EXPECT_EQ(static_cast<unsigned char>(back), b);
        EXPECT_FALSE(used);
    }
}

// Without best fit, every UTF-16 unit that iconv can write in windows-1251 gets
// iconv's byte, and every other unit the default character.
TEST(CodePage1251, EveryWideUnitWithoutBestFitMatchesIconv) {
    int mismatches = 0;
    for (uint32_t u = 1; u < 0x10000; ++u) {
        const char16_t unit = static_cast<char16_t>(u);
        std::string le{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        std::string expected;
        if (!IconvConvert("WINDOWS-1251", "UTF-16LE", le, expected)) expected = "?";
        if (u == 0x98) expected = "\x98";  // Windows' pass-through, see above
        BOOL used = FALSE;
        char out = 0;
        const int n = WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, &unit, 1, &out, 1, nullptr, &used);
        if (n != 1 || std::string(1, out) != expected || (used != (expected == "?" && u != '?'))) {
            ADD_FAILURE() << "U+" << Hex(Wide(1, unit)) << "gave " << Hex(std::string(1, out))
                          << "expected " << Hex(expected);
            if (++mismatches > 10) break;
        }
    }
}

TEST(CodePage1251, KnownAnchors) {
    struct Case {
        char16_t wide;
        unsigned char byte;
        const char* why;
    } cases[] = {
        {0x0440, 0xF0, "Cyrillic small er, the anchor of Wine's kernel32 code page test"},
        {0x0401, 0xA8, "capital Io, outside the contiguous block"},
        {0x0451, 0xB8, "small io"},
        {0x2116, 0xB9, "numero sign"},
        {0x20AC, 0x88, "euro sign"},
        {0x0410, 0xC0, "first letter of the block"},
        {0x044F, 0xFF, "last letter of the block"},
        {0x00A0, 0xA0, "no-break space"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(ToAcp(Wide(1, c.wide)), std::string(1, static_cast<char>(c.byte)));
        char16_t back = 0;
        const char narrow = static_cast<char>(c.byte);
        ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &back, 1), 1);
        EXPECT_EQ(back, c.wide);
    }
}

TEST(CodePage1251, BestFitAndDefaultCharacter) {
    struct Case {
        Wide input;
        DWORD flags;
        const char* defaultChar;
        std::string expected;
        bool usedDefault;
        const char* why;
    } cases[] = {
        {u"caf\u00E9", 0, nullptr, "cafe", false, "e acute becomes its base letter"},
        {u"M\u00FCller", 0, nullptr, "Muller", false, "u diaeresis becomes its base letter"},
        {u"\u0160koda \u0141\u00F3d\u017A", 0, nullptr, "Skoda Lodz", false, "Latin Extended-A letters"},
        {u"a\u2010b\u2012c\u2015d", 0, nullptr, "a-b-c-d", false, "hyphen, figure dash, bar"},
        {u"\u201Bx\u2032", 0, nullptr, "'x'", false, "reversed quote and prime"},
        {u"\uFF21\uFF42\uFF13", 0, nullptr, "Ab3", false, "fullwidth forms"},
        {u"\u2013\u2014", 0, nullptr, "\x96\x97", false, "en and em dash are in the code page"},
        {u"\u4E2D", 0, nullptr, "?", true, "a CJK ideograph has no mapping"},
        {u"\u4E2D", 0, "*", "*", true, "the caller's default character"},
        {u"caf\u00E9", WC_NO_BEST_FIT_CHARS, nullptr, "caf?", true, "best fit switched off"},
        {u"\xD83D\xDE00!", 0, nullptr, "?" "?!", true,
         "each half of a surrogate pair gets a default character (Windows and Wine agree)"},
        {u"\xD800!", 0, nullptr, "?!", true, "a lone surrogate"},
        {u"Hello", 0, nullptr, "Hello", false, "ASCII needs no default"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        BOOL used = c.usedDefault ? FALSE : TRUE;  // the opposite, so the call must set it
        EXPECT_EQ(Hex(ToAcp(c.input, c.flags, c.defaultChar, &used)), Hex(c.expected));
        EXPECT_EQ(used != FALSE, c.usedDefault);
    }
}

struct SizeCase {
    UINT codePage;
    const char16_t* input;
    int inputCount;
    int bufferSize;  // -2: a null buffer with size 5
    DWORD flags;
    bool withUsedDefault;
    int expected;
    DWORD error;  // expected GetLastError when expected == 0
    const char* why;
};

TEST(WideCharToMultiByte, SizesLengthsAndErrors) {
    const SizeCase cases[] = {
        {CP_ACP, u"\u0414\u0430", -1, 16, 0, false, 3, 0, "-1 converts and counts the terminator"},
        {CP_ACP, u"\u0414\u0430", 2, 16, 0, false, 2, 0, "an explicit count has no terminator"},
        {CP_ACP, u"\u0414\u0430", -1, 0, 0, false, 3, 0, "size 0 asks for the size needed"},
        {CP_ACP, u"\u0414\u0430", -1, 2, 0, false, 0, ERROR_INSUFFICIENT_BUFFER, "no room for the NUL"},
        {CP_UTF8, u"\u0414\u0430", -1, 0, 0, false, 5, 0, "two 2-byte sequences and the NUL"},
        {CP_UTF8, u"\u0414\u0430", -1, 4, 0, false, 0, ERROR_INSUFFICIENT_BUFFER, "UTF-8 too small"},
        {CP_UTF8, u"\xD83D\xDE00", 2, 3, 0, false, 0, ERROR_INSUFFICIENT_BUFFER, "4 bytes in 3"},
        {CP_ACP, nullptr, -1, 16, 0, false, 0, ERROR_INVALID_PARAMETER, "null input"},
        {CP_ACP, u"x", 0, 16, 0, false, 0, ERROR_INVALID_PARAMETER, "zero input count"},
        {CP_ACP, u"x", -2, 16, 0, false, 0, ERROR_INVALID_PARAMETER, "negative input count"},
        {CP_ACP, u"x", 1, -1, 0, false, 0, ERROR_INVALID_PARAMETER, "negative buffer size"},
        {CP_ACP, u"x", 1, -2, 0, false, 0, ERROR_INVALID_PARAMETER, "null buffer with a size"},
        {CP_UTF8, u"x", 1, 16, 0, true, 0, ERROR_INVALID_PARAMETER, "UTF-8 takes no used-default flag"},
        {CP_UTF8, u"x", 1, 16, WC_NO_BEST_FIT_CHARS, false, 0, ERROR_INVALID_FLAGS, "UTF-8 flags"},
        {CP_UTF8, u"\xD800", 1, 16, WC_ERR_INVALID_CHARS, false, 0, ERROR_NO_UNICODE_TRANSLATION,
         "strict UTF-8 refuses a lone surrogate"},
        {12345, u"x", 1, 16, 0, false, 0, ERROR_INVALID_PARAMETER, "unknown code page"},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.why);
        char buffer[16];
        BOOL used = FALSE;
        SetLastError(0);
        const int n = WideCharToMultiByte(c.codePage, c.flags, c.input, c.inputCount,
                                          c.bufferSize == -2 ? nullptr : buffer,
                                          c.bufferSize == -2 ? 5 : c.bufferSize, nullptr,
                                          c.withUsedDefault ? &used : nullptr);
        EXPECT_EQ(n, c.expected);
        if (c.expected == 0) {
            EXPECT_EQ(GetLastError(), c.error);
        }
    }
}

TEST(WideCharToMultiByte, MinusOneWritesTheTerminator) {
    char buffer[4] = {'x', 'x', 'x', 'x'};
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u0414\u0430", -1, buffer, 4, nullptr, nullptr), 3);
    EXPECT_EQ(std::string(buffer, 4), std::string("\xC4\xE0\0x", 4));
}

TEST(MultiByteToWideChar, SizesLengthsAndErrors) {
    struct Case {
        UINT codePage;
        const char* input;
        int inputCount;
        int bufferSize;
        DWORD flags;
        int expected;
        DWORD error;
        const char* why;
    } cases[] = {
        {1251, "\xC4\xE0", -1, 8, 0, 3, 0, "-1 counts the terminator"},
        {1251, "\xC4\xE0", 2, 8, 0, 2, 0, "explicit count"},
        {1251, "\xC4\xE0", -1, 0, 0, 3, 0, "size query"},
        {1251, "\xC4\xE0", -1, 2, 0, 0, ERROR_INSUFFICIENT_BUFFER, "no room for the NUL"},
        {CP_UTF8, "\xF0\x9F\x98\x80", 4, 1, 0, 0, ERROR_INSUFFICIENT_BUFFER, "a pair needs two units"},
        {CP_UTF8, "\xF0\x9F\x98\x80", 4, 0, 0, 2, 0, "size of a pair"},
        {CP_UTF8, nullptr, -1, 8, 0, 0, ERROR_INVALID_PARAMETER, "null input"},
        {CP_UTF8, "x", 0, 8, 0, 0, ERROR_INVALID_PARAMETER, "zero input count"},
        {CP_UTF8, "x", 1, -1, 0, 0, ERROR_INVALID_PARAMETER, "negative buffer size"},
        {CP_UTF8, "a\xFF", 2, 8, MB_ERR_INVALID_CHARS, 0, ERROR_NO_UNICODE_TRANSLATION,
         "strict UTF-8 refuses an invalid byte"},
        {CP_UTF8, "x", 1, 8, MB_PRECOMPOSED, 0, ERROR_INVALID_FLAGS, "UTF-8 takes no composition flag"},
        {1251, "x", 1, 8, MB_PRECOMPOSED, 1, 0, "windows-1251 accepts it"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        char16_t buffer[8];
        SetLastError(0);
        const int n = MultiByteToWideChar(c.codePage, c.flags, c.input, c.inputCount, buffer, c.bufferSize);
        EXPECT_EQ(n, c.expected);
        if (c.expected == 0) {
            EXPECT_EQ(GetLastError(), c.error);
        }
    }
}

// Expected bytes from the UTF-8 definition (RFC 3629), worked out by hand.
TEST(Utf8, EncodesSurrogatePairsAndReplacesLoneSurrogates) {
    struct Case {
        Wide input;
        std::string expected;
        const char* why;
    } cases[] = {
        {u"A", "A", "ASCII"},
        {u"\u0416", "\xD0\x96", "Cyrillic Zhe, two bytes"},
        {u"\u20AC", "\xE2\x82\xAC", "euro sign, three bytes"},
        {u"\xD83D\xDE00", "\xF0\x9F\x98\x80", "U+1F600 from its surrogate pair, four bytes"},
        {u"\xD800", "\xEF\xBF\xBD", "lone high surrogate"},
        {u"\xDC00" u"a", "\xEF\xBF\xBD" "a", "lone low surrogate"},
        {u"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD", "a pair in the wrong order is two lone units"},
        {Wide(u"a\0b", 3), std::string("a\0b", 3), "an embedded NUL inside an explicit count"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        char buffer[16] = {};
        const int n = WideCharToMultiByte(CP_UTF8, 0, c.input.data(), static_cast<int>(c.input.size()),
                                          buffer, sizeof buffer, nullptr, nullptr);
        EXPECT_EQ(Hex(std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0)), Hex(c.expected));
    }
}

// Ill-formed input: each maximal ill-formed subpart becomes one U+FFFD, the
// practice the Unicode Standard recommends (chapter 3, "U+FFFD Substitution").
TEST(Utf8, DecodesAndReplacesIllFormedInput) {
    struct Case {
        std::string input;
        Wide expected;
        const char* why;
    } cases[] = {
        {"A", u"A", "ASCII"},
        {"\xD0\x96", u"\u0416", "two bytes"},
        {"\xF0\x9F\x98\x80", u"\xD83D\xDE00", "four bytes give a surrogate pair"},
        {"a\xFF" "b", u"a\uFFFD" u"b", "a byte that never occurs"},
        {"a\x80" "b", u"a\uFFFD" u"b", "a stray continuation byte"},
        {"\xC0\xAF", u"\uFFFD\uFFFD", "an overlong slash"},
        {"\xE2\x82", u"\uFFFD", "a truncated sequence is one subpart"},
        {"\xE2\x82" "x", u"\uFFFD" u"x", "truncated before ASCII"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", "an encoded surrogate"},
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", "beyond U+10FFFF"},
        {"\xEF\xBF\xBD", u"\uFFFD", "U+FFFD itself is well-formed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        char16_t buffer[16] = {};
        const int n = MultiByteToWideChar(CP_UTF8, 0, c.input.data(), static_cast<int>(c.input.size()),
                                          buffer, 16);
        EXPECT_EQ(Hex(Wide(buffer, n > 0 ? static_cast<size_t>(n) : 0)), Hex(c.expected));
    }
}

TEST(Utf8, SampleScalarValuesMatchIconv) {
    // iconv writes the reference UTF-8 of a sample of code points in each plane.
    const char32_t samples[] = {0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFD, 0xFFFF,
                                0x10000, 0x1F600, 0x10FFFF};
    for (char32_t cp : samples) {
        SCOPED_TRACE("U+" + std::to_string(static_cast<unsigned long>(cp)));
        std::string utf32{static_cast<char>(cp & 0xFF), static_cast<char>((cp >> 8) & 0xFF),
                          static_cast<char>((cp >> 16) & 0xFF), 0};
        std::string reference, le;
        ASSERT_TRUE(IconvConvert("UTF-8", "UTF-32LE", utf32, reference));
        ASSERT_TRUE(IconvConvert("UTF-16LE", "UTF-32LE", utf32, le));
        Wide wide;
        for (size_t i = 0; i + 1 < le.size(); i += 2)
            wide += static_cast<char16_t>(static_cast<unsigned char>(le[i]) |
                                          (static_cast<unsigned char>(le[i + 1]) << 8));
        char narrow[8];
        const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), narrow,
                                          8, nullptr, nullptr);
        EXPECT_EQ(Hex(std::string(narrow, n > 0 ? static_cast<size_t>(n) : 0)), Hex(reference));
        char16_t back[4];
        const int m = MultiByteToWideChar(CP_UTF8, 0, reference.data(), static_cast<int>(reference.size()),
                                          back, 4);
        EXPECT_EQ(Hex(Wide(back, m > 0 ? static_cast<size_t>(m) : 0)), Hex(wide));
    }
}

// A value of several megabytes converts in one call, and the size query agrees
// with what the conversion writes (the exporter asks first, then converts).
TEST(CodePage1251, LargeValueSizeQueryMatchesConversion) {
    Wide big;
    for (int i = 0; i < 1 << 20; ++i) big += (i % 3 == 0) ? u'\u0416' : (i % 3 == 1) ? u'\u00E9' : u'\u4E2D';
    for (UINT cp : {static_cast<UINT>(CP_ACP), static_cast<UINT>(CP_UTF8)}) {
        SCOPED_TRACE(cp);
        const int need = WideCharToMultiByte(cp, 0, big.data(), -1, nullptr, 0, nullptr, nullptr);
        ASSERT_GT(need, 0);
        std::vector<char> out(static_cast<size_t>(need));
        EXPECT_EQ(WideCharToMultiByte(cp, 0, big.data(), -1, out.data(), need, nullptr, nullptr), need);
        EXPECT_EQ(out.back(), '\0');
    }
}

}  // namespace
