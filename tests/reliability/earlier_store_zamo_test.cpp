// Through zamo and SQLite: an address book that the earlier importer filled from
// a UTF-8 file (a line feed at the end of every UID and value, made here by
// editing a database of zamo 1.1.0's version as that importer left it) gets no
// duplicate contact and no duplicate communication when the same file is
// imported again.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <sstream>
#include <string>

#include "zamo_child.h"
#include "zamo_process.h"

namespace {

// Creates the database at `path` as zamo 1.1.0 made it; "" or the error.
std::string CreateVersion1Database(const std::string& path) {
    std::ifstream file(ZAMO_SOURCE_DIR "/tests/host/data/version1_database.sql");
    std::ostringstream sql;
    sql << file.rdbuf();
    sqlite3* db = nullptr;
    std::string error;
    char* message = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, sql.str().c_str(), nullptr, nullptr, &message) != SQLITE_OK)
        error = message ? message : "cannot create " + path;
    sqlite3_free(message);
    sqlite3_close(db);
    return error;
}

TEST(EarlierStoreThroughZamo, ReimportingAUtf8FileAddsNoDuplicates) {
    TempFolder folder;
    const std::string db = folder.File("contacts.db");
    ASSERT_EQ(CreateVersion1Database(db), "");
    const std::string card1 =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u1\r\nFN:Ann Lee\r\nN:Lee;Ann\r\nTEL:123\r\n"
        "EMAIL:ann@example.org\r\nREV:20100615T093000Z\r\nEND:VCARD\r\n";
    const std::string card2 =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u2\r\nFN:Bob\r\nN:Bob\r\nTEL:555\r\n"
        "REV:20100615T093000Z\r\nEND:VCARD\r\n";
    const std::string first = folder.Write("book.vcf", card1 + card2);
    ASSERT_EQ(RunZamo({"--db", db, "import", first}).exitCode, 0);
    // What the earlier importer stored for the same file.
    ASSERT_EQ(QueryDatabase(db, "UPDATE contact SET uid = uid || char(10)"), "");
    ASSERT_EQ(QueryDatabase(db, "UPDATE communication SET value = value || char(10)"), "");
    const std::string stored = QueryDatabase(db, "SELECT uid FROM contact ORDER BY uid");
    ASSERT_EQ(stored, "u1\n\nu2\n") << "rows joined by line feeds, each UID ending in one";

    // The same file again, with one new number on the first card.
    std::string again = card1;
    again.insert(again.find("EMAIL:"), "TEL:456\r\n");
    const std::string second = folder.Write("book2.vcf", again + card2);
    ZamoResult run = RunZamo({"--db", db, "import", "--overwrite", "yes", second});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(QueryDatabase(db, "SELECT uid FROM contact ORDER BY uid"), stored)
        << "no contact added";
    EXPECT_EQ(QueryDatabase(db, "SELECT c.uid, m.kind, m.value FROM communication m "
                                "JOIN contact c ON c.id = m.contact ORDER BY c.uid, m.seq"),
              "u1\n|tel|123\n\n"
              "u1\n|eml|ann@example.org\n\n"
              "u1\n|tel|456\n"
              "u2\n|tel|555\n")
        << "only the new number is added";
    EXPECT_EQ(QueryDatabase(db, "PRAGMA user_version"), "1") << "the database keeps its version";
}

}  // namespace
