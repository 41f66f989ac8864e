/* A recording fake of the host library for unit tests: an in-memory contact tree
 * that answers like the SQLite host, and a log of every AddinZamo_ call. Linked
 * into a test executable, its AddinZamo_ functions take the place of the host's. */
#ifndef ZAMO_TESTS_FAKE_HOST_H
#define ZAMO_TESTS_FAKE_HOST_H

#include <windows.h>

#include "wide_text.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

struct FakeCommunication {
    WString kind, value, subKind;
    bool hasSubKind = false;
};

struct FakeContact {
    std::map<std::string, WString> fields;  // by field name: "LastName", "Title", ...
    double birthDate = 0;                           // set to the empty date on insert
    double modified = 0;
    std::vector<FakeCommunication> communications;
    WString parent;
    std::vector<WString> children;
};

class FakeHost {
public:
    static FakeHost& Get();
    FakeHost() { Reset(); }

    /* Empties the tree (only "root" stays), the log and every hook. */
    void Reset();

    /* Adds a contact under `parent` and returns its UID (`uid` when non-empty). */
    WString Add(const WString& parent, const WString& uid,
                       const std::map<std::string, WString>& fields = {});
    FakeContact& Contact(const WString& uid) { return contacts.at(uid); }
    const WString& Field(const WString& uid, const std::string& field);

    /* Releases the strings the getters handed out (kept until later calls, their
     * room included), so that heap figures show only what the caller holds. */
    void ForgetHandedOut();

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

    std::map<WString, FakeContact> contacts;  // "root" included, never present
    int nextUid = 1;

    /* Internal: logs `entry` and runs the hook. */
    void Record(const std::string& entry, bool getter = false);
};

/* UTF-16 to UTF-8 for messages (unpaired surrogates as U+FFFD). */
std::string Utf8(const WString& text);
/* UTF-8 to UTF-16 (test literals). */
WString Utf16(const std::string& text);

#endif
