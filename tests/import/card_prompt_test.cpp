// The overwrite decision for a card whose UID names an existing contact: the
// Russian warning word for word, its caption, owner and style, and what each
// answer does. The warning's words are the product's own text; dates in it are
// worked out by hand (day.month.year hour:minute without leading zeros).
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "card_import.h"
#include "card_test_support.h"
#include "plugin_frame.h"

namespace {

// 5 July 2010 09:03 as an OLE date: day 40364 after 30 December 1899 plus 543
// minutes of 1440.
constexpr double kHostModified = 40364.0 + 543.0 / 1440.0;

std::string Prompt(const std::string& name, const std::string& fileDate,
                   const std::string& hostDate) {
    return "Внимание! Импортируемый контакт " + name +
           " уже существует в базе Zamo.\n"
           "Дата изменения контакта в импортируемом файле: " + fileDate +
           "\nДата последнего изменения контакта в Zamo: " + hostDate +
           "\nПерезаписать контакт в базе Zamo?";
}

class CardPrompt : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
        host.Reset();
        host.Add(TEXT("root"), TEXT("u"), {{"LastName", TEXT("Old")}});
        host.Contact(TEXT("u")).modified = kHostModified;
        host.calls.clear();
    }
    void TearDown() override { StoreLanguage(TEXT("")); }
    FakeHost& host = FakeHost::Get();
};

TEST_F(CardPrompt, WarningTextShowsBothDates) {
    struct Case {
        const char* zone;
        std::vector<WString> card;  // after BEGIN:VCARD and UID:u
        std::string expected;
        const char* why;
    } cases[] = {
        {"UTC0", {TEXT("FN:Ann Lee"), TEXT("REV:20100615")},
         Prompt("Ann Lee", "15.6.2010 0:0", "5.7.2010 9:3"), "a date alone"},
        {"XYZ-4", {TEXT("FN:Ann Lee"), TEXT("REV:20100615T093000Z")},
         Prompt("Ann Lee", "15.6.2010 13:30", "5.7.2010 9:3"),
         "a UTC date-time shown in local time four hours east"},
        {"UTC0", {TEXT("FN:Ann Lee"), TEXT("REV:soon")},
         Prompt("Ann Lee", "0.0.0 0:0", "5.7.2010 9:3"), "no known form"},
        {"UTC0", {TEXT("REV:20100615")}, Prompt("", "15.6.2010 0:0", "5.7.2010 9:3"),
         "no FN: two blanks side by side"},
        {"UTC0", {TEXT("FN:Пётр Иванов"), TEXT("REV:20100615")},
         Prompt("Пётр Иванов", "15.6.2010 0:0", "5.7.2010 9:3"), "a Cyrillic name"},
        {"UTC0", {TEXT("NOTE:REVIEW soon"), TEXT("REV:20100615"), TEXT("FN:Ann")},
         Prompt("Ann", "0.0.0 0:0", "5.7.2010 9:3"),
         "the first line containing REV is read as the revision, whatever its name"},
        {"UTC0", {TEXT("FN:First"), TEXT("FN:Second"), TEXT("REV:20100615")},
         Prompt("First", "15.6.2010 0:0", "5.7.2010 9:3"), "the first FN names the contact"},
        {"UTC0", {TEXT("REV:20100615"), TEXT("REV:19990101")},
         Prompt("", "15.6.2010 0:0", "5.7.2010 9:3"), "the first REV line"},
        {"UTC0", {TEXT("REV:--0503")}, Prompt("", "0.3.0 0:0", "5.7.2010 9:3"),
         "a short revision text shows what stands at the positions, no failure"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        setenv("TZ", c.zone, 1);
        tzset();
        PromptRecorder prompt(IDNO);
        std::vector<WString> lines = {TEXT("BEGIN:VCARD"), TEXT("UID:u")};
        lines.insert(lines.end(), c.card.begin(), c.card.end());
        TestCard card(lines);
        ImportCard(card.lines);
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(Utf8(prompt.shown[0].text), c.expected);
    }
}

TEST_F(CardPrompt, BoxHasNoOwnerNoCaptionAndYesNoCancelWarningStyle) {
    PromptRecorder prompt(IDNO);
    TestCard card{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("REV:20100615")};
    ImportCard(card.lines);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].owner, nullptr);
    EXPECT_EQ(Utf8(prompt.shown[0].caption), "");  // the empty text, not null
    EXPECT_EQ(prompt.shown[0].style, 0x33u);         // Yes/No/Cancel with the warning icon
}

TEST_F(CardPrompt, WarningIsRussianWhateverTheLanguage) {
    for (const WCHAR* language : {TEXT("English"), TEXT("Russian")}) {
        SCOPED_TRACE(Utf8(language));
        StoreLanguage(language);
        PromptRecorder prompt(IDNO);
        TestCard card{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("FN:A"), TEXT("REV:20100615")};
        ImportCard(card.lines);
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(Utf8(prompt.shown[0].text), Prompt("A", "15.6.2010 0:0", "5.7.2010 9:3"));
    }
}

TEST_F(CardPrompt, OnlyYesOverwritesAndTheNextCardIsImportedEitherWay) {
    struct Case {
        int answer;
        bool overwrites;
        const char* why;
    } cases[] = {
        {IDYES, true, "Yes goes on"},
        {IDNO, false, "No skips the card"},
        {IDCANCEL, false, "Cancel skips only this card"},
        {0, false, "a failed box skips"},
        {IDOK, false, "any other answer skips"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        SetUp();
        PromptRecorder prompt(c.answer);
        TestCard existing{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("FN:New"),
                          TEXT("N:New"), TEXT("REV:20100615"), TEXT("TEL:1")};
        TestCard next{TEXT("BEGIN:VCARD"), TEXT("UID:v"), TEXT("FN:Next")};
        ImportCard(existing.lines);
        ImportCard(next.lines);
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(Utf8(host.Field(TEXT("u"), "LastName")), c.overwrites ? "New" : "Old");
        EXPECT_EQ(host.Contact(TEXT("u")).communications.size(), c.overwrites ? 1u : 0u);
        EXPECT_EQ(CallsNamed({"SaveChanges"}).size(), c.overwrites ? 2u : 1u);
        ASSERT_EQ(host.contacts.count(TEXT("v")), 1u);
        EXPECT_EQ(Utf8(host.Field(TEXT("v"), "Title")), "Next");
    }
}

TEST_F(CardPrompt, NothingIsWrittenBeforeTheAnswer) {
    PromptRecorder prompt(IDYES);
    TestCard card{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("FN:A"), TEXT("REV:20100615")};
    ImportCard(card.lines);
    ASSERT_EQ(prompt.shown.size(), 1u);
    std::vector<std::string> before(host.calls.begin(),
                                    host.calls.begin() + static_cast<long>(prompt.shown[0].callsBefore));
    EXPECT_EQ(JoinLines(before),
              JoinLines({"IsPresent(u)", "GetDateModification(u)",
                         "GetSystemTimeFromOleDate(40364.4)"}));
    // After Yes, the title comes first.
    ASSERT_GT(host.calls.size(), before.size());
    EXPECT_EQ(host.calls[before.size()], "SetTitle(u,A)");
}

TEST_F(CardPrompt, NoBoxWithoutRevisionOrForANewContact) {
    struct Case {
        std::vector<WString> card;
        std::vector<std::string> expectedCalls;  // setters and inserts, getters left out
        const char* why;
    } cases[] = {
        {{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("FN:A"), TEXT("N:New")}, {},
         "known UID without any REV line: skipped silently"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("rev:20100615"), TEXT("N:New")}, {},
         "lower-case rev is no revision"},
        {{TEXT("BEGIN:VCARD"), TEXT("UID:w"), TEXT("REV:20100615")},
         {"Insert(w,root,,40344.5)", "SetTitle(w,)", "SaveChanges(w)"},
         "a new contact is never prompted for"},
        {{TEXT("BEGIN:VCARD"), TEXT("REV:20100615")},
         {"Insert(,root,,40344.5)", "SetTitle(uid-1,)", "SaveChanges(uid-1)"},
         "no UID: a new contact, no prompt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        SetUp();
        host.logGetters = false;
        PromptRecorder prompt(IDYES);
        TestCard card(c.card);
        ImportCard(card.lines);
        EXPECT_TRUE(prompt.shown.empty());
        EXPECT_EQ(JoinLines(host.calls), JoinLines(c.expectedCalls));
        EXPECT_EQ(Utf8(host.Field(TEXT("u"), "LastName")), "Old");
    }
}

TEST_F(CardPrompt, EveryKnownCardAsksAgain) {
    host.Add(TEXT("root"), TEXT("v"));
    PromptRecorder prompt(std::vector<int>{IDYES, IDNO, IDYES});
    TestCard first{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("N:U1"), TEXT("REV:20100615")};
    TestCard second{TEXT("BEGIN:VCARD"), TEXT("UID:v"), TEXT("N:V1"), TEXT("REV:20100615")};
    TestCard again{TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("N:U2"), TEXT("REV:20100615")};
    ImportCard(first.lines);
    ImportCard(second.lines);
    ImportCard(again.lines);
    EXPECT_EQ(prompt.shown.size(), 3u);
    struct Case {
        const WCHAR* uid;
        const char* expected;
        const char* why;
    } cases[] = {
        {TEXT("u"), "U2", "Yes, then Yes again for the same contact"},
        {TEXT("v"), "", "No for the second card, not remembered for the third"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Utf8(host.Field(c.uid, "LastName")), c.expected);
    }
}

}  // namespace
