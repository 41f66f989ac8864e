/* The import module end to end: the zamo program loads the real modules over an
 * SQLite database in a temporary folder, imports multi-card files (UTF-8 and
 * windows-1251), imports them again with --overwrite yes and no, and shows what
 * each contact holds. Expected field values are written by hand from the cards;
 * windows-1251 bytes come from the code page table. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zamo_process.h"

namespace {

const std::map<std::string, std::string> kUtc = {{"TZ", "UTC0"}};

// Three cards: two with a revision, one without.
const char kFirstImport[] =
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "UID:card-a\r\n"
    "FN:Ann Lee\r\n"
    "N:Lee;Ann;Marie;;\r\n"
    "ORG:Acme;Sales\r\n"
    "TITLE:Engineer\r\n"
    "ADR;TYPE=HOME:;;Main St 1;Springfield;IL;62701;USA\r\n"
    "TEL;TYPE=CELL:+1 555 0100\r\n"
    "TEL;TYPE=WORK,FAX:+1 555 0101\r\n"
    "EMAIL:ann@example.com\r\n"
    "BDAY:19800503\r\n"
    "REV:20100615T093000Z\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "UID:card-b\r\n"
    "FN:Bob Roe\r\n"
    "N:Roe;Bob;;;\r\n"
    "X-SKYPE:bob.roe\r\n"
    "REV:20100615\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "UID:card-c\r\n"
    "FN:Cy Doe\r\n"
    "N:Doe;Cy;;;\r\n"
    "URL:http://cy.example.com/\r\n"
    "END:VCARD\r\n";

// The same contacts changed: new names, a new number, the old ones again.
const char kSecondImport[] =
    "BEGIN:VCARD\r\n"
    "UID:card-a\r\n"
    "FN:Ann Smith\r\n"
    "N:Smith;Ann;;;\r\n"
    "TEL;TYPE=CELL:+1 555 0100\r\n"
    "TEL:+1 555 0199\r\n"
    "REV:20110101T000000Z\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\n"
    "UID:card-b\r\n"
    "FN:Bob Poe\r\n"
    "N:Poe;Bob;;;\r\n"
    "REV:20110101\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\n"
    "UID:card-c\r\n"
    "FN:Cy Moe\r\n"
    "N:Moe;Cy;;;\r\n"
    "END:VCARD\r\n";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class ImportCards : public ::testing::Test {
protected:
    TempFolder tmp;
    std::string db = tmp.File("contacts.db");

    ZamoResult Import(const std::string& file, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {"--db", db, "import", file};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunZamo(args, "", kUtc);
    }
    std::string Show(const std::string& uid) {
        ZamoResult r = RunZamo({"--db", db, "show", uid}, "", kUtc);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    }
    void ExpectLines(const std::string& uid, const std::vector<std::string>& lines) {
        std::string shown = Show(uid);
        for (const std::string& line : lines) {
            SCOPED_TRACE(uid + ": " + line);
            EXPECT_TRUE(Contains(shown, line + "\n")) << shown;
        }
    }
    size_t ContactCount() {
        ZamoResult r = RunZamo({"--db", db, "list", "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return Count(r.out, "\"uid\":");
    }
};

TEST_F(ImportCards, MultiCardUtf8FileCreatesEveryContact) {
    std::string file = tmp.Write("three.vcf", kFirstImport);
    ZamoResult r = Import(file);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "3 contacts created, 0 existing contacts overwritten, 0 cards skipped, "
              "5 communications added\n");
    EXPECT_EQ(ContactCount(), 3u);
    ExpectLines("card-a", {"Parent: root", "Title: Ann Lee", "Last name: Lee",
                           "First name: Ann", "Middle name: Marie", "Company: Acme",
                           "Job title: Engineer", "Home street: Main St 1",
                           "Home city: Springfield", "Home province: IL",
                           "Home postal code: 62701", "Home country: USA",
                           "Birthday: 1980-05-03", "  tel: +1 555 0100", "  fax: +1 555 0101",
                           "  eml: ann@example.com"});
    ExpectLines("card-b", {"Title: Bob Roe", "Last name: Roe", "  msg (SKYPE): bob.roe"});
    ExpectLines("card-c", {"Title: Cy Doe", "Last name: Doe", "  www: http://cy.example.com/"});
}

TEST_F(ImportCards, ImportingAgainFollowsTheOverwriteAnswer) {
    struct Case {
        std::vector<std::string> answer;
        std::string summary;
        std::vector<std::string> expectA, expectB, expectC;
        const char* why;
    } cases[] = {
        {{"--overwrite", "yes"},
         "0 contacts created, 2 existing contacts overwritten, 1 card skipped, "
         "1 communication added\n",
         {"Title: Ann Smith", "Last name: Smith", "Middle name: ", "Company: Acme",
          "  tel: +1 555 0100", "  tel: +1 555 0199", "  fax: +1 555 0101"},
         {"Title: Bob Poe", "Last name: Poe", "  msg (SKYPE): bob.roe"},
         {"Title: Cy Doe", "Last name: Doe"},
         "Yes: the cards with a revision overwrite (N:Smith;Ann;;; clears the middle name),"
         " fields they lack and communications stay, known numbers are not added twice;"
         " the card without one is skipped"},
        {{"--overwrite", "no"},
         "0 contacts created, 0 existing contacts overwritten, 3 cards skipped, "
         "0 communications added\n",
         {"Title: Ann Lee", "Last name: Lee"},
         {"Title: Bob Roe", "Last name: Roe"},
         {"Title: Cy Doe", "Last name: Doe"},
         "No: every known contact stays as it was"},
        {{},
         "0 contacts created, 0 existing contacts overwritten, 3 cards skipped, "
         "0 communications added\n",
         {"Title: Ann Lee"}, {"Title: Bob Roe"}, {"Title: Cy Doe"},
         "no answer and no terminal: nothing is overwritten"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        TempFolder run;
        db = run.File("contacts.db");
        ZamoResult first = Import(run.Write("first.vcf", kFirstImport));
        ASSERT_EQ(first.exitCode, 0) << first.err;
        ZamoResult second = Import(run.Write("second.vcf", kSecondImport), c.answer);
        ASSERT_EQ(second.exitCode, 0) << second.err;
        EXPECT_EQ(second.out, c.summary);
        EXPECT_EQ(ContactCount(), 3u);
        ExpectLines("card-a", c.expectA);
        ExpectLines("card-b", c.expectB);
        ExpectLines("card-c", c.expectC);
        EXPECT_EQ(Count(Show("card-a"), "+1 555 0100"), 1u);
    }
}

TEST_F(ImportCards, Windows1251FileWithCyrillicText) {
    // Иванов = C8 E2 E0 ED EE E2, Пётр = CF B8 F2 F0, Ильич = C8 EB FC E8 F7,
    // Москва = CC EE F1 EA E2 E0, Россия = D0 EE F1 F1 E8 FF (windows-1251 table).
    std::string file = tmp.Write(
        "old.vcf",
        "BEGIN:VCARD\r\n"
        "VERSION:2.1\r\n"
        "UID:old-1\r\n"
        "N;CHARSET=windows-1251:\xC8\xE2\xE0\xED\xEE\xE2;\xCF\xB8\xF2\xF0;\xC8\xEB\xFC\xE8\xF7\r\n"
        "FN;CHARSET=windows-1251:\xC8\xE2\xE0\xED\xEE\xE2 \xCF\xB8\xF2\xF0\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE:line one=0D=0A=\r\n"
        "line two\r\n"
        "ADR;WORK;CHARSET=windows-1251:;;Main 1;\xCC\xEE\xF1\xEA\xE2\xE0;;125009;"
        "\xD0\xEE\xF1\xF1\xE8\xFF\r\n"
        "TEL;WORK;FAX:+7 495 123-45-68\r\n"
        "X-ICQ:123456789\r\n"
        "END:VCARD\r\n");
    ZamoResult r = Import(file);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectLines("old-1", {"Title: Иванов Пётр", "Last name: Иванов", "First name: Пётр",
                          "Middle name: Ильич", "Details: line one=0D=0A=line two",
                          "Business street: Main 1", "Business city: Москва",
                          "Business postal code: 125009", "Business country: Россия",
                          "  fax: +7 495 123-45-68", "  msg (ICQ): 123456789"});
}

TEST_F(ImportCards, CardsWithoutUidBecomeNewContactsEachTime) {
    std::string file = tmp.Write("nouid.vcf",
                                 "BEGIN:VCARD\nFN:One\nEND:VCARD\n"
                                 "BEGIN:VCARD\nFN:Two\nEND:VCARD\n");
    for (size_t round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ZamoResult r = Import(file);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(ContactCount(), 2 * round);
    }
}

TEST_F(ImportCards, MalformedCardsImportAndTheFileGoesOn) {
    std::string longNote(100000, 'x');
    std::string tels;
    for (int i = 0; i < 2000; ++i) tels += "TEL:+1 555 " + std::to_string(i) + "\n";
    // The charset name makes the file a windows-1251 one, whose lines have no
    // length limit, so the long note arrives whole.
    std::string file = tmp.Write(
        "odd.vcf",
        "BEGIN:VCARD\n"
        "END:VCARD\n"
        "BEGIN:VCARD\nUID:odd-2\nthis line has no colon\nBDAY:--0503\nADR;TYPE=HOME:;;Short\n"
        "END:VCARD\n"
        "BEGIN:VCARD\nUID:odd-3\nN;CHARSET=windows-1251:Odd\nNOTE:" + longNote + "\n" + tels + "END:VCARD\n"
        "BEGIN:VCARD\nUID:odd-4\nFN:Last one\nEND:VCARD\n");
    ZamoResult r = Import(file);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ContactCount(), 4u);
    ExpectLines("odd-2", {"Home street: Short", "Home city: "});
    std::string odd3 = Show("odd-3");
    EXPECT_TRUE(Contains(odd3, "Details: " + longNote + "\n"));
    EXPECT_EQ(Count(odd3, "  tel: +1 555 "), 2000u);
    ExpectLines("odd-4", {"Title: Last one"});
}

}  // namespace
