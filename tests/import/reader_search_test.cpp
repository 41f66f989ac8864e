// Substring search used by the reader and the property lookup, and the
// comparison of names: hand-picked cases at every lane of a four-unit word and
// at the ends of the text, then a sweep checked against the standard library's
// own search and comparison, and the unit search over short parameter texts.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "fake_host.h"
#include "text_search.h"

namespace {

TEST(ContainsText, FindsPartsAnywhere) {
    struct Case {
        WString text, part;
        bool expected;
        const char* why;
    } cases[] = {
        {TEXT("TEL:1"), TEXT("TEL"), true, "at the start"},
        {TEXT("X-TELEX:1"), TEXT("TEL"), true, "inside"},
        {TEXT("abcdefgEND"), TEXT("END"), true, "at the very end, across a word"},
        {TEXT("abcdefgEN"), TEXT("END"), false, "cut off by the end"},
        {TEXT("tel:1"), TEXT("TEL"), false, "case-sensitive"},
        {TEXT(""), TEXT("N"), false, "empty text"},
        {TEXT("abc"), TEXT(""), true, "empty part"},
        {TEXT("N"), TEXT("N"), true, "one unit each"},
        {TEXT("TETETEL"), TEXT("TEL"), true, "after false starts"},
        {TEXT("\u0100\u0001\u0101\u00FF"), TEXT("\u0001"), true, "units whose bytes look alike"},
        {TEXT("\u0100\u0002\u0101\u00FF\u0201"), TEXT("\u0001"), false,
         "neighbouring lanes that borrow must not count"},
        {TEXT("=0D=0A"), TEXT("=0D=0A="), false, "a marker one unit short"},
    };
    for (const Case& c : cases) EXPECT_EQ(ContainsText(c.text, c.part), c.expected) << c.why;
}

TEST(ContainsText, AgreesWithTheStandardSearch) {
    // Every placement of a part in texts of 0 to 12 units, and texts of up to 62
    // (passed over sixteen positions at a time), over a small alphabet that
    // includes units differing by one from the sought one; the text's start
    // compared with the part as the standard comparison does.
    const WCHAR alphabet[] = {u'A', u'B', u'@', 0x0141, 0x4100};
    const WString parts[] = {TEXT("A"), TEXT("AB"), TEXT("BA@"), TEXT("AAAAB"), TEXT("AAAAAAAB")};
    unsigned seed = 7;
    for (int round = 0; round < 4000; ++round) {
        WString text;
        size_t length = round % 4 == 3 ? 13 + round % 50 : round % 13;
        for (size_t i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            text.push_back(alphabet[(seed >> 16) % 5]);
        }
        for (const WString& part : parts) {
            const size_t at = WStringView(text).find(part);
            ASSERT_EQ(FindText(text, part), at) << Utf8(text) << " / " << Utf8(part);
            ASSERT_EQ(ContainsText(text, part), at != WStringView::npos) << Utf8(text) << " / " << Utf8(part);
            const WString start = text.substr(0, part.size());
            ASSERT_EQ(SameText(start, part), start == part) << Utf8(start) << " = " << Utf8(part);
        }
    }
}

// Random short texts of three units (one whose low byte is the unit's), each in
// a buffer of its own size, searched from every start (past the end too),
// stopping after a random number of positions: the positions given are those a
// unit-by-unit loop finds, in order.
TEST(ForEachUnitFrom, AgreesWithAUnitByUnitSearchOnRandomTexts) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 20000; ++round) {
        const size_t size = random() % 40;
        std::unique_ptr<WCHAR[]> units(new WCHAR[size]);
        const WCHAR others[] = {u'x', u'\u014F'};
        for (size_t i = 0; i < size; ++i) units[i] = random() % 4 == 0 ? u'O' : others[random() % 2];
        const WStringView text(units.get(), size);
        const size_t from = random() % (size + 3);
        const size_t wanted = random() % 5 + 1;  // found stops after this many
        std::vector<size_t> plain, given;
        for (size_t i = from; i < size && plain.size() < wanted; ++i)
            if (text[i] == u'O') plain.push_back(i);
        ForEachUnitFrom(text, u'O', from, [&](size_t at) {
            given.push_back(at);
            return given.size() < wanted;
        });
        ASSERT_EQ(given, plain) << "round " << round << ": " << Utf8(WString(text)) << " from " << from
                                << ", at most " << wanted;
    }
}

}  // namespace
