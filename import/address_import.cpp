/* The address step (see address_import.h): the two address kinds as a table of
 * the word that picks each and its five host setters. */
#include "address_import.h"

#include <windows.h>

#include <vector>

#include "text_search.h"
#include "zamo_host.h"

namespace {

using TextSetter = int (*)(const WCHAR* uid, const WCHAR* value);

struct AddressKind {
    WStringView word;  // found anywhere in a parameter entry, case-sensitive
    TextSetter street, city, province, postalCode, country;
};

// In the order of preference within one parameter entry.
const AddressKind kAddressKinds[] = {
    {TEXT("HOME"), AddinZamo_Contact_SetHomeAddressStreet, AddinZamo_Contact_SetHomeAddressCity,
     AddinZamo_Contact_SetHomeAddressProvince, AddinZamo_Contact_SetHomeAddressPostalCode,
     AddinZamo_Contact_SetHomeAddressCountry},
    {TEXT("WORK"), AddinZamo_Contact_SetBusinessAddressStreet,
     AddinZamo_Contact_SetBusinessAddressCity, AddinZamo_Contact_SetBusinessAddressProvince,
     AddinZamo_Contact_SetBusinessAddressPostalCode,
     AddinZamo_Contact_SetBusinessAddressCountry},
};

// Value positions of an ADR line, counted from 0.
constexpr size_t kExtended = 1, kStreet = 2, kLocality = 3, kRegion = 4, kPostalCode = 5,
                 kCountry = 6;

// The first kind whose word the first entry holding either word holds.
const AddressKind* KindOfFirstEntry(const std::vector<WStringView>& parameters) {
    for (WStringView entry : parameters)
        for (const AddressKind& kind : kAddressKinds)
            if (entry.size() >= kind.word.size() && ContainsText(entry, kind.word)) return &kind;
    return nullptr;
}

// The entries as one text when each follows the one before after a single
// ";" (as the line has them); empty when they do not.
WStringView EntriesText(const std::vector<WStringView>& parameters) {
    if (parameters.empty()) return WStringView();
    for (size_t i = 1; i < parameters.size(); ++i) {
        const WCHAR* end = parameters[i - 1].data() + parameters[i - 1].size();
        if (parameters[i].data() != end + 1 || *end != u';') return WStringView();
    }
    const WCHAR* start = parameters.front().data();
    return WStringView(start, static_cast<size_t>(parameters.back().data() + parameters.back().size() - start));
}

// As KindOfFirstEntry. A word holds no ";", so in the entries' text it is found
// inside an entry only: when just one word is found, its kind is the answer.
const AddressKind* ChooseAddressKind(const std::vector<WStringView>& parameters) {
    const WStringView text = EntriesText(parameters);
    if (text.empty()) return KindOfFirstEntry(parameters);
    const AddressKind* found = nullptr;
    for (const AddressKind& kind : kAddressKinds) {
        if (!ContainsText(text, kind.word)) continue;
        if (found) return KindOfFirstEntry(parameters);  // both: the entries decide
        found = &kind;
    }
    return found;
}

// A component the line lacks reads as empty; one value at a time lives in `room`.
void SetAddress(const WString& uid, const AddressKind& kind, const PropertyParts& parts,
                WString& room) {
    const WCHAR* id = uid.c_str();
    kind.street(id, ComponentValue(parts, kStreet, room));
    kind.city(id, ComponentValue(parts, kLocality, room));
    kind.province(id, ComponentValue(parts, kRegion, room));
    kind.postalCode(id, ComponentValue(parts, kPostalCode, room));
    kind.country(id, ComponentValue(parts, kCountry, room));
    bool allEmpty = true;  // a component is empty exactly when its value is
    for (size_t i = kStreet; i <= kCountry && i < parts.components.size(); ++i)
        if (!parts.components[i].empty()) allEmpty = false;
    if (allEmpty) kind.street(id, ComponentValue(parts, kExtended, room));
}

}  // namespace

void ImportAddresses(const WString& uid, const CardLines& card, PropertyScratch& scratch) {
    static const PropertyName kAddress(TEXT("ADR"));
    ForEachNamedProperty(kAddress, card, scratch, [&](const PropertyParts& parts) {
        if (const AddressKind* kind = ChooseAddressKind(parts.parameters))
            SetAddress(uid, *kind, parts, scratch.value);
    });
}
