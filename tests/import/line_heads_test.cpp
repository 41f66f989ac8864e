// The property lookup and the line heads: the lookup finds exactly the lines
// written out by hand (long cards, joins by "=0D=0A="), the exact-name rule
// through the line heads agrees with reading every line, and the name a line
// gives is the one decided by hand from where the first unescaped ":" stands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "line_heads.h"
#include "named_property_lines.h"
#include "property_lines.h"
#include "random_below.h"

namespace {

std::vector<std::string> Utf8List(const std::vector<WString>& list) {
    std::vector<std::string> out;
    for (const WString& s : list) out.push_back(Utf8(s));
    return out;
}

// A card of `count` lines "X-FILLER:n", with `at` lines replaced by `text`.
std::vector<WString> Filler(size_t count, std::vector<std::pair<size_t, WString>> at) {
    std::vector<WString> lines;
    for (size_t n = 0; n < count; ++n) lines.push_back(TEXT("X-FILLER:") + Utf16(std::to_string(n)));
    for (auto& [index, text] : at) lines[index] = text;
    return lines;
}

TEST(PropertyLookup, FindsTheLinesWrittenOutByHand) {
    struct Case {
        std::vector<WString> card;
        WString name;
        std::vector<WString> expected;
        const char* why;
    } cases[] = {
        {{TEXT("TITLE:HOTEL manager"), TEXT("TEL;TYPE=WORK:123")}, TEXT("TEL"),
         {TEXT("TITLE:HOTEL manager"), TEXT("TEL;TYPE=WORK:123")},
         "the name inside another word still counts"},
        {{TEXT("NOTE:a=0D=0A="), TEXT("NOTE:b"), TEXT("NOTE:c")}, TEXT("NOTE"),
         {TEXT("NOTE:a=0D=0A=NOTE:b"), TEXT("NOTE:c")},
         "a continuation line is taken once, never looked at again"},
        {{TEXT("N:Doe"), TEXT("FN:John"), TEXT("X")}, TEXT("N"),
         {TEXT("N:Doe"), TEXT("FN:John")}, "a one-unit name has no pairs: every line is read"},
        {Filler(130, {{5, TEXT("EMAIL:a@b")}, {64, TEXT("EMAIL:c@d=0D=0A=")},
                      {65, TEXT("tail")}, {129, TEXT("item1.EMAIL:e@f")}}),
         TEXT("EMAIL"), {TEXT("EMAIL:a@b"), TEXT("EMAIL:c@d=0D=0A=tail"), TEXT("item1.EMAIL:e@f")},
         "three words of 64 lines, a join across the first boundary, the very last line"},
        {Filler(70, {{63, TEXT("NOTE:x=0D=0A=")}, {64, TEXT("=0D=0A=")}, {65, TEXT("y")}}),
         TEXT("NOTE"), {TEXT("NOTE:x=0D=0A==0D=0A=y")}, "joins run on while each line has the marker"},
        {{TEXT("NOTE:=0D=0A=")}, TEXT("NOTE"), {TEXT("NOTE:=0D=0A=")},
         "a marker on the last line joins nothing"},
        {{TEXT("FN:\u0418\u0432\u0430\u043D"), TEXT("N:\u0418\u0432")}, TEXT("\u0418\u0432"),
         {TEXT("FN:\u0418\u0432\u0430\u043D"), TEXT("N:\u0418\u0432")}, "Cyrillic text is found too"},
        {{TEXT("X-A-VERY-LONG-PROPERTY-NAME-OF-MANY-PAIRS:1"), TEXT("X-A-VERY-LONG:2")},
         TEXT("X-A-VERY-LONG-PROPERTY-NAME-OF-MANY-PAIRS"),
         {TEXT("X-A-VERY-LONG-PROPERTY-NAME-OF-MANY-PAIRS:1")},
         "a long name"},
        {{TEXT("tel:1"), TEXT("TEL")}, TEXT("TEL"), {TEXT("TEL")}, "case-sensitive"},
        {{}, TEXT("UID"), {}, "an empty card"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const CardLines lines(c.card.begin(), c.card.end());
        std::vector<WString> found{TEXT("left over")};
        FindPropertyLines(c.name, lines, found);
        EXPECT_EQ(Utf8List(found), Utf8List(c.expected));
    }
}

// Random cards through the exact-name rule: walking only the lines
// that start with the name (the line heads) must give the properties that
// reading every line gives, joins and swallowed lines included, and tell the
// same card lines (scratch.line), cut whole or to the first component; and the
// first-line rule must join as it does when it searches every line for the marker.
TEST(LineHeads, ExactNameRuleAgreesWithReadingEveryLineOnRandomCards) {
    const WString pieces[] = {TEXT("=0D=0A="), TEXT("TEL"), TEXT("N"), TEXT(":"), TEXT(";"),
                              TEXT("\\"), TEXT("E"), TEXT("="), TEXT("\u0418"), TEXT("x")};
    // Names of one to five units: those of four or fewer are compared as one word.
    const WString names[] = {TEXT("TEL"), TEXT("N"), TEXT("EL"), TEXT("E"), TEXT("\u0418"),
                             TEXT("TEN"), TEXT("TELE"), TEXT("TELEN")};
    RandomBelow next{54321};
    // Every property the rule gives, as "parameters | components" texts.
    auto properties = [](WStringView name, const CardLines& lines, PropertyScratch& scratch) {
        std::vector<std::string> found;
        WString value;
        ForEachNamedProperty(name, lines, scratch, [&](const PropertyParts& parts) {
            std::string text;
            for (WStringView p : parts.parameters) text += Utf8(WString(p)) + ",";
            text += "|";
            for (size_t c = 0; c < parts.components.size(); ++c)
                text += Utf8(ComponentValue(parts, c)) + ",";
            found.push_back(text + " @" + std::to_string(scratch.line));
        });
        // The first components as the head cut reads them, every line, not only the first.
        ForEachNamedHead(name, lines, scratch, [&](const PropertyHead& head) {
            found.push_back("head " + Utf8(WString(head.value)) + " @" + std::to_string(scratch.line));
        });
        return found;
    };
    PropertyScratch headed;  // one for all rounds, as for the cards of a file
    for (int round = 0; round < 2000; ++round) {
        std::vector<WString> card(1 + next(40));
        for (WString& line : card) {
            if (next(4) == 0) line = names[next(std::size(names))];  // often a name first
            for (size_t n = next(6); n > 0; --n) line += pieces[next(std::size(pieces))];
        }
        const CardLines lines(card.begin(), card.end());
        PropertyScratch plain;
        SummarizeLineHeads(lines, headed.heads);
        for (const WString& name : names) {
            ASSERT_EQ(properties(name, lines, headed), properties(name, lines, plain))
                << "round " << round << ", name " << Utf8(name) << ", " << card.size() << " lines";
            WString first{TEXT("none")}, firstPlain{TEXT("none")};
            FirstNamedValue(name, lines, headed, first);
            FirstNamedValue(name, lines, plain, firstPlain);
            ASSERT_EQ(Utf8(first), Utf8(firstPlain)) << "round " << round << ", first " << Utf8(name);
            FirstPropertyValue(name, lines, headed, first);
            FirstPropertyValue(name, lines, plain, firstPlain);
            ASSERT_EQ(Utf8(first), Utf8(firstPlain)) << "round " << round << ", first line " << Utf8(name);
        }
    }
}

TEST(PropertyName, IsDecidedByTheFirstUnescapedColon) {
    struct Case {
        WString line;
        WString name;
        bool expected;
        const char* why;
    } cases[] = {
        {TEXT("N:Doe"), TEXT("N"), true, "name and colon"},
        {TEXT("N;CHARSET=windows-1251:Doe"), TEXT("N"), true, "name, parameters, colon"},
        {TEXT("N"), TEXT("N"), true, "no colon: the whole line is the name"},
        {TEXT("N;X"), TEXT("N"), false, "no colon: the name is the whole line N;X"},
        {TEXT("N;a\\:b"), TEXT("N"), false, "only an escaped colon: still the whole line"},
        {TEXT("N;a\\:b:c"), TEXT("N"), true, "an unescaped colon after an escaped one"},
        {TEXT("N\\;X:1"), TEXT("N"), false, "an escaped semicolon belongs to the name"},
        {TEXT("NOTE:x"), TEXT("N"), false, "a longer name"},
        {TEXT("FN:x"), TEXT("N"), false, "the name further on"},
        {TEXT("item1.EMAIL:x"), TEXT("EMAIL"), false, "a group prefix"},
        {TEXT("email:x"), TEXT("EMAIL"), false, "case-sensitive"},
        {TEXT("EMAIL:"), TEXT("EMAIL"), true, "an empty value"},
        {TEXT("EMAI"), TEXT("EMAIL"), false, "shorter than the name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(IsPlainPropertyName(c.name));
        PropertyParts parts;
        SplitPropertyParts(c.line, parts);
        EXPECT_EQ(parts.name == c.name, c.expected);
        std::vector<WString> parameters, components;
        EXPECT_EQ(SplitPropertyLine(c.line, parameters, components) == c.name, c.expected)
            << "the splitting into copies says the same";
    }
}

TEST(PropertyName, NamesWithEscapeCharactersAreNotPlain) {
    struct Case {
        WString name;
        bool plain;
        const char* why;
    } cases[] = {
        {TEXT("TEL"), true, "letters"},
        {TEXT("X-ICQ"), true, "letters and a hyphen"},
        {TEXT("A?>B"), false, "a placeholder: the line A\\;B:1 names it after protection"},
        {TEXT("A\\B"), false, "a backslash"},
        {TEXT("A:B"), false, "a colon"},
        {TEXT("A;B"), false, "a semicolon"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(IsPlainPropertyName(c.name), c.plain);
    }
}

}  // namespace
