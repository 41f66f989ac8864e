/* The recording fake host (see fake_host.h): the AddinZamo_ functions over an
 * in-memory tree, each logging its call before it acts. */
#include "fake_host.h"

#include <cstdio>

#include "ole_date.h"
#include "zamo_host.h"

std::string Utf8(const WString& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

WString Utf16(const std::string& s) {
    WString out;
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        uint32_t c;
        int extra;
        if (b < 0x80) { c = b; extra = 0; }
        else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
        else { c = b & 0x07; extra = 3; }
        ++i;
        for (int k = 0; k < extra && i < s.size(); ++k, ++i)
            c = (c << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<WCHAR>(0xD800 + (c >> 10));
            out += static_cast<WCHAR>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<WCHAR>(c);
        }
    }
    return out;
}

FakeHost& FakeHost::Get() {
    static FakeHost host;
    return host;
}

void FakeHost::Reset() {
    contacts.clear();
    contacts[TEXT("root")] = FakeContact{};
    calls.clear();
    quiet.clear();
    logGetters = true;
    beforeCall = nullptr;
    now = 40344.5;
    nextUid = 1;
}

WString FakeHost::Add(const WString& parent, const WString& uid,
                             const std::map<std::string, WString>& fields) {
    WString id = uid;
    while (id.empty() || contacts.count(id)) id = Utf16("uid-" + std::to_string(nextUid++));
    FakeContact c;
    c.fields = fields;
    c.birthDate = kOleEmptyDate;
    c.modified = now;
    c.parent = parent;
    contacts[id] = c;
    contacts[parent].children.push_back(id);
    return id;
}

const WString& FakeHost::Field(const WString& uid, const std::string& field) {
    return contacts.at(uid).fields[field];
}

void FakeHost::Record(const std::string& entry, bool getter) {
    bool silent = getter && !logGetters;
    for (const std::string& prefix : quiet)
        if (entry.compare(0, prefix.size(), prefix) == 0) silent = true;
    if (!silent) calls.push_back(entry);
    if (beforeCall) beforeCall(entry);
}

namespace {

FakeHost& H() { return FakeHost::Get(); }

std::string Arg(const WCHAR* s) { return s ? Utf8(s) : "null"; }
std::string Arg(double d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", d);
    return buf;
}
std::string Arg(int i) { return std::to_string(i); }

template <typename... Args>
std::string Entry(const char* name, Args... args) {
    std::string e = std::string(name) + "(";
    bool first = true;
    ((e += (first ? "" : ","), e += Arg(args), first = false), ...);
    return e + ")";
}

bool Present(const WCHAR* uid) {
    if (!uid) return false;
    WString id(uid);
    return id != TEXT("root") && H().contacts.count(id) != 0;
}

FakeContact* Find(const WCHAR* uid) {
    return Present(uid) ? &H().contacts.at(uid) : nullptr;
}

// Strings handed out stay valid until the next call, like the host's.
WString gHeld[4];

const WCHAR* Hold(const WString& s) {
    static int next = 0;
    next = (next + 1) % 4;
    gHeld[next] = s;
    return gHeld[next].c_str();
}

}  // namespace

void FakeHost::ForgetHandedOut() {
    for (WString& held : gHeld) WString().swap(held);
}

extern "C" {

void AddinZamo_ChangesStart(void) { H().Record("ChangesStart()"); }
void AddinZamo_ChangesEnd(void) { H().Record("ChangesEnd()"); }

double AddinZamo_GetCurrDate(void) {
    H().Record("GetCurrDate()", true);
    return H().now;
}

SYSTEMTIME AddinZamo_GetSystemTimeFromOleDate(double date) {
    H().Record(Entry("GetSystemTimeFromOleDate", date), true);
    return OleDateToSystemTime(date);
}

double AddinZamo_GetOleDateFromSystemTime(SYSTEMTIME t) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "GetOleDateFromSystemTime(%u-%u-%u %u:%u:%u)", t.wYear,
                  t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    H().Record(buf, true);
    return SystemTimeToOleDate(t);
}

int AddinZamo_IsMaxDate(double date) {
    H().Record(Entry("IsMaxDate", date), true);
    return OleIsEmptyDate(date) ? 1 : 0;
}

int AddinZamo_Contact_IsPresent(const WCHAR* uid) {
    H().Record(Entry("IsPresent", uid), true);
    return Present(uid) ? 1 : 0;
}

const WCHAR* AddinZamo_Contact_Insert(const WCHAR* uid, const WCHAR* parent, const WCHAR* text,
                                      double date) {
    H().Record(Entry("Insert", uid, parent, text, date));
    WString p = parent ? parent : TEXT("root");
    if (!H().contacts.count(p)) p = TEXT("root");
    WString want = uid ? uid : TEXT("");
    if (want == TEXT("root")) want.clear();
    return Hold(H().Add(p, want));
}

int AddinZamo_Contact_SaveChanges(const WCHAR* uid) {
    H().Record(Entry("SaveChanges", uid));
    if (FakeContact* c = Find(uid)) c->modified = H().now;
    return 1;
}

#define FAKE_SETTER(Field)                                                       \
    int AddinZamo_Contact_Set##Field(const WCHAR* uid, const WCHAR* value) {     \
        H().Record(Entry("Set" #Field, uid, value));                             \
        FakeContact* c = Find(uid);                                              \
        if (!c) return 0;                                                        \
        c->fields[#Field] = value ? value : TEXT("");                                 \
        return 1;                                                                \
    }
ZAMO_CONTACT_SETTER_FIELDS(FAKE_SETTER)
#undef FAKE_SETTER

int AddinZamo_Contact_SetBirthDate(const WCHAR* uid, double date) {
    H().Record(Entry("SetBirthDate", uid, date));
    FakeContact* c = Find(uid);
    if (!c) return 0;
    c->birthDate = date;
    return 1;
}

#define FAKE_GETTER(Field)                                                       \
    const WCHAR* AddinZamo_Contact_Get##Field(const WCHAR* uid) {                \
        H().Record(Entry("Get" #Field, uid), true);                              \
        FakeContact* c = Find(uid);                                              \
        if (!c) return TEXT("");                                                      \
        auto it = c->fields.find(#Field);                                        \
        return it == c->fields.end() ? TEXT("") : Hold(it->second);                   \
    }
ZAMO_CONTACT_GETTER_FIELDS(FAKE_GETTER)
#undef FAKE_GETTER

double AddinZamo_Contact_GetBirthDate(const WCHAR* uid) {
    H().Record(Entry("GetBirthDate", uid), true);
    FakeContact* c = Find(uid);
    return c ? c->birthDate : kOleEmptyDate;
}

double AddinZamo_Contact_GetDateModification(const WCHAR* uid) {
    H().Record(Entry("GetDateModification", uid), true);
    FakeContact* c = Find(uid);
    return c ? c->modified : 0;
}

int AddinZamo_Contact_AddCommunication(const WCHAR* uid, const WCHAR* kind, const WCHAR* value,
                                       const WCHAR* subKind) {
    H().Record(Entry("AddCommunication", uid, kind, value, subKind));
    FakeContact* c = Find(uid);
    if (!c) return 0;
    FakeCommunication comm;
    comm.kind = kind ? kind : TEXT("");
    comm.value = value ? value : TEXT("");
    comm.hasSubKind = subKind != nullptr;
    comm.subKind = subKind ? subKind : TEXT("");
    c->communications.push_back(comm);
    return 1;
}

int AddinZamo_Contact_GetCommunicationsCount(const WCHAR* uid) {
    H().Record(Entry("GetCommunicationsCount", uid), true);
    FakeContact* c = Find(uid);
    return c ? static_cast<int>(c->communications.size()) : 0;
}

int AddinZamo_Contact_GetCommunication(const WCHAR* uid, int index, const WCHAR** kind,
                                       const WCHAR** value, const WCHAR** subKind) {
    H().Record(Entry("GetCommunication", uid, index), true);
    FakeContact* c = Find(uid);
    if (!c || index < 0 || index >= static_cast<int>(c->communications.size())) return 0;
    const FakeCommunication& comm = c->communications[static_cast<size_t>(index)];
    if (kind) *kind = comm.kind.c_str();
    if (value) *value = comm.value.c_str();
    if (subKind) *subKind = comm.hasSubKind ? comm.subKind.c_str() : nullptr;
    return 1;
}

int AddinZamo_Contact_GetChildsCount(const WCHAR* uid) {
    H().Record(Entry("GetChildsCount", uid), true);
    if (!uid || !H().contacts.count(uid)) return 0;
    return static_cast<int>(H().contacts.at(uid).children.size());
}

const WCHAR* AddinZamo_Contact_GetChildUID(const WCHAR* uid, int index) {
    H().Record(Entry("GetChildUID", uid, index), true);
    if (!uid || !H().contacts.count(uid)) return TEXT("");
    const auto& children = H().contacts.at(uid).children;
    if (index < 0 || index >= static_cast<int>(children.size())) return TEXT("");
    return children[static_cast<size_t>(index)].c_str();
}

}  // extern "C"
