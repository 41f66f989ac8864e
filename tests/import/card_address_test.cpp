// The address step: which ADR lines count, which address kind a line picks, the
// five fields by position, the street fallback and short lines. Expected calls
// are written by hand from the ADR value (post office box, extended address,
// street, locality, region, postal code, country).
#include <gtest/gtest.h>

#include "card_import.h"
#include "card_test_support.h"

namespace {

class CardAddress : public ::testing::Test {
protected:
    void SetUp() override { FakeHost::Get().Reset(); }
};

std::vector<std::string> AddressCalls() {
    return CallsNamed({"SetHomeAddressStreet", "SetHomeAddressCity", "SetHomeAddressProvince",
                       "SetHomeAddressPostalCode", "SetHomeAddressCountry",
                       "SetBusinessAddressStreet", "SetBusinessAddressCity",
                       "SetBusinessAddressProvince", "SetBusinessAddressPostalCode",
                       "SetBusinessAddressCountry"});
}

std::vector<std::string> Home(const std::string& street, const std::string& city,
                              const std::string& province, const std::string& postal,
                              const std::string& country) {
    return {"SetHomeAddressStreet(u," + street + ")", "SetHomeAddressCity(u," + city + ")",
            "SetHomeAddressProvince(u," + province + ")",
            "SetHomeAddressPostalCode(u," + postal + ")",
            "SetHomeAddressCountry(u," + country + ")"};
}

std::vector<std::string> Business(const std::string& street, const std::string& city,
                                  const std::string& province, const std::string& postal,
                                  const std::string& country) {
    return {"SetBusinessAddressStreet(u," + street + ")",
            "SetBusinessAddressCity(u," + city + ")",
            "SetBusinessAddressProvince(u," + province + ")",
            "SetBusinessAddressPostalCode(u," + postal + ")",
            "SetBusinessAddressCountry(u," + country + ")"};
}

std::vector<std::string> Then(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(CardAddress, LinesSetTheChosenAddressByPosition) {
    struct Case {
        std::vector<WString> card;
        std::vector<std::string> expected;
        const char* why;
    } cases[] = {
        {{TEXT("ADR;CHARSET=windows-1251;TYPE=HOME:;;Main St;Town;Region;12345;Land")},
         Home("Main St", "Town", "Region", "12345", "Land"), "all five home fields"},
        {{TEXT("ADR;TYPE=WORK:;Suite 5;;;;;")},
         Then(Business("", "", "", "", ""), {"SetBusinessAddressStreet(u,Suite 5)"}),
         "all five empty: cleared, then the street from the extended address"},
        {{TEXT("ADR;TYPE=WORK:PO 1;;;;;;")},
         Then(Business("", "", "", "", ""), {"SetBusinessAddressStreet(u,)"}),
         "the post office box is never used"},
        {{TEXT("ADR;TYPE=HOME:;Flat 2;Main St;;;;")}, Home("Main St", "", "", "", ""),
         "a street present: no fallback to the extended address"},
        {{TEXT("ADR;TYPE=HOME:;;;;;;Land")}, Home("", "", "", "", "Land"),
         "only a country: no fallback"},
        {{TEXT("ADR:;;Main St;Town;;;")}, {}, "neither HOME nor WORK: nothing"},
        {{TEXT("ADR;TYPE=home:;;Main St;Town;;;")}, {}, "lower-case home: nothing"},
        {{TEXT("ADR;TYPE=WORK,HOME:;;S;C;;;")}, Home("S", "C", "", "", ""),
         "one entry holding both words picks home"},
        {{TEXT("ADR;TYPE=WORK;TYPE=HOME:;;S;C;;;")}, Business("S", "C", "", "", ""),
         "the first entry that picks wins"},
        {{TEXT("ADR;WORK:;;S;;;;")}, Business("S", "", "", "", ""), "bare parameter word"},
        {{TEXT("ADR;X-HOMEPAGE=1:;;S;;;;")}, Home("S", "", "", "", ""),
         "HOME anywhere inside an entry counts"},
        {{TEXT("ADR;TYPE=HOME:;;S1;;;;"), TEXT("ADR;TYPE=HOME:;;S2;;;;")},
         Then(Home("S1", "", "", "", ""), Home("S2", "", "", "", "")),
         "two lines of one kind: both set, the later wins"},
        {{TEXT("ADR;TYPE=WORK:;;W;;;;"), TEXT("ADR;TYPE=HOME:;;H;;;;")},
         Then(Business("W", "", "", "", ""), Home("H", "", "", "", "")),
         "one line of each kind, in card order"},
        {{TEXT("ADR;TYPE=HOME:;;Main St\\, 5;Town;;;")}, Home("Main St, 5", "Town", "", "", ""),
         "an escaped comma stays in the street"},
        {{TEXT("ADR;TYPE=HOME:;;Main St, 5;Town;;;")}, Home("Main St, 5", "Town", "", "", ""),
         "an unescaped comma separates nothing"},
        {{TEXT("ADR;TYPE=HOME:;;S;C;P;Z;L;extra;more")}, Home("S", "C", "P", "Z", "L"),
         "components after the seventh are unused"},
        {{TEXT("item1.ADR;TYPE=HOME:;;S;;;;"), TEXT("adr;TYPE=HOME:;;S;;;;")}, {},
         "only lines named exactly ADR"},
        {{TEXT("X-ADRESS;TYPE=HOME:;;S;;;;")}, {}, "a longer name containing ADR"},
        {{TEXT("ADR;TYPE=HOME")}, {}, "no colon: the whole text is the name, which is not ADR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ImportCardOfU(c.card);
        EXPECT_EQ(JoinLines(AddressCalls()), JoinLines(c.expected));
    }
}

TEST_F(CardAddress, ChosenKindAgreesWithReadingEntryByEntryOnRandomLines) {
    // Lines made of parameter entries the test knows (pieces of the words, an
    // escaped ";" inside an entry, both words in one entry or in two), so the
    // expected kind comes from the entries one by one: the first holding HOME or
    // WORK decides, HOME winning within it.
    const WString pieces[] = {TEXT("HOME"), TEXT("WORK"), TEXT("HO"), TEXT("ME"), TEXT("WO"),
                              TEXT("RK"),   TEXT("TYPE="), TEXT(","), TEXT("\\;"), TEXT("H")};
    unsigned seed = 11;
    auto next = [&seed](unsigned below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % below;
    };
    for (int round = 0; round < 1000; ++round) {
        WString line = TEXT("ADR");
        std::vector<std::string> expected;
        for (unsigned entries = next(4); entries > 0; --entries) {
            WString entry;
            for (unsigned n = next(3) + 1; n > 0; --n) entry += pieces[next(10)];
            line += TEXT(";") + entry;
            if (!expected.empty()) continue;
            if (entry.find(TEXT("HOME")) != WString::npos)
                expected = Home("S", "", "", "", "");
            else if (entry.find(TEXT("WORK")) != WString::npos)
                expected = Business("S", "", "", "", "");
        }
        line += TEXT(":;;S;;;;");
        ImportCardOfU({line});
        ASSERT_EQ(JoinLines(AddressCalls()), JoinLines(expected)) << Utf8(line);
    }
}

TEST_F(CardAddress, ShortLinesSetWhatTheyHaveAndTakeTheRestAsEmpty) {
    // Never reading past the component list: the missing components are empty.
    struct Case {
        WString line;
        std::vector<std::string> expected;
        const char* why;
    } cases[] = {
        {TEXT("ADR;TYPE=HOME:"), Then(Home("", "", "", "", ""), {"SetHomeAddressStreet(u,)"}),
         "one empty component"},
        {TEXT("ADR;TYPE=HOME:;Flat 2"),
         Then(Home("", "", "", "", ""), {"SetHomeAddressStreet(u,Flat 2)"}),
         "two components: the fallback finds the extended address"},
        {TEXT("ADR;TYPE=HOME:;;Main St"), Home("Main St", "", "", "", ""), "three components"},
        {TEXT("ADR;TYPE=HOME:;;Main St;Town"), Home("Main St", "Town", "", "", ""),
         "four components"},
        {TEXT("ADR;TYPE=WORK:;;S;C;P;Z"), Business("S", "C", "P", "Z", ""),
         "six components: no country"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        FakeHost::Get().Reset();
        TestCard card({TEXT("BEGIN:VCARD"), TEXT("UID:u"), c.line});
        ImportCard(card.lines);
        EXPECT_EQ(JoinLines(AddressCalls()), JoinLines(c.expected));
    }
}

TEST_F(CardAddress, AddressesComeAfterTheBirthdayAndBeforeTheSave) {
    TestCard card{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("ADR;TYPE=HOME:;;S;;;;"),
                  TEXT("BDAY:19800503")};
    FakeHost::Get().logGetters = false;
    ImportCard(card.lines);
    EXPECT_EQ(JoinLines(CallsFrom("SetBirthDate")),
              JoinLines(Then(Then({"SetBirthDate(u,29344)"},  // 3 May 1980, by hand
                                  Home("S", "", "", "", "")),
                             {"SaveChanges(u)"})));
}

TEST_F(CardAddress, ExistingAddressOfAnotherKindIsKept) {
    FakeHost& host = FakeHost::Get();
    host.Add(TEXT("root"), TEXT("u"),
             {{"BusinessAddressCity", TEXT("Old City")}, {"HomeAddressCity", TEXT("Old Home")}});
    PromptRecorder prompt(IDYES);
    TestCard card{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("REV:20100615"),
                  TEXT("ADR;TYPE=HOME:;;S;New Home;;;")};
    ImportCard(card.lines);
    EXPECT_EQ(Utf8(host.Field(TEXT("u"), "HomeAddressCity")), "New Home");
    EXPECT_EQ(Utf8(host.Field(TEXT("u"), "BusinessAddressCity")), "Old City");
}

}  // namespace
