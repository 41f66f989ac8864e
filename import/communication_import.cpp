/* The communication steps (see communication_import.h): one table row per step,
 * in the order the steps run, and the host-side duplicate test. */
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
    for (const CommunicationStep& step : kCommunicationSteps) {
        ForEachNamedProperty(step.property, card, scratch,
                             [&](const std::vector<WString>& parameters,
                                 const std::vector<WString>& components) {
                                 const WCHAR* kind = StepKind(step, parameters);
                                 // The host keeps the value up to a NUL; compare that part.
                                 const WCHAR* value = components.front().c_str();
                                 if (HasCommunication(uid, kind, value)) return;
                                 AddinZamo_Contact_AddCommunication(uid.c_str(), kind, value,
                                                                    step.subKind);
                             });
    }
}
