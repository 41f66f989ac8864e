/* The contact store through the AddinZamo_ functions: UIDs taken and fresh,
 * "root", child order, no cycles, strings never null, fields, dates,
 * communications, commit points, counters, what survives a killed process, and
 * UIDs recognised wherever their text lies. */
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>

#include "ole_date.h"
#include "store_fixture.h"

namespace {

TEST_F(StoreTest, InsertKeepsAFreeUidAndReplacesOthers) {
    Add(u"taken");
    struct Case {
        WString uid;
        bool kept;
        const char* why;
    } cases[] = {
        {u"free-1", true, "a free UID is used as given"},
        {u"ends-in-line-feed\n", true, "a UID is any text, a line feed included"},
        {u"taken", false, "a taken UID gets a fresh one"},
        {u"root", false, "\"root\" names the top and is never a contact"},
        {u"", false, "an empty UID gets a fresh one"},
    };
    std::set<WString> seen = {u"taken"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        WString got = Add(c.uid);
        EXPECT_FALSE(got.empty());
        EXPECT_EQ(got == c.uid, c.kept);
        EXPECT_TRUE(seen.insert(got).second) << "UID handed out twice: " << Narrow(got);
        EXPECT_NE(AddinZamo_Contact_IsPresent(got.c_str()), 0);
    }
}

TEST_F(StoreTest, RootIsNoContact) {
    Add(u"a");
    EXPECT_EQ(AddinZamo_Contact_IsPresent(u"root"), 0);
    AddinZamo_Contact_SetFirstName(u"root", u"Ann");
    AddinZamo_Contact_SetBirthDate(u"root", 100.0);
    AddinZamo_Contact_AddCommunication(u"root", u"tel", u"1", nullptr);
    EXPECT_EQ(WString(AddinZamo_Contact_GetFirstName(u"root")), u"");
    EXPECT_EQ(AddinZamo_Contact_GetCommunicationsCount(u"root"), 0);
    EXPECT_EQ(AddinZamo_IsMaxDate(AddinZamo_Contact_GetBirthDate(u"root")), 1);
    EXPECT_EQ(AddinZamo_Contact_GetChildsCount(u"root"), 1);
}

TEST_F(StoreTest, ChildrenKeepInsertionOrder) {
    // Tree built by hand: root -> c, a, b; a -> a2, a1 (deliberately not sorted).
    Add(u"c");
    Add(u"a");
    Add(u"b");
    Add(u"a2", u"a");
    Add(u"a1", u"a");
    struct Case {
        WString parent;
        std::vector<WString> children;
        const char* why;
    } cases[] = {
        {u"root", {u"c", u"a", u"b"}, "top-level contacts in insertion order"},
        {u"a", {u"a2", u"a1"}, "children of a contact in insertion order, not sorted"},
        {u"b", {}, "a contact without children"},
        {u"missing", {}, "an unknown node has no children"},
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.why) + (pass ? " (after reopening)" : ""));
            ASSERT_EQ(AddinZamo_Contact_GetChildsCount(c.parent.c_str()),
                      static_cast<int>(c.children.size()));
            for (size_t i = 0; i < c.children.size(); ++i)
                EXPECT_EQ(WString(AddinZamo_Contact_GetChildUID(c.parent.c_str(),
                                                                static_cast<int>(i))),
                          c.children[i]);
        }
        ZamoStore_EndCommand(nullptr);
        Reopen();
    }
}

TEST_F(StoreTest, ChildUidsStayValidWhileTheSubtreeIsWalked) {
    Add(u"p");
    for (WString uid : {u"x", u"y", u"z"}) Add(uid, u"p");
    for (WString uid : {u"x1", u"x2"}) Add(uid, u"x");
    Add(u"x11", u"x1");
    const WCHAR* first = AddinZamo_Contact_GetChildUID(u"p", 0);
    const WCHAR* second = AddinZamo_Contact_GetChildUID(u"p", 1);
    // Walking the first child's subtree makes calls on other contacts.
    AddinZamo_Contact_IsPresent(first);
    AddinZamo_Contact_GetFirstName(first);
    ASSERT_EQ(AddinZamo_Contact_GetChildsCount(first), 2);
    const WCHAR* below = AddinZamo_Contact_GetChildUID(first, 0);
    EXPECT_EQ(WString(AddinZamo_Contact_GetChildUID(below, 0)), u"x11");
    EXPECT_EQ(WString(AddinZamo_Contact_GetChildUID(first, 1)), u"x2");
    EXPECT_EQ(WString(below), u"x1");
    AddinZamo_Contact_IsPresent(u"z");
    Add(u"w", u"p");  // a new sibling does not move the others
    EXPECT_EQ(WString(first), u"x");
    EXPECT_EQ(WString(second), u"y");
}

TEST_F(StoreTest, ContactsInsertedDuringAWalkAreSeen) {
    Add(u"p");
    Add(u"leaf");
    ASSERT_EQ(AddinZamo_Contact_GetChildsCount(u"root"), 2);  // the tree is read here
    ASSERT_EQ(AddinZamo_Contact_GetChildsCount(u"leaf"), 0);
    Add(u"under-leaf", u"leaf");
    Add(u"top", u"root");
    struct Case {
        WString parent;
        std::vector<WString> children;
        const char* why;
    } cases[] = {
        {u"leaf", {u"under-leaf"}, "a node that had no children gets its first"},
        {u"root", {u"p", u"leaf", u"top"}, "a list already read gets the new one at its end"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_EQ(AddinZamo_Contact_GetChildsCount(c.parent.c_str()),
                  static_cast<int>(c.children.size()));
        for (size_t i = 0; i < c.children.size(); ++i)
            EXPECT_EQ(WString(AddinZamo_Contact_GetChildUID(c.parent.c_str(), static_cast<int>(i))),
                      c.children[i]);
    }
}

TEST_F(StoreTest, ReadAheadAnswersWhatALookupWouldOverRandomTrees) {
    // Children and communications are read ahead through cursors while a walk
    // goes in order; random trees, walks that jump, and writes in between must
    // give what the test's own record of the contacts says.
    struct Node {
        WString uid;
        size_t parent;  // index into nodes; 0 is "root"
        std::vector<WString> values;
    };
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ZamoStore_Close(nullptr);  // a fresh database per seed
        std::filesystem::remove(DbPath());
        ASSERT_TRUE(ZamoStore_Open(DbPath(), nullptr));
        std::mt19937 random(seed);
        auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
        std::vector<Node> nodes = {{u"root", 0, {}}};
        auto add = [&] {
            size_t parent = pick(3) == 0 ? 0 : pick(nodes.size());
            WString uid = u"c" + WString(1, static_cast<WCHAR>(0x400 + nodes.size()));
            ASSERT_EQ(Add(uid, nodes[parent].uid), uid);
            nodes.push_back({uid, parent, {}});
        };
        auto addValue = [&](size_t n) {
            WString value = u"v" + WString(1, static_cast<WCHAR>(0x430 + pick(32)));
            AddinZamo_Contact_AddCommunication(nodes[n].uid.c_str(), u"tel", value.c_str(),
                                               nullptr);
            nodes[n].values.push_back(value);
        };
        auto children = [&](size_t n) {
            std::vector<size_t> list;
            for (size_t i = 1; i < nodes.size(); ++i)
                if (nodes[i].parent == n) list.push_back(i);
            return list;
        };
        for (int i = 0; i < 40; ++i) add();
        for (int i = 0; i < 80; ++i) addValue(1 + pick(nodes.size() - 1));
        ZamoStore_EndCommand(nullptr);
        for (int step = 0; step < 300; ++step) {
            SCOPED_TRACE("step " + std::to_string(step));
            size_t parent = pick(4) == 0 ? 0 : pick(nodes.size());
            std::vector<size_t> list = children(parent);
            ASSERT_EQ(AddinZamo_Contact_GetChildsCount(nodes[parent].uid.c_str()),
                      static_cast<int>(list.size()));
            // A run of children in order from a random start, each read as the export does.
            for (size_t i = list.empty() ? 0 : pick(list.size()); i < list.size(); ++i) {
                const Node& child = nodes[list[i]];
                ASSERT_EQ(WString(AddinZamo_Contact_GetChildUID(nodes[parent].uid.c_str(),
                                                                static_cast<int>(i))),
                          child.uid);
                ASSERT_EQ(AddinZamo_Contact_GetCommunicationsCount(child.uid.c_str()),
                          static_cast<int>(child.values.size()));
                for (size_t k = 0; k < child.values.size(); ++k) {
                    const WCHAR* value = nullptr;
                    AddinZamo_Contact_GetCommunication(child.uid.c_str(), static_cast<int>(k),
                                                       nullptr, &value, nullptr);
                    EXPECT_EQ(WString(value), child.values[k]);
                }
                if (pick(6) == 0) break;
            }
            switch (pick(16)) {
                case 0: case 1: add(); break;
                case 2: case 3: addValue(1 + pick(nodes.size() - 1)); break;
                case 4: ZamoStore_EndCommand(nullptr); break;
                default: break;
            }
        }
    }
}

TEST_F(StoreTest, NoCycleCanBeMade) {
    // A contact's parent must exist before it; a UID naming itself or an
    // unknown node as parent ends up under "root".
    Add(u"a");
    struct Case {
        WString uid, parent, expectedParent;
        const char* why;
    } cases[] = {
        {u"self", u"self", u"root", "a parent that is the contact itself does not exist yet"},
        {u"orphan", u"nobody", u"root", "an unknown parent puts the contact under root"},
        {u"child", u"a", u"a", "a known parent is kept"},
        {u"", u"", u"root", "an empty parent means root"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        WString uid = Add(c.uid, c.parent);
        ContactRecord record;
        ASSERT_TRUE(ZamoStore_Read(uid, &record));
        EXPECT_EQ(record.parentUid, c.expectedParent);
    }
    // Walking from root reaches every contact exactly once.
    std::vector<TreeEntry> tree = ZamoStore_Tree();
    std::set<WString> uids;
    for (const TreeEntry& e : tree) EXPECT_TRUE(uids.insert(e.uid).second);
    EXPECT_EQ(uids.size(), 5u);
}

TEST_F(StoreTest, GettersNeverReturnNull) {
    WString uid = Add(u"x");
    struct Case {
        const WCHAR* uid;
        const char* why;
    } cases[] = {
        {uid.c_str(), "unset fields of a contact"},
        {u"unknown", "a contact that does not exist"},
        {u"root", "the top of the tree"},
        {u"", "the empty UID"},
        {nullptr, "a null UID"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
#define ZAMO_CHECK_GETTER(Field)                                         \
    {                                                                    \
        const WCHAR* value = AddinZamo_Contact_Get##Field(c.uid);        \
        ASSERT_NE(value, nullptr) << #Field;                             \
        EXPECT_EQ(value[0], 0) << #Field;                                \
    }
        ZAMO_CONTACT_GETTER_FIELDS(ZAMO_CHECK_GETTER)
#undef ZAMO_CHECK_GETTER
        const WCHAR *kind = nullptr, *value = nullptr, *sub = nullptr;
        EXPECT_EQ(AddinZamo_Contact_GetCommunication(c.uid, 0, &kind, &value, &sub), 0);
        ASSERT_NE(kind, nullptr);
        ASSERT_NE(value, nullptr);
        ASSERT_NE(sub, nullptr);
        ASSERT_NE(AddinZamo_Contact_GetChildUID(c.uid, 0), nullptr);
    }
}

TEST_F(StoreTest, UidsAreRecognisedWhereverTheTextLies) {
    // Contacts named by the prefixes of one text, so that a text taken for a
    // longer or shorter UID gives another contact's name.
    const WString all = u"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJ";
    const size_t lengths[] = {1, 2, 3, 6, 7, 8, 9, 15, 16, 17, 31, 38, 40, 46};
    for (size_t n : lengths) {
        WString uid = all.substr(0, n);
        ASSERT_EQ(Add(uid), uid);
        AddinZamo_Contact_SetFirstName(uid.c_str(), (u"name " + uid).c_str());
    }
    ZamoStore_EndCommand(nullptr);
    // The texts are put at the end of a page followed by one that cannot be read.
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    void* pages = mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(mprotect(static_cast<char*>(pages) + page, page, PROT_NONE), 0);
    WCHAR* const pageEnd = reinterpret_cast<WCHAR*>(static_cast<char*>(pages) + page);
    for (size_t n : lengths) {
        const WString own = all.substr(0, n);
        WString changedLast = own, changedFirst = own;
        changedLast.back() = u'#';
        changedFirst.front() = u'#';
        const WString texts[] = {own, own.substr(0, n - 1), all.substr(0, n + 1), changedLast,
                                 changedFirst, own + WCHAR(0) + u"x"};
        for (const WString& text : texts) {
            const WString named(text.c_str());  // up to the first NUL
            bool exists = false;
            for (size_t m : lengths) exists = exists || named == all.substr(0, m);
            const WString expected = exists ? u"name " + named : u"";
            for (size_t gap = 0; gap < 10; ++gap) {
                WCHAR* at = pageEnd - gap - text.size() - 1;
                std::copy(text.begin(), text.end(), at);
                at[text.size()] = 0;
                AddinZamo_Contact_GetFirstName(own.c_str());  // `own` is the cached contact
                EXPECT_EQ(WString(AddinZamo_Contact_GetFirstName(at)), expected)
                    << "cached " << Narrow(own) << ", asked " << Narrow(text) << " ending "
                    << gap << " units before an unreadable page";
            }
        }
    }
    munmap(pages, 2 * page);
}

TEST_F(StoreTest, EveryTextFieldIsStoredAndReadBack) {
    WString uid = Add(u"f");
    // Each setter gets a distinct text, Cyrillic and an unpaired surrogate included,
    // which must come back unchanged after a commit and a reopen.
    std::vector<std::pair<ContactField, WString>> values;
    for (size_t i = 0; i < kContactFieldCount; ++i) {
        WString v = u"Значение ";
        v += static_cast<WCHAR>(u'A' + i);
        if (i == 3) v += static_cast<WCHAR>(0xD800);
        values.push_back({static_cast<ContactField>(i), v});
    }
#define ZAMO_SET(Field) AddinZamo_Contact_Set##Field(uid.c_str(), \
        values[static_cast<size_t>(ContactField::Field)].second.c_str());
    ZAMO_CONTACT_SETTER_FIELDS(ZAMO_SET)
#undef ZAMO_SET
    ZamoStore_SetText(uid, ContactField::AssistantName,
                      values[size_t(ContactField::AssistantName)].second);
    ZamoStore_SetText(uid, ContactField::ManagerName,
                      values[size_t(ContactField::ManagerName)].second);
    AddinZamo_Contact_SaveChanges(uid.c_str());
    ZamoStore_EndCommand(nullptr);
    Reopen();
    ContactRecord record;
    ASSERT_TRUE(ZamoStore_Read(uid, &record));
    for (const auto& [field, value] : values) {
        SCOPED_TRACE(FieldInfo(field).label);
        EXPECT_TRUE(record.fields[size_t(field)] == value);
    }
#define ZAMO_GET(Field) EXPECT_TRUE(WString(AddinZamo_Contact_Get##Field(uid.c_str())) == \
        values[static_cast<size_t>(ContactField::Field)].second) << #Field;
    ZAMO_CONTACT_GETTER_FIELDS(ZAMO_GET)
#undef ZAMO_GET
}

TEST_F(StoreTest, DatesOfANewAndASavedContact) {
    ZamoStore_SetClock([] { return 40344.5; });  // 15 June 2010 12:00
    WString uid = AddinZamo_Contact_Insert(u"d", u"root", u"", 40000.25);
    EXPECT_EQ(AddinZamo_IsMaxDate(AddinZamo_Contact_GetBirthDate(uid.c_str())), 1)
        << "a new contact's birth date is the empty date";
    EXPECT_EQ(AddinZamo_Contact_GetDateModification(uid.c_str()), 40000.25);
    ZamoStore_SetClock([] { return 40345.75; });
    AddinZamo_Contact_SetBirthDate(uid.c_str(), 29285.0);
    AddinZamo_Contact_SaveChanges(uid.c_str());
    ZamoStore_EndCommand(nullptr);
    Reopen();
    EXPECT_EQ(AddinZamo_Contact_GetDateModification(uid.c_str()), 40345.75)
        << "SaveChanges stamps the current time";
    EXPECT_EQ(AddinZamo_Contact_GetBirthDate(uid.c_str()), 29285.0);
}

TEST_F(StoreTest, CurrentDateIsLocalTimeToTheSecond) {
    setenv("TZ", "UTC-4", 1);  // POSIX sign: four hours east of UTC
    tzset();
    time_t before = time(nullptr);
    double now = AddinZamo_GetCurrDate();
    time_t after = time(nullptr);
    // Unix time 0 is OLE 25569; local time is four hours later.
    double low = 25569.0 + (before + 4 * 3600) / 86400.0;
    double high = 25569.0 + (after + 4 * 3600) / 86400.0;
    EXPECT_GE(now, low - 1e-9);
    EXPECT_LE(now, high + 1e-9);
    unsetenv("TZ");
    tzset();
}

TEST_F(StoreTest, CommunicationsKeepOrderAndCountAtOnce) {
    WString uid = Add(u"c");
    struct Comm {
        const WCHAR* kind;
        const WCHAR* value;
        const WCHAR* sub;
        WString expectedSub;
    } added[] = {
        {u"tel", u"123", nullptr, u""},
        {u"msg", u"55555", u"ICQ", u"ICQ"},
        {u"fax", u"123", nullptr, u""},
        {u"eml", u"a@b.example", nullptr, u""},
        {u"tel", u"", nullptr, u""},
    };
    for (size_t i = 0; i < std::size(added); ++i) {
        AddinZamo_Contact_AddCommunication(uid.c_str(), added[i].kind, added[i].value,
                                           added[i].sub);
        EXPECT_EQ(AddinZamo_Contact_GetCommunicationsCount(uid.c_str()), static_cast<int>(i + 1))
            << "effective at once, without SaveChanges";
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < std::size(added); ++i) {
            SCOPED_TRACE("communication " + std::to_string(i) + (pass ? " after reopen" : ""));
            const WCHAR *kind, *value, *sub;
            ASSERT_NE(AddinZamo_Contact_GetCommunication(uid.c_str(), static_cast<int>(i), &kind,
                                                         &value, &sub),
                      0);
            EXPECT_EQ(WString(kind), WString(added[i].kind));
            EXPECT_EQ(WString(value), WString(added[i].value));
            EXPECT_EQ(WString(sub), added[i].expectedSub);
        }
        EXPECT_EQ(AddinZamo_Contact_GetCommunication(uid.c_str(), 5, nullptr, nullptr, nullptr), 0);
        EXPECT_EQ(AddinZamo_Contact_GetCommunication(uid.c_str(), -1, nullptr, nullptr, nullptr), 0);
        ZamoStore_EndCommand(nullptr);
        Reopen();
    }
}

// A contact of more communications than the store holds in memory answers the
// same through the database: counts, each by position (read ahead with its
// neighbours or alone), a full read and a removal.
TEST_F(StoreTest, ContactsOfVeryManyCommunicationsAnswerAlike) {
    const size_t held = ContactStore::kHeldCommunications;
    struct Case {
        size_t count;
        const char* why;
    } cases[] = {
        {held, "as many as are held"},
        {held + 1, "one more: none held"},
        {3 * held, "far more"},
    };
    auto ascii = [](const std::string& text) { return WString(text.begin(), text.end()); };
    auto value = [&](size_t i) { return ascii("+7 " + std::to_string(i)); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const WString uid = Add(ascii("many-" + std::to_string(c.count)));
        Add(u"neighbour");  // read ahead after it
        for (size_t i = 0; i < c.count; ++i)
            AddinZamo_Contact_AddCommunication(uid.c_str(), u"tel", value(i).c_str(), nullptr);
        for (int pass = 0; pass < 2; ++pass) {
            SCOPED_TRACE(pass ? "after reopen" : "as added");
            ASSERT_EQ(AddinZamo_Contact_GetCommunicationsCount(uid.c_str()),
                      static_cast<int>(c.count));
            for (size_t i : {size_t{0}, c.count / 2, c.count - 1}) {
                const WCHAR* got = nullptr;
                ASSERT_NE(AddinZamo_Contact_GetCommunication(uid.c_str(), static_cast<int>(i),
                                                             nullptr, &got, nullptr),
                          0);
                EXPECT_EQ(WString(got), value(i)) << i;
            }
            EXPECT_EQ(AddinZamo_Contact_GetCommunication(uid.c_str(), static_cast<int>(c.count),
                                                         nullptr, nullptr, nullptr),
                      0);
            ZamoStore_EndCommand(nullptr);
            Reopen();
        }
        ASSERT_TRUE(ZamoStore_RemoveCommunication(uid, 0));
        ContactRecord record;
        ASSERT_TRUE(ZamoStore_Read(uid, &record));
        ASSERT_EQ(record.communications.size(), c.count - 1);
        EXPECT_EQ(record.communications.front().value, value(1));
        EXPECT_EQ(record.communications.back().value, value(c.count - 1));
        EXPECT_EQ(AddinZamo_Contact_GetCommunicationsCount(uid.c_str()),
                  static_cast<int>(c.count - 1));
        ZamoStore_EndCommand(nullptr);
    }
}

TEST_F(StoreTest, CommandEndCommitsWithoutChangesEnd) {
    AddinZamo_ChangesStart();
    WString uid = Add(u"kept");
    AddinZamo_Contact_SetLastName(uid.c_str(), u"Doe");
    // No SaveChanges and no ChangesEnd: the end of the command still commits.
    std::string error;
    EXPECT_TRUE(ZamoStore_EndCommand(&error)) << error;
    Reopen();
    EXPECT_EQ(WString(AddinZamo_Contact_GetLastName(u"kept")), u"Doe");
}

TEST_F(StoreTest, AKilledProcessKeepsWhatWasCommitted) {
    std::string error;
    ASSERT_TRUE(ZamoStore_Close(&error)) << error;
    pid_t pid = fork();
    if (pid == 0) {
        if (!ZamoStore_Open(DbPath(), nullptr)) _exit(3);
        AddinZamo_ChangesStart();
        Add(u"committed");
        AddinZamo_Contact_SetFirstName(u"committed", u"Ann");
        AddinZamo_Contact_SaveChanges(u"committed");
        AddinZamo_ChangesEnd();
        AddinZamo_ChangesStart();
        for (int i = 0; i < 2000; ++i) Add(u"lost" + WString(1, WCHAR(u'a' + i % 26)) + WString(i % 7, u'x'));
        AddinZamo_Contact_SetFirstName(u"committed", u"Changed");
        AddinZamo_Contact_SaveChanges(u"committed");
        raise(SIGKILL);
        _exit(4);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child exit " << WEXITSTATUS(status);
    ASSERT_TRUE(ZamoStore_Open(DbPath(), &error)) << error;
    std::vector<TreeEntry> tree = ZamoStore_Tree();
    ASSERT_EQ(tree.size(), 1u) << "only the committed contact";
    EXPECT_EQ(tree[0].uid, u"committed");
    EXPECT_EQ(tree[0].firstName, u"Ann");
}

TEST_F(StoreTest, PresenceStaysRightThroughAJobOfManyLookUps) {
    // A long job answers from the UID keys it has read after its first few
    // thousand look-ups: contacts of earlier jobs, of this job before and after
    // that point, and of a rolled-back bracket must still be told apart.
    const int kEarlier = 3000, kThisJob = 6000;
    auto uid = [](const char* kind, int i) {
        std::string s = std::string(kind) + std::to_string(i);
        return WString(s.begin(), s.end());
    };
    for (int i = 0; i < kEarlier; ++i) Add(uid("earlier-", i));
    ZamoStore_EndCommand(nullptr);
    AddinZamo_ChangesStart();
    Add(uid("rolled-back-", 0));
    ZamoStore_FailChanges();
    AddinZamo_ChangesEnd();
    for (int i = 0; i < kThisJob; ++i) {
        struct Case {
            WString uid;
            bool present;
            const char* why;
        } cases[] = {
            {uid("earlier-", i), i < kEarlier, "a contact of an earlier job, or none"},
            {uid("new-", i), false, "not yet added"},
            {uid("new-", i / 2), true, "added in this job"},
            {uid("rolled-back-", 0), false, "its bracket was rolled back"},
        };
        for (const Case& c : cases) {
            ASSERT_EQ(AddinZamo_Contact_IsPresent(c.uid.c_str()) != 0, c.present)
                << c.why << ", look-up " << i << ": " << Narrow(c.uid);
            if (c.uid == uid("new-", i)) Add(c.uid);
        }
    }
}

TEST_F(StoreTest, CountersOfAnImport) {
    // One card per IsPresent: new, new, present and saved, present and skipped.
    Add(u"old1");
    Add(u"old2");
    ZamoStore_EndCommand(nullptr);
    ZamoStore_ResetCounters();
    for (const WCHAR* uid : {u"n1", u"n2"}) {
        ASSERT_EQ(AddinZamo_Contact_IsPresent(uid), 0);
        WString got = Add(uid);
        AddinZamo_Contact_SaveChanges(got.c_str());
        AddinZamo_Contact_AddCommunication(got.c_str(), u"tel", u"1", nullptr);
    }
    ASSERT_NE(AddinZamo_Contact_IsPresent(u"old1"), 0);
    AddinZamo_Contact_SaveChanges(u"old1");
    ASSERT_NE(AddinZamo_Contact_IsPresent(u"old2"), 0);
    AddinZamo_Contact_GetDateModification(u"old2");
    ZamoStore_EndCommand(nullptr);
    StoreCounters c = ZamoStore_Counters();
    EXPECT_EQ(c.created, 2);
    EXPECT_EQ(c.overwritten, 1);
    EXPECT_EQ(c.skipped, 1);
    EXPECT_EQ(c.communications, 2);
    EXPECT_EQ(c.presenceChecks, 4);
}

}  // namespace
