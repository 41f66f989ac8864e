/* UTF-8/UTF-16 conversions, JSON quoting and display texts of the zamo program.
 * Byte sequences from the Unicode tables (U+0416 is D0 96, U+1F600 is F0 9F 98 80). */
#include <gtest/gtest.h>

#include "contact_text.h"
#include "ole_date.h"
#include "utf_text.h"

namespace {

TEST(UtfText, Utf8ToWide) {
    struct Case {
        std::string utf8;
        bool ok;
        WString wide;
        const char* why;
    } cases[] = {
        {"abc", true, u"abc", "ASCII"},
        {"\xD0\x96", true, u"\u0416", "Cyrillic Zhe, two bytes"},
        {"\xE2\x82\xAC", true, u"\u20AC", "euro sign, three bytes"},
        {"\xF0\x9F\x98\x80", true, u"\U0001F600", "four bytes make a surrogate pair"},
        {"\xC0\x80", false, u"", "overlong NUL"},
        {"\xED\xA0\x80", false, u"", "an encoded surrogate"},
        {"\xD0", false, u"", "cut short"},
        {"\xFF", false, u"", "never a UTF-8 byte"},
        {"\xF4\x90\x80\x80", false, u"", "past U+10FFFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        WString out;
        EXPECT_EQ(Utf8ToWide(c.utf8, &out), c.ok);
        if (c.ok) {
            EXPECT_TRUE(out == c.wide);
        }
    }
}

TEST(UtfText, WideToUtf8) {
    struct Case {
        WString wide;
        std::string utf8;
        const char* why;
    } cases[] = {
        {u"\u0416x", "\xD0\x96x", "Cyrillic"},
        {u"\U0001F600", "\xF0\x9F\x98\x80", "a surrogate pair"},
        {WString(1, WCHAR(0xD800)) + u"a", "\xEF\xBF\xBD" "a", "an unpaired high surrogate is U+FFFD"},
        {WString(1, WCHAR(0xDC00)), "\xEF\xBF\xBD", "an unpaired low surrogate is U+FFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(WideToUtf8(c.wide), c.utf8);
    }
}

TEST(UtfText, JsonAndVisibleText) {
    struct Case {
        std::string in, json;
        const char* why;
    } cases[] = {
        {"a\"b\\c", "\"a\\\"b\\\\c\"", "quote and backslash"},
        {"l1\nl2\t", "\"l1\\nl2\\t\"", "line feed and tab"},
        {std::string("\x01", 1), "\"\\u0001\"", "other control characters"},
        {"\xD0\x96", "\"\xD0\x96\"", "UTF-8 passes unchanged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(JsonString(c.in), c.json);
    }
    EXPECT_EQ(VisibleText(u"uid\n"), "uid\\n") << "a UID read with its line feed";
    EXPECT_EQ(DisplayName(u"Ann", u"", u"Lee", u"T"), "Ann Lee");
    EXPECT_EQ(DisplayName(u"", u"", u"", u"Title only"), "Title only");
}

TEST(UtfText, DateText) {
    // Serials by hand as in the OLE date tests: 29285 = 5 March 1980, 40344.5 = 15 June 2010 noon.
    struct Case {
        double date;
        bool dateOnly;
        std::string text;
        const char* why;
    } cases[] = {
        {29285.0, true, "1980-03-05", "a birthday"},
        {40344.5, false, "2010-06-15 12:00:00", "a modification time"},
        {40344.5, true, "2010-06-15 12:00:00", "a time that is not midnight is shown"},
        {kOleEmptyDate, true, "", "the empty date"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(DateText(c.date, c.dateOnly), c.text);
    }
}

}  // namespace
