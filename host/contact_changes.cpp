/* Reading and applying the contact options of add and edit (see contact_changes.h). */
#include "contact_changes.h"

#include <cstdio>

#include "cli_commands.h"
#include "ole_date.h"
#include "utf_text.h"
#include "zamo_host.h"
#include "zamo_store.h"

namespace {

/* YYYY-MM-DD as an OLE date; the empty date when it is no calendar date. */
double ParseBirthday(const std::string& text) {
    unsigned y = 0, m = 0, d = 0;
    char tail = 0;
    if (text.size() != 10 || std::sscanf(text.c_str(), "%4u-%2u-%2u%c", &y, &m, &d, &tail) != 3)
        return kOleEmptyDate;
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    return SystemTimeToOleDate(st);
}

std::vector<StoredCommunication> WideCommunications(const std::vector<CommunicationOption>& list) {
    std::vector<StoredCommunication> wide;
    for (const CommunicationOption& c : list) {
        StoredCommunication w;
        w.kind = WideArgument(c.kind, "kind");
        w.value = WideArgument(c.value, "communication '" + c.value + "'");
        w.subKind = WideArgument(c.subKind, "kind");
        w.hasSubKind = !c.subKind.empty();
        wide.push_back(std::move(w));
    }
    return wide;
}

}  // namespace

WString WideArgument(const std::string& text, const std::string& what) {
    WString wide;
    if (!Utf8ToWide(text, &wide)) throw CliFailure{what + " is not UTF-8", 2};
    return wide;
}

ContactChanges ReadContactChanges(const CommandLine& cl) {
    ContactChanges changes;
    for (const auto& [field, value] : cl.fields)
        changes.fields.push_back(
            {field, WideArgument(value, std::string("--") + FieldInfo(field).option)});
    changes.setsBirthday = cl.hasBirthday;
    changes.birthday = kOleEmptyDate;
    if (!cl.birthday.empty()) {
        changes.birthday = ParseBirthday(cl.birthday);
        if (OleIsEmptyDate(changes.birthday))
            throw CliFailure{"--birthday takes a date as YYYY-MM-DD, not '" + cl.birthday + "'", 2};
    }
    changes.added = WideCommunications(cl.communications);
    changes.removed = WideCommunications(cl.removals);
    return changes;
}

void ApplyContactChanges(const WString& uid, const ContactChanges& changes,
                         const std::vector<int>& removedIndexes) {
    for (const auto& [field, value] : changes.fields) ZamoStore_SetText(uid, field, value);
    if (changes.setsBirthday) AddinZamo_Contact_SetBirthDate(uid.c_str(), changes.birthday);
    for (int index : removedIndexes) ZamoStore_RemoveCommunication(uid, index);
    AddinZamo_Contact_SaveChanges(uid.c_str());
    for (const StoredCommunication& c : changes.added)
        AddinZamo_Contact_AddCommunication(uid.c_str(), c.kind.c_str(), c.value.c_str(),
                                           c.hasSubKind ? c.subKind.c_str() : nullptr);
}
