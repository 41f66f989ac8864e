// The bad-input catalogue of the importer: files that are broken in one way each
// go through the whole import (sniff, decode, cut, every card step) against the
// fake host. Every case must return normally, keep the host's change bracket
// paired, and import the cards around the bad spot. Large inputs are generated.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "fake_host.h"
#include "figures.h"
#include "import_catalogue.h"
#include "import_command.h"
#include "ole_date.h"
#include "zamo_child.h"
#include "zamo_process.h"
#include "zamo_win32_ext.h"

using namespace std::string_literals;

namespace {

constexpr long kUnchecked = -1;

int AnswerYes(void*, HWND, LPCWSTR, LPCWSTR, UINT) { return IDYES; }

class ImportCatalogue : public testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
        FakeHost::Get().Reset();
        ZamoWin32_SetMessageBoxHandler(AnswerYes, nullptr);
    }
    void TearDown() override {
        ZamoWin32_SetMessageBoxHandler(nullptr, nullptr);
        ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
        FakeHost::Get().Reset();
    }
};

std::string Repeat(const std::string& piece, size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) out += piece;
    return out;
}

// UTF-16LE bytes of code units given as numbers, so lone surrogates can be written.
std::string Utf16LeBytes(const std::vector<unsigned>& units) {
    std::string out;
    for (unsigned u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}
std::vector<unsigned> Units(const std::string& ascii) {
    return std::vector<unsigned>(ascii.begin(), ascii.end());
}
std::vector<unsigned> operator+(std::vector<unsigned> a, const std::vector<unsigned>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool HasTitleStartingWith(const std::string& prefix) {
    for (const std::string& t : Titles())
        if (t.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

struct FileCase {
    const char* name;
    std::function<std::string()> file;
    std::vector<std::string> imported;  // title prefixes that must be in the host
    long cards;                         // cards that must reach the importer
    const char* why;
};

const std::string kBefore = TitleCard("Before");
const std::string kAfter = TitleCard("After");

// Expected card counts are counted by hand from the rule "a card runs from a line
// holding BEGIN:VCARD to the first line holding END:VCARD".
const FileCase kFileCases[] = {
    {"invalid UTF-8",
     [] {
         return kBefore +
                "BEGIN:VCARD\nFN:Bad \xC3\x28 \xFF\xFE \xED\xA0\x80 \xC0\xAF \xF8\x88\x80\x80\x80 \xE2\x82\n"
                "N:\x80\x80;\xF0\x9F\nTEL:\xC3\n\xE2\x82\xAC" "END:VCARD\n" + kAfter;
     },
     {"Before", "Bad", "After"}, 3,
     "stray continuation bytes, truncated and overlong sequences, encoded surrogates; "
     "a truncated sequence before END:VCARD must not swallow the marker"},
    {"lone surrogates in UTF-16LE",
     [] {
         return "\xFF\xFE" + Utf16LeBytes(Units(kBefore) + Units("BEGIN:VCARD\nFN:Lone ") +
                                          std::vector<unsigned>{0xD800, 'x', 0xDC00, '\n'} +
                                          Units("N:") + std::vector<unsigned>{0xDFFF, ';', 0xD83D} +
                                          Units("\nEND:VCARD\n") + Units(kAfter));
     },
     {"Before", "Lone", "After"}, 3, "high and low surrogates without their partner"},
    {"NUL bytes",
     [] {
         return kBefore + "BEGIN:VCARD\nFN:Nul\nNOTE:a\0b\nTEL:1\0\0\n\0\nEND:VCARD\n"s +
                kAfter;
     },
     {"Before", "Nul", "After"}, 3, "NULs inside lines and a line of a NUL alone"},
    {"CR-only line ends",
     [] { return kBefore + "BEGIN:VCARD\rFN:Cr\rEND:VCARD\rBEGIN:VCARD\rFN:Cr2\rEND:VCARD\r"; },
     {"Before"}, kUnchecked,
     "old Mac line ends: read as one line holding both markers, or as lines; either way no fault"},
    {"mixed line ends",
     [] {
         return Card({"FN:Before"}, "\r\n") + "BEGIN:VCARD\nFN:Mixed\r\nN:M;X\rTEL:1\n\rEND:VCARD\r\n" +
                kAfter;
     },
     {"Before", "Mixed", "After"}, 3, "CR LF, LF and lone CR in one file"},
    {"no END:VCARD",
     [] { return kBefore + "BEGIN:VCARD\nFN:Unended\nTEL:1"; },
     {"Before", "Unended"}, 2, "the last card runs to the end of the file"},
    {"nested BEGIN",
     [] {
         return kBefore + "BEGIN:VCARD\nFN:Outer\nBEGIN:VCARD\nFN:Inner\nEND:VCARD\nEND:VCARD\n" +
                kAfter;
     },
     {"Before", "Outer", "After"}, 3,
     "the inner BEGIN is a card line; the card ends at the first END:VCARD"},
    {"a 10 MB single line",
     [] {
         return kBefore + "BEGIN:VCARD\nFN:Long\nNOTE:" + std::string(10 << 20, 'x') +
                "\nEND:VCARD\n" + kAfter;
     },
     {"Before", "Long", "After"}, 3, "a line far beyond every read buffer"},
    {"a million one-line cards",
     [] { return kBefore + Repeat("BEGIN:VCARD UID:same END:VCARD\n", 1000000) + kAfter; },
     {"Before", "After"}, 1000002,
     "each line holds both markers, so each is a card; all but the first name a present contact"},
    {"=0D=0A= at the end of every line of a 50,000-line card",
     [] {
         return kBefore + "BEGIN:VCARD\nFN:Qp=0D=0A=\nNOTE:n=0D=0A=\n" +
                Repeat("x=0D=0A=\n", 49998) + "END:VCARD\n" + kAfter;
     },
     {"Before", "Qp", "After"}, 3, "every line continues the one before: one property of the whole card"},
    {"a trailing backslash",
     [] {
         return kBefore + Card({"FN:Slash\\", "N:a;b\\", "NOTE:x\\", "ADR;TYPE=HOME:;;s\\", "TEL:1\\",
                                "UID:u\\"}) + kAfter;
     },
     {"Before", "Slash\\", "After"}, 3, "an escape with nothing to escape at the end of the value"},
    {"escaped backslash before a separator",
     [] { return kBefore + Card({"FN:Esc", "N:a\\\\;b\\\\", "NOTE:\\\\;\\\\:\\\\,"}) + kAfter; },
     {"Before", "Esc", "After"}, 3, "\"\\\\;\" leaves one backslash and the separator inside"},
    {"empty UIDs",
     [] { return Card({"UID:", "FN:E1"}) + Card({"UID:", "FN:E2"}) + Card({"UID", "FN:E3"}); },
     {"E1", "E2", "E3"}, 3, "an empty identifier is never present, so every card is a new contact"},
    {"colliding UIDs",
     [] {
         return kBefore + Card({"UID:same", "FN:First", "REV:20100615"}) +
                Card({"UID:same", "FN:Second", "REV:20100616"}) + kAfter;
     },
     {"Before", "Second", "After"}, 4, "the second card overwrites the first after the answer Yes"},
    {"a UID naming the root",
     [] { return Card({"UID:root", "FN:NotRoot"}, "\r\n") + "X-CHARSET:windows-1251\n" + kAfter; },
     {"NotRoot", "After"}, 2, "the tree's top is no contact and must not be overwritten"},
    {"empty file", [] { return std::string(); }, {}, 0, "nothing at all"},
    {"only markers",
     [] { return std::string("END:VCARD\nBEGIN:VCARD\n"); }, {}, 1,
     "an end before any start is outside cards; a start at the very end is a card of one line"},
};

TEST_F(ImportCatalogue, EveryBrokenFileReturnsAndKeepsTheCardsAround) {
    Figures figures("catalogue");
    for (const FileCase& c : kFileCases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.why);
        figures.StartCase();
        FakeHost::Get().Reset();
        FakeHost::Get().quiet = {""};  // a million cards: keep no log
        ImportRun run = ImportBytes(c.file());
        EXPECT_FALSE(run.threw) << run.error;
        EXPECT_EQ(run.bracketStarts, 1u);
        EXPECT_EQ(run.bracketEnds, 1u);
        if (c.cards != kUnchecked) {
            EXPECT_EQ(run.cards, static_cast<size_t>(c.cards));
        }
        for (const std::string& title : c.imported) {
            SCOPED_TRACE("card " + title);
            EXPECT_KEPT(figures, HasTitleStartingWith(title));
        }
    }
}

// The same files through the zamo program, the overwrite prompt answered Yes:
// the real modules, the real host and its database. Every file imports (exit 0), the database stays whole, and the
// cards around the bad spot are in it.
TEST(ImportCatalogueThroughZamo, EveryBrokenFileLeavesAWholeDatabase) {
    Figures figures("catalogue");
    for (const FileCase& c : kFileCases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.why);
        figures.StartCase();
        TempFolder folder;
        std::string file = folder.Write("catalogue.vcf", c.file());
        std::string db = folder.File("contacts.db");
        ZamoResult r = RunZamo({"--db", db, "import", "--overwrite", "yes", file}, "", {{"TZ", "UTC0"}});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_KEPT_EQ(figures, QueryDatabase(db, "PRAGMA integrity_check"), "ok");
        std::string titles = "\n" + QueryDatabase(db, "SELECT title FROM contact ORDER BY id");
        for (const std::string& title : c.imported) {
            SCOPED_TRACE("card " + title);
            EXPECT_KEPT(figures, titles.find("\n" + title) != std::string::npos);
        }
    }
}

// Each TEL line asks the host for the contact's communications so far, so the
// cost grows with the square of the distinct numbers; 1,000 distinct numbers and
// 8,999 repeats of the first (as telephone and as fax) keep the case quick under
// the sanitizers while every line still goes through the whole step.
TEST_F(ImportCatalogue, TenThousandTelephonesOnOneCardLoseAndDoubleNothing) {
    Figures figures("catalogue");
    figures.StartCase();
    std::vector<std::string> lines{"UID:many", "FN:Tels", "TEL:100000", "TEL;TYPE=FAX:100000"};
    for (int i = 1; i < 1000; ++i) lines.push_back("TEL:" + std::to_string(100000 + i));
    for (int i = 0; i < 8999; ++i) lines.push_back(i % 2 ? "TEL:100000" : "TEL;TYPE=FAX:100000");
    FakeHost::Get().quiet = {""};
    ImportRun run = ImportBytes("X-CHARSET:windows-1251\n" + Card(lines) + kAfter);
    ASSERT_FALSE(run.threw) << run.error;
    WString uid = UidOfTitle("Tels");
    ASSERT_FALSE(uid.empty());
    const auto& comms = FakeHost::Get().Contact(uid).communications;
    // The telephone and the fax of the first number, then 999 more telephones; the
    // repeats add nothing.
    EXPECT_KEPT_EQ(figures, comms.size(), 1001u);
    ASSERT_EQ(comms.size(), 1001u);
    EXPECT_EQ(Utf8(comms[0].kind) + " " + Utf8(comms[0].value), "tel 100000");
    EXPECT_EQ(Utf8(comms[1].kind) + " " + Utf8(comms[1].value), "fax 100000");
    EXPECT_EQ(Utf8(comms[1000].kind) + " " + Utf8(comms[1000].value), "tel 100999");
    EXPECT_KEPT(figures, !UidOfTitle("After").empty());
}

// Birthdays that fit no date form well. Expected OLE dates: 3 May 1980 is day
// 29344 and 15 June 2010 day 40344 after 30 December 1899 (Python's datetime);
// 09:30 is 0.3958333 of a day. Texts that give no valid date reach the host as
// an impossible SYSTEMTIME, which the host stores as its empty date.
TEST_F(ImportCatalogue, MalformedDatesNeverEndTheImport) {
    struct DateCase {
        const char* text;
        double birthDate;
        const char* why;
    } cases[] = {
        {"--0305", kOleEmptyDate, "a date without year, shorter than the extended form"},
        {"T", kOleEmptyDate, "a lone time marker: every field lies beyond the text"},
        {"-", kOleEmptyDate, "a lone hyphen"},
        {"1980-5-03", 29344, "nine characters with a hyphen: the extended reading wins"},
        {"20100615T093000+0400", 40344 + 0.3958333333, "the offset is not read; UTC zone"},
        {"19800005", kOleEmptyDate, "month 0"},
        {"-1980-05-03", kOleEmptyDate, "a negative year wraps to 65338"},
        {"1980-03-05T", kOleEmptyDate, "hyphens and T: month read as 0 at the basic position"},
        {"99999999", kOleEmptyDate, "month 99"},
        {"", kOleEmptyDate, "an empty value"},
    };
    Figures figures("catalogue");
    for (const DateCase& c : cases) {
        SCOPED_TRACE(std::string("BDAY:") + c.text + " (" + c.why + ")");
        figures.StartCase();
        FakeHost::Get().Reset();
        // windows-1251, so the value reaches the parser without its line feed.
        ImportRun run = ImportBytes("X-CHARSET:windows-1251\n" +
                                    Card({"FN:Dated", std::string("BDAY:") + c.text}) + kAfter);
        ASSERT_FALSE(run.threw) << run.error;
        WString uid = UidOfTitle("Dated");
        ASSERT_FALSE(uid.empty());
        EXPECT_NEAR(FakeHost::Get().Contact(uid).birthDate, c.birthDate, 1e-6);
        EXPECT_KEPT(figures, !UidOfTitle("After").empty());

        // The same text as the revision of a present contact: the prompt still comes.
        FakeHost::Get().Reset();
        FakeHost::Get().Add(TEXT("root"), TEXT("known"));
        int prompts = 0;
        ZamoWin32_SetMessageBoxHandler(
            [](void* count, HWND, LPCWSTR, LPCWSTR, UINT) {
                ++*static_cast<int*>(count);
                return IDNO;
            },
            &prompts);
        run = ImportBytes("X-CHARSET:windows-1251\n" +
                          Card({"UID:known", "FN:Known", std::string("REV:") + c.text}) + kAfter);
        ZamoWin32_SetMessageBoxHandler(AnswerYes, nullptr);
        ASSERT_FALSE(run.threw) << run.error;
        EXPECT_EQ(prompts, 1);
        EXPECT_KEPT(figures, !UidOfTitle("After").empty());
    }
}

// The open dialog answered with paths, some of which cannot be read.
struct ChosenFiles {
    WString list;  // full paths, each NUL-ended, then one more NUL
    std::function<void()> afterAnswer;
};

BOOL AnswerOpen(void* context, BOOL, const OPENFILENAMEW*, const WCHAR** files) {
    auto* chosen = static_cast<ChosenFiles*>(context);
    *files = chosen->list.c_str();
    if (chosen->afterAnswer) chosen->afterAnswer();
    return TRUE;
}

TEST_F(ImportCatalogue, ChosenFilesThatCannotBeReadAreSkipped) {
    struct CommandCase {
        const char* name;
        std::vector<std::string> chosen;  // names in the folder, in dialog order
        std::function<void(const TempFolder&)> prepare;
        std::function<void(const TempFolder&)> afterDialog;
        std::string deleteAtFirstSave;  // removed while the first card is saved
        std::vector<std::string> imported;
        const char* why;
    } cases[] = {
        {"a directory among the files", {"a.vcf", "dir.vcf", "c.vcf"},
         [](const TempFolder& f) { mkdir(f.File("dir.vcf").c_str(), 0755); }, nullptr, "",
         {"A", "C"}, "a folder named like a vCard file reads as nothing"},
        {"a missing file among the files", {"a.vcf", "gone.vcf", "c.vcf"}, nullptr, nullptr, "",
         {"A", "C"}, "a name the dialog gave that does not exist"},
        {"a file that vanishes after the dialog", {"a.vcf", "b.vcf", "c.vcf"}, nullptr,
         [](const TempFolder& f) { std::remove(f.File("b.vcf").c_str()); }, "", {"A", "C"},
         "deleted between the answer and the read"},
        {"a file that vanishes while an earlier one imports", {"a.vcf", "b.vcf", "c.vcf"}, nullptr,
         nullptr, "b.vcf", {"A", "C"}, "deleted while the first file's card is saved"},
    };
    Figures figures("catalogue");
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.why);
        figures.StartCase();
        FakeHost::Get().Reset();
        TempFolder folder;
        folder.Write("a.vcf", TitleCard("A"));
        folder.Write("b.vcf", TitleCard("B"));
        folder.Write("c.vcf", TitleCard("C"));
        if (c.prepare) c.prepare(folder);
        ChosenFiles chosen;
        for (const std::string& name : c.chosen) {
            chosen.list += Utf16(folder.File(name));
            chosen.list.push_back(0);
        }
        chosen.list.push_back(0);
        if (c.afterDialog) chosen.afterAnswer = [&] { c.afterDialog(folder); };
        if (!c.deleteAtFirstSave.empty()) {
            std::string doomed = folder.File(c.deleteAtFirstSave);
            FakeHost::Get().beforeCall = [doomed](const std::string& entry) {
                if (entry.compare(0, 12, "SaveChanges(") == 0) std::remove(doomed.c_str());
            };
        }
        ZamoWin32_SetFileDialogHandler(AnswerOpen, &chosen);
        ImportVCardFiles();
        FakeHost::Get().beforeCall = nullptr;

        size_t starts = 0, ends = 0;
        for (const std::string& call : FakeHost::Get().calls) {
            starts += call == "ChangesStart()";
            ends += call == "ChangesEnd()";
        }
        EXPECT_EQ(starts, ends) << "every opened bracket is closed";
        for (const std::string& title : c.imported) {
            SCOPED_TRACE("card " + title);
            EXPECT_KEPT(figures, !UidOfTitle(title).empty());
        }
    }
}

}  // namespace
