/* What a user of zamo sees around imports and exports: card text escaped on
 * the terminal and in JSON, targets that are no file, a module's failure, "-"
 * for standard input and output, read-only commands, the dry run, the answers
 * on the terminal and Ctrl-C. */
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "zamo_process.h"

namespace {

const std::string kSample1251 = std::string(ZAMO_SOURCE_DIR) + "/examples/contacts-windows-1251.vcf";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++n;
    return n;
}

ZamoResult Zamo(const std::string& db, std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {"--db", db});
    return RunZamo(args, input);
}

std::string Card(const std::string& uid, const std::string& fn) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + fn + "\r\nN:" + fn +
           ";;;;\r\nREV:20200101T000000Z\r\nEND:VCARD\r\n";
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A plug-in folder whose two modules report failures through error boxes.
std::string FailingPlugins(const TempFolder& tmp) {
    std::string plugins = tmp.File("failing");
    std::filesystem::create_directory(plugins);
    for (const char* name : {"vcard_import.zamodll", "vcard_export.zamodll"})
        std::filesystem::copy_file(std::string(ZAMO_BUILD_DIR) + "/tests/failing_plugin.zamodll",
                                   plugins + "/" + name);
    return plugins;
}

// ESC ] 52 sets the clipboard, ESC [ 2J clears the screen; U+009B is a C1
// control (CSI) and U+202E reverses the text after it.
const std::string kEvilName = "A\x1b]52;c;aGk=\x07" "B\x1b[2J\xc2\x9b\xe2\x80\xae";
const char* const kRawBytes[] = {"\x1b", "\x07", "\xc2\x9b", "\xe2\x80\xae"};

TEST(ZamoFlows, CardTextNeverReachesTheTerminalRaw) {
    TempFolder tmp;
    std::string db = tmp.File("c.db");
    std::string escaped = kEvilName;  // a vCard text value writes ";" as "\;"
    for (size_t at = 0; (at = escaped.find(';', at)) != std::string::npos; at += 2)
        escaped.insert(at, "\\");
    ASSERT_EQ(Zamo(db, {"import", tmp.Write("evil.vcf", Card("evil", escaped))}).exitCode, 0);
    // The escaped forms written by hand: \xNN below U+0100 and \uNNNN above on
    // the terminal; \u00NN and \u202e in JSON (RFC 8259 escapes).
    struct Case {
        std::vector<std::string> args;
        std::string typed;  // on a terminal when not empty
        std::string escaped;
        const char* why;
    } cases[] = {
        {{"list"}, "", "A\\x1b]52;c;aGk=\\x07B\\x1b[2J\\x9b\\u202e", "list"},
        {{"show", "evil"}, "", "Title: A\\x1b]52;c;aGk=\\x07B\\x1b[2J\\x9b\\u202e\n", "show"},
        {{"list", "--json"}, "", "\"A\\u001b]52;c;aGk=\\u0007B\\u001b[2J\\u009b\\u202e\"", "list --json"},
        {{"show", "--json", "evil"}, "", "\"title\": \"A\\u001b]52;c;aGk=\\u0007B\\u001b[2J\\u009b\\u202e\"",
         "show --json"},
        {{"import", tmp.File("evil.vcf")}, "n\n", "A\\x1b]52;c;aGk=\\x07B\\x1b[2J\\x9b\\u202e",
         "the overwrite question on the terminal"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), {"--db", db});
        ZamoResult r = c.typed.empty() ? RunZamo(args) : RunZamoOnTerminal(args, c.typed);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const std::string& shown = c.typed.empty() ? r.out : r.err;
        EXPECT_TRUE(Contains(shown, c.escaped)) << shown;
        for (const char* raw : kRawBytes) EXPECT_FALSE(Contains(r.out + r.err, raw)) << shown;
    }
}

TEST(ZamoFlows, ExportTargetsThatAreNoFileAreRefused) {
    TempFolder tmp;
    std::string db = tmp.File("c.db");
    ASSERT_EQ(Zamo(db, {"add", "--uid", "anna", "--first", "Anna"}).exitCode, 0);
    ASSERT_EQ(Zamo(db, {"add", "--uid", "group", "--company", "No name"}).exitCode, 0);
    ASSERT_EQ(mkfifo(tmp.File("pipe.vcf").c_str(), 0600), 0);
    std::filesystem::create_directory(tmp.File("folder.vcf"));
    tmp.Write("real.vcf", "old\r\n");
    std::filesystem::create_symlink(tmp.File("real.vcf"), tmp.File("link.vcf"));
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string out, err;  // err: part of the one line on standard error
        const char* why;
    } cases[] = {
        {{"export", "/dev/full"}, 1, "", "cannot export to /dev/full: it is a device",
         "a device is refused, and no /dev/full.vcf is made"},
        {{"export", tmp.File("pipe.vcf")}, 1, "", "it is a FIFO", "a FIFO"},
        {{"export", tmp.File("pipe")}, 1, "", tmp.File("pipe.vcf") + ": it is a FIFO",
         "the name gets .vcf, and that is a FIFO"},
        {{"export", tmp.File("folder.vcf")}, 1, "", "it is a folder", "a folder"},
        {{"export", tmp.File("link.vcf")}, 0, "exported 1 contact to " + tmp.File("link.vcf") + "\n",
         "", "a link to a regular file is written through"},
        {{"export", "--contact", "group", tmp.File("group.vcf")}, 0, "",
         "zamo: warning: exported 0 contacts to " + tmp.File("group.vcf"),
         "a contact without a name: a warning, not a silent success"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ZamoResult r = Zamo(db, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_TRUE(Contains(r.err, c.err)) << r.err;
        EXPECT_LE(Count(r.err, "\n"), 1) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists("/dev/full.vcf"));
    EXPECT_TRUE(std::filesystem::is_fifo(tmp.File("pipe.vcf")));
    EXPECT_TRUE(std::filesystem::is_symlink(tmp.File("link.vcf"))) << "the link stays a link";
    EXPECT_TRUE(Contains(FileBytes(tmp.File("real.vcf")), "UID:anna\r\n"));
}

TEST(ZamoFlows, AModuleFailureIsAFailureAndKeepsNothingOfItsFile) {
    TempFolder tmp;
    std::string db = tmp.File("c.db"), plugins = FailingPlugins(tmp);
    std::string a = tmp.Write("a.vcf", "a1\na2\n"), b = tmp.Write("b.vcf", "b1\nFAIL\nb2\n"),
                c = tmp.Write("c.vcf", "c1\n");
    ZamoResult imported = Zamo(db, {"--plugins", plugins, "import", a, b, c});
    EXPECT_EQ(imported.exitCode, 1);
    EXPECT_EQ(imported.err, "zamo: cannot import " + b + ": out of memory\n");
    EXPECT_EQ(imported.out,
              a + ": 2 contacts created, 0 existing contacts overwritten, 0 cards skipped, 0 "
                  "communications added\n" +
                  b + ": not saved (its import failed; everything from it was rolled back)\n" + c +
                  ": not read\ntotal: 2 contacts created, 0 existing contacts overwritten, 0 "
                  "cards skipped, 0 communications added\n");
    ZamoResult list = Zamo(db, {"list"});
    EXPECT_EQ(list.out, "a1  a1\na2  a2\n") << "a.vcf kept whole, nothing of b.vcf";

    tmp.Write("old.vcf", "old\r\n");
    ZamoResult exported = Zamo(db, {"--plugins", plugins, "export", tmp.File("old.vcf")});
    EXPECT_EQ(exported.exitCode, 1);
    EXPECT_EQ(exported.out, "");
    EXPECT_EQ(exported.err, "zamo: cannot write " + tmp.File("old.vcf") +
                                ": No space left on device\\n(second line)\n")
        << "the module's text, on one line";
}

TEST(ZamoFlows, StandardInputAndOutput) {
    TempFolder tmp;
    std::string db = tmp.File("c.db"), temporary = tmp.File("tmp");
    std::filesystem::create_directory(temporary);
    std::map<std::string, std::string> env = {{"TMPDIR", temporary}};
    ZamoResult in = RunZamo({"--db", db, "import", "-"}, FileBytes(kSample1251), env);
    EXPECT_EQ(in.exitCode, 0) << in.err;
    EXPECT_EQ(in.out, "3 contacts created, 0 existing contacts overwritten, 0 cards skipped, "
                      "10 communications added\n");
    ZamoResult toFile = Zamo(db, {"export", tmp.File("all.vcf")});
    ZamoResult out = RunZamo({"--db", db, "export", "-"}, "", env);
    EXPECT_EQ(out.exitCode, 0) << out.err;
    EXPECT_EQ(out.err, "exported 3 contacts to standard output\n");
    EXPECT_TRUE(out.out == FileBytes(tmp.File("all.vcf"))) << "the same bytes as a file export";
    EXPECT_TRUE(std::filesystem::is_empty(temporary)) << "temporary files removed";
    ZamoResult twice = Zamo(db, {"import", "-", "-"});
    EXPECT_EQ(twice.exitCode, 1);
    EXPECT_TRUE(Contains(twice.err, "once")) << twice.err;
}

TEST(ZamoFlows, CommandLineAndMissingDatabase) {
    TempFolder tmp;
    std::string db = tmp.File("c.db"), missing = tmp.File("missing.db");
    ASSERT_EQ(Zamo(db, {"add", "--uid", "anna", "--first", "Anna"}).exitCode, 0);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string err;  // part of standard error; "" when it must be empty
        const char* why;
    } cases[] = {
        {{"--db", missing, "list"}, 1, "no contact database at " + missing, "list"},
        {{"--db", missing, "show", "anna"}, 1, "no contact database at " + missing, "show"},
        {{"--db", missing, "export", tmp.File("x.vcf")}, 1, "no contact database at " + missing,
         "export"},
        {{"--db", missing, "menu"}, 1, "no contact database at " + missing, "menu"},
        {{"--db", "", "list"}, 2, "--db needs a path", "an empty --db"},
        {{"--db", db, "--lang", "French", "menu"}, 2, "English (en) or Russian (ru)", "French"},
        {{"--db", db, "--lang", "ru", "menu"}, 0, "", "ru"},
        {{"--db", db, "--lang", "RUSSIAN", "menu"}, 0, "", "any case"},
        {{"--db", db, "--lang", "en", "menu"}, 0, "", "en"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ZamoResult r = RunZamo(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        if (c.err.empty())
            EXPECT_EQ(r.err, "");
        else
            EXPECT_TRUE(Contains(r.err, c.err)) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(missing)) << "no database created";
    EXPECT_TRUE(Contains(RunZamo({"--db", db, "--lang", "ru", "menu"}).out, "Импорт контактов"));
}

TEST(ZamoFlows, DryRunAndPerFileSummaries) {
    TempFolder tmp;
    std::string db = tmp.File("c.db");
    ASSERT_EQ(Zamo(db, {"import", tmp.Write("known.vcf", Card("known", "Known"))}).exitCode, 0);
    std::string before = FileBytes(db);
    std::string mixed = tmp.Write("mixed.vcf", Card("new", "New") + Card("known", "Known"));
    std::string empty = tmp.Write("empty.vcf", "no cards here\n");
    ZamoResult dry = Zamo(db, {"import", "--dry-run", "--overwrite", "yes", mixed, empty});
    EXPECT_EQ(dry.exitCode, 0) << dry.err;
    EXPECT_EQ(dry.out, mixed + ": would create 1 contact, overwrite 1 existing contact, skip 0 "
                               "cards, add 0 communications\n" +
                           empty + ": no vCards found\ndry run, nothing saved: would create 1 "
                                   "contact, overwrite 1 existing contact, skip 0 cards, add 0 "
                                   "communications\n");
    EXPECT_EQ(dry.err, "zamo: no vCards found in " + empty + "\n");
    EXPECT_TRUE(FileBytes(db) == before) << "the dry run changed the database";

    ZamoResult real = Zamo(db, {"import", mixed, empty});
    EXPECT_EQ(real.exitCode, 0) << real.err;
    EXPECT_EQ(real.out, mixed + ": 1 contact created, 0 existing contacts overwritten, 1 card "
                                "skipped, 0 communications added\n" +
                            empty + ": no vCards found\ntotal: 1 contact created, 0 existing "
                                    "contacts overwritten, 1 card skipped, 0 communications added\n");
}

TEST(ZamoFlows, AnswersOnTheTerminal) {
    TempFolder tmp;
    std::string db = tmp.File("c.db");
    ASSERT_EQ(Zamo(db, {"import", kSample1251}).exitCode, 0);
    const std::string kQuestion = "Перезаписать контакт";  // once per card asked
    struct Case {
        std::string typed;
        const char* counts;
        int questions;
        const char* why;
    } cases[] = {
        {"y\nn\nc\n", "1 existing contact overwritten, 2 cards skipped", 3, "one answer per card"},
        {"maybe\na\n", "3 existing contacts overwritten, 0 cards skipped", 1,
         "garbage gets the choices; yes to all answers the rest"},
        {"s\n", "0 existing contacts overwritten, 3 cards skipped", 1, "no to all"},
        {"\x04y\ny\n", "2 existing contacts overwritten, 1 card skipped", 3,
         "Ctrl-D cancels that card only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ZamoResult r = RunZamoOnTerminal({"--db", db, "import", kSample1251}, c.typed);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(Contains(r.out, c.counts)) << r.out;
        EXPECT_EQ(Count(r.err, kQuestion), c.questions) << r.err;
        if (c.typed == "maybe\na\n") {
            EXPECT_TRUE(Contains(r.err, "a (yes to all)")) << r.err;
        }
        if (c.typed[0] == '\x04') {
            EXPECT_TRUE(Contains(r.err, "? \r\n")) << "on its own line: " << r.err;
        }
    }
}

TEST(ZamoFlows, CtrlCRollsBackTheFileInProgress) {
    TempFolder tmp;
    std::string db = tmp.File("c.db");
    ASSERT_EQ(Zamo(db, {"import", tmp.Write("known.vcf", Card("known", "Known"))}).exitCode, 0);
    std::string first = tmp.Write("first.vcf", Card("first", "First"));
    std::string second = tmp.Write("second.vcf", Card("second", "Second") + Card("known", "Known"));
    ZamoResult r =
        RunZamoOnTerminal({"--db", db, "import", first, second}, "", "[y]es / [n]o / [c]ancel");
    EXPECT_EQ(r.exitCode, 130) << r.err;
    EXPECT_TRUE(Contains(r.out, first + ": 1 contact created")) << r.out;
    EXPECT_TRUE(Contains(r.out, second + ": not saved (interrupted)")) << r.out;
    EXPECT_TRUE(Contains(r.err, "zamo: interrupted: 1 of 2 files saved")) << r.err;
    ZamoResult list = Zamo(db, {"list"});
    EXPECT_EQ(list.out, "known  Known\nfirst  First\n") << "nothing of second.vcf";
}

}  // namespace
