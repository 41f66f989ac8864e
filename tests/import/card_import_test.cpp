// The card importer's order of host calls and its identity, name, text and
// birthday steps, observed through the recording fake host. Expected calls are
// written by hand from the card text; OLE dates are day counts from 30 December
// 1899 computed by hand (3 May 1980 = 29344).
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "card_import.h"
#include "card_test_support.h"

namespace {

class CardImport : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
        FakeHost::Get().Reset();
    }
    FakeHost& host = FakeHost::Get();
};

TEST_F(CardImport, NewContactStepsRunInTheirFixedOrder) {
    // Every kind of property once, deliberately out of step order in the card.
    TestCard card{
        TEXT("BEGIN:VCARD"),
        TEXT("VERSION:3.0"),
        TEXT("X-ICQ:123"),
        TEXT("EMAIL:a@x"),
        TEXT("URL:http://x"),
        TEXT("TEL;TYPE=CELL:+1 555"),
        TEXT("ADR;TYPE=HOME:;;Main St;Town;Region;12345;Land"),
        TEXT("BDAY:19800503"),
        TEXT("ROLE:Builder"),
        TEXT("NOTE:hello"),
        TEXT("TITLE:Engineer"),
        TEXT("ORG:Acme;Sales"),
        TEXT("N:Lee;Ann;;;"),
        TEXT("FN:Ann Lee"),
        TEXT("UID:u1"),
        TEXT("REV:20100615T093000Z"),
    };
    ImportCard(card.lines);
    std::vector<std::string> expected = {
        "IsPresent(u1)",
        "GetCurrDate()",
        "Insert(u1,root,,40344.5)",  // the fake host's clock: 15 June 2010 12:00
        "SetTitle(u1,Ann Lee)",
        "SetLastName(u1,Lee)",
        "SetFirstName(u1,Ann)",
        "SetMiddleName(u1,)",
        "SetCompanyName(u1,Acme)",
        "SetJobTitle(u1,Engineer)",
        "SetDetails(u1,hello)",
        "SetProfession(u1,Builder)",
        "GetOleDateFromSystemTime(1980-5-3 0:0:0)",
        "SetBirthDate(u1,29344)",
        "SetHomeAddressStreet(u1,Main St)",
        "SetHomeAddressCity(u1,Town)",
        "SetHomeAddressProvince(u1,Region)",
        "SetHomeAddressPostalCode(u1,12345)",
        "SetHomeAddressCountry(u1,Land)",
        "SaveChanges(u1)",
        // What the contact has is read once, before the card's first communication.
        "GetCommunicationsCount(u1)",
        "AddCommunication(u1,tel,+1 555,null)",
        "AddCommunication(u1,www,http://x,null)",
        "AddCommunication(u1,eml,a@x,null)",
        "AddCommunication(u1,msg,123,ICQ)",
    };
    EXPECT_EQ(JoinLines(host.calls), JoinLines(expected));
}

TEST_F(CardImport, IdentifierComesFromTheFirstLineContainingUid) {
    struct Case {
        std::vector<WString> card;
        std::string expectedPresence;  // the IsPresent call
        std::string expectedTitleCall; // shows the identifier every later call uses
        const char* why;
    } cases[] = {
        {{TEXT("BEGIN:VCARD"), TEXT("UID:abc"), TEXT("FN:A")}, "IsPresent(abc)",
         "SetTitle(abc,A)", "plain UID line"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID;X-P=1:abc;def")}, "IsPresent(abc)", "SetTitle(abc,)",
         "parameters skipped, only the first component"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:a")}, "IsPresent(a)", "SetTitle(a,)",
         "a one-unit identifier, as the host hands it back"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:abcd")}, "IsPresent(abcd)", "SetTitle(abcd,)",
         "four units: the host's text ends right after a full round of four"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:abcdefg")}, "IsPresent(abcdefg)", "SetTitle(abcdefg,)",
         "seven units: three left after a round of four"},
        {{TEXT("BEGIN:VCARD"), TEXT("NOTE:see UID list"), TEXT("UID:abc")},
         "IsPresent(see UID list)", "SetTitle(see UID list,)",
         "first-line rule: a note mentioning UID before the UID line wins"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:abc"), TEXT("NOTE:see UID list")}, "IsPresent(abc)",
         "SetTitle(abc,)", "the same note after the UID line changes nothing"},
        {{TEXT("BEGIN:VCARD"), TEXT("X-UID:zz"), TEXT("UID:abc")}, "IsPresent(zz)",
         "SetTitle(zz,)", "first-line rule takes any name containing UID"},
        {{TEXT("BEGIN:VCARD"), TEXT("uid:abc")}, "IsPresent()", "SetTitle(uid-1,)",
         "lower-case uid is no UID: empty identifier, the host names the contact"},
        {{TEXT("BEGIN:VCARD"), TEXT("FN:No Id")}, "IsPresent()", "SetTitle(uid-1,No Id)",
         "no UID line: tested and inserted with the empty identifier"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:")}, "IsPresent()", "SetTitle(uid-1,)",
         "an empty UID value is the empty identifier"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:root")}, "IsPresent(root)", "SetTitle(uid-1,)",
         "root is no contact: the card goes to the fresh UID the host returns"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:a\\;b\\:c")}, "IsPresent(a;b:c)", "SetTitle(a;b:c,)",
         "escaped separators are restored in the identifier"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        host.Reset();
        TestCard card(c.card);
        ImportCard(card.lines);
        std::vector<std::string> presence = CallsNamed({"IsPresent"});
        ASSERT_EQ(presence.size(), 1u);
        EXPECT_EQ(presence[0], c.expectedPresence);
        std::vector<std::string> title = CallsNamed({"SetTitle"});
        ASSERT_EQ(title.size(), 1u);
        EXPECT_EQ(title[0], c.expectedTitleCall);
    }
}

TEST_F(CardImport, CardWithoutUidIsANewContactEachTime) {
    TestCard card{TEXT("BEGIN:VCARD"), TEXT("FN:Twice"), TEXT("N:Twice;;;;")};
    ImportCard(card.lines);
    ImportCard(card.lines);
    // "root" plus two contacts, both titled Twice (the fake host names them uid-1, uid-2).
    ASSERT_EQ(host.contacts.size(), 3u);
    EXPECT_EQ(host.Field(TEXT("uid-1"), "Title"), TEXT("Twice"));
    EXPECT_EQ(host.Field(TEXT("uid-2"), "Title"), TEXT("Twice"));
}

TEST_F(CardImport, TitleIsTheFirstFnLineNamedExactly) {
    struct Case {
        std::vector<WString> card;
        std::string expected;
        const char* why;
    } cases[] = {
        {{TEXT("FN:Ann")}, "SetTitle(u,Ann)", "plain"},
        {{TEXT("FN:First"), TEXT("FN:Second")}, "SetTitle(u,First)", "the first FN wins"},
        {{TEXT("FN;CHARSET=windows-1251:Ann")}, "SetTitle(u,Ann)", "parameters do not matter"},
        {{TEXT("fn:Ann")}, "SetTitle(u,)", "names are case-sensitive"},
        {{TEXT("item1.FN:Ann")}, "SetTitle(u,)", "a grouped name is another name"},
        {{TEXT("X-FN:Ann"), TEXT("FN:Bob")}, "SetTitle(u,Bob)", "X-FN is passed over"},
        {{TEXT("N:Lee;Ann")}, "SetTitle(u,)", "no FN: the empty title"},
        {{TEXT("FN:Doe;John")}, "SetTitle(u,Doe)", "only the first component"},
        {{TEXT("FN:A\\, B")}, "SetTitle(u,A, B)", "escaped comma restored"},
        {{TEXT("FN:")}, "SetTitle(u,)", "empty value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ImportCardOfU(c.card);
        std::vector<std::string> title = CallsNamed({"SetTitle"});
        ASSERT_EQ(title.size(), 1u);
        EXPECT_EQ(title[0], c.expected);
    }
}

TEST_F(CardImport, StructuredNameSetsNamesByPosition) {
    struct Case {
        std::vector<WString> card;
        std::vector<std::string> expected;  // the name setters, in order
        const char* why;
    } cases[] = {
        {{TEXT("N:Doe")}, {"SetLastName(u,Doe)"}, "one component: last name only"},
        {{TEXT("N:Doe;John")}, {"SetLastName(u,Doe)", "SetFirstName(u,John)"}, "two components"},
        {{TEXT("N:Doe;John;Paul;Dr.;Jr.")},
         {"SetLastName(u,Doe)", "SetFirstName(u,John)", "SetMiddleName(u,Paul)"},
         "prefix and suffix unused"},
        {{TEXT("FN:John Doe"), TEXT("N:;;;;")},
         {"SetLastName(u,)", "SetFirstName(u,)", "SetMiddleName(u,)",
          "SetLastName(u,John Doe)"},
         "three empty parts fall back to the formatted name"},
        {{TEXT("N:;;")},
         {"SetLastName(u,)", "SetFirstName(u,)", "SetMiddleName(u,)", "SetLastName(u,)"},
         "fallback with no FN sets the empty last name again"},
        {{TEXT("FN:John Doe"), TEXT("N:")}, {"SetLastName(u,)"},
         "N: alone has one component: no fallback"},
        {{TEXT("FN:John Doe"), TEXT("N:;")}, {"SetLastName(u,)", "SetFirstName(u,)"},
         "two empty components: no fallback"},
        {{TEXT("FN:John Doe"), TEXT("N:;;Paul")},
         {"SetLastName(u,)", "SetFirstName(u,)", "SetMiddleName(u,Paul)"},
         "a middle name alone is a name"},
        {{TEXT("N:Doe;John"), TEXT("N:Roe;Jane")},
         {"SetLastName(u,Doe)", "SetFirstName(u,John)", "SetLastName(u,Roe)",
          "SetFirstName(u,Jane)"},
         "two N lines both apply in card order"},
        {{TEXT("FN:Ann"), TEXT("NICKNAME:Annie"), TEXT("n:Lee")}, {},
         "FN, NICKNAME and lower-case n are not N"},
        {{TEXT("N;CHARSET=windows-1251:Иванов;Пётр;Ильич")},
         {"SetLastName(u,Иванов)", "SetFirstName(u,Пётр)", "SetMiddleName(u,Ильич)"},
         "Cyrillic names with a charset parameter"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        // VERSION contains N: the exact-name rule must pass it over.
        std::vector<WString> properties = {TEXT("VERSION:3.0")};
        properties.insert(properties.end(), c.card.begin(), c.card.end());
        ImportCardOfU(properties);
        EXPECT_EQ(JoinLines(CallsNamed({"SetLastName", "SetFirstName", "SetMiddleName"})),
                  JoinLines(c.expected));
    }
}

TEST_F(CardImport, SingleTextsTakeTheFirstComponentOfEveryExactLine) {
    struct Case {
        std::vector<WString> card;
        std::vector<std::string> expected;
        const char* why;
    } cases[] = {
        {{TEXT("ORG:Acme;Sales")}, {"SetCompanyName(u,Acme)"}, "units after ; dropped"},
        {{TEXT("TITLE:Engineer")}, {"SetJobTitle(u,Engineer)"}, "job title"},
        {{TEXT("NOTE:hello")}, {"SetDetails(u,hello)"}, "note"},
        {{TEXT("ROLE:Builder")}, {"SetProfession(u,Builder)"}, "profession"},
        {{TEXT("NOTE:one"), TEXT("NOTE:two")}, {"SetDetails(u,one)", "SetDetails(u,two)"},
         "every line set in card order, the last stays"},
        {{TEXT("note:hidden")}, {}, "names are case-sensitive"},
        {{TEXT("item1.ORG:Acme")}, {}, "grouped names do not count"},
        {{TEXT("NOTE:a;b")}, {"SetDetails(u,a)"}, "an unescaped ; ends the note"},
        {{TEXT("NOTE:a\\;b\\:c\\,d\\n")}, {"SetDetails(u,a;b:c,d\\n)"},
         "escapes of ; : , restored, \\n kept"},
        {{TEXT("NOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0A="), TEXT("b")},
         {"SetDetails(u,a=0D=0A=b)"}, "a continued note is joined, not decoded"},
        {{TEXT("NOTE:see http://x:8080")}, {"SetDetails(u,see http://x:8080)"},
         "colons after the first belong to the value"},
        {{TEXT("TITLE:HOTEL manager"), TEXT("ORG:X")},
         {"SetCompanyName(u,X)", "SetJobTitle(u,HOTEL manager)"},
         "steps run ORG before TITLE whatever the card order"},
        {{TEXT("ROLE:"), TEXT("ORG:")}, {"SetCompanyName(u,)", "SetProfession(u,)"},
         "empty values are set and clear the field"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ImportCardOfU(c.card);
        EXPECT_EQ(JoinLines(CallsNamed({"SetCompanyName", "SetJobTitle", "SetDetails",
                                        "SetProfession"})),
                  JoinLines(c.expected));
    }
}

TEST_F(CardImport, BirthdayGoesThroughTheHostsDateConversion) {
    // OLE dates by hand: 3 May 1980 is day 29344 after 30 December 1899; the
    // all-zero time is no date, which the host turns into its empty date
    // (31 December 9999 = 2958465).
    struct Case {
        std::vector<WString> card;
        std::vector<std::string> expected;
        const char* why;
    } cases[] = {
        {{TEXT("BDAY:19800503")},
         {"GetOleDateFromSystemTime(1980-5-3 0:0:0)", "SetBirthDate(u,29344)"}, "basic date"},
        {{TEXT("BDAY;VALUE=date:1980-05-03")},
         {"GetOleDateFromSystemTime(1980-5-3 0:0:0)", "SetBirthDate(u,29344)"},
         "extended date with a parameter"},
        {{TEXT("BDAY:May 3")},
         {"GetOleDateFromSystemTime(0-0-0 0:0:0)", "SetBirthDate(u,2.95846e+06)"},
         "no known form: the all-zero time is passed on"},
        {{TEXT("BDAY:19800503T000000Z")},
         {"GetOleDateFromSystemTime(1980-5-3 0:0:0)", "SetBirthDate(u,29344)"},
         "a date-time in UTC, read with the zone at UTC"},
        {{TEXT("BDAY:19800503"), TEXT("BDAY:19800504")},
         {"GetOleDateFromSystemTime(1980-5-3 0:0:0)", "SetBirthDate(u,29344)",
          "GetOleDateFromSystemTime(1980-5-4 0:0:0)", "SetBirthDate(u,29345)"},
         "every line in card order"},
        {{TEXT("bday:19800503"), TEXT("X-BDAY:19800503")}, {}, "only the exact name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ImportCardOfU(c.card);
        EXPECT_EQ(JoinLines(CallsNamed({"GetOleDateFromSystemTime", "SetBirthDate"})),
                  JoinLines(c.expected));
    }
}

TEST_F(CardImport, ShortBirthdayTextDoesNotEndTheCard) {
    // "--0503" (a birthday without year) is too short for its form; the card still
    // gets its birthday call, its save and its communications.
    TestCard card{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("BDAY:--0503"), TEXT("TEL:1")};
    ImportCard(card.lines);
    EXPECT_EQ(CallsNamed({"SetBirthDate"}).size(), 1u);
    EXPECT_EQ(JoinLines(CallsNamed({"SaveChanges", "AddCommunication"})),
              JoinLines({"SaveChanges(u)", "AddCommunication(u,tel,1,null)"}));
}

TEST_F(CardImport, UsesTheIdentifierTheHostReturns) {
    // The fake host hands out uid-1 for the empty UID; every later call must use it.
    TestCard card{TEXT("BEGIN:VCARD"), TEXT("FN:A"), TEXT("N:A"), TEXT("ORG:O"),
                  TEXT("ADR;TYPE=WORK:;;S;C;P;Z;L"), TEXT("TEL:1")};
    host.logGetters = false;
    ImportCard(card.lines);
    ASSERT_GE(host.calls.size(), 2u);
    EXPECT_EQ(host.calls[0], "Insert(,root,,40344.5)");
    for (size_t i = 1; i < host.calls.size(); ++i) {
        SCOPED_TRACE(host.calls[i]);
        const std::string& call = host.calls[i];
        std::string first = call.substr(call.find('(') + 1);
        EXPECT_TRUE(first.rfind("uid-1,", 0) == 0 || first == "uid-1)");
    }
}

TEST_F(CardImport, CardWithoutAddressIsStillSavedAndItsCommunicationsAdded) {
    TestCard card{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("FN:A"), TEXT("EMAIL:a@x")};
    host.logGetters = false;
    ImportCard(card.lines);
    EXPECT_EQ(JoinLines(host.calls),
              JoinLines({"Insert(u,root,,40344.5)", "SetTitle(u,A)", "SaveChanges(u)",
                         "AddCommunication(u,eml,a@x,null)"}));
}

TEST_F(CardImport, OverwrittenContactKeepsFieldsTheCardLacks) {
    host.Add(TEXT("root"), TEXT("u"),
             {{"Title", TEXT("Old title")}, {"LastName", TEXT("Old")},
              {"CompanyName", TEXT("Old Co")}, {"Details", TEXT("old note")}});
    PromptRecorder prompt(IDYES);
    TestCard card{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("REV:20100615"), TEXT("N:New")};
    ImportCard(card.lines);
    ASSERT_EQ(prompt.shown.size(), 1u);
    struct Case {
        const char* field;
        WString expected;
        const char* why;
    } cases[] = {
        {"Title", TEXT(""), "no FN: the title becomes empty"},
        {"LastName", TEXT("New"), "taken from N"},
        {"CompanyName", TEXT("Old Co"), "no ORG: kept"},
        {"Details", TEXT("old note"), "no NOTE: kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Utf8(host.Field(TEXT("u"), c.field)), Utf8(c.expected));
    }
}

}  // namespace
