// Faults around the zamo program and its SQLite database: a disk that fills, a
// kill in the middle of an import, a database that is locked, read-only or no
// database, an export whose disk fills, two imports at once. The database must
// pass its integrity check, hold whole cards only, and keep what was committed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sqlite3.h>

#include "figures.h"
#include "zamo_child.h"
#include "zamo_process.h"

namespace {

// n cards "<prefix>-<i>", each with a title, names, a home street and a telephone.
std::string Cards(const std::string& prefix, int n) {
    std::string text;
    for (int i = 0; i < n; ++i) {
        std::string k = std::to_string(i);
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + prefix + "-" + k + "\r\nFN:" + prefix + " " +
                k + "\r\nN:Last" + k + ";First" + k + ";;;\r\nADR;TYPE=HOME:;;Street " + k +
                ";City;;;\r\nTEL:" + k + "\r\nEND:VCARD\r\n";
    }
    return text;
}

std::string Count(const std::string& db, const std::string& prefix) {
    return QueryDatabase(db, "SELECT count(*) FROM contact WHERE uid LIKE '" + prefix + "-%'");
}

// Contacts of that prefix that lack any part of their card.
std::string BrokenCards(const std::string& db, const std::string& prefix) {
    std::string n = "substr(uid, " + std::to_string(prefix.size() + 2) + ")";
    return QueryDatabase(
        db, "SELECT count(*) FROM contact c WHERE uid LIKE '" + prefix + "-%' AND NOT (title = '" +
                prefix + " ' || " + n + " AND last_name = 'Last' || " + n +
                " AND first_name = 'First' || " + n + " AND home_street = 'Street ' || " + n +
                " AND (SELECT count(*) FROM communication m WHERE m.contact = c.id AND m.value = " +
                n + ") = 1 AND (SELECT count(*) FROM communication m WHERE m.contact = c.id) = 1)");
}

std::string Integrity(const std::string& db) { return QueryDatabase(db, "PRAGMA integrity_check"); }

bool MentionsAny(const std::string& text, const std::vector<std::string>& words) {
    for (const std::string& w : words)
        if (text.find(w) != std::string::npos) return true;
    return false;
}

// Another process that holds the database locked (an exclusive transaction) until
// it is destroyed. A process of its own, since closing any descriptor of a file
// drops the POSIX locks this process holds on it.
class LockHolder {
public:
    explicit LockHolder(const std::string& db) {
        int ready[2], release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) return;
        std::fflush(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(release[1]);
            sqlite3* handle = nullptr;
            char ok = sqlite3_open(db.c_str(), &handle) == SQLITE_OK &&
                      sqlite3_exec(handle, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
            if (write(ready[1], &ok, 1) != 1) _exit(1);
            char ignored;
            while (read(release[0], &ignored, 1) > 0) {
            }
            sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(handle);
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        release_ = release[1];
        char ok = 0;
        locked_ = read(ready[0], &ok, 1) == 1 && ok;
        close(ready[0]);
    }
    ~LockHolder() {
        if (release_ >= 0) close(release_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    bool Locked() const { return locked_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool locked_ = false;
};

class HostFaults : public testing::Test {
protected:
    void SetUp() override {
        db = folder.File("contacts.db");
        folder.Write("before.vcf", Cards("before", 10));
        ZamoResult r = RunZamo({"--db", db, "import", folder.File("before.vcf")});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        ASSERT_EQ(Count(db, "before"), "10");
    }
    // The cards imported before any fault, whole.
    void ExpectEarlierCardsIntact(Figures& figures) {
        EXPECT_KEPT_EQ(figures, Integrity(db), "ok");
        EXPECT_KEPT_EQ(figures, Count(db, "before"), "10");
        EXPECT_KEPT_EQ(figures, BrokenCards(db, "before"), "0");
    }
    TempFolder folder;
    std::string db;
};

TEST_F(HostFaults, DiskFillingDuringAnImportKeepsTheCommittedCards) {
    folder.Write("second.vcf", Cards("second", 40));
    folder.Write("big.vcf", Cards("big", 3000));
    long long base = static_cast<long long>(FileBytes(db).size());
    struct Case {
        long long room;  // bytes the database (or its journal) may grow beyond its size
        const char* why;
    } cases[] = {
        {0, "not one more page"},
        {4096, "one page"},
        {65536, "the second file fits, the big one does not"},
        {262144, "a good part of the big file"},
    };
    Figures figures("fault");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.room) + " bytes of room: " + c.why);
        figures.StartCase();
        std::string saved = FileBytes(db);
        ZamoChild child(folder, {"--db", db, "import", folder.File("second.vcf"), folder.File("big.vcf")},
                        {base + c.room, false});
        ZamoResult r = child.Wait();
        EXPECT_NE(r.exitCode, 0) << "a failed import reported as success";
        EXPECT_LT(r.exitCode, 128) << "zamo died: " << r.err;
        EXPECT_EQ(r.err.compare(0, 6, "zamo: "), 0) << "no clear message: " << r.err;
        ExpectEarlierCardsIntact(figures);
        EXPECT_KEPT_EQ(figures, BrokenCards(db, "second"), "0");
        EXPECT_KEPT_EQ(figures, BrokenCards(db, "big"), "0");
        std::string second = Count(db, "second"), big = Count(db, "big");
        EXPECT_TRUE(second == "0" || second == "40") << "part of a file: " << second;
        EXPECT_EQ(big, "0") << "the big file cannot fit, yet some of it is kept";
        // Back to the state before, for the next limit.
        std::ofstream(db, std::ios::binary | std::ios::trunc) << saved;
    }
}

TEST_F(HostFaults, KillInTheMiddleOfAnImportLeavesWholeCards) {
    std::vector<std::string> args{"--db", db, "import"};
    for (int f = 0; f < 8; ++f) {
        std::string name = "part" + std::to_string(f);
        folder.Write(name + ".vcf", Cards(name, 400));
        args.push_back(folder.File(name + ".vcf"));
    }
    std::string saved = FileBytes(db);
    // How long the whole import takes here, to aim the kills into it.
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(ZamoChild(folder, args).Wait().exitCode, 0);
    auto whole = std::chrono::steady_clock::now() - start;
    std::ofstream(db, std::ios::binary | std::ios::trunc) << saved;
    struct Case {
        int percent;  // of the whole import's time
        const char* why;
    } cases[] = {
        {0, "at once, while the database is opened"},
        {20, "early"},
        {50, "in the middle"},
        {80, "late"},
    };
    int killedMidway = 0;
    Figures figures("fault");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.percent) + "% of the import's time: " + c.why);
        figures.StartCase();
        ZamoResult r;
        {
            ZamoChild child(folder, args);
            std::this_thread::sleep_for(whole * c.percent / 100);
            r = child.Kill();
        }
        killedMidway += r.exitCode == 128 + SIGKILL;
        EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 128 + SIGKILL) << r.err;
        ExpectEarlierCardsIntact(figures);
        for (int f = 0; f < 8; ++f) {
            std::string name = "part" + std::to_string(f), count = Count(db, name);
            SCOPED_TRACE(name);
            EXPECT_KEPT_EQ(figures, BrokenCards(db, name), "0");
            EXPECT_TRUE(count == "0" || count == "400") << name << " kept in part: " << count;
        }
        std::remove((db + "-journal").c_str());
        std::ofstream(db, std::ios::binary | std::ios::trunc) << saved;
    }
    EXPECT_GE(killedMidway, 1) << "the kills came too late to test anything";
}

TEST_F(HostFaults, RefusedDatabasesAreReportedAndLeftAsTheyWere) {
    folder.Write("new.vcf", Cards("new", 5));
    chmod(folder.Path().c_str(), 0777);
    std::string before = FileBytes(db);
    struct Case {
        const char* name;
        std::function<void()> prepare;  // makes the fault
        std::function<void()> undo;
        bool asNobody;
        std::vector<std::string> words;  // one of them names the fault in the message
        const char* why;
    };
    std::unique_ptr<LockHolder> holder;
    Case cases[] = {
        {"locked by another process", [&] { holder = std::make_unique<LockHolder>(db); },
         [&] { holder.reset(); }, false, {"lock", "busy"}, "another program holds the database"},
        {"read-only file", [&] { chmod(db.c_str(), 0444); }, [&] { chmod(db.c_str(), 0644); }, true,
         {"read", "only", "permission", "denied", "open"}, "no write permission on the file"},
        {"read-only folder", [&] { chmod(db.c_str(), 0666); chmod(folder.Path().c_str(), 0555); },
         [&] { chmod(folder.Path().c_str(), 0777); chmod(db.c_str(), 0644); }, true,
         {"read", "only", "permission", "denied", "open", "journal"},
         "the file is writable, but no journal can be made beside it"},
        {"not a database",
         [&] { std::ofstream(db, std::ios::binary | std::ios::trunc) << std::string(8192, 'x'); },
         nullptr, false, {"not a", "database"}, "8 KB of text"},
        {"another program's database",
         [&] {
             std::remove(db.c_str());
             sqlite3* other = nullptr;
             sqlite3_open(db.c_str(), &other);
             sqlite3_exec(other, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');",
                          nullptr, nullptr, nullptr);
             sqlite3_close(other);
         },
         nullptr, false, {"not a zamo", "database"}, "an SQLite file with other tables"},
    };
    Figures figures("fault");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.why);
        figures.StartCase();
        std::ofstream(db, std::ios::binary | std::ios::trunc) << before;
        c.prepare();
        if (holder) {
            ASSERT_TRUE(holder->Locked()) << "the lock could not be taken";
        }
        std::string expected = FileBytes(db);
        ZamoChild child(folder, {"--db", db, "import", folder.File("new.vcf")}, {-1, c.asNobody});
        ZamoResult r = child.Wait();
        if (c.undo) c.undo();
        EXPECT_NE(r.exitCode, 0);
        EXPECT_LT(r.exitCode, 128) << "zamo died: " << r.err;
        EXPECT_TRUE(MentionsAny(r.err, c.words)) << "unclear message: " << r.err;
        EXPECT_KEPT(figures, FileBytes(db) == expected);
        EXPECT_TRUE(FileBytes(db + "-journal").empty()) << "a journal was left";
    }
}

TEST_F(HostFaults, ExportOntoAFullDiskLeavesWholeLinesAndTheDatabaseUntouched) {
    folder.Write("more.vcf", Cards("more", 200));
    ASSERT_EQ(RunZamo({"--db", db, "import", folder.File("more.vcf")}).exitCode, 0);
    ZamoResult full = RunZamo({"--db", db, "export", folder.File("full.vcf")});
    ASSERT_EQ(full.exitCode, 0) << full.err;
    std::string reference = folder.Read("full.vcf");
    ASSERT_GT(reference.size(), 50000u);
    std::string database = FileBytes(db);
    struct Case {
        long long limit;
        const char* why;
    } cases[] = {
        {1, "not one line"},
        {100, "inside the first card"},
        {5000, "a few cards"},
        {40000, "most of the file"},
    };
    Figures figures("fault");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.limit) + " bytes: " + c.why);
        figures.StartCase();
        std::remove(folder.File("cut.vcf").c_str());
        ZamoChild child(folder, {"--db", db, "export", folder.File("cut.vcf")}, {c.limit, false});
        ZamoResult r = child.Wait();
        EXPECT_LT(r.exitCode, 128) << "zamo died: " << r.err;
        std::string cut = folder.Read("cut.vcf");
        EXPECT_LE(cut.size(), static_cast<size_t>(c.limit));
        EXPECT_KEPT(figures, reference.compare(0, cut.size(), cut) == 0);
        EXPECT_TRUE(EndsAfterWholeLine(cut)) << "the file ends inside a line, after " << cut.size()
                                             << " bytes";
        EXPECT_KEPT(figures, FileBytes(db) == database);
    }
}

TEST_F(HostFaults, TwoImportsAtOnceLoseNothing) {
    folder.Write("a.vcf", Cards("a", 1500));
    folder.Write("b.vcf", Cards("b", 1500));
    std::string saved = FileBytes(db);
    struct Case {
        int gapMs;
        const char* why;
    } cases[] = {
        {0, "started together"},
        {100, "the second while the first imports"},
    };
    Figures figures("fault");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.gapMs) + " ms apart: " + c.why);
        figures.StartCase();
        ZamoChild first(folder, {"--db", db, "import", folder.File("a.vcf")});
        std::this_thread::sleep_for(std::chrono::milliseconds(c.gapMs));
        ZamoChild second(folder, {"--db", db, "import", folder.File("b.vcf")});
        ZamoResult ra = first.Wait(), rb = second.Wait();
        ExpectEarlierCardsIntact(figures);
        for (auto [result, prefix] : {std::pair{ra, "a"}, std::pair{rb, "b"}}) {
            SCOPED_TRACE(std::string("import of ") + prefix);
            EXPECT_LT(result.exitCode, 128) << "zamo died: " << result.err;
            EXPECT_KEPT_EQ(figures, BrokenCards(db, prefix), "0");
            if (result.exitCode == 0) {
                EXPECT_KEPT_EQ(figures, Count(db, prefix), "1500");
            } else {
                EXPECT_TRUE(MentionsAny(result.err, {"lock", "busy"})) << "unclear: " << result.err;
                EXPECT_EQ(Count(db, prefix), "0") << "refused, yet cards were written";
            }
        }
        EXPECT_TRUE(ra.exitCode == 0 || rb.exitCode == 0) << "neither import was done";
        std::ofstream(db, std::ios::binary | std::ios::trunc) << saved;
    }
}

}  // namespace
