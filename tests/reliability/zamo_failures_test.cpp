// zamo under faults a user meets: an export that cannot be written, or whose
// database cannot be read to the end, says so with exit 1 and one line (never
// "exported") and leaves the target as it was; the read-only commands work on
// a database they may not write, on a full disk, and right after a writer was
// killed.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "zamo_child.h"
#include "zamo_process.h"

namespace {

std::string Cards(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) {
        std::string k = std::to_string(i);
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c-" + k + "\r\nN:Last" + k + ";First" + k +
                ";;;\r\nNOTE:" + std::string(200, 'n') + "\r\nEND:VCARD\r\n";
    }
    return text;
}

TEST(ZamoFailures, AnExportThatCannotBeWrittenIsAFailure) {
    TempFolder folder;
    std::string db = folder.File("c.db");
    ASSERT_EQ(RunZamo({"--db", db, "import", folder.Write("in.vcf", Cards(100))}).exitCode, 0);
    chmod(folder.Path().c_str(), 0777);
    chmod(db.c_str(), 0666);
    std::string locked = folder.File("locked");
    std::filesystem::create_directory(locked);
    chmod(locked.c_str(), 0555);
    folder.Write("full.vcf", "old export\r\n");
    struct Case {
        std::string target;
        std::function<void()> prepare;
        ChildFaults faults;
        std::string reason;  // as the module words it
        const char* why;
    } cases[] = {
        {folder.File("full.vcf"), nullptr, {5000, false}, "the disk is full",
         "the file-size limit (ulimit -f) stops it after 5,000 bytes, over an old export"},
        {folder.File("ro.vcf"),
         [&] {
             folder.Write("ro.vcf", "old\r\n");
             chmod(folder.File("ro.vcf").c_str(), 0444);
         },
         {-1, true}, "the file is read-only", "an existing file without write permission"},
        {locked + "/x.vcf", nullptr, {-1, true}, "access denied",
         "a folder without write permission"},
        {folder.File(std::string(300, 'x') + ".vcf"), nullptr, {}, "the file name is too long",
         "a 300-byte name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        if (c.prepare) c.prepare();
        std::string before = FileBytes(c.target);
        ZamoChild child(folder, {"--db", db, "export", c.target}, c.faults);
        ZamoResult r = child.Wait();
        EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
        EXPECT_EQ(r.out, "") << "nothing says it was exported";
        EXPECT_EQ(r.err.rfind("zamo: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
        EXPECT_NE(r.err.find(c.target + ": " + c.reason), std::string::npos) << r.err;
        EXPECT_EQ(FileBytes(c.target), before) << "the target is as it was";
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            EXPECT_NE(entry.path().filename().string()[0], '.')
                << "temporary file left behind: " << entry.path();
    }
}

TEST(ZamoFailures, ADatabaseUnreadableMidwayLeavesTheTargetAsItWas) {
    TempFolder folder;
    std::string db = folder.File("c.db");
    ASSERT_EQ(RunZamo({"--db", db, "import", folder.Write("in.vcf", Cards(2000))}).exitCode, 0);
    {
        // Pages in the middle of the file, where the contact rows lie, become garbage.
        std::string bytes = FileBytes(db);
        const size_t page = 4096, from = bytes.size() / 2 / page * page;
        ASSERT_GT(bytes.size(), from + 8 * page);
        bytes.replace(from, 8 * page, std::string(8 * page, '\xff'));
        folder.Write("c.db", bytes);
    }
    folder.Write("old.vcf", "old export\r\n");
    std::filesystem::create_symlink(folder.File("old.vcf"), folder.File("link.vcf"));
    struct Case {
        std::string target, shown;
        const char* why;
    } cases[] = {
        {folder.File("old.vcf"), "old export\r\n", "an earlier export is put back"},
        {folder.File("link.vcf"), "old export\r\n", "through a link: the file it points to"},
        {folder.File("new.vcf"), "", "no file was there: none is left"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ZamoResult r = RunZamo({"--db", db, "export", c.target});
        EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
        EXPECT_EQ(r.out, "") << "nothing says it was exported";
        EXPECT_EQ(r.err.rfind("zamo: could not read every contact: database ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
        EXPECT_EQ(FileBytes(c.target), c.shown);
        EXPECT_EQ(std::filesystem::exists(c.target), !c.shown.empty());
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            EXPECT_NE(entry.path().filename().string()[0], '.')
                << "temporary file left behind: " << entry.path();
    }
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.vcf"))) << "the link stays a link";
}

TEST(ZamoFailures, ReadOnlyCommandsWriteNothing) {
    TempFolder folder;
    chmod(folder.Path().c_str(), 0777);  // the child's outputs land here
    std::string locked = folder.File("locked"), db = locked + "/c.db";
    std::filesystem::create_directory(locked);
    ASSERT_EQ(RunZamo({"--db", db, "import", folder.Write("in.vcf", Cards(3))}).exitCode, 0);
    chmod(locked.c_str(), 0555);
    chmod(db.c_str(), 0444);
    std::string before = FileBytes(db);
    struct Case {
        std::vector<std::string> args;
        ChildFaults faults;
        std::string out;  // a part of standard output
        const char* why;
    } cases[] = {
        {{"list"}, {-1, true}, "c-2  First2 Last2\n", "list, read-only file in a read-only folder"},
        {{"show", "c-1"}, {-1, true}, "Last name: Last1\n", "show, read-only file"},
        {{"export", "-"}, {-1, true}, "UID:c-0\r\n", "export to standard output, read-only file"},
        // 2,000 bytes take the outputs but not one page of a journal.
        {{"list", "--json"}, {2000, false}, "\"uid\": \"c-0\"", "list on a full disk"},
        {{"show", "c-2"}, {2000, false}, "First name: First2\n", "show on a full disk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), {"--db", db});
        ZamoChild child(folder, args, c.faults);
        ZamoResult r = child.Wait();
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        EXPECT_EQ(FileBytes(db), before);
    }
    chmod(locked.c_str(), 0755);
}

TEST(ZamoFailures, AReaderRightAfterAKilledWriterSeesTheOldContacts) {
    TempFolder folder;
    std::string db = folder.File("c.db");
    ASSERT_EQ(RunZamo({"--db", db, "import", folder.Write("in.vcf", Cards(300))}).exitCode, 0);
    // A writer that spills half a transaction into the file and dies: the
    // journal it leaves must be played back before anything is read.
    pid_t writer = fork();
    if (writer == 0) {
        sqlite3* handle = nullptr;
        sqlite3_open(db.c_str(), &handle);
        sqlite3_exec(handle, "PRAGMA cache_size = 1; BEGIN; UPDATE contact SET first_name = 'half';",
                     nullptr, nullptr, nullptr);
        _exit(0);
    }
    waitpid(writer, nullptr, 0);
    ASSERT_FALSE(FileBytes(db + "-journal").empty()) << "no journal left to test with";
    ZamoResult r = RunZamo({"--db", db, "show", "c-7"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("First name: First7\n"), std::string::npos) << r.out;
}

}  // namespace
