// Export, then import into a fresh database, end to end with the zamo program:
// names, company, job title, profession, addresses, birthday, communications and
// UID are kept; assistant, manager, messenger names, title, the note's breaks and
// the unescaping of an apostrophe are lost, exactly as the card format allows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "zamo_process.h"

namespace {

// The string value of "key" in the JSON text the program prints (first match),
// with its escapes undone; "<absent>" when missing, "<null>" for null.
std::string JsonField(const std::string& json, const std::string& key, size_t from = 0) {
    std::string marker = "\"" + key + "\": ";
    size_t at = json.find(marker, from);
    if (at == std::string::npos) return "<absent>";
    at += marker.size();
    if (json.compare(at, 4, "null") == 0) return "<null>";
    if (at >= json.size() || json[at] != '"') return "<not a string>";
    std::string value;
    for (size_t i = at + 1; i < json.size() && json[i] != '"'; ++i) {
        if (json[i] != '\\' || i + 1 >= json.size()) {
            value += json[i];
            continue;
        }
        char e = json[++i];
        value += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
    }
    return value;
}

// The communications of a contact as "kind value subKind" entries.
std::vector<std::string> Communications(const std::string& json) {
    std::vector<std::string> out;
    for (size_t at = json.find("{\"kind\": "); at != std::string::npos;
         at = json.find("{\"kind\": ", at + 1))
        out.push_back(JsonField(json, "kind", at) + " " + JsonField(json, "value", at) + " " +
                      JsonField(json, "subKind", at));
    std::sort(out.begin(), out.end());
    return out;
}

class ExportRoundTrip : public testing::Test {
protected:
    ZamoResult Run(const std::string& db, std::vector<std::string> args) {
        args.insert(args.begin(), {"--db", folder.File(db)});
        ZamoResult r = RunZamo(args, "", {{"TZ", "XYZ-4"}});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r;
    }
    TempFolder folder;
};

TEST_F(ExportRoundTrip, KeepsAndLosesWhatTheFormatAllows) {
    Run("first.db", {"add", "--uid", "anna", "--first", "Anna", "--middle", "Maria", "--last",
                     "Lee", "--title", "Dr", "--company", "Lee, Smith & Co", "--job-title",
                     "Engineer; lead", "--profession", "Инженер", "--assistant", "Bob",
                     "--manager", "Carol", "--details", "Line one\nLine two", "--home-street",
                     "1 Main St", "--home-city", "Springfield", "--home-province", "IL",
                     "--home-postal-code", "62701", "--home-country", "USA", "--work-street",
                     "ул. Тверская, 1", "--work-city", "Москва", "--work-province", "МО",
                     "--work-postal-code", "125009", "--work-country", "Россия", "--birthday",
                     "1980-03-05", "--tel", "555-0100", "--fax", "555-0101", "--email",
                     "anna@example.com", "--url", "http://example.com", "--msg",
                     "SKYPE:anna.lee", "--tel", "555-0199"});
    Run("first.db", {"add", "--uid", "kid", "--parent", "anna", "--last", "O'Neil", "--company",
                     "O'Neil's", "--details", "one line"});
    Run("first.db", {"export", folder.File("all.vcf")});
    std::string file = folder.Read("all.vcf");
    ASSERT_NE(file.find("UID:anna\r\n"), std::string::npos) << file;
    Run("second.db", {"import", folder.File("all.vcf")});

    std::string anna = Run("second.db", {"show", "anna", "--json"}).out;
    std::string kid = Run("second.db", {"show", "kid", "--json"}).out;
    struct Case {
        const std::string* json;
        const char* key;
        std::string expected;
        const char* why;
    } cases[] = {
        {&anna, "uid", "anna", "the UID is kept"},
        {&anna, "firstName", "Anna", "kept"},
        {&anna, "middleName", "Maria", "kept"},
        {&anna, "lastName", "Lee", "kept"},
        {&anna, "company", "Lee, Smith & Co", "kept, the escaped comma read back"},
        {&anna, "jobTitle", "Engineer; lead", "kept, the escaped semicolon read back"},
        {&anna, "profession", "Инженер", "kept through windows-1251"},
        {&anna, "homeStreet", "1 Main St", "kept"},
        {&anna, "homeCity", "Springfield", "kept"},
        {&anna, "homeProvince", "IL", "kept"},
        {&anna, "homePostalCode", "62701", "kept"},
        {&anna, "homeCountry", "USA", "kept"},
        {&anna, "businessStreet", "ул. Тверская, 1", "kept"},
        {&anna, "businessCity", "Москва", "kept"},
        {&anna, "businessProvince", "МО", "kept"},
        {&anna, "businessPostalCode", "125009", "kept"},
        {&anna, "businessCountry", "Россия", "kept"},
        {&anna, "birthDate", "1980-03-05", "kept"},
        {&anna, "assistant", "", "lost: written, never read"},
        {&anna, "manager", "", "lost: written, never read"},
        {&anna, "title", "Anna Maria Lee", "set from the written formatted name"},
        {&anna, "details", "Line one=0D=0A=Line two", "one line, =0D=0A= in place"},
        {&kid, "uid", "kid", "a child is exported too"},
        {&kid, "lastName", "O\\'Neil", "the backslash of an escaped apostrophe stays"},
        {&kid, "company", "O\\'Neil\\'s", "every escaped apostrophe keeps its backslash"},
        {&kid, "title", "  O'Neil", "the formatted name with its two blanks, unescaped"},
        {&kid, "details", "one line", "a one-line note comes back as it was"},
        {&kid, "birthDate", "<null>", "no birthday written, none read"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JsonField(*c.json, c.key), c.expected) << c.key << ": " << c.why;

    EXPECT_EQ(Communications(anna),
              (std::vector<std::string>{"eml anna@example.com <null>", "fax 555-0101 <null>",
                                        "msg anna.lee ICQ", "tel 555-0100 <null>",
                                        "tel 555-0199 <null>", "www http://example.com <null>"}))
        << "the five kinds kept; the Skype address comes back as ICQ";
    EXPECT_EQ(Communications(kid), std::vector<std::string>{});
}

TEST_F(ExportRoundTrip, ExportsOneContactAsOneCardInWindows1251) {
    Run("db", {"add", "--uid", "p", "--first", "Пётр", "--last", "Ёлкин"});
    Run("db", {"add", "--uid", "c", "--parent", "p", "--last", "Child"});
    Run("db", {"export", "--contact", "p", folder.File("one.vcf")});
    std::string file = folder.Read("one.vcf");
    // windows-1251 table: П CF ё B8 т F2 р F0; Ё A8 л EB к EA и E8 н ED.
    EXPECT_NE(file.find("\r\nFN;CHARSET=windows-1251:\xCF\xB8\xF2\xF0  \xA8\xEB\xEA\xE8\xED\r\n"),
              std::string::npos)
        << file;
    EXPECT_EQ(file.find("UID:c"), std::string::npos) << "the child is not written";
    size_t cards = 0;
    for (size_t at = file.find("BEGIN:VCARD"); at != std::string::npos;
         at = file.find("BEGIN:VCARD", at + 1))
        ++cards;
    EXPECT_EQ(cards, 1u);
}

}  // namespace
