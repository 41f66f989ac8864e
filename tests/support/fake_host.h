/* A recording fake of the host library for unit tests: an in-memory contact tree
 * that answers like the SQLite host, and a log of every AddinZamo_ call. Linked
 * into a test executable, its AddinZamo_ functions take the place of the host's. */
#ifndef ZAMO_TESTS_FAKE_HOST_H
#define ZAMO_TESTS_FAKE_HOST_H

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

struct FakeCommunication {
    std::u16string kind, value, subKind;
    bool hasSubKind = false;
};

struct FakeContact {
    std::map<std::string, std::u16string> fields;  // by field name: "LastName", "Title", ...
    double birthDate = 0;                           // set to the empty date on insert
    double modified = 0;
    std::vector<FakeCommunication> communications;
    std::u16string parent;
    std::vector<std::u16string> children;
};

class FakeHost {
public:
    static FakeHost& Get();
    FakeHost() { Reset(); }

    /* Empties the tree (only "root" stays), the log and every hook. */
    void Reset();

    /* Adds a contact under `parent` and returns its UID (`uid` when non-empty). */
    std::u16string Add(const std::u16string& parent, const std::u16string& uid,
                       const std::map<std::string, std::u16string>& fields = {});
    FakeContact& Contact(const std::u16string& uid) { return contacts.at(uid); }
    const std::u16string& Field(const std::u16string& uid, const std::string& field);

    /* The log: one entry per call, "Name(arg,arg,...)" in UTF-8, strings as given,
     * a null string as "null", dates with up to six decimals. Getters are logged
     * too unless logGetters is false. */
    std::vector<std::string> calls;
    bool logGetters = true;
    /* Calls whose log entry starts with one of these prefixes are left out. */
    std::vector<std::string> quiet;

    /* Called before each call with its log entry; may throw to simulate a fault. */
    std::function<void(const std::string&)> beforeCall;

    /* What GetCurrDate answers and what SaveChanges stamps. */
    double now = 40344.5;  // 15 June 2010 12:00

    std::map<std::u16string, FakeContact> contacts;  // "root" included, never present
    int nextUid = 1;

    /* Internal: logs `entry` and runs the hook. */
    void Record(const std::string& entry, bool getter = false);
};

/* UTF-16 to UTF-8 for messages (unpaired surrogates as U+FFFD). */
std::string Utf8(const std::u16string& text);
/* UTF-8 to UTF-16 (test literals). */
std::u16string Utf16(const std::string& text);

#endif
