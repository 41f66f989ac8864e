/* Opening the contact database: created on first use, and a clear one-line
 * reason (nothing changed) for a missing folder, a file that is no database,
 * another program's database and a database locked by another process; UIDs
 * found in databases of this version and of the earlier one. */
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "store_fixture.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// Runs `sql` on the database at `path` outside the store; the first row's first
// column as text, or "error: ..." when it fails.
std::string RunSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return "error: cannot open";
    }
    char* message = nullptr;
    auto first = [](void* out, int columns, char** values, char**) {
        std::string& text = *static_cast<std::string*>(out);
        if (text.empty() && columns > 0 && values[0]) text = values[0];
        return 0;
    };
    if (sqlite3_exec(db, sql.c_str(), first, &result, &message) != SQLITE_OK)
        result = std::string("error: ") + (message ? message : "?");
    sqlite3_free(message);
    sqlite3_close(db);
    return result;
}

TEST_F(StoreTest, BadDatabasesAreRefusedWithAReason) {
    ZamoStore_Close(nullptr);
    std::ofstream(folder_ + "/notes.txt") << "just some text, long enough to have a header?\n";
    {
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open((folder_ + "/other.db").c_str(), &other), SQLITE_OK);
        sqlite3_exec(other, "CREATE TABLE t(x); INSERT INTO t VALUES(1);", nullptr, nullptr,
                     nullptr);
        sqlite3_close(other);
    }
    struct Case {
        std::string path, expectedReason;
        const char* why;
    } cases[] = {
        {folder_ + "/missing/contacts.db", "cannot open or create database", "folder missing"},
        {folder_ + "/notes.txt/contacts.db", "cannot open or create database",
         "a file where a folder should be"},
        {folder_ + "/notes.txt", "is not a database", "a text file"},
        {folder_ + "/other.db", "is not a zamo contact database", "another program's database"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        std::string before = ReadAll(c.path);
        std::string error;
        EXPECT_FALSE(ZamoStore_Open(c.path, &error));
        EXPECT_NE(error.find(c.expectedReason), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line";
        EXPECT_EQ(ReadAll(c.path), before) << "the file is left as it was";
    }
}

TEST_F(StoreTest, ADatabaseLockedByAnotherProcessIsRefused) {
    Add(u"a");
    ZamoStore_EndCommand(nullptr);
    // The lock is the store's for as long as it is open: a second process fails.
    pid_t pid = fork();
    if (pid == 0) {
        ZamoStore_Instance();  // a fresh process-wide store in the child
        ContactStore other;
        std::string error;
        bool opened = other.Open(DbPath(), &error);
        _exit(!opened && error.find("locked by another process") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(StoreTest, ReadOnlyFolderIsRefused) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    ZamoStore_Close(nullptr);
    std::string ro = folder_ + "/ro";
    std::filesystem::create_directory(ro);
    std::filesystem::permissions(ro, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(ZamoStore_Open(ro + "/contacts.db", &error));
    EXPECT_NE(error.find("cannot open or create database"), std::string::npos) << error;
    std::filesystem::permissions(ro, std::filesystem::perms::owner_all);
}

// Two UIDs whose keys are equal (FNV-1a of their UTF-16LE bytes, 0xC6309AE7 for
// both, found by a search in a separate script), so that a look-up has to tell
// them apart by the UID itself.
TEST_F(StoreTest, UidsAreFoundInThisAndTheEarlierDatabaseVersion) {
    ZamoStore_Close(nullptr);
    const std::string earlier = folder_ + "/earlier.db";
    ASSERT_EQ(RunSql(earlier, ReadAll(ZAMO_SOURCE_DIR "/tests/host/data/version1_database.sql")),
              "");
    struct Case {
        std::string path, version;
        const char* why;
    } cases[] = {
        {DbPath(), "2", "a new database: contacts found through the UID key"},
        {earlier, "1", "a database zamo 1.1.0 made: through the UID's own index"},
    };
    const WString uids[] = {u"uid-114388", u"uid-1988070", u"Зоя\n", u"x"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        std::string error;
        ASSERT_TRUE(ZamoStore_Open(c.path, &error)) << error;
        for (const WString& uid : uids) {
            EXPECT_EQ(Add(uid), uid);
            AddinZamo_Contact_SetDetails(uid.c_str(), uid.c_str());  // tells the contacts apart
            AddinZamo_Contact_SaveChanges(uid.c_str());
        }
        EXPECT_NE(Add(u"uid-114388"), u"uid-114388") << "a taken UID gets a fresh one";
        ASSERT_TRUE(ZamoStore_Close(&error)) << error;
        ASSERT_TRUE(ZamoStore_Open(c.path, &error, true)) << error;
        for (const WString& uid : uids)
            EXPECT_EQ(WString(AddinZamo_Contact_GetDetails(uid.c_str())), uid) << Narrow(uid);
        EXPECT_EQ(AddinZamo_Contact_IsPresent(u"uid-11438"), 0) << "no near miss";
        ASSERT_TRUE(ZamoStore_Close(&error)) << error;
        EXPECT_EQ(RunSql(c.path, "PRAGMA user_version"), c.version) << "the version is kept";
        EXPECT_EQ(RunSql(c.path, "SELECT count(*) FROM contact"), "5");
    }
    EXPECT_EQ(RunSql(DbPath(), "SELECT uid_key FROM contact WHERE uid = 'uid-1988070'"),
              "-969893145")
        << "0xC6309AE7 as a signed 32-bit number";
    ASSERT_EQ(RunSql(earlier, "PRAGMA user_version = 3"), "");
    std::string error;
    EXPECT_FALSE(ZamoStore_Open(earlier, &error));
    EXPECT_NE(error.find("made by a newer zamo"), std::string::npos) << error;
    ASSERT_TRUE(ZamoStore_Open(DbPath(), &error)) << error;  // for TearDown
}

}  // namespace
