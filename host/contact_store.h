/* The contact store over one SQLite database: the tree, the text fields, the
 * dates and the communications, with a cache of the contact in use so that runs
 * of calls on one contact cost no queries. Exports ContactStore and its records. */
#ifndef ZAMO_HOST_CONTACT_STORE_H
#define ZAMO_HOST_CONTACT_STORE_H

#include <sqlite3.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "contact_fields.h"
#include "sqlite_statement.h"
#include "wide_text.h"

struct StoredCommunication {
    WString kind, value, subKind;
    bool hasSubKind = false;  // false when added with a null sub-kind
};

struct ContactRecord {
    int64_t id = 0;         // 0: no contact loaded
    WString uid;
    int64_t parentId = 0;   // 0: the top of the tree ("root")
    WString parentUid;      // filled by ContactStore::Read only
    double created = 0, modified = 0, birth = 0;
    std::array<WString, kContactFieldCount> fields;
    // All the contact's communications in order, or none while the contact has
    // more than ContactStore::kHeldCommunications (then read by position).
    std::vector<StoredCommunication> communications;
    size_t communicationCount = 0;  // known once communicationsLoaded
    bool communicationsLoaded = false;
    bool dirty = false;     // fields or dates differ from the database
};

/* One node of the tree as `list` shows it: in walk order, parent before children. */
struct TreeEntry {
    WString uid;
    int depth = 0;  // 0 for children of "root"
    WString firstName, middleName, lastName, title;
    WString telephone, email;  // the first of each kind, "" when none
};

struct StoreCounters {
    long created = 0;         // contacts inserted
    long overwritten = 0;     // contacts reported present, then saved
    long skipped = 0;         // contacts reported present and not saved before the next check
    long communications = 0;  // communications added
    long presenceChecks = 0;  // IsPresent calls: one per card on import and export
};

/* What one ChangesStart..ChangesEnd bracket (one imported file) did. */
struct ChangesResult {
    StoreCounters counters;  // counted inside the bracket (presenceChecks: cards seen)
    bool saved = false;      // committed (in a dry run: would have been)
    bool stopped = false;    // rolled back because the stop flag was raised
};

class ContactStore {
public:
    /* A contact with more communications than this keeps none of them in
     * memory: each is read from the database when asked for. */
    static constexpr size_t kHeldCommunications = 4096;

    ContactStore();
    ~ContactStore();

    /* Opens the database at `path`, creating it when missing, and takes its lock
     * for as long as it stays open. False with a one-line reason when the file
     * cannot be created or opened, is no contact database, or is locked.
     * `readOnly` opens an existing database without writing anything to it (a
     * read-only file or a full disk is fine) and never creates one. */
    bool Open(const std::string& path, std::string* error, bool readOnly = false);
    /* Commits and closes; false with the reason when the last commit failed. */
    bool Close(std::string* error);
    bool IsOpen() const { return db_ != nullptr; }

    /* Commit points. BeginChanges opens a transaction when none is open and
     * starts a bracket; EndChanges commits it, or rolls the whole bracket back
     * when FailChanges was called inside it, and records a ChangesResult. */
    void BeginChanges();
    void EndChanges();
    /* The open bracket is to be rolled back at its end (the module reported an
     * error inside it); outside a bracket, the next commit is dropped instead. */
    void FailChanges();
    /* Brackets since the last counter reset, in order. */
    const std::vector<ChangesResult>& Changes() const { return changes_; }
    /* In a dry run nothing is ever committed: every bracket stays in one
     * transaction that RollBackAll drops (also done by Close). */
    void SetDryRun(bool dryRun) { dryRun_ = dryRun; }
    void RollBackAll();
    /* When `*flag` becomes non-zero (read at every presence check and write),
     * the open transaction is rolled back and nothing more is written until the
     * flag is cleared by passing another (or null). */
    void SetStopFlag(const volatile std::sig_atomic_t* flag);
    /* Writes out the cached contact, commits, forgets the tree caches and the
     * pending presence check. False with the first error since the last call. */
    bool EndCommand(std::string* error);

    /* `uid` as a view: of the cached contact's own UID when the text equals it,
     * so that the look-ups which follow compare nothing, else of the text itself. */
    WStringView UidView(const WCHAR* uid) const;

    /* Contact functions. "root", an empty or unknown UID is no contact: checks
     * answer 0, setters change nothing, getters give "" or the empty date. */
    bool IsPresent(WStringView uid);
    /* `uid` when non-empty, not "root" and free, else a fresh unique UID; the
     * parent when it is a contact, else "root". Null only without a database. */
    const WCHAR* Insert(WStringView uid, WStringView parentUid, WStringView text, double date);
    bool SaveChanges(WStringView uid);
    bool SetText(ContactField field, WStringView uid, WStringView value);
    const WCHAR* GetText(ContactField field, WStringView uid);
    bool SetBirthDate(WStringView uid, double date);
    double GetBirthDate(WStringView uid);
    double GetDateModification(WStringView uid);
    /* Appends and stores at once; a null kind or value counts as "". */
    bool AddCommunication(WStringView uid, const WCHAR* kind, const WCHAR* value,
                          const WCHAR* subKind);
    int CommunicationsCount(WStringView uid);
    /* Fills the non-null outputs ("" for a null sub-kind); false and "" outside 0..count-1. */
    bool GetCommunication(WStringView uid, int index, const WCHAR** kind, const WCHAR** value,
                          const WCHAR** subKind);
    /* Children in insertion order; "root" has the top-level contacts. A returned
     * UID stays valid while the walk stays within its parent's subtree and until
     * kKeptChildUids more children of that parent have been asked for. */
    int ChildCount(WStringView uid);
    const WCHAR* ChildUid(WStringView uid, int index);
    static constexpr size_t kKeptChildUids = 16;

    /* Whole-contact reads for the program. */
    bool Read(WStringView uid, ContactRecord* out);
    std::vector<TreeEntry> Tree();
    /* The tree entries of the contacts of which a name, the title, the company,
     * the job title or a communication value satisfies `matches`, in walk order. */
    std::vector<TreeEntry> Search(const std::function<bool(WStringView)>& matches);

    /* Removes the communication at `index` (0 to count - 1); the later ones
     * move up one place. False when there is none there or the write failed. */
    bool RemoveCommunication(WStringView uid, int index);
    /* Removes the contact with every contact under it and their communications.
     * The number removed: 0 when `uid` is no contact, -1 when the write failed. */
    int RemoveContact(WStringView uid);
    /* Contacts with a first, middle or last name; 0 on a database error. */
    long NamedContacts();

    /* The current local time as an OLE date, to the second, or the clock set. */
    double Now() const;
    void SetClock(std::function<double()> clock) { clock_ = std::move(clock); }
    /* Called after each presence check with the number of checks so far. */
    void SetProgress(std::function<void(long)> progress) { progress_ = std::move(progress); }
    StoreCounters& Counters() { return counters_; }
    void ResetCounters() {
        counters_ = StoreCounters();
        changes_.clear();
    }

private:
    ContactRecord* Find(WStringView uid);
    /* Makes the record's communication count known, and its list held when it
     * is short (`all`: whatever its length). */
    bool LoadCommunications(ContactRecord& record, bool all = false);
    /* Reads communication `index` of a record whose list is not held into
     * fetched_; false when there is none. */
    bool FetchCommunication(const ContactRecord& record, size_t index);
    bool InsertCommunication(int64_t contactId, int64_t seq, const StoredCommunication& c);
    bool Flush();
    bool EnsureTransaction();
    bool Commit();
    bool Exec(const char* sql);
    /* Keeps the first failure of the command, with SQLite's reason (that of
     * `rc` when the connection no longer holds one); returns false. */
    bool Fail(const char* what, int rc = 0);
    /* True once the stop flag is raised; the first time, drops the open work. */
    bool Stopped();
    /* Drops the open transaction and the caches that may hold its changes. */
    void DropTransaction();
    bool UidTaken(WStringView uid);
    /* False when no contact of the store can have this UID's key: only once a
     * writing command has looked up kKeysAfterLookups UIDs, in a keyed database. */
    bool MayHoldKey(int64_t key);
    /* Notes that a contact of this key was written. */
    void NoteKey(int64_t key);
    WString FreshUid();
    /* Binds a by-UID statement: ?1 the UID, and ?2 its key in a keyed database. */
    void BindUid(Statement& statement, WStringView uid);
    /* The number of children of a node; the counts of all parents are read at
     * the first call of a command and kept until EndCommand. -1 on a database error. */
    int Children(int64_t parentId);
    /* The node `id` (0: "root"), or -1 when `uid` is no node. */
    int64_t NodeId(WStringView uid);
    /* Takes the contact row the statement stands on as the cached contact. */
    void TakeRow(const Statement& row);
    /* Stops the read-ahead cursors; they resume by position at their next use. */
    void PauseCursors();
    /* After a rollback: forgets every cache that may hold what was rolled back. */
    void ForgetWrites();
    bool PrepareStatements();

    sqlite3* db_ = nullptr;
    std::string path_;
    bool inTransaction_ = false;
    bool readOnly_ = false;
    bool keyedUids_ = true;  // contacts found through uid_key (databases of version 2)
    bool dryRun_ = false;
    bool failPending_ = false;   // FailChanges since the last commit point
    bool inBracket_ = false;
    StoreCounters bracketStart_;  // counters when the open bracket began
    std::vector<ChangesResult> changes_;
    const volatile std::sig_atomic_t* stopFlag_ = nullptr;
    bool stopped_ = false;
    std::string error_;  // first error since the last EndCommand
    ContactRecord current_;
    WString returned_;   // the UID returned by Insert
    // Insert leaves the new row to the first write-back, which stores it whole.
    bool rowPending_ = false;
    WString pendingText_;   // the insert text of that row
    int64_t nextId_ = 0;    // the id the next inserted row takes; 0: not yet read
    WString absentUid_;     // the UID IsPresent last reported absent, until an insert
    // Three bits per UID key, set for every key the store holds; read
    // from the store once a command makes many look-ups, so that the look-up of
    // a new UID need not search the key index. Bits are never cleared within a
    // command (a removed or rolled-back contact leaves its bit): a set bit only
    // means "look".
    std::vector<uint64_t> keyBits_;
    long lookups_ = 0;  // by-UID look-ups of the command so far
    std::unordered_map<int64_t, int> childCounts_;  // parents with children only
    bool childrenLoaded_ = false;
    // A walk over a parent's children reads them in order through one cursor;
    // the parents being walked form a stack, each keeping its last child UIDs.
    struct KeptChild {
        int64_t id;
        WString uid;
    };
    struct ChildWalk {
        int64_t parent = 0;
        int index = -1;       // the last child handed out
        int64_t lastId = 0;   // its row id
        std::deque<KeptChild> kept;  // the last kKeptChildUids handed out
    };
    std::deque<ChildWalk> walks_;  // a deque: its UIDs never move
    int64_t walkLive_ = -1;     // the parent selectWalk_ is stepping, -1: none
    // Communications are read ahead in contact order through one cursor.
    bool commsLive_ = false;    // selectCommsFrom_ stands on a row of contact commsAt_
    bool commsDone_ = false;    // ... or has none left at or after commsFrom_
    int64_t commsFrom_ = 0, commsAt_ = 0;
    int64_t pendingPresent_ = 0;
    StoreCounters counters_;
    std::function<double()> clock_;
    std::function<void(long)> progress_;
    uint64_t uidSeed_;

    Statement selectByUid_, selectIdByUid_, insertContact_, updateContact_, insertComm_,
        selectChildCounts_, selectAll_, selectWalk_, selectCommsFrom_, selectMaxId_,
        deleteComms_, selectCommAt_;
    StoredCommunication fetched_;  // the last one read by position
};

#endif
