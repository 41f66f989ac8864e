/* The address step (see address_import.h): the two address kinds as a table of
 * the word that picks each and its five host setters. */
#include "address_import.h"

#include <windows.h>

#include <vector>

#include "zamo_host.h"

namespace {

using TextSetter = int (*)(const WCHAR* uid, const WCHAR* value);

struct AddressKind {
    const WCHAR* word;  // found anywhere in a parameter entry, case-sensitive
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

const AddressKind* ChooseAddressKind(const std::vector<WString>& parameters) {
    for (const WString& entry : parameters)
        for (const AddressKind& kind : kAddressKinds)
            if (entry.find(kind.word) != WString::npos) return &kind;
    return nullptr;
}

// A component the line lacks reads as empty.
const WCHAR* Component(const std::vector<WString>& components, size_t index) {
    return index < components.size() ? components[index].c_str() : TEXT("");
}

void SetAddress(const WString& uid, const AddressKind& kind,
                const std::vector<WString>& components) {
    const WCHAR* id = uid.c_str();
    kind.street(id, Component(components, kStreet));
    kind.city(id, Component(components, kLocality));
    kind.province(id, Component(components, kRegion));
    kind.postalCode(id, Component(components, kPostalCode));
    kind.country(id, Component(components, kCountry));
    bool allEmpty = true;
    for (size_t i = kStreet; i <= kCountry && i < components.size(); ++i)
        if (!components[i].empty()) allEmpty = false;
    if (allEmpty) kind.street(id, Component(components, kExtended));
}

}  // namespace

void ImportAddresses(const WString& uid, const CardLines& card, PropertyScratch& scratch) {
    ForEachNamedProperty(TEXT("ADR"), card, scratch,
                         [&](const std::vector<WString>& parameters,
                             const std::vector<WString>& components) {
                             if (const AddressKind* kind = ChooseAddressKind(parameters))
                                 SetAddress(uid, *kind, components);
                         });
}
