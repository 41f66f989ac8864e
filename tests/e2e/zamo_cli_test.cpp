/* The zamo program without the import and export work: add, list, show, the
 * database location, and every refused command line or input with its message
 * and exit code (2 for the command line, 1 for the rest), nothing changed. */
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "zamo_process.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

int Lines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

TEST(ZamoCli, AddListShow) {
    TempFolder tmp;
    std::string db = tmp.File("c.db");
    ZamoResult a = RunZamo({"--db", db, "add", "--uid", "anna", "--first", "Anna", "--last", "Lee",
                            "--company", "Lee, Smith & Co", "--assistant", "Bo", "--manager",
                            "Cy", "--birthday", "1980-03-05", "--home-city", "Springfield",
                            "--tel", "555-0100", "--msg", "skype:anna.lee"});
    ASSERT_EQ(a.exitCode, 0) << a.err;
    EXPECT_EQ(a.out, "anna\n");
    ZamoResult child = RunZamo({"--db", db, "add", "--parent", "anna", "--first", "Иван"});
    ASSERT_EQ(child.exitCode, 0) << child.err;
    std::string childUid = child.out.substr(0, child.out.size() - 1);

    ZamoResult list = RunZamo({"--db", db, "list"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    // Columns: UID (indented by depth, padded to the 36-character child UID + 2), name, telephone.
    EXPECT_EQ(list.out, "anna" + std::string(36, ' ') + "Anna Lee  555-0100\n  " + childUid +
                            "  Иван\n");

    ZamoResult json = RunZamo({"--db", db, "list", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_TRUE(Contains(json.out, "\"uid\": \"" + childUid + "\", \"depth\": 1")) << json.out;

    ZamoResult show = RunZamo({"--db", db, "show", "anna"});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    // Expected lines written by hand from the options given above.
    for (const char* line : {"UID: anna\n", "Parent: root\n", "Company: Lee, Smith & Co\n",
                             "Assistant: Bo\n", "Manager: Cy\n", "Home city: Springfield\n",
                             "Birthday: 1980-03-05\n", "  tel: 555-0100\n",
                             "  msg (SKYPE): anna.lee\n"}) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(Contains(show.out, line)) << show.out;
    }
    ZamoResult showJson = RunZamo({"--db", db, "show", "--json", childUid});
    ASSERT_EQ(showJson.exitCode, 0) << showJson.err;
    EXPECT_TRUE(Contains(showJson.out, "\"parent\": \"anna\"")) << showJson.out;
    EXPECT_TRUE(Contains(showJson.out, "\"birthDate\": null")) << showJson.out;
}

TEST(ZamoCli, DatabaseLocation) {
    TempFolder tmp;
    struct Case {
        std::map<std::string, std::string> env;
        std::string expectedFile;
        const char* why;
    } cases[] = {
        {{{"ZAMO_DB", tmp.File("env.db")}, {"XDG_DATA_HOME", tmp.File("xdg")}}, tmp.File("env.db"),
         "ZAMO_DB comes before XDG_DATA_HOME"},
        {{{"ZAMO_DB", ""}, {"XDG_DATA_HOME", tmp.File("xdg")}}, tmp.File("xdg/zamo/contacts.db"),
         "XDG_DATA_HOME, folder created"},
        {{{"ZAMO_DB", ""}, {"XDG_DATA_HOME", ""}, {"HOME", tmp.File("home")}},
         tmp.File("home/.local/share/zamo/contacts.db"), "HOME's default"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ZamoResult r = RunZamo({"add", "--first", "X"}, "", c.env);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(std::filesystem::exists(c.expectedFile));
    }
}

struct ErrorCase {
    std::vector<std::string> args;
    int exitCode;
    std::string message;
    const char* why;
};

void ExpectErrors(const std::vector<ErrorCase>& cases, const std::string& db) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        std::ifstream in(db, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ZamoResult r = RunZamo(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_TRUE(Contains(r.err, c.message)) << r.err;
        EXPECT_EQ(Lines(r.err), 1) << "one line: " << r.err;
        EXPECT_EQ(r.out, "");
        std::ifstream after(db, std::ios::binary);
        std::string bytesAfter((std::istreambuf_iterator<char>(after)),
                               std::istreambuf_iterator<char>());
        EXPECT_TRUE(bytes == bytesAfter) << "the database is left as it was";
    }
}

TEST(ZamoCli, RefusedInputChangesNothing) {
    TempFolder tmp;
    std::string db = tmp.File("c.db");
    ASSERT_EQ(RunZamo({"--db", db, "add", "--uid", "u1", "--first", "A"}).exitCode, 0);
    std::filesystem::create_directory(tmp.File("folder"));
    std::filesystem::create_directory(tmp.File("empty"));
    std::string card = tmp.Write("ok.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;John\r\nEND:VCARD\r\n");
    std::vector<ErrorCase> cases = {
        {{"--db", db, "frob"}, 2, "zamo: unknown command frob", "unknown command"},
        {{"--db", db, "list", "--frob"}, 2, "zamo: unknown option --frob", "unknown option"},
        {{"--db", db}, 2, "no command", "no command"},
        {{"--db", db, "import", card, tmp.File("missing.vcf")}, 1,
         "cannot read " + tmp.File("missing.vcf") + ": No such file or directory",
         "a missing file stops the import before anything is read"},
        {{"--db", db, "import", tmp.File("folder")}, 1, "it is a folder", "a folder to import"},
        {{"--db", db, "import", "--overwrite", "perhaps", card}, 2, "yes or no", "bad answer"},
        {{"--db", db, "show", "nobody"}, 1, "no contact with UID nobody", "show unknown UID"},
        {{"--db", db, "export", "--contact", "nobody", tmp.File("x.vcf")}, 1,
         "no contact with UID nobody", "export of an unknown contact"},
        {{"--db", db, "export", tmp.File("nofolder/x.vcf")}, 1, "does not exist",
         "export into a missing folder"},
        {{"--db", db, "export", tmp.File("folder")}, 1, "it is a folder", "export onto a folder"},
        {{"--db", db, "add", "--parent", "nobody", "--first", "B"}, 1,
         "no contact with UID nobody to be the parent", "unknown parent"},
        {{"--db", db, "add", "--uid", "u1"}, 1, "UID u1 is taken", "taken UID"},
        {{"--db", db, "add", "--birthday", "1980-02-30"}, 2, "YYYY-MM-DD", "no such date"},
        {{"--db", db, "--plugins", tmp.File("empty"), "menu"}, 1,
         "no plug-ins found in " + tmp.File("empty"), "no plug-ins"},
        {{"--db", db, "--plugins", tmp.File("empty"), "import", card}, 1, "no plug-ins found",
         "import without plug-ins"},
    };
    ExpectErrors(cases, db);
    EXPECT_FALSE(std::filesystem::exists(tmp.File("x.vcf")));
}

TEST(ZamoCli, BadDatabases) {
    TempFolder tmp;
    std::string text = tmp.Write("notes.txt", "These are notes, not contacts.\n");
    std::string card = tmp.Write("ok.vcf", "BEGIN:VCARD\r\nN:Doe;John\r\nEND:VCARD\r\n");
    std::vector<ErrorCase> cases = {
        {{"--db", text, "list"}, 1, "is not a database", "a text file"},
        {{"--db", text, "import", card}, 1, "is not a database", "import into a text file"},
        {{"--db", tmp.File("no/such/folder/c.db"), "add"}, 1, "cannot open or create database",
         "a folder that does not exist"},
        {{"--db", tmp.File("notes.txt/c.db"), "add", "--first", "A"}, 1,
         "cannot open or create database", "a file where the folder should be"},
    };
    ExpectErrors(cases, text);
    EXPECT_FALSE(std::filesystem::exists(tmp.File("no")));
}

TEST(ZamoCli, ReadOnlyFolder) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    TempFolder tmp;
    std::filesystem::create_directory(tmp.File("ro"));
    std::filesystem::permissions(tmp.File("ro"), std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::owner_exec);
    ZamoResult r = RunZamo({"--db", tmp.File("ro/c.db"), "list"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "cannot open or create database")) << r.err;
    std::filesystem::permissions(tmp.File("ro"), std::filesystem::perms::owner_all);
}

TEST(ZamoCli, DatabaseLockedByAnotherProcess) {
    TempFolder tmp;
    std::string db = tmp.File("c.db");
    ASSERT_EQ(RunZamo({"--db", db, "add", "--first", "A"}).exitCode, 0);
    // Hold the lock bytes an SQLite writer holds while it commits (pending,
    // reserved and shared range at 1 GiB), as another process using the file would.
    int fd = open(db.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0x40000000;
    lock.l_len = 512;
    ASSERT_EQ(fcntl(fd, F_SETLK, &lock), 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--db", db, "list"},
          std::vector<std::string>{"--db", db, "add", "--first", "B"}}) {
        SCOPED_TRACE(args[2]);
        ZamoResult r = RunZamo(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(Contains(r.err, "is locked by another process")) << r.err;
    }
    close(fd);
    ZamoResult r = RunZamo({"--db", db, "list"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out), 1) << "the refused add added nothing";
}

TEST(ZamoCli, HelpNeedsNoDatabase) {
    TempFolder tmp;
    ZamoResult help = RunZamo({"--help"}, "", {{"ZAMO_DB", tmp.File("c.db")}});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(Contains(help.out, "usage: zamo"));
    EXPECT_FALSE(std::filesystem::exists(tmp.File("c.db")));
}

}  // namespace
