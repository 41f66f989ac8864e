/* The communication steps (see communication_import.h): one table row per step,
 * in the order the steps run, the host-side duplicate test, and the set of the
 * contact's communications that answers it for a whole card. */
#include "communication_import.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

#include "text_search.h"
#include "zamo_host.h"

namespace {

struct CommunicationStep {
    PropertyName property;
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

const WCHAR* StepKind(const CommunicationStep& step, const std::vector<WStringView>& parameters) {
    if (step.faxKind)
        for (WStringView entry : parameters)
            if (ContainsText(entry, kFaxWord)) return step.faxKind;
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

// Room of a chunk of keys, in units; a longer key gets a chunk of its own.
constexpr size_t kChunkUnits = 16 * 1024;
// Slots of a fresh table; a table grown past this many goes with its card.
constexpr size_t kFirstSlots = 64;
constexpr size_t kKeptSlots = 4096;

uint32_t HashKey(WStringView kind, WStringView value) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (WCHAR unit : kind) hash = (hash ^ unit) * 0x100000001B3ull;
    hash = (hash ^ 0x10000u) * 0x100000001B3ull;  // the NUL between, unlike any unit
    for (WCHAR unit : value) hash = (hash ^ unit) * 0x100000001B3ull;
    return static_cast<uint32_t>(hash ^ (hash >> 32));
}

WStringView KeyAt(const KnownCommunications& known, const KnownCommunications::Place& place) {
    return WStringView(known.chunks[place.chunk]).substr(place.at, place.size);
}

bool SameKey(WStringView key, WStringView kind, WStringView value) {
    return key.size() == kind.size() + 1 + value.size() && key.substr(0, kind.size()) == kind &&
           key[kind.size()] == 0 && key.substr(kind.size() + 1) == value;
}

// The slot holding the key, or the free slot where it would go.
size_t SlotOf(const KnownCommunications& known, uint32_t hash, WStringView kind,
              WStringView value) {
    const size_t mask = known.table.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const uint32_t number = known.table[slot];
        if (number == KnownCommunications::kEmpty) return slot;
        const KnownCommunications::Place& place = known.keys[number];
        if (place.hash == hash && SameKey(KeyAt(known, place), kind, value)) return slot;
    }
}

void Forget(KnownCommunications& known) {
    // The first chunk's room serves again unless one long key had it.
    if (!known.chunks.empty() && known.chunks.front().capacity() <= kChunkUnits) {
        known.chunks.resize(1);
        known.chunks.front().clear();
    } else {
        known.chunks.clear();
    }
    if (known.table.size() > kKeptSlots) {
        std::vector<uint32_t>().swap(known.table);
        std::vector<KnownCommunications::Place>().swap(known.keys);
    }
    known.table.assign(kFirstSlots, KnownCommunications::kEmpty);
    known.keys.clear();
}

void Grow(KnownCommunications& known) {
    known.table.assign(known.table.size() * 2, KnownCommunications::kEmpty);
    const size_t mask = known.table.size() - 1;
    for (uint32_t number = 0; number < known.keys.size(); ++number) {
        size_t slot = known.keys[number].hash & mask;
        while (known.table[slot] != KnownCommunications::kEmpty) slot = (slot + 1) & mask;
        known.table[slot] = number;
    }
}

// Copies the key into the chunks and returns its place.
KnownCommunications::Place Store(KnownCommunications& known, uint32_t hash, WStringView kind,
                                 WStringView value) {
    const size_t size = kind.size() + 1 + value.size();
    if (size >= UINT32_MAX) throw std::length_error("communication too long");
    if (known.chunks.empty() ||
        known.chunks.back().capacity() - known.chunks.back().size() < size) {
        known.chunks.emplace_back();
        known.chunks.back().reserve(size > kChunkUnits ? size : kChunkUnits);
    }
    WString& chunk = known.chunks.back();
    const size_t at = chunk.size();
    chunk.append(kind.data(), kind.size());
    chunk.push_back(0);
    chunk.append(value.data(), value.size());
    return {static_cast<uint32_t>(known.chunks.size() - 1), hash, static_cast<uint32_t>(at),
            static_cast<uint32_t>(size)};
}

// Remembers the key; false when it was known already.
bool RememberKey(KnownCommunications& known, WStringView kind, WStringView value) {
    const uint32_t hash = HashKey(kind, value);
    size_t slot = SlotOf(known, hash, kind, value);
    if (known.table[slot] != KnownCommunications::kEmpty) return false;
    if (known.keys.size() >= KnownCommunications::kEmpty - 1)
        throw std::length_error("too many communications");
    if ((known.keys.size() + 1) * 4 > known.table.size() * 3) {
        Grow(known);
        slot = SlotOf(known, hash, kind, value);
    }
    known.keys.push_back(Store(known, hash, kind, value));
    known.table[slot] = static_cast<uint32_t>(known.keys.size() - 1);
    return true;
}

// For a value that ends in a line feed, remembers the key without it too, so
// one look-up finds a value stored as it is or with one line feed after it.
void RememberShortened(KnownCommunications& known, WStringView kind, WStringView value) {
    if (value.empty() || value.back() != TEXT('\n')) return;
    value.remove_suffix(1);
    RememberKey(known, kind, value);
}

void Remember(KnownCommunications& known, WStringView kind, WStringView value) {
    RememberKey(known, kind, value);
    RememberShortened(known, kind, value);
}

// Hands each of the contact's stored communications (kind, value) to `visit`,
// in the host's order, until `visit` returns true; returns whether it did. The
// texts last only until the next host call. Entries the host cannot give are
// passed over.
template <typename Visit>
bool VisitStoredCommunications(const WString& uid, Visit visit) {
    const int count = AddinZamo_Contact_GetCommunicationsCount(uid.c_str());
    for (int index = 0; index < count; ++index) {
        const WCHAR* hostKind = nullptr;
        const WCHAR* hostValue = nullptr;
        const WCHAR* hostSubKind = nullptr;
        if (!AddinZamo_Contact_GetCommunication(uid.c_str(), index, &hostKind, &hostValue,
                                                &hostSubKind))
            continue;
        if (visit(HostText(hostKind), HostText(hostValue))) return true;
    }
    return false;
}

void ReadOnce(const WString& uid, KnownCommunications& known) {
    if (known.read) return;
    known.read = true;
    Forget(known);
    VisitStoredCommunications(uid, [&known](WStringView kind, WStringView value) {
        Remember(known, kind, value);
        return false;
    });
}

}  // namespace

bool HasCommunication(const WString& uid, WStringView kind, WStringView value) {
    return VisitStoredCommunications(uid, [&](WStringView storedKind, WStringView storedValue) {
        return storedKind == kind && SameValue(storedValue, value);
    });
}

void ImportCommunications(const WString& uid, const CardLines& card, PropertyScratch& scratch,
                          KnownCommunications& known) {
    known.read = false;
    for (const CommunicationStep& step : kCommunicationSteps) {
        ForEachNamedProperty(step.property, card, scratch, [&](const PropertyParts& parts) {
            const WCHAR* kind = StepKind(step, parts.parameters);
            // The host keeps the value up to a NUL; compare that part.
            const WCHAR* value = ComponentValue(parts, 0, scratch.value);
            ReadOnce(uid, known);
            // HasCommunication's answer from what is known, remembering a new value at once.
            if (!RememberKey(known, kind, value)) return;
            AddinZamo_Contact_AddCommunication(uid.c_str(), kind, value, step.subKind);
            RememberShortened(known, kind, value);
        });
    }
}
