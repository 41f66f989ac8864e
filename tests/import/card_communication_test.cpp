// The ten communication steps and the duplicate test against what the contact
// already has. Expected kinds, values and sub-kinds are written by hand from the
// property table: TEL -> tel/fax, URL -> www, EMAIL -> eml, X-ICQ ... X-JABBER ->
// msg with the messenger's name.
#include <gtest/gtest.h>

#include "card_import.h"
#include "card_test_support.h"
#include "communication_import.h"
#include "zamo_host.h"

namespace {

class CardCommunication : public ::testing::Test {
protected:
    void SetUp() override { FakeHost::Get().Reset(); }
    FakeHost& host = FakeHost::Get();
};

FakeCommunication Comm(const WString& kind, const WString& value, const WCHAR* subKind = nullptr) {
    FakeCommunication c;
    c.kind = kind;
    c.value = value;
    c.hasSubKind = subKind != nullptr;
    c.subKind = subKind ? subKind : TEXT("");
    return c;
}

TEST_F(CardCommunication, EachPropertyAddsItsKind) {
    struct Case {
        std::vector<WString> card;
        std::vector<std::string> expected;  // AddCommunication calls
        const char* why;
    } cases[] = {
        {{TEXT("TEL;TYPE=WORK:123")}, {"AddCommunication(u,tel,123,null)"}, "work phone is tel"},
        {{TEXT("TEL;TYPE=FAX:456")}, {"AddCommunication(u,fax,456,null)"}, "fax"},
        {{TEXT("TEL;TYPE=WORK,FAX:456")}, {"AddCommunication(u,fax,456,null)"},
         "FAX inside a list"},
        {{TEXT("TEL;WORK;FAX:456")}, {"AddCommunication(u,fax,456,null)"}, "bare FAX word"},
        {{TEXT("TEL;type=fax:456")}, {"AddCommunication(u,tel,456,null)"},
         "lower-case fax is a telephone"},
        {{TEXT("TEL;X;TYPE=FX,AX,XFA,X-PAGER:456")}, {"AddCommunication(u,tel,456,null)"},
         "X, FA and AX apart are no FAX"},
        {{TEXT("TEL;X-FAXES:456")}, {"AddCommunication(u,fax,456,null)"}, "FAX inside a longer word"},
        {{TEXT("TEL;TYPE=CELL;TYPE=VOICE:789")}, {"AddCommunication(u,tel,789,null)"},
         "other parameters have no effect"},
        {{TEXT("TEL:123;ext")}, {"AddCommunication(u,tel,123,null)"}, "first component only"},
        {{TEXT("TEL:")}, {"AddCommunication(u,tel,,null)"}, "an empty value is added"},
        {{TEXT("TEL:1"), TEXT("TEL:1")}, {"AddCommunication(u,tel,1,null)"},
         "an identical second line adds nothing"},
        {{TEXT("TEL:1"), TEXT("TEL;TYPE=FAX:1")},
         {"AddCommunication(u,tel,1,null)", "AddCommunication(u,fax,1,null)"},
         "same number, other kind: both"},
        {{TEXT("URL:http://a.example:8080/x")}, {"AddCommunication(u,www,http://a.example:8080/x,null)"},
         "web address keeps its colons"},
        {{TEXT("EMAIL;TYPE=INTERNET:a@x")}, {"AddCommunication(u,eml,a@x,null)"}, "e-mail"},
        {{TEXT("X-ICQ:1")}, {"AddCommunication(u,msg,1,ICQ)"}, "ICQ"},
        {{TEXT("X-GTALK:2")}, {"AddCommunication(u,msg,2,GTALK)"}, "GTALK"},
        {{TEXT("X-AIM:3")}, {"AddCommunication(u,msg,3,AIM)"}, "AIM"},
        {{TEXT("X-YAHOO:4")}, {"AddCommunication(u,msg,4,YAHOO)"}, "YAHOO"},
        {{TEXT("X-SKYPE:5")}, {"AddCommunication(u,msg,5,SKYPE)"}, "SKYPE"},
        {{TEXT("X-MSN:6")}, {"AddCommunication(u,msg,6,MSN)"}, "MSN"},
        {{TEXT("X-JABBER:7")}, {"AddCommunication(u,msg,7,JABBER)"}, "JABBER"},
        {{TEXT("X-AIM:12345"), TEXT("X-ICQ:12345")}, {"AddCommunication(u,msg,12345,ICQ)"},
         "one handle under two messengers: once, with the step that runs first"},
        {{TEXT("X-JABBER:j"), TEXT("EMAIL:e"), TEXT("URL:w"), TEXT("TEL:t")},
         {"AddCommunication(u,tel,t,null)", "AddCommunication(u,www,w,null)",
          "AddCommunication(u,eml,e,null)", "AddCommunication(u,msg,j,JABBER)"},
         "steps run in their order, not the card's"},
        {{TEXT("TITLE:HOTEL manager"), TEXT("X-TELEX:1"), TEXT("tel:2"), TEXT("item1.TEL:3")},
         {}, "names containing TEL are not TEL"},
        {{TEXT("item1.EMAIL:a@x"), TEXT("email:b@x"), TEXT("X-EMAIL:c@x")}, {},
         "only lines named exactly EMAIL"},
        {{TEXT("X-ICQ-UIN:1"), TEXT("X-MSNX:2")}, {}, "longer messenger names"},
        {{TEXT("TEL")}, {"AddCommunication(u,tel,TEL,null)"},
         "no colon: the whole text is name and value"},
        {{TEXT("TEL;TYPE=FAX")}, {}, "no colon with parameters: the name is not TEL"},
        {{TEXT("EMAIL:a@x"), TEXT("EMAIL:A@x")},
         {"AddCommunication(u,eml,a@x,null)", "AddCommunication(u,eml,A@x,null)"},
         "values compare case-sensitively"},
        {{WString(TEXT("TEL:1\0x"), 7), WString(TEXT("TEL:1\0y"), 7)},
         {"AddCommunication(u,tel,1,null)"},
         "the host keeps a value up to a NUL, so the second line is already there"},
        {{TEXT("TEL:1"), TEXT("TEL:1 ")},
         {"AddCommunication(u,tel,1,null)", "AddCommunication(u,tel,1 ,null)"},
         "no trimming: a trailing blank is another value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ImportCardOfU(c.card);
        EXPECT_EQ(JoinLines(CallsNamed({"AddCommunication"})), JoinLines(c.expected));
    }
}

TEST_F(CardCommunication, ExistingCommunicationsAreNotAddedAgain) {
    struct Case {
        std::vector<FakeCommunication> existing;
        WString line;
        std::vector<std::string> expected;
        const char* why;
    } cases[] = {
        {{Comm(TEXT("tel"), TEXT("123"))}, TEXT("TEL:123"), {}, "same kind and value"},
        {{Comm(TEXT("fax"), TEXT("123"))}, TEXT("TEL:123"), {"AddCommunication(u,tel,123,null)"},
         "a fax of the same number does not stop a telephone"},
        {{Comm(TEXT("msg"), TEXT("42"), TEXT("AIM"))}, TEXT("X-ICQ:42"), {},
         "the sub-kind is not compared"},
        {{Comm(TEXT("tel"), TEXT("1")), Comm(TEXT("eml"), TEXT("e")), Comm(TEXT("tel"), TEXT("9"))},
         TEXT("TEL:9"), {}, "found at the last index"},
        {{Comm(TEXT("tel"), TEXT("123\n"))}, TEXT("TEL:123"), {},
         "a stored value with one line feed (the earlier importer's) is the same value"},
        {{Comm(TEXT("tel"), TEXT("123\n\n"))}, TEXT("TEL:123"), {"AddCommunication(u,tel,123,null)"},
         "two line feeds make another value"},
        {{Comm(TEXT("tel"), TEXT("123 "))}, TEXT("TEL:123"), {"AddCommunication(u,tel,123,null)"},
         "only a line feed is forgiven, no other character"},
        {{Comm(TEXT("tel"), TEXT("\n"))}, TEXT("TEL:"), {}, "an empty value stored as a line feed"},
        {{Comm(TEXT("eml"), TEXT("A@X"))}, TEXT("EMAIL:a@x"), {"AddCommunication(u,eml,a@x,null)"},
         "case-sensitive"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        host.Reset();
        host.Add(TEXT("root"), TEXT("u"));
        host.Contact(TEXT("u")).communications = c.existing;
        PromptRecorder prompt(IDYES);
        TestCard card({TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("REV:20100615"), c.line});
        ImportCard(card.lines);
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(JoinLines(CallsNamed({"AddCommunication"})), JoinLines(c.expected));
        // Nothing the contact had is gone.
        const auto& now = host.Contact(TEXT("u")).communications;
        ASSERT_GE(now.size(), c.existing.size());
        for (size_t i = 0; i < c.existing.size(); ++i)
            EXPECT_EQ(Utf8(now[i].value), Utf8(c.existing[i].value));
    }
}

TEST_F(CardCommunication, HasCommunicationComparesKindAndValueExactly) {
    host.Add(TEXT("root"), TEXT("u"));
    host.Contact(TEXT("u")).communications = {Comm(TEXT("tel"), TEXT("1")),
                                              Comm(TEXT("msg"), TEXT("x"), TEXT("ICQ")),
                                              Comm(TEXT("eml"), TEXT(""))};
    struct Case {
        WString uid, kind, value;
        bool expected;
        const char* why;
    } cases[] = {
        {TEXT("u"), TEXT("tel"), TEXT("1"), true, "first entry"},
        {TEXT("u"), TEXT("msg"), TEXT("x"), true, "sub-kind ignored"},
        {TEXT("u"), TEXT("eml"), TEXT(""), true, "empty value matches empty value"},
        {TEXT("u"), TEXT("fax"), TEXT("1"), false, "other kind"},
        {TEXT("u"), TEXT("tel"), TEXT("1 "), false, "no trimming"},
        {TEXT("u"), TEXT("TEL"), TEXT("1"), false, "kind is case-sensitive"},
        {TEXT("nobody"), TEXT("tel"), TEXT("1"), false, "no such contact: count 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(HasCommunication(c.uid, c.kind, c.value), c.expected);
    }
}

TEST_F(CardCommunication, AskingTheHostStopsAtTheFirstMatch) {
    host.Add(TEXT("root"), TEXT("u"));
    host.Contact(TEXT("u")).communications = {Comm(TEXT("tel"), TEXT("1")),
                                              Comm(TEXT("tel"), TEXT("2")),
                                              Comm(TEXT("tel"), TEXT("3"))};
    host.calls.clear();
    EXPECT_TRUE(HasCommunication(TEXT("u"), TEXT("tel"), TEXT("2")));
    EXPECT_EQ(JoinLines(host.calls),
              JoinLines({"GetCommunicationsCount(u)", "GetCommunication(u,0)",
                         "GetCommunication(u,1)"}));
}

// The card's communications checked against one reading of the contact's (and
// what the card added) give the same additions, in the same order, as asking
// the host with HasCommunication before every line, over random cards and
// random existing communications (values with and without line feeds, cut at a
// NUL), small ones and ones of many lines and distinct values.
TEST_F(CardCommunication, OneReadingPerCardAddsWhatAskingEachTimeAdds) {
    const WString properties[] = {TEXT("TEL"), TEXT("TEL;TYPE=FAX"), TEXT("EMAIL"), TEXT("X-ICQ"),
                                  TEXT("X-AIM"), TEXT("URL")};
    const WString values[] = {TEXT("1"),  TEXT("2"),    TEXT(""), TEXT("a\\;b"),
                              TEXT("1\n"), TEXT("\n"), WString(TEXT("1\0x"), 3)};
    const WString stored[] = {TEXT("1"), TEXT("1\n"), TEXT("2\n\n"), TEXT(""), TEXT("\n"),
                              TEXT("a;b")};
    const WString kinds[] = {TEXT("tel"), TEXT("fax"), TEXT("eml"), TEXT("msg")};
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<FakeCommunication> existing;
        for (unsigned i = next(4); i > 0; --i)
            existing.push_back(Comm(kinds[next(4)], stored[next(6)]));
        std::vector<WString> lines = {TEXT("BEGIN:VCARD"), TEXT("UID:u"), TEXT("REV:20100615")};
        const bool many = round % 10 == 0;
        for (unsigned i = many ? 60 + next(60) : next(8); i > 0; --i) {
            WString value = values[next(7)];
            if (many) value = Utf16(std::to_string(next(40))) + value;
            lines.push_back(properties[next(6)] + TEXT(":") + value);
        }

        // The plain way: every line of each step, asking the host each time.
        host.Reset();
        host.Add(TEXT("root"), TEXT("u"));
        host.Contact(TEXT("u")).communications = existing;
        TestCard plainCard(lines);
        struct Step {
            WString property;
            const WCHAR* kind;
            const WCHAR* subKind;
        } steps[] = {{TEXT("TEL"), TEXT("tel"), nullptr},   {TEXT("TEL;TYPE=FAX"), TEXT("fax"), nullptr},
                     {TEXT("URL"), TEXT("www"), nullptr},   {TEXT("EMAIL"), TEXT("eml"), nullptr},
                     {TEXT("X-ICQ"), TEXT("msg"), TEXT("ICQ")}, {TEXT("X-AIM"), TEXT("msg"), TEXT("AIM")}};
        std::vector<std::string> plain;
        // TEL and TEL;TYPE=FAX lines form one step, in card order.
        for (size_t s = 0; s < 6; ++s) {
            if (s == 1) continue;
            for (const WString& line : lines) {
                for (size_t k = 0; k < 6; ++k) {
                    if (k != s && !(s == 0 && k == 1)) continue;
                    const WString prefix = steps[k].property + TEXT(":");
                    if (line.compare(0, prefix.size(), prefix) != 0) continue;
                    WString value = line.substr(prefix.size());
                    const size_t escape = value.find(TEXT("\\;"));
                    if (escape != WString::npos) value.erase(escape, 1);
                    value = value.c_str();  // the host keeps a value up to a NUL
                    if (HasCommunication(TEXT("u"), steps[k].kind, value)) continue;
                    AddinZamo_Contact_AddCommunication(TEXT("u"), steps[k].kind, value.c_str(),
                                                       steps[k].subKind);
                }
            }
        }
        for (const std::string& call : CallsNamed({"AddCommunication"})) plain.push_back(call);

        host.Reset();
        host.Add(TEXT("root"), TEXT("u"));
        host.Contact(TEXT("u")).communications = existing;
        PromptRecorder prompt(IDYES);
        ImportCard(plainCard.lines);
        EXPECT_EQ(JoinLines(CallsNamed({"AddCommunication"})), JoinLines(plain));
    }
}

}  // namespace
