/* The address step (see address_import.h): the two address kinds as a table of
 * the word that picks each and its five host setters. */
#include "address_import.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "property_lines.h"
#include "text_search.h"
#include "zamo_host.h"

namespace {

using TextSetter = int (*)(const WCHAR* uid, const WCHAR* value);

struct AddressKind {
    WStringView word;  // found anywhere in a parameter entry, case-sensitive; four units
    TextSetter street, city, province, postalCode, country;
};

// In the order of preference within one parameter entry. Each word has "O"
// second: KindsIn finds the words by it.
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

// The kinds whose word `text` holds, kind k as bit k. Every word is four units
// with "O" second, so one scan for "O" finds them all, each compared as a word.
constexpr WCHAR kSecondOfWords = u'O';
constexpr size_t kKinds = sizeof kAddressKinds / sizeof kAddressKinds[0];
struct WordBits {
    uint64_t of[kKinds];
    WordBits() {
        for (size_t k = 0; k < kKinds; ++k) std::memcpy(&of[k], kAddressKinds[k].word.data(), sizeof of[k]);
    }
};
unsigned KindsIn(WStringView text) {
    static const WordBits kWords;
    constexpr unsigned kAll = (1u << kKinds) - 1;
    unsigned found = 0;
    if (text.size() < 4) return 0;
    const WStringView seconds = text.substr(0, text.size() - 2);  // where a word's "O" can stand
    ForEachUnitFrom(seconds, kSecondOfWords, 1, [&](size_t at) {
        uint64_t four;
        std::memcpy(&four, text.data() + at - 1, sizeof four);
        for (size_t k = 0; k < kKinds; ++k)
            if (four == kWords.of[k]) found |= 1u << k;
        return found != kAll;
    });
    return found;
}

// As KindOfFirstEntry. A word holds no ";", so in the entries joined it is
// found inside an entry only: when just one word is found, its kind is the answer.
const AddressKind* ChooseAddressKind(const std::vector<WStringView>& parameters) {
    WStringView text;
    if (!JoinedPieces(parameters.data(), parameters.size(), u';', text)) return KindOfFirstEntry(parameters);
    const unsigned kinds = KindsIn(text);
    if (kinds == 0) return nullptr;
    if (kinds & (kinds - 1)) return KindOfFirstEntry(parameters);  // more than one: the entries decide
    return &kAddressKinds[__builtin_ctz(kinds)];
}

// A component the line lacks reads as empty.
void SetAddress(const WString& uid, const AddressKind& kind, const PropertyParts& parts) {
    const WCHAR* id = uid.c_str();
    kind.street(id, ComponentValue(parts, kStreet));
    kind.city(id, ComponentValue(parts, kLocality));
    kind.province(id, ComponentValue(parts, kRegion));
    kind.postalCode(id, ComponentValue(parts, kPostalCode));
    kind.country(id, ComponentValue(parts, kCountry));
    bool allEmpty = true;  // a component is empty exactly when its value is
    for (size_t i = kStreet; i <= kCountry && i < parts.components.size(); ++i)
        if (!parts.components[i].empty()) allEmpty = false;
    if (allEmpty) kind.street(id, ComponentValue(parts, kExtended));
}

}  // namespace

void ImportAddresses(const WString& uid, const CardLines& card, PropertyScratch& scratch) {
    static const PropertyName kAddress(TEXT("ADR"));
    ForEachNamedProperty(kAddress, card, scratch, [&](const PropertyParts& parts) __attribute__((flatten)) {
        if (const AddressKind* kind = ChooseAddressKind(parts.parameters))
            SetAddress(uid, *kind, parts);
    });
}
