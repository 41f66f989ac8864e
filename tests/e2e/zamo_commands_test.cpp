/* The everyday commands through the zamo program: find (any letter case, Latin
 * and Cyrillic), show by text, edit, remove, the list forms and --version, over
 * a small address book made with `zamo add`. */
#include <gtest/gtest.h>

#include <cstdlib>

#include "zamo_process.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

/* The first column of each output line (the UIDs of list and find), each
 * followed by a space; the indentation of list is dropped. */
std::string FirstColumn(const std::string& out) {
    std::string uids;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        std::string line = out.substr(start, end - start);
        line.erase(0, line.find_first_not_of(' '));
        uids += line.substr(0, line.find(' ')) + " ";
        start = end == std::string::npos ? out.size() : end + 1;
    }
    return uids;
}

class Book {
public:
    Book() : db_(tmp_.File("c.db")) {
        const std::vector<std::vector<std::string>> contacts = {
            {"--uid", "zoya", "--first", "Зоя", "--last", "Петрова", "--tel", "+7 900 111-22-33",
             "--email", "zoya@example.ru"},
            {"--uid", "ann", "--first", "Ann", "--last", "Lee", "--company", "Lee & Smith",
             "--email", "ann.lee@example.com"},
            {"--uid", "bob", "--parent", "ann", "--first", "Bob", "--job-title", "Night Porter",
             "--msg", "skype:bob.s", "--tel", "555-0100", "--tel", "555-0101"},
            {"--uid", "kid", "--parent", "bob", "--title", "Ms Tab\tNew\\line"},
        };
        for (const auto& c : contacts) {
            std::vector<std::string> args = {"add"};
            args.insert(args.end(), c.begin(), c.end());
            ZamoResult r = Run(args);
            EXPECT_EQ(r.exitCode, 0) << r.err;
        }
    }
    ZamoResult Run(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--db", db_});
        return RunZamo(args);
    }
    const std::string& Db() const { return db_; }

private:
    TempFolder tmp_;
    std::string db_;
};

TEST(ZamoCommands, FindMatchesAnyCaseInNamesCompanyJobAndCommunications) {
    Book book;
    // Expected UIDs picked by hand from the book above, in tree order.
    struct Case {
        std::string text;
        std::string uids;
        const char* why;
    } cases[] = {
        {"ЗОЯ", "zoya ", "Cyrillic capitals find the small letters"},
        {"петров", "zoya ", "Cyrillic part of a last name"},
        {"aNN", "ann ", "Latin, mixed case"},
        {"ann lee", "ann ", "the whole name"},
        {"smith", "ann ", "company"},
        {"porter", "bob ", "job title"},
        {"EXAMPLE.RU", "zoya ", "e-mail address"},
        {"0101", "bob ", "second telephone"},
        {"BOB.S", "bob ", "messenger address"},
        {"ms tab", "kid ", "title of a contact without names"},
        {"nobody", "", "no match: nothing printed"},
        {"e", "zoya ann bob kid ", "several, in tree order"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ZamoResult r = book.Run({"find", c.text});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(FirstColumn(r.out), c.uids) << r.out;
    }
}

TEST(ZamoCommands, ShowByUidOrByTextThatFindsOne) {
    Book book;
    struct Case {
        std::string arg;
        int exitCode;
        std::string out, err;  // parts expected
        const char* why;
    } cases[] = {
        {"ann", 0, "UID: ann\n", "", "a UID"},
        {"зоя", 0, "UID: zoya\n", "", "a text that finds one contact"},
        {"night porter", 0, "UID: bob\n", "", "the job title"},
        {"o", 1, "", "3 contacts match 'o'", "several: listed, nothing shown"},
        {"nobody", 1, "", "no contact with UID nobody", "none"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ZamoResult r = book.Run({"show", c.arg});
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_TRUE(Contains(r.out, c.out)) << r.out;
        EXPECT_TRUE(Contains(r.err, c.err)) << r.err;
        if (c.exitCode == 0) EXPECT_EQ(r.err, "");
        else EXPECT_EQ(r.out, "");
    }
    ZamoResult several = book.Run({"show", "o"});
    EXPECT_TRUE(Contains(several.err, "\n  ann  Ann Lee\n  bob  Bob\n")) << several.err;
}

TEST(ZamoCommands, EditSetsAddsAndRemovesOrChangesNothing) {
    Book book;
    // An old modification date, so that the edit's new one shows.
    std::string sql = "sqlite3 '" + book.Db() + "' 'UPDATE contact SET modified = 36526'";
    ASSERT_EQ(std::system(sql.c_str()), 0);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::vector<std::string> present, absent;  // lines of `show bob` afterwards
        std::string err;
        const char* why;
    } cases[] = {
        {{"edit", "bob", "--company", "Hotel", "--birthday", "1970-01-02", "--email", "b@h.example"},
         0, {"Company: Hotel\n", "Job title: Night Porter\n", "Birthday: 1970-01-02\n",
             "  eml: b@h.example\n"}, {"Modified: 2000-01-01"}, "", "set fields, add an e-mail"},
        {{"edit", "bob", "--remove-tel", "555-0100", "--tel", "555-0199"}, 0,
         {"  msg (SKYPE): bob.s\n  tel: 555-0101\n  eml: b@h.example\n  tel: 555-0199\n"},
         {"555-0100"}, "", "remove one telephone, add another at the end"},
        {{"edit", "bob", "--remove-msg", "SKYPE:bob.s", "--birthday", "", "--job-title", ""}, 0,
         {"Birthday: \n", "Job title: \n"}, {"bob.s"}, "", "remove a messenger, clear fields"},
        {{"edit", "bob", "--company", "Lost", "--remove-tel", "555-0101", "--remove-email", "x@y"},
         1, {"Company: Hotel\n", "  tel: 555-0101\n"}, {"Lost"},
         "contact bob has no e-mail address x@y; nothing changed", "a missing value refuses all"},
        {{"edit", "bob", "--remove-tel", "555-0101", "--remove-tel", "555-0101"}, 1,
         {"  tel: 555-0101\n"}, {}, "has no telephone 555-0101", "one removal per option"},
        {{"edit", "nobody", "--first", "X"}, 1, {}, {}, "no contact with UID nobody", "unknown UID"},
        {{"edit", "bob"}, 2, {}, {}, "edit needs a field", "nothing to change"},
        {{"edit", "bob", "--parent", "zoya"}, 2, {}, {}, "--parent does not apply to edit",
         "moving is not editing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ZamoResult r = book.Run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_TRUE(Contains(r.err, c.err)) << r.err;
        std::string shown = book.Run({"show", "bob"}).out;
        for (const std::string& line : c.present) EXPECT_TRUE(Contains(shown, line)) << line << shown;
        for (const std::string& text : c.absent) EXPECT_FALSE(Contains(shown, text)) << text << shown;
    }
}

TEST(ZamoCommands, RemoveRefusesABranchUnlessRecursive) {
    Book book;
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string out, err;
        std::string remaining;  // UIDs listed afterwards
        const char* why;
    } cases[] = {
        {{"remove", "ann"}, 1, "", "contact ann has 1 contact under it; give --recursive",
         "zoya ann bob kid ", "a contact with children"},
        {{"remove", "kid"}, 0, "removed 1 contact\n", "", "zoya ann bob ", "a leaf"},
        {{"remove", "nobody"}, 1, "", "no contact with UID nobody", "zoya ann bob ", "unknown UID"},
        {{"remove", "root"}, 1, "", "no contact with UID root", "zoya ann bob ", "the top of the tree"},
        {{"remove", "--recursive", "ann"}, 0, "removed 2 contacts\n", "", "zoya ", "a branch"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ZamoResult r = book.Run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_TRUE(Contains(r.err, c.err)) << r.err;
        EXPECT_EQ(FirstColumn(book.Run({"list"}).out), c.remaining);
    }
    ZamoResult find = book.Run({"find", "bob.s"});
    EXPECT_EQ(find.out, "") << "the removed contacts' communications went with them";
}

TEST(ZamoCommands, ListFormsAndVersion) {
    Book book;
    // Written by hand: the longest UID cell is "    kid" (depth 2), the longest
    // name "Ms Tab\tNew\line" shown with its tab escaped (16 columns).
    struct Case {
        std::vector<std::string> args;
        std::string out;
        const char* why;
    } cases[] = {
        {{"list"},
         "zoya     Зоя Петрова       +7 900 111-22-33  zoya@example.ru\n"
         "ann      Ann Lee                             ann.lee@example.com\n"
         "  bob    Bob               555-0100\n"
         "    kid  Ms Tab\\tNew\\line\n",
         "aligned columns, Cyrillic counted by characters"},
        {{"list", "--tsv"},
         "uid\tname\ttelephone\temail\n"
         "zoya\tЗоя Петрова\t+7 900 111-22-33\tzoya@example.ru\n"
         "ann\tAnn Lee\t\tann.lee@example.com\n"
         "bob\tBob\t555-0100\t\n"
         "kid\tMs Tab\\tNew\\\\line\t\t\n",
         "tab-separated, tab and backslash escaped"},
        {{"find", "--tsv", "ЗОЯ"}, "uid\tname\ttelephone\temail\nzoya\tЗоя Петрова\t+7 900 111-22-33\tzoya@example.ru\n",
         "find takes the same forms"},
        {{"--version"}, "zamo " ZAMO_VERSION_TEXT "\n", "--version, from cmake/ZamoVersion.cmake"},
        {{"-V"}, "zamo " ZAMO_VERSION_TEXT "\n", "-V"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ZamoResult r = book.Run(c.args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
    }
    ZamoResult json = book.Run({"list", "--json"});
    EXPECT_TRUE(Contains(json.out, "{\"uid\": \"bob\", \"depth\": 1, \"name\": \"Bob\", "
                                   "\"firstName\": \"Bob\", \"middleName\": \"\", \"lastName\": "
                                   "\"\", \"telephone\": \"555-0100\", \"email\": \"\"}"))
        << json.out;
    ZamoResult both = book.Run({"list", "--json", "--tsv"});
    EXPECT_EQ(both.exitCode, 2);
}

}  // namespace
