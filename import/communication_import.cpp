/* The communication steps (see communication_import.h): one table row per step,
 * in the order the steps run, the host-side duplicate test, and the set of the
 * contact's communications that answers it for a whole card. */
#include "communication_import.h"

#include <windows.h>

#include <unordered_set>
#include <vector>

#include "zamo_host.h"

namespace {

struct CommunicationStep {
    const WCHAR* property;
    const WCHAR* kind;
    const WCHAR* faxKind;  // the kind instead when a parameter entry holds "FAX"; null: none
    const WCHAR* subKind;  // null for all but messengers
};

const CommunicationStep kCommunicationSteps[] = {
    {TEXT("TEL"), TEXT("tel"), TEXT("fax"), nullptr},
    {TEXT("URL"), TEXT("www"), nullptr, nullptr},
    {TEXT("EMAIL"), TEXT("eml"), nullptr, nullptr},
    {TEXT("X-ICQ"), TEXT("msg"), nullptr, TEXT("ICQ")},
    {TEXT("X-GTALK"), TEXT("msg"), nullptr, TEXT("GTALK")},
    {TEXT("X-AIM"), TEXT("msg"), nullptr, TEXT("AIM")},
    {TEXT("X-YAHOO"), TEXT("msg"), nullptr, TEXT("YAHOO")},
    {TEXT("X-SKYPE"), TEXT("msg"), nullptr, TEXT("SKYPE")},
    {TEXT("X-MSN"), TEXT("msg"), nullptr, TEXT("MSN")},
    {TEXT("X-JABBER"), TEXT("msg"), nullptr, TEXT("JABBER")},
};

const WCHAR kFaxWord[] = TEXT("FAX");

const WCHAR* StepKind(const CommunicationStep& step, const std::vector<WString>& parameters) {
    if (step.faxKind)
        for (const WString& entry : parameters)
            if (entry.find(kFaxWord) != WString::npos) return step.faxKind;
    return step.kind;
}

// The host may hand back null where it means "nothing": read it as empty.
WStringView HostText(const WCHAR* text) { return text ? WStringView(text) : WStringView(); }

// The stored value is the value, or the value and one line feed (as the earlier
// importer stored the values of UTF-8 files).
bool SameValue(WStringView stored, WStringView value) {
    if (stored.size() == value.size() + 1 && stored.back() == TEXT('\n'))
        stored.remove_suffix(1);
    return stored == value;
}

// The contact's communications as the host holds them, read once per card at
// its first communication line, with those the card has added since; each as
// its kind, a NUL and its value.
struct KnownCommunications {
    bool read = false;
    std::unordered_set<WString> keys;
    WString key;  // reused to build look-up keys
};

const WString& Key(WStringView kind, WStringView value, KnownCommunications& known) {
    known.key.assign(kind);
    known.key += WCHAR(0);
    known.key += value;
    return known.key;
}

void ReadOnce(const WString& uid, KnownCommunications& known) {
    if (known.read) return;
    known.read = true;
    const int count = AddinZamo_Contact_GetCommunicationsCount(uid.c_str());
    for (int index = 0; index < count; ++index) {
        const WCHAR* hostKind = nullptr;
        const WCHAR* hostValue = nullptr;
        const WCHAR* hostSubKind = nullptr;
        if (!AddinZamo_Contact_GetCommunication(uid.c_str(), index, &hostKind, &hostValue,
                                                &hostSubKind))
            continue;
        known.keys.insert(Key(HostText(hostKind), HostText(hostValue), known));
    }
}

// HasCommunication's answer, from the set: the value as it is or with one line feed.
bool Knows(KnownCommunications& known, WStringView kind, WStringView value) {
    if (known.keys.count(Key(kind, value, known)) != 0) return true;
    known.key += TEXT('\n');
    return known.keys.count(known.key) != 0;
}

}  // namespace

bool HasCommunication(const WString& uid, WStringView kind, WStringView value) {
    int count = AddinZamo_Contact_GetCommunicationsCount(uid.c_str());
    for (int index = 0; index < count; ++index) {
        const WCHAR* hostKind = nullptr;
        const WCHAR* hostValue = nullptr;
        const WCHAR* hostSubKind = nullptr;
        if (!AddinZamo_Contact_GetCommunication(uid.c_str(), index, &hostKind, &hostValue,
                                                &hostSubKind))
            continue;
        // Compared at once: the host's strings last only until its next call.
        if (HostText(hostKind) == kind && SameValue(HostText(hostValue), value)) return true;
    }
    return false;
}

void ImportCommunications(const WString& uid, const CardLines& card, PropertyScratch& scratch) {
    KnownCommunications known;
    for (const CommunicationStep& step : kCommunicationSteps) {
        ForEachNamedProperty(step.property, card, scratch,
                             [&](const std::vector<WString>& parameters,
                                 const std::vector<WString>& components) {
                                 const WCHAR* kind = StepKind(step, parameters);
                                 // The host keeps the value up to a NUL; compare that part.
                                 const WCHAR* value = components.front().c_str();
                                 ReadOnce(uid, known);
                                 if (Knows(known, kind, value)) return;
                                 AddinZamo_Contact_AddCommunication(uid.c_str(), kind, value,
                                                                    step.subKind);
                                 known.keys.insert(Key(kind, value, known));
                             });
    }
}
