// Property lookup and splitting: which card lines a name finds and how they join
// across "=0D=0A=" markers, and how a line falls into name, parameters and value
// components with its escapes. Expected values are worked out by hand from the
// vCard line syntax the reader accepts (escapes "\;", "\:", "\,").
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "fake_host.h"
#include "property_lines.h"

namespace {

CardLines Views(const std::vector<WString>& lines) {
    return CardLines(lines.begin(), lines.end());
}

std::vector<std::string> Utf8List(const std::vector<WString>& list) {
    std::vector<std::string> out;
    for (const WString& s : list) out.push_back(Utf8(s));
    return out;
}

struct FindCase {
    std::vector<WString> card;
    WString name;
    std::vector<WString> expected;
    const char* why;
};

TEST(FindPropertyLines, FindsAndJoinsLines) {
    const FindCase cases[] = {
        {{TEXT("TITLE:HOTEL manager"), TEXT("TEL;TYPE=WORK:123")},
         TEXT("TEL"),
         {TEXT("TITLE:HOTEL manager"), TEXT("TEL;TYPE=WORK:123")},
         "a substring anywhere finds the line; the caller sorts out TITLE"},
        {{TEXT("NOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0A="), TEXT("b=0D=0A="), TEXT("c"),
          TEXT("TEL:1")},
         TEXT("NOTE"),
         {TEXT("NOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0A=b=0D=0A=c")},
         "lines joined while the last one taken carries the marker, nothing removed"},
        {{TEXT("NOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0A="), TEXT("b=0D=0A="), TEXT("c"),
          TEXT("TEL:1")},
         TEXT("TEL"),
         {TEXT("TEL:1")},
         "the note's lines do not hold TEL"},
        {{TEXT("NOTE:x=0D=0A="), TEXT("NOTE:second"), TEXT("NOTE:third")},
         TEXT("NOTE"),
         {TEXT("NOTE:x=0D=0A=NOTE:second"), TEXT("NOTE:third")},
         "a line taken as continuation is not examined again"},
        {{TEXT("TEL:1"), TEXT("NOTE:a=0D=0A=")},
         TEXT("NOTE"),
         {TEXT("NOTE:a=0D=0A=")},
         "joining stops at the last card line"},
        {{TEXT("tel:1"), TEXT("N:Doe")}, TEXT("TEL"), {}, "the search is case-sensitive"},
        {{}, TEXT("TEL"), {}, "an empty card finds nothing"},
        {{TEXT("EMAIL:a"), TEXT("X:1"), TEXT("EMAIL:b")},
         TEXT("EMAIL"),
         {TEXT("EMAIL:a"), TEXT("EMAIL:b")},
         "card order kept"},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.why);
        std::vector<WString> result = {TEXT("left over from an earlier call")};
        CardLines lines = Views(c.card);
        FindPropertyLines(c.name, lines, result);
        EXPECT_EQ(Utf8List(result), Utf8List(c.expected));
    }
}

TEST(FindPropertyLines, ReusedResultsHoldOnlyTheNewLines) {
    // A longer earlier result must not leave entries or text behind.
    std::vector<WString> card = {TEXT("TEL:111111111111111111111"), TEXT("TEL:2"),
                                 TEXT("TEL:3"), TEXT("EMAIL:e")};
    CardLines lines = Views(card);
    std::vector<WString> result;
    FindPropertyLines(TEXT("TEL"), lines, result);
    ASSERT_EQ(result.size(), 3u);
    FindPropertyLines(TEXT("EMAIL"), lines, result);
    EXPECT_EQ(Utf8List(result), std::vector<std::string>{"EMAIL:e"});
}

// FindPropertyLines as a line-by-line search for the name and the marker.
std::vector<WString> PlainFind(const std::vector<WString>& card, const WString& name) {
    const WString marker(LineBreakMarker());
    std::vector<WString> found;
    for (size_t i = 0; i < card.size(); ++i) {
        if (card[i].find(name) == WString::npos) continue;
        WString line = card[i];
        while (i + 1 < card.size() && card[i].find(marker) != WString::npos) line += card[++i];
        found.push_back(line);
    }
    return found;
}

// Random cards of lines made of the name's units, the marker and text, empty
// lines among them, so that names run across the ends of lines that lie back
// to back, and cards of long lines and many lines (which are searched a few at
// a time) occur.
TEST(FindPropertyLines, AgreesWithALineByLineSearchOnRandomCards) {
    const WString pieces[] = {TEXT("U"), TEXT("I"), TEXT("D"), TEXT("UID"), TEXT("x"),
                              TEXT("=0D=0A="), TEXT("abcdefghijklmnopqrstuvwxyz0123456789")};
    const WString names[] = {TEXT("UID"), TEXT("D"), TEXT("ID=")};
    std::mt19937 random(20261208);
    std::vector<WString> result;
    for (int round = 0; round < 5000; ++round) {
        std::vector<WString> card(random() % 48);
        for (WString& line : card) {
            const size_t count = random() % 4 == 0 ? 0 : random() % (random() % 8 == 0 ? 60 : 6);
            for (size_t k = 0; k < count; ++k) line += pieces[random() % 7];
        }
        const WString& name = names[random() % 3];
        const CardLines lines = Views(card);
        FindPropertyLines(name, lines, result);
        std::string trace = "round " + std::to_string(round) + ", " + Utf8(name) + " in";
        for (const WString& line : card) trace += " [" + Utf8(line) + "]";
        ASSERT_EQ(Utf8List(result), Utf8List(PlainFind(card, name))) << trace;
    }
}

struct SplitCase {
    WString line;
    WString name;
    std::vector<WString> parameters;
    std::vector<WString> components;
    const char* why;
};

TEST(SplitPropertyLine, CutsNameParametersAndComponents) {
    const SplitCase cases[] = {
        {TEXT("N:Doe;John;;;"), TEXT("N"), {TEXT("N")},
         {TEXT("Doe"), TEXT("John"), TEXT(""), TEXT(""), TEXT("")},
         "empty components stay"},
        {TEXT("ADR;CHARSET=windows-1251;TYPE=HOME:;;Main St\\, 5;Town;;12345;Land"), TEXT("ADR"),
         {TEXT("ADR"), TEXT("CHARSET=windows-1251"), TEXT("TYPE=HOME")},
         {TEXT(""), TEXT(""), TEXT("Main St, 5"), TEXT("Town"), TEXT(""), TEXT("12345"),
          TEXT("Land")},
         "parameters as written; an escaped comma restored inside its component"},
        {TEXT("NOTE:a\\;b\\:c"), TEXT("NOTE"), {TEXT("NOTE")}, {TEXT("a;b:c")},
         "escaped separators do not separate"},
        {TEXT("URL:a:b"), TEXT("URL"), {TEXT("URL")}, {TEXT("a:b")},
         "only the first colon separates"},
        {TEXT("TEL:"), TEXT("TEL"), {TEXT("TEL")}, {TEXT("")}, "an empty value is one component"},
        {TEXT("TEL;;TYPE=X:1"), TEXT("TEL"), {TEXT("TEL"), TEXT(""), TEXT("TYPE=X")},
         {TEXT("1")}, "empty parameters stay"},
        {TEXT("email:someone"), TEXT("email"), {TEXT("email")}, {TEXT("someone")},
         "the name keeps its case"},
        {TEXT("item1.EMAIL:someone"), TEXT("item1.EMAIL"), {TEXT("item1.EMAIL")},
         {TEXT("someone")}, "a group prefix stays in the name"},
        {TEXT("TEL"), TEXT("TEL"), {TEXT("TEL")}, {TEXT("TEL")},
         "no colon: the whole text is name, parameter and component"},
        {TEXT("X;a\\:b"), TEXT("X;a?<b"), {TEXT("X;a?<b")}, {TEXT("X;a:b")},
         "no colon: not cut at ';'; the component restored, the name not"},
        {TEXT("X;P=a\\;b:v"), TEXT("X"), {TEXT("X"), TEXT("P=a?>b")}, {TEXT("v")},
         "parameters keep the placeholders of their escapes"},
        {TEXT("A\\:B:v"), TEXT("A?<B"), {TEXT("A?<B")}, {TEXT("v")},
         "an escaped colon in the name does not end it"},
        {TEXT("NOTE:x?>y?<z?/w"), TEXT("NOTE"), {TEXT("NOTE")}, {TEXT("x;y:z,w")},
         "placeholders written as such also become separators"},
        {TEXT("NOTE:a,b\\nc\\'d\\ e"), TEXT("NOTE"), {TEXT("NOTE")}, {TEXT("a,b\\nc\\'d\\ e")},
         "commas separate nothing; other backslashes stay"},
        {TEXT("NOTE:a\\\\;b"), TEXT("NOTE"), {TEXT("NOTE")}, {TEXT("a\\;b")},
         "a doubled backslash: the second escapes, the first stays"},
        {TEXT("NOTE:a\\"), TEXT("NOTE"), {TEXT("NOTE")}, {TEXT("a\\")},
         "a backslash at the end stays"},
        {TEXT("NOTE:?\\;"), TEXT("NOTE"), {TEXT("NOTE")}, {TEXT("?;")},
         "a question mark before an escape stays"},
        {TEXT("NOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0A=b"), TEXT("NOTE"),
         {TEXT("NOTE"), TEXT("ENCODING=QUOTED-PRINTABLE")}, {TEXT("a=0D=0A=b")},
         "no quoted-printable decoding"},
        {TEXT(":v"), TEXT(""), {TEXT("")}, {TEXT("v")}, "an empty name"},
        {TEXT(""), TEXT(""), {TEXT("")}, {TEXT("")}, "an empty line"},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(std::string(c.why) + ": " + Utf8(c.line));
        std::vector<WString> parameters = {TEXT("old"), TEXT("old"), TEXT("old"), TEXT("old")};
        std::vector<WString> components = {TEXT("old"), TEXT("old"), TEXT("old"), TEXT("old"),
                                           TEXT("old"), TEXT("old"), TEXT("old"), TEXT("old")};
        WString name = SplitPropertyLine(c.line, parameters, components);
        EXPECT_EQ(Utf8(name), Utf8(c.name));
        EXPECT_EQ(Utf8List(parameters), Utf8List(c.parameters));
        EXPECT_EQ(Utf8List(components), Utf8List(c.components));
    }
}

TEST(SplitPropertyLine, KeepsTextBeyondANul) {
    // A NUL inside a value is ordinary text: the value does not end there.
    WString line = TEXT("NOTE:a");
    line.push_back(0);
    line += TEXT("b;c");
    std::vector<WString> parameters, components;
    SplitPropertyLine(line, parameters, components);
    ASSERT_EQ(components.size(), 2u);
    EXPECT_EQ(components[0].size(), 3u);
    EXPECT_EQ(components[1], WString(TEXT("c")));
}

// The cutting of a line written out unit by unit, as the line syntax states it:
// a ";" or ":" after a backslash separates nothing; the first other ":" ends
// the parameters, each other ";" ends a piece; without a colon the whole line
// is the one parameter and the one component.
void PlainCut(WStringView line, std::vector<WString>& parameters, std::vector<WString>& components) {
    parameters.clear();
    components.clear();
    std::vector<WString>* pieces = &parameters;
    size_t start = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const bool semicolon = line[i] == u';', colon = line[i] == u':';
        if (!(semicolon || colon) || (i > 0 && line[i - 1] == u'\\')) continue;
        if (colon && pieces == &components) continue;
        pieces->emplace_back(line.substr(start, i - start));
        if (colon) pieces = &components;
        start = i + 1;
    }
    if (pieces == &parameters) {
        parameters.assign(1, WString(line));
        components.assign(1, WString(line));
        return;
    }
    components.emplace_back(line.substr(start));
}

// A component's value by the escape table: each "\;", "\:", "\,", "?>", "?<"
// and "?/", read left to right without overlap, becomes ";", ":" or ",".
WString PlainValue(WStringView piece) {
    const struct {
        WCHAR first, second, separator;
    } pairs[] = {{u'\\', u';', u';'}, {u'\\', u':', u':'}, {u'\\', u',', u','},
                 {u'?', u'>', u';'},  {u'?', u'<', u':'},  {u'?', u'/', u','}};
    WString value;
    for (size_t i = 0; i < piece.size(); ++i) {
        WCHAR unit = piece[i];
        for (const auto& pair : pairs)
            if (i + 1 < piece.size() && unit == pair.first && piece[i + 1] == pair.second) {
                unit = pair.separator;
                ++i;
                break;
            }
        value.push_back(unit);
    }
    return value;
}

// Random lines of separators, escapes, placeholders, NULs and text (a lone
// surrogate and a unit with the low byte of ";" among them), of every length
// from empty to several blocks, each in a buffer of its own size so that a read
// past either end is caught under the sanitizer; the first rounds give lines
// of more than 64 components, and one round in four has few separators, so
// that long plain values occur. The cut only as far as the first component
// (SplitPropertyHead) must give the same name, parameter entries and first
// value as the whole split, whatever part of the units before the first
// separator or backslash it is told to pass over (all of them too, so that the
// separator right after them is reached).
TEST(SplitPropertyParts, AgreesWithAUnitByUnitCutOnRandomLines) {
    // The text units last; the last two have the low byte of a NUL and of ";".
    const WCHAR alphabet[] = {u';', u':', u'\\', u'?', u',', u'>', u'<', u'/', 0,
                              u' ', u'a', u'\u0418', static_cast<WCHAR>(0xD800), u'\u013B'};
    std::mt19937 random(20261207);
    PropertyParts parts;
    PropertyHead head;
    std::vector<WString> parameters, components;
    for (int round = 0; round < 20000; ++round) {
        const bool manyComponents = round < 20;
        const size_t size = manyComponents ? 400 : random() % 72;
        std::unique_ptr<WCHAR[]> units(new WCHAR[size]);
        for (size_t i = 0; i < size; ++i) {
            // Mostly text, so that long runs without a separator occur too.
            const bool plain = random() % (round % 4 == 0 ? 12 : 3) != 0;
            units[i] = plain ? alphabet[9 + random() % 5] : alphabet[random() % 9];
            if (manyComponents && random() % 3 == 0) units[i] = u';';
        }
        const WStringView line(units.get(), size);
        SplitPropertyParts(line, parts);
        PlainCut(line, parameters, components);
        const std::string trace = "round " + std::to_string(round) + ": " + Utf8(WString(line));
        ASSERT_EQ(parts.name, WStringView(parameters.front())) << trace;
        ASSERT_EQ(parts.parameters.size(), parameters.size()) << trace;
        for (size_t i = 0; i < parameters.size(); ++i)
            ASSERT_EQ(parts.parameters[i], WStringView(parameters[i])) << trace << ", parameter " << i;
        ASSERT_EQ(parts.components.size(), components.size()) << trace;
        for (size_t i = 0; i < components.size(); ++i) {
            ASSERT_EQ(parts.components[i], WStringView(components[i])) << trace << ", component " << i;
            const WStringView value = ComponentView(parts, i);
            ASSERT_EQ(WString(value), PlainValue(components[i])) << trace << ", value " << i;
            ASSERT_EQ(value.data()[value.size()], WCHAR(0)) << trace << ", value " << i << " ends in a NUL";
        }
        const WStringView last = parts.parameters.back();
        const WStringView entries(line.data(), static_cast<size_t>(last.data() + last.size() - line.data()));
        size_t plain = 0;  // the units before the first ";", ":" or "\"
        while (plain < size && units[plain] != u';' && units[plain] != u':' && units[plain] != u'\\') ++plain;
        for (const size_t known : {size_t{0}, random() % (plain + 1), plain}) {
            SplitPropertyHead(line, head, known);
            const std::string at = trace + ", head, " + std::to_string(known) + " plain";
            ASSERT_EQ(head.name, parts.name) << at;
            ASSERT_EQ(head.parameters, entries) << at;
            ASSERT_EQ(head.value, ComponentView(parts, 0)) << at;
            ASSERT_EQ(head.value.data()[head.value.size()], WCHAR(0)) << at << ": the value ends in a NUL";
            ASSERT_EQ(head.restored, parts.Restored(0)) << at;
        }
    }
}

}  // namespace
