/* ContactStore (see contact_store.h): schema, lock and open checks, the cached
 * contact and its write-back, the tree caches and the commit points. */
#include "contact_store.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <ctime>
#include <random>
#include <unordered_set>

#include "host_system.h"
#include "lane_mask.h"
#include "ole_date.h"

namespace {

constexpr int kApplicationId = 0x5A414D4F;  // "ZAMO"
// Version 2 finds contacts by a 32-bit key of the UID (UidKey), whose index stays
// small enough for the page cache at a million contacts; version 1 databases
// keep their unique index on the UID itself and are used as they are.
constexpr int kSchemaVersion = 2;
constexpr int kUnkeyedSchemaVersion = 1;
// About 16 MB of page cache for a writer: the UID key index of a million
// contacts stays in it, and a job's peak memory stays far under 32 MB.
constexpr int kWriterCacheKb = 16384;
// Look-ups in one command before the store's UID keys are read into bits (2 MB):
// a job of a few cards never pays for them.
constexpr long kKeysAfterLookups = 4096;
constexpr unsigned kKeyWordsLog2 = 18;
constexpr int kFirstFieldColumn = 6;  // id, uid, parent, created, modified, birth, fields...
const WCHAR kRoot[] = TEXT("root");

// FNV-1a (32 bits) over the UID's UTF-16 little-endian bytes, as a signed
// number. Stored in every version 2 database: it must never change.
int64_t UidKey(WStringView uid) {
    uint32_t hash = 2166136261u;
    for (WCHAR unit : uid) {
        hash = (hash ^ (unit & 0xFFu)) * 16777619u;
        hash = (hash ^ (unit >> 8)) * 16777619u;
    }
    return static_cast<int32_t>(hash);
}

bool IsRoot(WStringView uid) { return uid == WStringView(kRoot); }

std::string FieldColumns(const char* suffix) {
    std::string s;
    for (const ContactFieldInfo& f : kContactFields) {
        s += ", ";
        s += f.column;
        s += suffix;
    }
    return s;
}

std::string SchemaSql() {
    std::string s =
        "CREATE TABLE contact(id INTEGER PRIMARY KEY, uid TEXT NOT NULL, uid_key INTEGER NOT NULL,"
        " parent INTEGER NOT NULL, insert_text TEXT NOT NULL DEFAULT '',"
        " created REAL NOT NULL, modified REAL NOT NULL, birth REAL NOT NULL";
    s += FieldColumns(" TEXT NOT NULL DEFAULT ''");
    s += ");"
         "CREATE INDEX contact_parent ON contact(parent, id);"
         "CREATE INDEX contact_uid_key ON contact(uid_key);"
         "CREATE TABLE communication(contact INTEGER NOT NULL, seq INTEGER NOT NULL,"
         " kind TEXT NOT NULL, value TEXT NOT NULL, sub_kind TEXT,"
         " PRIMARY KEY(contact, seq)) WITHOUT ROWID;"
         "PRAGMA application_id = " + std::to_string(kApplicationId) + ";"
         "PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
    return s;
}

bool ValidDate(double date) {
    return std::isfinite(date) && date >= kOleMinDate && date <= kOleEmptyDate;
}

int QueryInt(sqlite3* db, const char* sql, int* result) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            *result = sqlite3_column_int(stmt, 0);
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(stmt);
    return rc;
}

std::string OpenFailure(const std::string& path, int rc, sqlite3* db) {
    switch (rc & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "database " + path + " is locked by another process";
        case SQLITE_NOTADB:
            return path + " is not a database";
        case SQLITE_CANTOPEN:
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_IOERR:
            return "cannot open or create database " + path + ": " +
                   (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        default:
            return "cannot use database " + path + ": " +
                   (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    }
}

// Opens the existing database for writing just long enough for SQLite to roll
// back the journal a killed writer left; true when that worked.
bool RollBackLeftJournal(const std::string& path) {
    sqlite3* db = nullptr;
    int tables = 0;
    bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
              QueryInt(db, "SELECT count(*) FROM sqlite_master", &tables) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

}  // namespace

ContactStore::ContactStore() : uidSeed_(std::random_device{}()) {
    uidSeed_ = (uidSeed_ << 32) ^ static_cast<uint64_t>(std::time(nullptr));
}

ContactStore::~ContactStore() { Close(nullptr); }

bool ContactStore::Open(const std::string& path, std::string* error, bool readOnly) {
    Close(nullptr);
    auto fail = [&](int rc) {
        if (error) *error = OpenFailure(path, rc, db_);
        sqlite3_close(db_);
        db_ = nullptr;
        return false;
    };
    // SQLite's count of the memory it holds takes a process-wide lock at every
    // allocation and nothing here reads it; it can only be turned off before
    // SQLite's first use, so a later call changes nothing.
    static const int kMemoryCountOff = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)kMemoryCountOff;
    // One thread uses the connection: SQLite need not lock around each call.
    int rc = sqlite3_open_v2(path.c_str(), &db_,
                             (readOnly ? SQLITE_OPEN_READONLY
                                       : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                                 SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) return fail(rc);
    sqlite3_extended_result_codes(db_, 0);
    sqlite3_busy_timeout(db_, 250);
    // The whole process owns the database: the lock, once taken, stays until
    // close. A reader only shares it, and writes nothing, not even a journal.
    if ((rc = sqlite3_exec(db_,
                           readOnly ? "PRAGMA locking_mode = EXCLUSIVE;"
                                    : ("PRAGMA encoding = 'UTF-16le'; PRAGMA locking_mode = "
                                      "EXCLUSIVE; PRAGMA journal_mode = DELETE; PRAGMA "
                                      "synchronous = FULL; PRAGMA cache_size = -" +
                                      std::to_string(kWriterCacheKb)).c_str(),
                           nullptr, nullptr, nullptr)) != SQLITE_OK)
        return fail(rc);
    if ((rc = sqlite3_exec(db_, readOnly ? "BEGIN" : "BEGIN IMMEDIATE", nullptr, nullptr,
                           nullptr)) != SQLITE_OK)
        return fail(rc);
    int appId = 0, tables = 0, version = 0;
    if ((rc = QueryInt(db_, "PRAGMA application_id", &appId)) != SQLITE_OK ||
        (rc = QueryInt(db_, "SELECT count(*) FROM sqlite_master", &tables)) != SQLITE_OK ||
        (rc = QueryInt(db_, "PRAGMA user_version", &version)) != SQLITE_OK) {
        // A program killed while writing leaves a journal that must be played
        // back before anyone reads: a reader may do that much, once, then reads.
        if (readOnly && (rc & 0xff) == SQLITE_READONLY) {
            std::string message = OpenFailure(path, rc, db_);
            sqlite3_close(db_);
            db_ = nullptr;
            if (RollBackLeftJournal(path)) return Open(path, error, true);
            if (error) *error = message;
            return false;
        }
        return fail(rc);
    }
    bool fresh = appId == 0 && tables == 0;
    bool known = appId == kApplicationId &&
                 (version == kSchemaVersion || version == kUnkeyedSchemaVersion);
    if ((!fresh && !known) || (fresh && readOnly)) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        if (error && !fresh && appId == kApplicationId && version > kSchemaVersion)
            *error = path + " was made by a newer zamo (database version " +
                     std::to_string(version) + ")";
        else if (error)
            *error = path + " is not a zamo contact database" + (fresh ? " (it is empty)" : "");
        sqlite3_close(db_);
        db_ = nullptr;
        return false;
    }
    // A fresh database gets its tables; an existing one a write that is rolled
    // back, so that a folder where no journal can be made is found out now.
    rc = readOnly ? SQLITE_OK
                  : sqlite3_exec(db_,
                                 (fresh ? SchemaSql()
                                        : "PRAGMA user_version = " + std::to_string(version))
                                     .c_str(),
                                 nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = OpenFailure(path, rc, db_);
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        if (error) *error = message;
        sqlite3_close(db_);
        db_ = nullptr;
        return false;
    }
    rc = sqlite3_exec(db_, fresh ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
    keyedUids_ = fresh || version == kSchemaVersion;
    if (rc != SQLITE_OK || !PrepareStatements()) return fail(rc != SQLITE_OK ? rc : SQLITE_ERROR);
    // Once the database is ours, a process that still holds a read lock while it
    // gives up opening (within the 250 ms above) is waited for, not failed on.
    sqlite3_busy_timeout(db_, 5000);
    path_ = path;
    readOnly_ = readOnly;
    current_ = ContactRecord();
    childCounts_.clear();
    childrenLoaded_ = false;
    pendingPresent_ = 0;
    error_.clear();
    return true;
}

bool ContactStore::PrepareStatements() {
    // Both row reads give the columns TakeRow expects.
    const std::string row = "SELECT id, uid, parent, created, modified, birth" +
                            FieldColumns("") + " FROM contact";
    // ?1 the UID, ?2 its key (bound by BindUid).
    const char* byUid = keyedUids_ ? " WHERE uid_key = ?2 AND uid = ?1" : " WHERE uid = ?1";
    const std::string select = row + byUid;
    const std::string walk = row + " WHERE parent = ?1 AND id > ?2 ORDER BY id LIMIT -1 OFFSET ?3";
    std::string insert = "INSERT INTO contact(id, uid, parent, insert_text, created, modified,"
                         " birth" + FieldColumns("") + (keyedUids_ ? ", uid_key" : "") +
                         ") VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7";
    for (size_t i = 0; i < kContactFieldCount; ++i) insert += ", ?" + std::to_string(8 + i);
    if (keyedUids_) insert += ", ?" + std::to_string(8 + kContactFieldCount);
    insert += ")";
    std::string update = "UPDATE contact SET modified = ?1, birth = ?2";
    int index = 3;
    for (const ContactFieldInfo& f : kContactFields)
        update += std::string(", ") + f.column + " = ?" + std::to_string(index++);
    update += " WHERE id = ?" + std::to_string(index);
    return selectByUid_.Prepare(db_, select.c_str()) &&
           selectIdByUid_.Prepare(db_, (std::string("SELECT id FROM contact") + byUid).c_str()) &&
           insertContact_.Prepare(db_, insert.c_str()) &&
           updateContact_.Prepare(db_, update.c_str()) &&
           insertComm_.Prepare(db_,
                               "INSERT INTO communication(contact, seq, kind, value, sub_kind)"
                               " VALUES(?1, ?2, ?3, ?4, ?5)") &&
           selectChildCounts_.Prepare(db_,
                                      "SELECT parent, count(*) FROM contact GROUP BY parent") &&
           selectWalk_.Prepare(db_, walk.c_str()) &&
           selectCommsFrom_.Prepare(db_,
                                    "SELECT contact, kind, value, sub_kind FROM communication"
                                    " WHERE contact >= ?1 ORDER BY contact, seq") &&
           selectMaxId_.Prepare(db_, "SELECT coalesce(max(id), 0) FROM contact") &&
           selectAll_.Prepare(db_,
                              "SELECT id, parent, uid, first_name, middle_name, last_name, title,"
                              " (SELECT value FROM communication WHERE contact = c.id"
                              "  AND kind = 'tel' ORDER BY seq LIMIT 1),"
                              " (SELECT value FROM communication WHERE contact = c.id"
                              "  AND kind = 'eml' ORDER BY seq LIMIT 1)"
                              " FROM contact c ORDER BY id") &&
           deleteComms_.Prepare(db_, "DELETE FROM communication WHERE contact = ?1") &&
           selectCommAt_.Prepare(db_,
                                 "SELECT kind, value, sub_kind FROM communication"
                                 " WHERE contact = ?1 AND seq = ?2");
}

bool ContactStore::Close(std::string* error) {
    if (!db_) return true;
    if (dryRun_) DropTransaction();
    bool ok = EndCommand(error);
    for (Statement* s : {&selectByUid_, &selectIdByUid_, &insertContact_, &updateContact_,
                         &insertComm_, &selectChildCounts_, &selectAll_,
                         &selectWalk_, &selectCommsFrom_, &selectMaxId_, &deleteComms_,
                         &selectCommAt_})
        s->Finalize();
    sqlite3_close(db_);
    db_ = nullptr;
    return ok;
}

bool ContactStore::Exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    return Fail(sql);
}

bool ContactStore::Fail(const char* what, int rc) {
    if (!error_.empty()) return false;
    // A reset statement may have cleared the connection's message: the step's code tells.
    const char* reason = !db_ ? "no database open"
                         : sqlite3_errcode(db_) == SQLITE_OK && rc != SQLITE_OK ? sqlite3_errstr(rc)
                                                                                : sqlite3_errmsg(db_);
    error_ = std::string("database ") + path_ + ": " + what + ": " + reason;
    return false;
}

bool ContactStore::EnsureTransaction() {
    if (!db_) return Fail("write");
    if (Stopped()) return false;
    // After a failure (a full disk) SQLite may have rolled the transaction back
    // already: nothing more is written until the command ends, so no card is
    // written outside a transaction.
    if (!error_.empty()) return false;
    PauseCursors();  // every write comes here first
    if (inTransaction_) return true;
    if (!Exec("BEGIN IMMEDIATE")) return false;
    inTransaction_ = true;
    return true;
}

bool ContactStore::Commit() {
    if (!db_) return true;
    if (failPending_ || Stopped()) {
        DropTransaction();
        failPending_ = false;
        return false;
    }
    bool ok = Flush();
    if (dryRun_) return ok && error_.empty();
    if (inTransaction_) {
        inTransaction_ = false;
        // A transaction in which a write failed is dropped whole, and with it
        // what the caches knew of it.
        if (!error_.empty() || !Exec("COMMIT")) {
            PauseCursors();
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            ForgetWrites();
            ok = false;
        }
    }
    return ok;
}

void ContactStore::DropTransaction() {
    if (!inTransaction_) return;
    PauseCursors();
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    inTransaction_ = false;
    ForgetWrites();
    pendingPresent_ = 0;
}

void ContactStore::ForgetWrites() {
    // The cached contact, a row not yet written and the tree may hold what was
    // just dropped.
    current_ = ContactRecord();
    rowPending_ = false;
    nextId_ = 0;
    childCounts_.clear();
    childrenLoaded_ = false;
}

void ContactStore::RollBackAll() { DropTransaction(); }

bool ContactStore::Stopped() {
    if (stopped_) return true;
    if (!stopFlag_ || !*stopFlag_) return false;
    stopped_ = true;
    DropTransaction();
    return true;
}

void ContactStore::SetStopFlag(const volatile std::sig_atomic_t* flag) {
    stopFlag_ = flag;
    stopped_ = false;
}

void ContactStore::BeginChanges() {
    if (!db_) return;
    if (inBracket_) EndChanges();  // a bracket that was never ended ends here
    inBracket_ = true;
    failPending_ = false;
    bracketStart_ = counters_;
    EnsureTransaction();
}

void ContactStore::FailChanges() { failPending_ = true; }

void ContactStore::EndChanges() {
    if (!inBracket_) {
        Commit();
        return;
    }
    inBracket_ = false;
    if (pendingPresent_) ++counters_.skipped;
    pendingPresent_ = 0;
    ChangesResult result;
    result.stopped = Stopped();
    result.saved = Commit();
    const StoreCounters& a = bracketStart_;
    StoreCounters& c = counters_;
    result.counters = {c.created - a.created, c.overwritten - a.overwritten,
                       c.skipped - a.skipped, c.communications - a.communications,
                       c.presenceChecks - a.presenceChecks};
    // What was rolled back is not counted in the command's totals.
    if (!result.saved) c = {a.created, a.overwritten, a.skipped, a.communications, c.presenceChecks};
    changes_.push_back(result);
}

bool ContactStore::EndCommand(std::string* error) {
    if (inBracket_) EndChanges();
    Commit();
    if (pendingPresent_) ++counters_.skipped;
    pendingPresent_ = 0;
    PauseCursors();
    walks_.clear();
    childCounts_.clear();
    childrenLoaded_ = false;
    nextId_ = 0;
    absentUid_.clear();
    keyBits_ = std::vector<uint64_t>();
    lookups_ = 0;
    bool ok = error_.empty();
    if (!ok && error) *error = error_;
    error_.clear();
    return ok;
}

double ContactStore::Now() const {
    if (clock_) return clock_();
    return SystemTimeToOleDate(LocalNow());
}

namespace {

// Eight units read as one block whatever the types around them.
typedef EightLanes __attribute__((may_alias, aligned(2))) UnitBlock;
constexpr size_t kBlockUnits = sizeof(UnitBlock) / sizeof(WCHAR);
constexpr uintptr_t kPageSize = 4096;  // the smallest page of the targets

// True when the eight units at `text` equal those at `own`, of which none is
// NUL but the last when `last` (own's terminator). Reads all sixteen bytes,
// which the caller knows to lie in one page: when the terminator of `text`
// comes first, that unit differs from `own`'s and the units after it never
// decide the answer. The sanitizer would count those as read past the string.
__attribute__((no_sanitize_address)) bool SameBlock(const WCHAR* text, const WCHAR* own,
                                                    bool last) {
    EightLanes ownUnits;
    std::memcpy(&ownUnits, own, sizeof ownUnits);
    const EightLanes textUnits = *reinterpret_cast<const UnitBlock*>(text);
    // Units that differ as bits 0-7, NULs of `own` as bits 8-15.
    const unsigned counted = last ? 0x7FFFu : 0xFFFFu;
    return (LaneMask(textUnits != ownUnits, ownUnits == 0) & counted) == 0;
}

// True when NUL-terminated `text` holds exactly `own`, `length` units that
// hold no NUL (one that does equals no text). Eight units at a time where the
// units of `own` and its terminator, counted from `text`, lie in one page;
// otherwise unit by unit, stopping at the first difference.
bool SameText(const WCHAR* text, const WCHAR* own, size_t length) {
    const size_t units = length + 1;  // with the terminator
    if (units < kBlockUnits ||
        reinterpret_cast<uintptr_t>(text) % kPageSize + units * sizeof(WCHAR) > kPageSize) {
        for (size_t i = 0; i < length; ++i)
            if (text[i] != own[i] || own[i] == 0) return false;
        return text[length] == 0;
    }
    for (size_t i = 0; i + kBlockUnits < units; i += kBlockUnits)
        if (!SameBlock(text + i, own + i, false)) return false;
    // The last eight units, ending with the terminator, overlap those compared.
    return SameBlock(text + units - kBlockUnits, own + units - kBlockUnits, true);
}

}  // namespace

WStringView ContactStore::UidView(const WCHAR* uid) const {
    if (!uid) return WStringView();
    if (current_.id != 0 && SameText(uid, current_.uid.c_str(), current_.uid.size()))
        return current_.uid;
    return WStringView(uid);
}

void ContactStore::BindUid(Statement& statement, WStringView uid) {
    statement.BindText(1, uid);
    if (keyedUids_) statement.BindInt(2, UidKey(uid));
}

ContactRecord* ContactStore::Find(WStringView uid) {
    if (current_.id != 0 && uid.data() == current_.uid.data() && uid.size() == current_.uid.size())
        return &current_;
    if (!db_ || uid.empty() || IsRoot(uid)) return nullptr;
    if (current_.id != 0 && current_.uid == uid) return &current_;
    WString key(uid);  // the argument may point into the record replaced below
    if (!Flush()) return nullptr;
    if (keyedUids_ && !readOnly_ && !MayHoldKey(UidKey(key))) return nullptr;
    BindUid(selectByUid_, key);
    int rc = selectByUid_.Step();
    ContactRecord* found = nullptr;
    if (rc == SQLITE_ROW) {
        TakeRow(selectByUid_);
        found = &current_;
    } else if (rc != SQLITE_DONE) {
        Fail("read contact", rc);
    }
    selectByUid_.Reset();
    return found;
}

void ContactStore::TakeRow(const Statement& row) {
    current_.id = row.Int(0);
    current_.uid.assign(row.Text(1));
    current_.parentId = row.Int(2);
    current_.parentUid.clear();
    current_.created = row.Double(3);
    current_.modified = row.Double(4);
    current_.birth = row.Double(5);
    for (size_t i = 0; i < kContactFieldCount; ++i)
        current_.fields[i].assign(row.Text(kFirstFieldColumn + static_cast<int>(i)));
    current_.communications.clear();
    current_.communicationCount = 0;
    current_.communicationsLoaded = false;
    current_.dirty = false;
    rowPending_ = false;
}

void ContactStore::PauseCursors() {
    if (walkLive_ >= 0) selectWalk_.Reset();
    if (commsLive_ || commsDone_) selectCommsFrom_.Reset();
    walkLive_ = -1;
    commsLive_ = commsDone_ = false;
}

namespace {

// Reads the communication the statement stands on, columns from `first` on:
// kind, value, sub-kind.
void TakeCommunication(const Statement& row, int first, StoredCommunication& c) {
    c.kind.assign(row.Text(first));
    c.value.assign(row.Text(first + 1));
    c.hasSubKind = !row.IsNull(first + 2);
    c.subKind.assign(row.Text(first + 2));
}

// Counts one more communication of `record`: true when the record is to hold it
// (always with `all`); past ContactStore::kHeldCommunications it gives up its list.
bool CountCommunication(ContactRecord& record, bool all) {
    if (++record.communicationCount <= ContactStore::kHeldCommunications || all) return true;
    if (!record.communications.empty()) std::vector<StoredCommunication>().swap(record.communications);
    return false;
}

}  // namespace

bool ContactStore::LoadCommunications(ContactRecord& record, bool all) {
    if (record.communicationsLoaded &&
        (record.communications.size() == record.communicationCount || !all))
        return true;
    record.communications.clear();
    record.communicationCount = 0;
    // Contacts asked for in id order (an export walk) share one cursor that
    // reads ahead; a step back, or a long way forward, seeks afresh.
    constexpr int kMostSkipped = 64;
    const int64_t id = record.id;
    auto step = [&] {
        int rc = selectCommsFrom_.Step();
        commsLive_ = rc == SQLITE_ROW;
        commsDone_ = rc == SQLITE_DONE;
        if (commsLive_) commsAt_ = selectCommsFrom_.Int(0);
        return commsLive_ || commsDone_;
    };
    auto seek = [&] {
        selectCommsFrom_.Reset();
        selectCommsFrom_.BindInt(1, id);
        commsFrom_ = id;
        return step();
    };
    bool ok = (commsLive_ || commsDone_) && id >= commsFrom_ ? true : seek();
    for (int skipped = 0; ok && commsLive_ && commsAt_ < id;)
        ok = ++skipped > kMostSkipped ? seek() : step();
    while (ok && commsLive_ && commsAt_ == id) {
        if (CountCommunication(record, all)) {
            record.communications.emplace_back();
            TakeCommunication(selectCommsFrom_, 1, record.communications.back());
        }
        ok = step();
    }
    if (!ok) {
        Fail("read communications");  // before the reset clears SQLite's reason
        PauseCursors();
        record.communications.clear();
        record.communicationCount = 0;
        return false;
    }
    commsFrom_ = id + 1;
    record.communicationsLoaded = true;
    return true;
}

bool ContactStore::FetchCommunication(const ContactRecord& record, size_t index) {
    selectCommAt_.BindInt(1, record.id);
    selectCommAt_.BindInt(2, static_cast<int64_t>(index));
    int rc = selectCommAt_.Step();
    if (rc == SQLITE_ROW) TakeCommunication(selectCommAt_, 0, fetched_);
    selectCommAt_.Reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) Fail("read communications", rc);
    return rc == SQLITE_ROW;
}

bool ContactStore::Flush() {
    if (current_.id == 0 || !current_.dirty) return true;
    if (!EnsureTransaction()) return false;
    int rc;
    if (rowPending_) {
        // A contact inserted since the last write-back goes in whole, in one row.
        insertContact_.BindInt(1, current_.id);
        insertContact_.BindText(2, current_.uid);
        if (keyedUids_) {
            const int64_t key = UidKey(current_.uid);
            insertContact_.BindInt(8 + static_cast<int>(kContactFieldCount), key);
            NoteKey(key);
        }
        insertContact_.BindInt(3, current_.parentId);
        insertContact_.BindText(4, pendingText_);
        insertContact_.BindDouble(5, current_.created);
        insertContact_.BindDouble(6, current_.modified);
        insertContact_.BindDouble(7, current_.birth);
        for (size_t i = 0; i < kContactFieldCount; ++i)
            insertContact_.BindText(8 + static_cast<int>(i), current_.fields[i]);
        rc = insertContact_.Step();
        insertContact_.Reset();
    } else {
        updateContact_.BindDouble(1, current_.modified);
        updateContact_.BindDouble(2, current_.birth);
        for (size_t i = 0; i < kContactFieldCount; ++i)
            updateContact_.BindText(3 + static_cast<int>(i), current_.fields[i]);
        updateContact_.BindInt(3 + static_cast<int>(kContactFieldCount), current_.id);
        rc = updateContact_.Step();
        updateContact_.Reset();
    }
    if (rc != SQLITE_DONE) return Fail(rowPending_ ? "insert contact" : "write contact");
    current_.dirty = false;
    rowPending_ = false;
    return true;
}

bool ContactStore::IsPresent(WStringView uid) {
    if (Stopped()) {
        ++counters_.presenceChecks;
        return false;
    }
    ContactRecord* record = Find(uid);
    ++counters_.presenceChecks;
    if (pendingPresent_) ++counters_.skipped;
    pendingPresent_ = record ? record->id : 0;
    // An insert of this UID right after need not look for it again.
    if (record)
        absentUid_.clear();
    else
        absentUid_.assign(uid);
    if (progress_) progress_(counters_.presenceChecks);
    return record != nullptr;
}

bool ContactStore::UidTaken(WStringView uid) {
    if (current_.id != 0 && current_.uid == uid) return true;
    BindUid(selectIdByUid_, uid);
    int rc = selectIdByUid_.Step();
    selectIdByUid_.Reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) Fail("read contact", rc);
    return rc != SQLITE_DONE;
}

namespace {
// A key's three bits, all in one word of the bits: with a million contacts
// stored, about one look-up of a new UID in 140 still searches the key index.
struct KeyBits {
    size_t word;
    uint64_t mask;
};

KeyBits KeyBitsOf(int64_t key) {
    const uint64_t h = static_cast<uint32_t>(key) * 0x9E3779B97F4A7C15ull;
    return {static_cast<size_t>(h >> (64 - kKeyWordsLog2)),
            (uint64_t{1} << ((h >> 24) & 63)) | (uint64_t{1} << ((h >> 30) & 63)) |
                (uint64_t{1} << ((h >> 36) & 63))};
}
}  // namespace

bool ContactStore::MayHoldKey(int64_t key) {
    if (keyBits_.empty()) {
        if (++lookups_ < kKeysAfterLookups) return true;
        Statement keys;
        if (!keys.Prepare(db_, "SELECT uid_key FROM contact")) return true;
        std::vector<uint64_t> bits(size_t{1} << kKeyWordsLog2);
        int rc;
        while ((rc = keys.Step()) == SQLITE_ROW) {
            const KeyBits b = KeyBitsOf(keys.Int(0));
            bits[b.word] |= b.mask;
        }
        if (rc != SQLITE_DONE) {  // the look-ups go on through the index, not read again
            lookups_ = LONG_MIN;
            return true;
        }
        keyBits_ = std::move(bits);
    }
    const KeyBits b = KeyBitsOf(key);
    return (keyBits_[b.word] & b.mask) == b.mask;
}

void ContactStore::NoteKey(int64_t key) {
    if (keyBits_.empty()) return;  // the bits, once read, will hold it
    const KeyBits b = KeyBitsOf(key);
    keyBits_[b.word] |= b.mask;
}

WString ContactStore::FreshUid() {
    static const char kHex[] = "0123456789abcdef";
    for (;;) {
        WString uid;
        for (int part = 0; part < 2; ++part) {
            // splitmix64: a well-mixed 64-bit value per step.
            uint64_t z = (uidSeed_ += 0x9E3779B97F4A7C15ull);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            z ^= z >> 31;
            for (int i = 0; i < 16; ++i) {
                if (uid.size() == 8 || uid.size() == 13 || uid.size() == 18 || uid.size() == 23)
                    uid += TEXT('-');
                uid += static_cast<WCHAR>(kHex[(z >> (60 - 4 * i)) & 0xf]);
            }
        }
        if (!UidTaken(uid)) return uid;
    }
}

int ContactStore::Children(int64_t parentId) {
    // The first tree question of a command counts the children of every parent
    // at once, so a walk asks no count per node; leaves have no entry.
    if (!childrenLoaded_) {
        if (!Flush()) return -1;
        childCounts_.clear();
        int rc;
        while ((rc = selectChildCounts_.Step()) == SQLITE_ROW)
            childCounts_[selectChildCounts_.Int(0)] = static_cast<int>(selectChildCounts_.Int(1));
        selectChildCounts_.Reset();
        if (rc != SQLITE_DONE) {
            childCounts_.clear();
            Fail("read children", rc);
            return -1;
        }
        childrenLoaded_ = true;
    }
    auto it = childCounts_.find(parentId);
    return it != childCounts_.end() ? it->second : 0;
}

const WCHAR* ContactStore::Insert(WStringView uid, WStringView parentUid, WStringView text,
                                  double date) {
    if (!db_) {
        Fail("insert");
        return nullptr;
    }
    int64_t parentId = 0;
    if (ContactRecord* parent = Find(parentUid)) parentId = parent->id;
    bool checked = !absentUid_.empty() && uid == WStringView(absentUid_);
    WString newUid = uid.empty() || IsRoot(uid) || (!checked && UidTaken(uid)) ? FreshUid()
                                                                                : WString(uid);
    if (!Flush() || !EnsureTransaction()) return nullptr;
    if (nextId_ == 0) {
        // Ids as SQLite would choose them: one past the largest.
        int rc = selectMaxId_.Step();
        if (rc == SQLITE_ROW) nextId_ = selectMaxId_.Int(0) + 1;
        selectMaxId_.Reset();
        if (rc != SQLITE_ROW) {
            Fail("insert contact");
            return nullptr;
        }
    }
    double stamp = ValidDate(date) ? date : Now();
    // The row itself is written at the next write-back, with the fields set by then.
    current_ = ContactRecord();
    current_.id = nextId_++;
    current_.uid = newUid;
    current_.parentId = parentId;
    current_.created = current_.modified = stamp;
    current_.birth = kOleEmptyDate;
    current_.communicationsLoaded = true;
    current_.dirty = true;
    rowPending_ = true;
    pendingText_.assign(text);
    absentUid_.clear();
    if (childrenLoaded_) ++childCounts_[parentId];
    ++counters_.created;
    returned_ = std::move(newUid);
    return returned_.c_str();
}

bool ContactStore::SaveChanges(WStringView uid) {
    ContactRecord* record = Find(uid);
    if (!record) return false;
    record->modified = Now();
    record->dirty = true;
    if (pendingPresent_ == record->id) {
        ++counters_.overwritten;
        pendingPresent_ = 0;
    }
    return Flush();
}

bool ContactStore::SetText(ContactField field, WStringView uid, WStringView value) {
    ContactRecord* record = Find(uid);
    if (!record) return false;
    WString& target = record->fields[static_cast<size_t>(field)];
    if (target != value) {
        target.assign(value);
        record->dirty = true;
    }
    return true;
}

const WCHAR* ContactStore::GetText(ContactField field, WStringView uid) {
    ContactRecord* record = Find(uid);
    return record ? record->fields[static_cast<size_t>(field)].c_str() : TEXT("");
}

bool ContactStore::SetBirthDate(WStringView uid, double date) {
    ContactRecord* record = Find(uid);
    if (!record) return false;
    // Anything that is no date at all is kept as the empty date.
    double value = ValidDate(date) ? date : kOleEmptyDate;
    if (record->birth != value) {
        record->birth = value;
        record->dirty = true;
    }
    return true;
}

double ContactStore::GetBirthDate(WStringView uid) {
    ContactRecord* record = Find(uid);
    return record ? record->birth : kOleEmptyDate;
}

double ContactStore::GetDateModification(WStringView uid) {
    ContactRecord* record = Find(uid);
    return record ? record->modified : kOleEmptyDate;
}

bool ContactStore::InsertCommunication(int64_t contactId, int64_t seq,
                                       const StoredCommunication& c) {
    insertComm_.BindInt(1, contactId);
    insertComm_.BindInt(2, seq);
    insertComm_.BindText(3, c.kind);
    insertComm_.BindText(4, c.value);
    if (c.hasSubKind)
        insertComm_.BindText(5, c.subKind);
    else
        insertComm_.BindNull(5);
    int rc = insertComm_.Step();
    insertComm_.Reset();
    return rc == SQLITE_DONE || Fail("add communication");
}

bool ContactStore::AddCommunication(WStringView uid, const WCHAR* kind, const WCHAR* value,
                                    const WCHAR* subKind) {
    ContactRecord* record = Find(uid);
    if (!record || !LoadCommunications(*record) || !EnsureTransaction()) return false;
    StoredCommunication c;
    c.kind = kind ? kind : TEXT("");
    c.value = value ? value : TEXT("");
    c.hasSubKind = subKind != nullptr;
    c.subKind = subKind ? subKind : TEXT("");
    if (!InsertCommunication(record->id, static_cast<int64_t>(record->communicationCount), c))
        return false;
    // A contact of very many keeps them in the database only.
    if (CountCommunication(*record, false)) record->communications.push_back(std::move(c));
    ++counters_.communications;
    return true;
}

int ContactStore::CommunicationsCount(WStringView uid) {
    ContactRecord* record = Find(uid);
    if (!record || !LoadCommunications(*record)) return 0;
    return static_cast<int>(std::min<size_t>(record->communicationCount, INT_MAX));
}

bool ContactStore::GetCommunication(WStringView uid, int index, const WCHAR** kind,
                                    const WCHAR** value, const WCHAR** subKind) {
    for (const WCHAR** out : {kind, value, subKind})
        if (out) *out = TEXT("");
    ContactRecord* record = Find(uid);
    if (!record || !LoadCommunications(*record) || index < 0 ||
        static_cast<size_t>(index) >= record->communicationCount)
        return false;
    const bool held = record->communications.size() == record->communicationCount;
    if (!held && !FetchCommunication(*record, static_cast<size_t>(index))) return false;
    const StoredCommunication& c =
        held ? record->communications[static_cast<size_t>(index)] : fetched_;
    if (kind) *kind = c.kind.c_str();
    if (value) *value = c.value.c_str();
    if (subKind) *subKind = c.subKind.c_str();
    return true;
}

int64_t ContactStore::NodeId(WStringView uid) {
    if (IsRoot(uid)) return db_ ? 0 : -1;
    ContactRecord* record = Find(uid);
    return record ? record->id : -1;
}

int ContactStore::ChildCount(WStringView uid) {
    int64_t id = NodeId(uid);
    return id < 0 ? 0 : std::max(Children(id), 0);
}

const WCHAR* ContactStore::ChildUid(WStringView uid, int index) {
    int64_t id = NodeId(uid);
    if (id < 0 || index < 0 || index >= Children(id)) return TEXT("");
    // A walk of this parent ends the walks below it. A new walk goes below the
    // walk that handed this parent out (the walk of its subtree) and ends the
    // others below that one; a parent no walk handed out starts afresh.
    auto walk = walks_.end();
    for (auto it = walks_.begin(); it != walks_.end(); ++it)
        if (it->parent == id) walk = it;
    if (walk != walks_.end()) {
        walks_.erase(walk + 1, walks_.end());
    } else {
        auto handedOut = [id](const ChildWalk& w) {
            return std::any_of(w.kept.begin(), w.kept.end(),
                               [id](const KeptChild& k) { return k.id == id; });
        };
        while (!walks_.empty() && !handedOut(walks_.back())) walks_.pop_back();
        walks_.push_back(ChildWalk());
        walks_.back().parent = id;
    }
    ChildWalk& w = walks_.back();
    if (index == w.index) return w.kept.back().uid.c_str();
    if (!Flush()) return TEXT("");
    // The next child in order comes from the cursor; any other is sought.
    if (walkLive_ != id || index != w.index + 1) {
        bool next = w.index >= 0 && index == w.index + 1;
        selectWalk_.Reset();
        selectWalk_.BindInt(1, id);
        selectWalk_.BindInt(2, next ? w.lastId : INT64_MIN);
        selectWalk_.BindInt(3, next ? 0 : index);
        walkLive_ = id;
    }
    int rc = selectWalk_.Step();
    if (rc != SQLITE_ROW) {
        PauseCursors();
        if (rc != SQLITE_DONE) Fail("read children", rc);
        return TEXT("");
    }
    TakeRow(selectWalk_);
    w.index = index;
    w.lastId = current_.id;
    w.kept.push_back({current_.id, current_.uid});
    if (w.kept.size() > kKeptChildUids) w.kept.pop_front();
    return w.kept.back().uid.c_str();
}

bool ContactStore::Read(WStringView uid, ContactRecord* out) {
    ContactRecord* record = Find(uid);
    if (!record || !LoadCommunications(*record, true)) return false;
    *out = *record;
    out->parentUid = kRoot;
    if (record->parentId != 0) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, "SELECT uid FROM contact WHERE id = ?1", -1, &stmt,
                               nullptr) == SQLITE_OK) {
            sqlite3_bind_int64(stmt, 1, record->parentId);
            if (sqlite3_step(stmt) == SQLITE_ROW) {
                const void* p = sqlite3_column_text16(stmt, 0);
                size_t n = static_cast<size_t>(sqlite3_column_bytes16(stmt, 0)) / sizeof(WCHAR);
                out->parentUid.assign(static_cast<const WCHAR*>(p), n);
            }
        }
        sqlite3_finalize(stmt);
    }
    return true;
}

std::vector<TreeEntry> ContactStore::Tree() {
    std::vector<TreeEntry> result;
    if (!db_ || !Flush()) return result;
    struct Node {
        TreeEntry entry;
        int64_t parent;
        std::vector<size_t> children;
    };
    std::vector<Node> nodes;
    std::unordered_map<int64_t, size_t> byId;
    int rc;
    while ((rc = selectAll_.Step()) == SQLITE_ROW) {
        Node n;
        n.parent = selectAll_.Int(1);
        n.entry.uid.assign(selectAll_.Text(2));
        n.entry.firstName.assign(selectAll_.Text(3));
        n.entry.middleName.assign(selectAll_.Text(4));
        n.entry.lastName.assign(selectAll_.Text(5));
        n.entry.title.assign(selectAll_.Text(6));
        n.entry.telephone.assign(selectAll_.Text(7));
        n.entry.email.assign(selectAll_.Text(8));
        byId[selectAll_.Int(0)] = nodes.size();
        nodes.push_back(std::move(n));
    }
    selectAll_.Reset();
    if (rc != SQLITE_DONE) {
        Fail("read tree", rc);
        return result;
    }
    std::vector<size_t> top;
    for (size_t i = 0; i < nodes.size(); ++i) {
        auto it = byId.find(nodes[i].parent);
        // A parent that is missing or not older than its child cannot come from
        // this store; such a node is shown at the top rather than lost.
        if (nodes[i].parent == 0 || it == byId.end() || it->second >= i)
            top.push_back(i);
        else
            nodes[it->second].children.push_back(i);
    }
    std::vector<std::pair<size_t, int>> stack;
    for (auto it = top.rbegin(); it != top.rend(); ++it) stack.push_back({*it, 0});
    while (!stack.empty()) {
        auto [index, depth] = stack.back();
        stack.pop_back();
        Node& n = nodes[index];
        n.entry.depth = depth;
        result.push_back(std::move(n.entry));
        for (auto it = n.children.rbegin(); it != n.children.rend(); ++it)
            stack.push_back({*it, depth + 1});
    }
    return result;
}

std::vector<TreeEntry> ContactStore::Search(const std::function<bool(WStringView)>& matches) {
    std::vector<TreeEntry> tree = Tree();
    if (!db_ || !error_.empty()) return {};
    std::unordered_set<WString> hits;
    Statement texts;
    if (!texts.Prepare(db_,
                       "SELECT uid, company, job_title FROM contact UNION ALL"
                       " SELECT c.uid, m.value, '' FROM communication m"
                       " JOIN contact c ON c.id = m.contact")) {
        Fail("search");
        return {};
    }
    int rc;
    while ((rc = texts.Step()) == SQLITE_ROW)
        if (matches(texts.Text(1)) || matches(texts.Text(2))) hits.emplace(texts.Text(0));
    if (rc != SQLITE_DONE) {
        Fail("search");
        return {};
    }
    std::vector<TreeEntry> found;
    for (TreeEntry& e : tree) {
        // The whole name too, so that "ann lee" finds Ann Lee.
        WString fullName;
        for (const WString* part : {&e.firstName, &e.middleName, &e.lastName})
            if (!part->empty()) fullName += (fullName.empty() ? TEXT("") : TEXT(" ")) + *part;
        if (hits.count(e.uid) || matches(fullName) || matches(e.firstName) ||
            matches(e.middleName) || matches(e.lastName) || matches(e.title))
            found.push_back(std::move(e));
    }
    return found;
}

bool ContactStore::RemoveCommunication(WStringView uid, int index) {
    ContactRecord* record = Find(uid);
    if (!record || !LoadCommunications(*record, true) || index < 0 ||
        static_cast<size_t>(index) >= record->communications.size() || !EnsureTransaction())
        return false;
    // Rows are numbered from 0 without gaps (AddCommunication appends at the
    // count), so the contact's list is written anew.
    std::vector<StoredCommunication> kept = record->communications;
    kept.erase(kept.begin() + index);
    deleteComms_.BindInt(1, record->id);
    int rc = deleteComms_.Step();
    deleteComms_.Reset();
    if (rc != SQLITE_DONE) return Fail("remove communication");
    for (size_t i = 0; i < kept.size(); ++i)
        if (!InsertCommunication(record->id, static_cast<int64_t>(i), kept[i])) return false;
    record->communications = std::move(kept);
    record->communicationCount = record->communications.size();
    return true;
}

int ContactStore::RemoveContact(WStringView uid) {
    ContactRecord* record = Find(uid);
    if (!record) return error_.empty() ? 0 : -1;
    int64_t id = record->id;
    if (!Flush() || !EnsureTransaction()) return -1;
    // UNION, not UNION ALL: even a damaged file whose parents form a loop ends.
    static const char kSubtree[] =
        "WITH RECURSIVE subtree(id) AS (SELECT ?1 UNION"
        " SELECT c.id FROM contact c JOIN subtree s ON c.parent = s.id) ";
    int removed = 0;
    for (const char* action : {"DELETE FROM communication WHERE contact IN subtree",
                               "DELETE FROM contact WHERE id IN subtree"}) {
        Statement statement;
        if (!statement.Prepare(db_, (std::string(kSubtree) + action).c_str())) {
            Fail("remove contact");
            return -1;
        }
        statement.BindInt(1, id);
        if (statement.Step() != SQLITE_DONE) {
            Fail("remove contact");
            return -1;
        }
        removed = sqlite3_changes(db_);
    }
    current_ = ContactRecord();
    childCounts_.clear();
    childrenLoaded_ = false;
    walks_.clear();
    nextId_ = 0;
    pendingPresent_ = 0;
    return removed;
}

long ContactStore::NamedContacts() {
    int count = 0;
    if (!db_ || !Flush() ||
        QueryInt(db_,
                 "SELECT count(*) FROM contact WHERE first_name <> '' OR middle_name <> ''"
                 " OR last_name <> ''",
                 &count) != SQLITE_OK)
        return 0;
    return count;
}
