// The card writer: the worked example byte for byte against a golden file, the
// name, escaping, note, birthday and communication rules line by line, the order
// of the host calls, and values far beyond the 32,767-byte line buffer.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "card_writer.h"
#include "export_commands.h"
#include "export_test_support.h"
#include "output_file.h"

namespace {

using namespace export_test;

// OLE dates worked out by hand: 1 January 1980 is day 29221 (1 January 1970 is
// 25569, plus 3,652 days of ten years with two leap days); 5 March 1980 is 31 + 29
// + 4 days later. 15 June 2010 is day 40344 (1 January 2010 is 40179, plus 151 +
// 14 days); 12:30 is 12.5 / 24 = 0.5208333 of a day.
constexpr double k5March1980 = 29285.0;
constexpr double k15June2010At1230 = 40344.0 + 12.5 / 24.0;
constexpr double k15June2010At1200 = 40344.5;  // what the fake host stamps

const char kRevAtNoon[] = "REV:20100615T080000Z";  // 12:00 at UTC+4

class CardWriter : public testing::Test {
protected:
    void SetUp() override { FakeHost::Get().Reset(); }
    void TearDown() override { CloseOutputFile(); }

    // The bytes that WriteCard writes for `uid`.
    std::string CardOf(const WString& uid) {
        std::string path = folder.File("card.vcf");
        EXPECT_TRUE(OpenOutputFile(path));
        WriteCard(uid.c_str());
        CloseOutputFile();
        return ReadBytes(path);
    }

    ScratchFolder folder;
    ZoneSetting zone{"XYZ-4"};  // four hours east of UTC, no summer time
};

std::string GoldenFile(const std::string& name) {
    return ReadBytes(std::string(ZAMO_SOURCE_DIR) + "/tests/export/data/" + name);
}

TEST_F(CardWriter, WritesTheWorkedExampleByteForByte) {
    FakeHost& host = FakeHost::Get();
    WString uid = host.Add(TEXT("root"), TEXT("anna-lee"),
                           {{"FirstName", TEXT("Anna")},
                            {"LastName", TEXT("Lee")},
                            {"CompanyName", TEXT("Lee, Smith & Co")},
                            {"HomeAddressStreet", TEXT("1 Main St")},
                            {"HomeAddressCity", TEXT("Springfield")},
                            {"Details", TEXT("Line one\nLine two")}});
    FakeContact& contact = host.Contact(uid);
    contact.birthDate = k5March1980;
    contact.modified = k15June2010At1230;
    contact.communications.push_back({TEXT("tel"), TEXT("555-0100"), TEXT(""), false});
    contact.communications.push_back({TEXT("msg"), TEXT("123456"), TEXT("ICQ"), true});

    std::string expected = GoldenFile("worked_example.vcf");
    ASSERT_FALSE(expected.empty()) << "golden file missing";
    std::string written = CardOf(uid);
    EXPECT_EQ(written, expected) << LineDiff(expected, written);
}

struct LineCase {
    std::map<std::string, WString> fields;
    std::vector<std::string> lines;  // consecutive whole lines expected in the card
    const char* why;
};

void ExpectLines(const std::string& card, const LineCase& c) {
    std::string wanted = "\r\n" + CrLfText(c.lines);
    EXPECT_NE(card.find(wanted), std::string::npos)
        << c.why << "\nwanted lines:\n" << Visible(wanted) << "\ncard:\n" << Visible(card);
}

TEST_F(CardWriter, WritesNamesAndTextsByTheirRules) {
    const LineCase cases[] = {
        {{{"LastName", TEXT("Lee")}},
         {"FN;CHARSET=windows-1251:  Lee", "N;CHARSET=windows-1251:Lee;;"},
         "last name only: two spaces before it in FN, two semicolons after it in N"},
        {{{"FirstName", TEXT("Anna")}, {"LastName", TEXT("Lee")}},
         {"FN;CHARSET=windows-1251:Anna  Lee", "N;CHARSET=windows-1251:Lee;Anna;"},
         "no middle name: two spaces in FN, N ends in a semicolon"},
        {{{"FirstName", TEXT("Anna")}, {"MiddleName", TEXT("Maria")}, {"LastName", TEXT("Lee")}},
         {"FN;CHARSET=windows-1251:Anna Maria Lee", "N;CHARSET=windows-1251:Lee;Anna;Maria"},
         "all three names: first middle last in FN, last;first;middle in N"},
        {{{"MiddleName", TEXT("M")}},
         {"FN;CHARSET=windows-1251: M ", "N;CHARSET=windows-1251:;;M"},
         "middle name only"},
        {{{"LastName", TEXT("x")}},
         {"ORG;CHARSET=windows-1251:", "TITLE;CHARSET=windows-1251:",
          "ROLE;CHARSET=windows-1251:", "PRODID:Velmora export plugin",
          "X-ASSISTANT;CHARSET=windows-1251:", "X-MANAGER;CHARSET=windows-1251:",
          "ADR;CHARSET=windows-1251;TYPE=HOME:;;;;;;", "ADR;CHARSET=windows-1251;TYPE=WORK:;;;;;;"},
         "empty values still give every line; an empty address has six semicolons"},
        {{{"LastName", TEXT("a;b")}, {"FirstName", TEXT("c,d")}, {"MiddleName", TEXT("e:f'g")}},
         {"FN;CHARSET=windows-1251:c,d e:f'g a;b", "N;CHARSET=windows-1251:a\\;b;c\\,d;e\\:f\\'g"},
         "separators bare in FN, escaped in N"},
        {{{"LastName", TEXT("x")}, {"CompanyName", TEXT("a;b,c:d'e")},
          {"JobTitle", TEXT("t;1")}, {"Profession", TEXT("r,2")}},
         {"ORG;CHARSET=windows-1251:a\\;b\\,c\\:d\\'e", "TITLE;CHARSET=windows-1251:t\\;1",
          "ROLE;CHARSET=windows-1251:r\\,2"},
         "ORG, TITLE and ROLE are escaped"},
        {{{"LastName", TEXT("x")}, {"AssistantName", TEXT("a:1")}, {"ManagerName", TEXT("m'2")}},
         {"X-ASSISTANT;CHARSET=windows-1251:a\\:1", "X-MANAGER;CHARSET=windows-1251:m\\'2"},
         "X-ASSISTANT and X-MANAGER are escaped"},
        {{{"LastName", TEXT("x")}, {"HomeAddressStreet", TEXT("1; Main")},
          {"HomeAddressCity", TEXT("City, Town")}, {"HomeAddressProvince", TEXT("P")},
          {"HomeAddressPostalCode", TEXT("12:34")}, {"HomeAddressCountry", TEXT("C'y")},
          {"BusinessAddressStreet", TEXT("S")}, {"BusinessAddressCity", TEXT("T")},
          {"BusinessAddressProvince", TEXT("U")}, {"BusinessAddressPostalCode", TEXT("V")},
          {"BusinessAddressCountry", TEXT("W")}},
         {"ADR;CHARSET=windows-1251;TYPE=HOME:;;1\\; Main;City\\, Town;P;12\\:34;C\\'y",
          "ADR;CHARSET=windows-1251;TYPE=WORK:;;S;T;U;V;W"},
         "addresses: street, city, province, postal code, country, each escaped"},
        {{{"FirstName", TEXT("x|y")}, {"CompanyName", TEXT("x|y")}},
         {"FN;CHARSET=windows-1251:x'y  ", "N;CHARSET=windows-1251:;x\\'y;",
          "ORG;CHARSET=windows-1251:x\\'y"},
         "a bar becomes an apostrophe, escaped where escaping applies"},
        {{{"LastName", TEXT("x")}, {"CompanyName", TEXT("C:\\dir")}},
         {"ORG;CHARSET=windows-1251:C\\:\\dir"},
         "the colon is escaped, the backslash is not doubled"},
        {{{"LastName", TEXT("x")}, {"CompanyName", TEXT("one\ntwo")}},
         {"ORG;CHARSET=windows-1251:one", "two", "TITLE;CHARSET=windows-1251:"},
         "a line feed outside the note breaks the property over two lines"},
        {{{"FirstName", TEXT("Анна")}, {"LastName", TEXT("Ёлкина")}},
         // windows-1251 table: А C0 н ED а E0; Ё A8 л EB к EA и E8 н ED а E0
         {"FN;CHARSET=windows-1251:\xC0\xED\xED\xE0  \xA8\xEB\xEA\xE8\xED\xE0",
          "N;CHARSET=windows-1251:\xA8\xEB\xEA\xE8\xED\xE0;\xC0\xED\xED\xE0;"},
         "Cyrillic names in windows-1251"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.why);
        FakeHost::Get().Reset();
        WString uid = FakeHost::Get().Add(TEXT("root"), TEXT("u1"), c.fields);
        ExpectLines(CardOf(uid), c);
    }
}

TEST_F(CardWriter, WritesTheNoteWithEncodedLineBreaks) {
    const LineCase cases[] = {
        {{{"Details", TEXT("first\nsecond")}},
         {"NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:first=0D=0A=", "second", kRevAtNoon},
         "two lines: the first ends in =0D=0A=, the second follows on the next line"},
        {{{"Details", TEXT("")}},
         {"NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:", kRevAtNoon},
         "an empty note gives the bare template line"},
        {{{"Details", TEXT("\n")}},
         {"NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:", "", kRevAtNoon},
         "a note of one line feed: the template, then an empty line"},
        {{{"Details", TEXT("a\r\nb")}},
         {"NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:a\r=0D=0A=", "b", kRevAtNoon},
         "a carriage return stays before =0D=0A="},
        {{{"Details", TEXT("x;y|z")}},
         {"NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:x\\;y\\'z", kRevAtNoon},
         "the note is escaped too"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.why);
        FakeHost::Get().Reset();
        auto fields = c.fields;
        fields.emplace("LastName", TEXT("x"));
        WString uid = FakeHost::Get().Add(TEXT("root"), TEXT("u1"), fields);
        ExpectLines(CardOf(uid), c);
    }
}

TEST_F(CardWriter, WritesTheBirthdayOnlyWhenItIsNotTheEmptyDate) {
    struct Case {
        double birth;
        std::vector<std::string> lines;
        const char* why;
    } cases[] = {
        {2958465.0, {"ADR;CHARSET=windows-1251;TYPE=WORK:;;;;;;",
                     "NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:"},
         "the empty date (31 December 9999): no BDAY line, the note follows the address"},
        {k5March1980, {"BDAY:19800305"}, "5 March 1980"},
        {k5March1980 + 23.75 / 24.0, {"BDAY:19800305"},
         "23:45 on 5 March at UTC+4 keeps its day"},
        {36526.0, {"BDAY:20000101"}, "1 January 2000 is day 36526 (29221 + 7305)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        FakeHost::Get().Reset();
        WString uid = FakeHost::Get().Add(TEXT("root"), TEXT("u1"), {{"LastName", TEXT("x")}});
        FakeHost::Get().Contact(uid).birthDate = c.birth;
        std::string card = CardOf(uid);
        ExpectLines(card, {{}, c.lines, c.why});
        // BEGIN, VERSION, UID, FN, N, ORG, TITLE, ROLE, PRODID, X-ASSISTANT,
        // X-MANAGER, two ADR, NOTE, REV, END: 16 lines, and BDAY makes 17.
        EXPECT_EQ(CrLfLines(card).size(), c.birth == 2958465.0 ? 16u : 17u)
            << "every other line is written";
    }
}

TEST_F(CardWriter, WritesOneLinePerCommunicationOfAKnownKind) {
    FakeHost& host = FakeHost::Get();
    WString uid = host.Add(TEXT("root"), TEXT("u1"), {{"LastName", TEXT("x")}});
    struct Comm {
        const char16_t* kind;
        const char16_t* value;
        const char16_t* subKind;
    } comms[] = {
        {u"tel", u"1;2,3", nullptr}, {u"TEL", u"upper", nullptr}, {u"www", u"http://a.b", nullptr},
        {u"fax", u"f", nullptr},     {u"sms", u"s", nullptr},     {u"eml", u"a@b.c", nullptr},
        {u"msg", u"sk|pe", u"SKYPE"}, {u"", u"empty", nullptr},   {u"tel2", u"t2", nullptr},
        {u"te", u"t", nullptr},      {u"ww", u"w", nullptr},      {u"telx", u"tx", nullptr},
        {u"tel", u"second", nullptr},
    };
    for (const Comm& c : comms)
        host.Contact(uid).communications.push_back(
            {c.kind, c.value, c.subKind ? c.subKind : u"", c.subKind != nullptr});
    std::vector<std::string> expected = {
        kRevAtNoon,
        "TEL;TYPE=WORK:1;2,3",        // values are not escaped
        "URL:http://a.b",
        "TEL;TYPE=FAX:f",
        "EMAIL;TYPE=INTERNET:a@b.c",
        "X-ICQ:sk'pe",                // every messenger as ICQ; the bar still turned
        "TEL;TYPE=WORK:second",       // in index order
        "END:VCARD",
    };
    std::string card = CardOf(uid);
    EXPECT_TRUE(card.size() >= CrLfText(expected).size() &&
                card.compare(card.size() - CrLfText(expected).size(), std::string::npos,
                             CrLfText(expected)) == 0)
        << "kinds compared whole and case-sensitively; unknown kinds give no line\n"
        << LineDiff(CrLfText(expected), card.substr(card.find(kRevAtNoon)));
}

TEST_F(CardWriter, AsksTheHostInTheCardsOrder) {
    FakeHost& host = FakeHost::Get();
    WString uid = host.Add(TEXT("root"), TEXT("u1"), {{"LastName", TEXT("x")}});
    host.Contact(uid).birthDate = k5March1980;
    host.Contact(uid).communications.push_back({TEXT("tel"), TEXT("1"), TEXT(""), false});
    host.calls.clear();
    CardOf(uid);
    std::vector<std::string> names;
    for (const std::string& call : host.calls) names.push_back(call.substr(0, call.find('(')));
    const std::vector<std::string> expected = {
        "GetFirstName", "GetMiddleName", "GetLastName",            // FN
        "GetLastName", "GetFirstName", "GetMiddleName",            // N
        "GetCompanyName", "GetJobTitle", "GetProfession", "GetAssistantName", "GetManagerName",
        "GetHomeAddressStreet", "GetHomeAddressCity", "GetHomeAddressProvince",
        "GetHomeAddressPostalCode", "GetHomeAddressCountry",
        "GetBusinessAddressStreet", "GetBusinessAddressCity", "GetBusinessAddressProvince",
        "GetBusinessAddressPostalCode", "GetBusinessAddressCountry",
        "GetBirthDate", "IsMaxDate", "GetBirthDate", "GetSystemTimeFromOleDate",  // BDAY
        "GetDetails",                                                           // NOTE
        "GetDateModification", "GetSystemTimeFromOleDate",                      // REV
        "GetCommunicationsCount", "GetCommunication",
    };
    EXPECT_EQ(names, expected);
}

TEST_F(CardWriter, WritesValuesBeyondTheLineBufferWhole) {
    struct Case {
        size_t length;
        const char* why;
    } cases[] = {
        {32767 - 25, "a line that just fills a 32,767-byte buffer"},
        {32767, "a value as long as the buffer"},
        {200000, "a value six times the buffer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        FakeHost::Get().Reset();
        WString company(c.length, TEXT('c'));
        company[c.length / 2] = TEXT(',');
        WString uid = FakeHost::Get().Add(TEXT("root"), TEXT("u1"),
                                          {{"LastName", TEXT("x")}, {"CompanyName", company}});
        std::string expectedOrg = "ORG;CHARSET=windows-1251:" + std::string(c.length / 2, 'c') +
                                  "\\," + std::string(c.length - c.length / 2 - 1, 'c');
        std::vector<std::string> lines = CrLfLines(CardOf(uid));
        ASSERT_GT(lines.size(), 6u);
        EXPECT_EQ(lines[5].size(), expectedOrg.size());
        EXPECT_TRUE(lines[5] == expectedOrg) << "the ORG line is written whole";
        EXPECT_EQ(lines[6], "TITLE;CHARSET=windows-1251:");
    }
}

}  // namespace
