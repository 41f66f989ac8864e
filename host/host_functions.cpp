/* The AddinZamo_ functions of libzamo_plugins: each passes its call to the
 * process-wide contact store; null strings count as "". No exception leaves. */
#include "ole_date.h"
#include "zamo_host.h"
#include "zamo_store.h"

namespace {
WStringView View(const WCHAR* text) { return text ? WStringView(text) : WStringView(); }
// The process-wide store, found once as the library is loaded.
ContactStore& gStore = ZamoStore_Instance();
ContactStore& Store() { return gStore; }
/* A UID argument; the cached contact's is recognised in one pass. */
WStringView Uid(const WCHAR* uid) { return Store().UidView(uid); }

/* Runs `work`; a failure inside (memory) answers `fallback` instead of unwinding into C callers. */
template <typename T, typename F>
T Guard(T fallback, F work) {
    try {
        return work();
    } catch (...) {
        return fallback;
    }
}
}  // namespace

extern "C" {

void AddinZamo_ChangesStart(void) {
    Guard(0, [] { Store().BeginChanges(); return 0; });
}
void AddinZamo_ChangesEnd(void) {
    Guard(0, [] { Store().EndChanges(); return 0; });
}
double AddinZamo_GetCurrDate(void) {
    return Guard(kOleEmptyDate, [] { return Store().Now(); });
}
SYSTEMTIME AddinZamo_GetSystemTimeFromOleDate(double date) { return OleDateToSystemTime(date); }
double AddinZamo_GetOleDateFromSystemTime(SYSTEMTIME time) { return SystemTimeToOleDate(time); }
int AddinZamo_IsMaxDate(double date) { return OleIsEmptyDate(date) ? 1 : 0; }

int AddinZamo_Contact_IsPresent(const WCHAR* uid) {
    return Guard(0, [&] { return Store().IsPresent(Uid(uid)) ? 1 : 0; });
}
const WCHAR* AddinZamo_Contact_Insert(const WCHAR* uid, const WCHAR* parentUid,
                                      const WCHAR* text, double date) {
    const WCHAR* result = Guard<const WCHAR*>(nullptr, [&] {
        return Store().Insert(View(uid), View(parentUid), View(text), date);
    });
    return result ? result : TEXT("");
}
int AddinZamo_Contact_SaveChanges(const WCHAR* uid) {
    return Guard(0, [&] { return Store().SaveChanges(Uid(uid)) ? 1 : 0; });
}

#define ZAMO_DEFINE_SETTER(Field)                                                   \
    int AddinZamo_Contact_Set##Field(const WCHAR* uid, const WCHAR* value) {        \
        return Guard(0, [&] {                                                       \
            return Store().SetText(ContactField::Field, Uid(uid), View(value)) ? 1 : 0; \
        });                                                                         \
    }
ZAMO_CONTACT_SETTER_FIELDS(ZAMO_DEFINE_SETTER)
#undef ZAMO_DEFINE_SETTER

#define ZAMO_DEFINE_GETTER(Field)                                                   \
    const WCHAR* AddinZamo_Contact_Get##Field(const WCHAR* uid) {                   \
        return Guard<const WCHAR*>(TEXT(""), [&] {                                       \
            return Store().GetText(ContactField::Field, Uid(uid));                 \
        });                                                                         \
    }
ZAMO_CONTACT_GETTER_FIELDS(ZAMO_DEFINE_GETTER)
#undef ZAMO_DEFINE_GETTER

int AddinZamo_Contact_SetBirthDate(const WCHAR* uid, double date) {
    return Guard(0, [&] { return Store().SetBirthDate(Uid(uid), date) ? 1 : 0; });
}
double AddinZamo_Contact_GetBirthDate(const WCHAR* uid) {
    return Guard(kOleEmptyDate, [&] { return Store().GetBirthDate(Uid(uid)); });
}
double AddinZamo_Contact_GetDateModification(const WCHAR* uid) {
    return Guard(kOleEmptyDate, [&] { return Store().GetDateModification(Uid(uid)); });
}
int AddinZamo_Contact_AddCommunication(const WCHAR* uid, const WCHAR* kind, const WCHAR* value,
                                       const WCHAR* subKind) {
    return Guard(0, [&] {
        return Store().AddCommunication(Uid(uid), kind, value, subKind) ? 1 : 0;
    });
}
int AddinZamo_Contact_GetCommunicationsCount(const WCHAR* uid) {
    return Guard(0, [&] { return Store().CommunicationsCount(Uid(uid)); });
}
int AddinZamo_Contact_GetCommunication(const WCHAR* uid, int index, const WCHAR** kind,
                                       const WCHAR** value, const WCHAR** subKind) {
    return Guard(0, [&] {
        return Store().GetCommunication(Uid(uid), index, kind, value, subKind) ? 1 : 0;
    });
}
int AddinZamo_Contact_GetChildsCount(const WCHAR* uid) {
    return Guard(0, [&] { return Store().ChildCount(Uid(uid)); });
}
const WCHAR* AddinZamo_Contact_GetChildUID(const WCHAR* uid, int index) {
    return Guard<const WCHAR*>(TEXT(""), [&] { return Store().ChildUid(Uid(uid), index); });
}

}  // extern "C"
