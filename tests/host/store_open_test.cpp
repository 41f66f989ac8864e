/* Opening the contact database: created on first use, and a clear one-line
 * reason (nothing changed) for a missing folder, a file that is no database,
 * another program's database and a database locked by another process. */
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

}  // namespace
