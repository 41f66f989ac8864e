// Whole cards in the shapes real address books take: a phone's UTF-8 export
// (grouped item1.EMAIL lines, TYPE=CELL, lower-case type words) and an old
// windows-1251 export (vCard 2.1, bare parameter words, a quoted-printable note
// continued over two lines), as the reader hands them over: decoded, without
// line ends. What each card sets is spelled out field by field, by hand.
// Also cards no exporter writes: they must import without crashing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "card_import.h"
#include "card_test_support.h"

namespace {

class CardShapes : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
        host.Reset();
    }
    FakeHost& host = FakeHost::Get();

    struct Expected {
        const char* field;
        const char* value;
    };
    void ExpectFields(const WString& uid, std::initializer_list<Expected> fields) {
        for (const Expected& f : fields) {
            SCOPED_TRACE(f.field);
            EXPECT_EQ(Utf8(host.Field(uid, f.field)), f.value);
        }
    }
    std::vector<std::string> Communications(const WString& uid) {
        std::vector<std::string> out;
        for (const FakeCommunication& c : host.Contact(uid).communications)
            out.push_back(Utf8(c.kind) + " " + Utf8(c.value) +
                          (c.hasSubKind ? " " + Utf8(c.subKind) : ""));
        return out;
    }
};

TEST_F(CardShapes, PhoneExportInUtf8) {
    TestCard card{
        TEXT("BEGIN:VCARD"),
        TEXT("VERSION:3.0"),
        TEXT("PRODID:-//Phone Maker//Contacts 12.4//EN"),
        TEXT("N:Петрова;Анна;Сергеевна;;"),
        TEXT("FN:Анна Петрова"),
        TEXT("ORG:Ромашка;Отдел продаж;"),
        TEXT("TITLE:Менеджер"),
        TEXT("item1.EMAIL;type=INTERNET;type=pref:anna@example.ru"),
        TEXT("item1.X-ABLabel:_$!<Other>!$_"),
        TEXT("EMAIL;type=INTERNET;type=HOME:anna.home@example.ru"),
        TEXT("TEL;type=CELL;type=VOICE;type=pref:+7 912 345-67-89"),
        TEXT("TEL;type=WORK;type=FAX:+7 495 111-22-33"),
        TEXT("TEL;type=HOME;type=VOICE:+7 912 345-67-89"),
        TEXT("item2.URL;type=pref:https://example.ru"),
        TEXT("item2.X-ABLabel:_$!<HomePage>!$_"),
        TEXT("item3.ADR;type=WORK:;;Тверская ул., 1;Москва;;125009;Россия"),
        TEXT("ADR;type=HOME;type=pref:;;ул. Ленина, 5;Москва;;101000;Россия"),
        TEXT("BDAY;value=date:1985-04-12"),
        TEXT("X-SOCIALPROFILE;type=skype:anna.p"),
        TEXT("REV:2020-01-02T03:04:05Z"),
    };
    ImportCard(card.lines);
    // No UID: the fake host names the new contact uid-1.
    ASSERT_EQ(host.contacts.count(TEXT("uid-1")), 1u);
    ExpectFields(TEXT("uid-1"),
                 {{"Title", "Анна Петрова"},
                  {"LastName", "Петрова"},
                  {"FirstName", "Анна"},
                  {"MiddleName", "Сергеевна"},
                  {"CompanyName", "Ромашка"},
                  {"JobTitle", "Менеджер"},
                  {"HomeAddressStreet", "ул. Ленина, 5"},
                  {"HomeAddressCity", "Москва"},
                  {"HomeAddressProvince", ""},
                  {"HomeAddressPostalCode", "101000"},
                  {"HomeAddressCountry", "Россия"},
                  {"BusinessAddressStreet", ""},  // the grouped item3.ADR is no ADR line
                  {"Details", ""}});
    // 12 April 1985 is day 31149 after 30 December 1899.
    EXPECT_EQ(host.Contact(TEXT("uid-1")).birthDate, 31149.0);
    // The grouped e-mail and web address are not imported; the repeated mobile
    // number under TYPE=HOME is the same telephone; "type=FAX" holds FAX.
    EXPECT_EQ(JoinLines(Communications(TEXT("uid-1"))),
              JoinLines({"tel +7 912 345-67-89", "fax +7 495 111-22-33",
                         "eml anna.home@example.ru"}));
}

TEST_F(CardShapes, OldWindows1251ExportWithQuotedPrintableNote) {
    TestCard card{
        TEXT("BEGIN:VCARD"),
        TEXT("VERSION:2.1"),
        TEXT("UID:{6F1C2A40-0B3E-4C55-9D2A-1E0F5B7C8D90}"),
        TEXT("N;CHARSET=windows-1251:Иванов;Пётр;Ильич"),
        TEXT("FN;CHARSET=windows-1251:Иванов Пётр"),
        TEXT("ORG;CHARSET=windows-1251:ООО \"Вектор\""),
        TEXT("TITLE;CHARSET=windows-1251:Главный инженер"),
        TEXT("ROLE;CHARSET=windows-1251:Инженер"),
        TEXT("NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:=C2=F1=F2=F0=E5=F7=E0=0D=0A="),
        TEXT("=E2 10:00"),
        TEXT("TEL;WORK;VOICE:+7 (495) 123-45-67"),
        TEXT("TEL;WORK;FAX:+7 (495) 123-45-68"),
        TEXT("TEL;HOME:+7 (495) 765-43-21"),
        TEXT("ADR;WORK;CHARSET=windows-1251:;;ул. Тверская\\, 1;Москва;;125009;Россия"),
        TEXT("EMAIL;PREF;INTERNET:ivanov@example.ru"),
        TEXT("URL:http://vector.example.ru/"),
        TEXT("X-ICQ:123456789"),
        TEXT("X-SKYPE:ivanov.petr"),
        TEXT("BDAY:19700101"),
        TEXT("REV:20090314T101500Z"),
    };
    ImportCard(card.lines);
    const WString uid = TEXT("{6F1C2A40-0B3E-4C55-9D2A-1E0F5B7C8D90}");
    ASSERT_EQ(host.contacts.count(uid), 1u);
    ExpectFields(uid,
                 {{"Title", "Иванов Пётр"},
                  {"LastName", "Иванов"},
                  {"FirstName", "Пётр"},
                  {"MiddleName", "Ильич"},
                  {"CompanyName", "ООО \"Вектор\""},
                  {"JobTitle", "Главный инженер"},
                  {"Profession", "Инженер"},
                  // Not decoded: the two lines joined, sequences in place.
                  {"Details", "=C2=F1=F2=F0=E5=F7=E0=0D=0A==E2 10:00"},
                  {"BusinessAddressStreet", "ул. Тверская, 1"},
                  {"BusinessAddressCity", "Москва"},
                  {"BusinessAddressProvince", ""},
                  {"BusinessAddressPostalCode", "125009"},
                  {"BusinessAddressCountry", "Россия"},
                  {"HomeAddressStreet", ""}});
    // 1 January 1970 is day 25569 after 30 December 1899.
    EXPECT_EQ(host.Contact(uid).birthDate, 25569.0);
    EXPECT_EQ(JoinLines(Communications(uid)),
              JoinLines({"tel +7 (495) 123-45-67", "fax +7 (495) 123-45-68",
                         "tel +7 (495) 765-43-21", "www http://vector.example.ru/",
                         "eml ivanov@example.ru", "msg 123456789 ICQ",
                         "msg ivanov.petr SKYPE"}));
}

TEST_F(CardShapes, MalformedCardsImportWithoutFault) {
    struct Case {
        std::vector<WString> card;
        std::vector<std::string> expected;  // the calls, getters left out
        const char* why;
    } cases[] = {
        {{TEXT("BEGIN:VCARD")},
         {"Insert(,root,,40344.5)", "SetTitle(uid-1,)", "SaveChanges(uid-1)"},
         "a card of only its start line"},
        {{}, {"Insert(,root,,40344.5)", "SetTitle(uid-1,)", "SaveChanges(uid-1)"},
         "no lines at all"},
        {{TEXT("BEGIN:VCARD"), TEXT("")},
         {"Insert(,root,,40344.5)", "SetTitle(uid-1,)", "SaveChanges(uid-1)"},
         "an empty line"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("NOTE just text"), TEXT(":"), TEXT(";;;")},
         {"Insert(u,root,,40344.5)", "SetTitle(u,)", "SaveChanges(u)"},
         "lines without a colon or without a name"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("N"), TEXT("FN")},
         {"Insert(u,root,,40344.5)", "SetTitle(u,FN)", "SetLastName(u,N)", "SaveChanges(u)"},
         "a bare name is its own value"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("NOTE:a=0D=0A=")},
         {"Insert(u,root,,40344.5)", "SetTitle(u,)", "SetDetails(u,a=0D=0A=)", "SaveChanges(u)"},
         "a line-break marker on the last line"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("ADR;TYPE=HOME:"), TEXT("BDAY:"),
          TEXT("REV:")},
         {"Insert(u,root,,40344.5)", "SetTitle(u,)", "SetBirthDate(u,2.95846e+06)",
          "SetHomeAddressStreet(u,)", "SetHomeAddressCity(u,)", "SetHomeAddressProvince(u,)",
          "SetHomeAddressPostalCode(u,)", "SetHomeAddressCountry(u,)",
          "SetHomeAddressStreet(u,)", "SaveChanges(u)"},
         "empty values everywhere; an empty birthday is the host's empty date"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("BDAY:T"), TEXT("BDAY:-")},
         {"Insert(u,root,,40344.5)", "SetTitle(u,)", "SetBirthDate(u,2.95846e+06)",
          "SetBirthDate(u,2.95846e+06)", "SaveChanges(u)"},
         "date markers with nothing around them"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        host.Reset();
        host.logGetters = false;
        TestCard card(c.card);
        ImportCard(card.lines);
        EXPECT_EQ(JoinLines(host.calls), JoinLines(c.expected));
    }
}

TEST_F(CardShapes, HugeValuesArriveWhole) {
    const WString longValue(100000, TEXT('x'));
    struct Case {
        WString line;
        const char* field;  // "" for the UID
        const char* why;
    } cases[] = {
        {TEXT("NOTE:") + longValue, "Details", "a 100,000-character note"},
        {TEXT("FN:") + longValue, "Title", "a 100,000-character formatted name"},
        {TEXT("ADR;TYPE=HOME:;;") + longValue, "HomeAddressStreet", "a 100,000-character street"},
        {TEXT("UID:") + longValue, "", "a 100,000-character UID"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        host.Reset();
        host.logGetters = false;
        TestCard card({TEXT("BEGIN:VCARD"), c.line});
        ImportCard(card.lines);
        if (*c.field == 0) {
            EXPECT_EQ(host.contacts.count(longValue), 1u);
        } else {
            ASSERT_EQ(host.contacts.count(TEXT("uid-1")), 1u);
            EXPECT_EQ(host.Field(TEXT("uid-1"), c.field).size(), longValue.size());
        }
    }
    // A continued line of 100,000 characters over a thousand pieces.
    host.Reset();
    std::vector<WString> lines = {TEXT("BEGIN:VCARD"), TEXT("UID:u")};
    WString joined;
    for (int i = 0; i < 1000; ++i) {
        WString piece = (i == 0 ? WString(TEXT("NOTE:")) : WString()) + WString(93, TEXT('y')) +
                        TEXT("=0D=0A=");
        lines.push_back(piece);
        joined += i == 0 ? piece.substr(5) : piece;
    }
    lines.push_back(TEXT("end"));
    joined += TEXT("end");
    TestCard card(lines);
    ImportCard(card.lines);
    EXPECT_EQ(host.Field(TEXT("u"), "Details"), joined);
}

TEST_F(CardShapes, ThousandsOfTelephoneLines) {
    struct Case {
        bool distinct;
        size_t lines;
        size_t expected;
        const char* why;
    } cases[] = {
        {false, 3000, 1, "the same number 3000 times: one communication"},
        {true, 1500, 1500, "1500 different numbers: each once"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        host.Reset();
        host.logGetters = false;
        host.quiet = {"GetCommunication", "AddCommunication"};
        std::vector<WString> lines = {TEXT("BEGIN:VCARD"), TEXT("UID:u")};
        for (size_t i = 0; i < c.lines; ++i)
            lines.push_back(TEXT("TEL:+1 555 ") + Utf16(std::to_string(c.distinct ? i : 7)));
        TestCard card(lines);
        ImportCard(card.lines);
        EXPECT_EQ(host.Contact(TEXT("u")).communications.size(), c.expected);
    }
}

}  // namespace
