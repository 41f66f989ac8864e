/* The communication steps (see communication_import.h): one table row per step,
 * in the order the steps run, the host-side duplicate test, and the set of the
 * contact's communications that answers it for a whole card. */
#include "communication_import.h"

#include <windows.h>

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

constexpr size_t kFew = 16;

const WString& Key(WStringView kind, WStringView value, KnownCommunications& known) {
    known.key.assign(kind);
    known.key += WCHAR(0);
    known.key += value;
    return known.key;
}

void RememberKey(KnownCommunications& known) {
    if (known.many.empty() && known.fewKeys.size() < kFew) {
        known.fewKeys.push_back({known.few.size(), known.key.size()});
        known.few += known.key;
        return;
    }
    for (const auto& [at, size] : known.fewKeys) known.many.emplace(known.few, at, size);
    known.fewKeys.clear();
    known.many.insert(known.key);
}

// Remembers the key just built and, for a value that ends in a line feed, also
// the key without it, so one look-up finds a value stored as it is or with one
// line feed after it.
void Remember(KnownCommunications& known) {
    RememberKey(known);
    if (known.key.back() != TEXT('\n')) return;
    known.key.pop_back();
    RememberKey(known);
}

// Whether the key just built is remembered.
bool Holds(const KnownCommunications& known) {
    if (!known.many.empty()) return known.many.count(known.key) != 0;
    const WStringView key = known.key;
    for (const auto& [at, size] : known.fewKeys)
        if (WStringView(known.few).substr(at, size) == key) return true;
    return false;
}

void ReadOnce(const WString& uid, KnownCommunications& known) {
    if (known.read) return;
    known.read = true;
    known.few.clear();
    known.fewKeys.clear();
    known.many.clear();
    const int count = AddinZamo_Contact_GetCommunicationsCount(uid.c_str());
    for (int index = 0; index < count; ++index) {
        const WCHAR* hostKind = nullptr;
        const WCHAR* hostValue = nullptr;
        const WCHAR* hostSubKind = nullptr;
        if (!AddinZamo_Contact_GetCommunication(uid.c_str(), index, &hostKind, &hostValue,
                                                &hostSubKind))
            continue;
        Key(HostText(hostKind), HostText(hostValue), known);
        Remember(known);
    }
}

// HasCommunication's answer, from what is known.
bool Knows(KnownCommunications& known, WStringView kind, WStringView value) {
    Key(kind, value, known);
    return Holds(known);
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

void ImportCommunications(const WString& uid, const CardLines& card, PropertyScratch& scratch,
                          KnownCommunications& known) {
    known.read = false;
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
                                 Key(kind, value, known);
                                 Remember(known);
                             });
    }
}
