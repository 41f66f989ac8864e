/* The memory host of the export benchmark (see export_bench_host.h): contacts in
 * a vector, UIDs "c<index>", every getter a lookup without allocation. */
#include "export_bench_host.h"

#include <string>
#include <string_view>
#include <vector>

#include "ole_date.h"
#include "zamo_host.h"

namespace {

using Text = std::u16string;

enum Field {
#define FIELD_ENUM(F) k##F,
    ZAMO_CONTACT_GETTER_FIELDS(FIELD_ENUM)
#undef FIELD_ENUM
    kFieldCount
};

struct Communication {
    Text kind, value, subKind;
};

struct Contact {
    Text uid;
    Text fields[kFieldCount];
    double birth = kOleEmptyDate;
    double modified = 40344.5;
    std::vector<Communication> communications;
};

std::vector<Contact> gContacts;
const Text kEmpty;

const char16_t* const kFirst[] = {u"Anna", u"Иван", u"Maria", u"Сергей", u"John", u"Ольга"};
const char16_t* const kLast[] = {u"Lee", u"Петров", u"Smith", u"Иванова", u"O'Neil", u"Кузнецов"};
const char16_t* const kCity[] = {u"Springfield", u"Москва", u"Berlin", u"Санкт-Петербург"};

Text Number(size_t n) {
    std::string digits = std::to_string(n);
    return Text(digits.begin(), digits.end());
}

// The contact a UID names, or null ("root" and unknown UIDs).
const Contact* Find(const char16_t* uid) {
    if (uid == nullptr || uid[0] != u'c') return nullptr;
    size_t index = 0;
    const char16_t* p = uid + 1;
    if (*p == 0) return nullptr;
    for (; *p; ++p) {
        if (*p < u'0' || *p > u'9') return nullptr;
        index = index * 10 + static_cast<size_t>(*p - u'0');
    }
    return index < gContacts.size() ? &gContacts[index] : nullptr;
}

bool IsRoot(const char16_t* uid) { return uid && std::u16string_view(uid) == u"root"; }

const char16_t* FieldOf(const char16_t* uid, Field field) {
    const Contact* c = Find(uid);
    return c ? c->fields[field].c_str() : kEmpty.c_str();
}

}  // namespace

void FillMemoryHost(size_t contacts) {
    gContacts.clear();
    gContacts.resize(contacts);
    for (size_t i = 0; i < contacts; ++i) {
        Contact& c = gContacts[i];
        c.uid = u"c" + Number(i);
        c.fields[kFirstName] = kFirst[i % 6];
        c.fields[kLastName] = kLast[(i / 6) % 6];
        if (i % 3 == 0) c.fields[kMiddleName] = u"Петровна";
        c.fields[kCompanyName] = u"Lee, Smith & Co №" + Number(i % 100);
        c.fields[kJobTitle] = u"Engineer; lead";
        c.fields[kProfession] = u"Инженер";
        c.fields[kHomeAddressStreet] = u"ул. Ленина, д. " + Number(i % 200);
        c.fields[kHomeAddressCity] = kCity[i % 4];
        c.fields[kHomeAddressPostalCode] = Number(100000 + i % 900000);
        c.fields[kHomeAddressCountry] = u"Россия";
        c.fields[kBusinessAddressStreet] = u"1 Main St";
        c.fields[kBusinessAddressCity] = u"Springfield";
        c.fields[kDetails] = u"Met at the conference: talk about vCard\nCall back in May";
        c.birth = 29285.0 + static_cast<double>(i % 9000);
        c.modified = 40344.5 + static_cast<double>(i % 365);
        c.communications = {{u"tel", u"+7 495 555-" + Number(1000 + i % 9000), u""},
                            {u"eml", u"user" + Number(i) + u"@example.com", u""},
                            {u"www", u"http://example.com/~" + Number(i), u""},
                            {u"msg", Number(100000 + i), u"ICQ"}};
    }
}

void FillMemoryHostWithNote(size_t lineFeeds) {
    FillMemoryHost(1);
    Text& note = gContacts[0].fields[kDetails];
    note.clear();
    note.reserve(10 * lineFeeds);
    for (size_t i = 0; i < lineFeeds; ++i) note += u"123456789\n";
}

extern "C" {
void AddinZamo_ChangesStart(void) {}
void AddinZamo_ChangesEnd(void) {}
double AddinZamo_GetCurrDate(void) { return 40344.5; }
SYSTEMTIME AddinZamo_GetSystemTimeFromOleDate(double d) { return OleDateToSystemTime(d); }
double AddinZamo_GetOleDateFromSystemTime(SYSTEMTIME t) { return SystemTimeToOleDate(t); }
int AddinZamo_IsMaxDate(double d) { return OleIsEmptyDate(d); }
int AddinZamo_Contact_IsPresent(const WCHAR* uid) { return Find(uid) != nullptr; }
const WCHAR* AddinZamo_Contact_Insert(const WCHAR* uid, const WCHAR*, const WCHAR*, double) {
    return uid;
}
int AddinZamo_Contact_SaveChanges(const WCHAR*) { return 0; }
#define SETTER(F) \
    int AddinZamo_Contact_Set##F(const WCHAR*, const WCHAR*) { return 0; }
ZAMO_CONTACT_SETTER_FIELDS(SETTER)
#undef SETTER
#define GETTER(F) \
    const WCHAR* AddinZamo_Contact_Get##F(const WCHAR* uid) { return FieldOf(uid, k##F); }
ZAMO_CONTACT_GETTER_FIELDS(GETTER)
#undef GETTER
int AddinZamo_Contact_SetBirthDate(const WCHAR*, double) { return 0; }
double AddinZamo_Contact_GetBirthDate(const WCHAR* uid) {
    const Contact* c = Find(uid);
    return c ? c->birth : kOleEmptyDate;
}
double AddinZamo_Contact_GetDateModification(const WCHAR* uid) {
    const Contact* c = Find(uid);
    return c ? c->modified : 0;
}
int AddinZamo_Contact_AddCommunication(const WCHAR*, const WCHAR*, const WCHAR*, const WCHAR*) {
    return 0;
}
int AddinZamo_Contact_GetCommunicationsCount(const WCHAR* uid) {
    const Contact* c = Find(uid);
    return c ? static_cast<int>(c->communications.size()) : 0;
}
int AddinZamo_Contact_GetCommunication(const WCHAR* uid, int index, const WCHAR** kind,
                                       const WCHAR** value, const WCHAR** subKind) {
    const Contact* c = Find(uid);
    if (!c || index < 0 || static_cast<size_t>(index) >= c->communications.size()) return 0;
    const Communication& comm = c->communications[static_cast<size_t>(index)];
    *kind = comm.kind.c_str();
    *value = comm.value.c_str();
    *subKind = comm.subKind.empty() ? nullptr : comm.subKind.c_str();
    return 1;
}
int AddinZamo_Contact_GetChildsCount(const WCHAR* uid) {
    return IsRoot(uid) ? static_cast<int>(gContacts.size()) : 0;
}
const WCHAR* AddinZamo_Contact_GetChildUID(const WCHAR* uid, int index) {
    if (!IsRoot(uid) || index < 0 ||
        static_cast<size_t>(index) >= gContacts.size())
        return kEmpty.c_str();
    return gContacts[static_cast<size_t>(index)].uid.c_str();
}
}  // extern "C"
