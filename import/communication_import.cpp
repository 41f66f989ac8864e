/* The communication steps (see communication_import.h): one table row per step,
 * in the order the steps run, the host-side duplicate test, and the set of the
 * contact's communications that answers it for a whole card. */
#include "communication_import.h"

#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "property_lines.h"
#include "text_search.h"
#include "zamo_host.h"

namespace {

struct CommunicationStep {
    PropertyName property;
    WStringView kind;      // a literal, so a NUL follows it
    WStringView faxKind;   // the kind instead when a parameter entry holds "FAX"; empty: none
    const WCHAR* subKind;  // null for all but messengers
};

const CommunicationStep kCommunicationSteps[] = {
    {TEXT("TEL"), TEXT("tel"), TEXT("fax"), nullptr},
    {TEXT("URL"), TEXT("www"), {}, nullptr},
    {TEXT("EMAIL"), TEXT("eml"), {}, nullptr},
    {TEXT("X-ICQ"), TEXT("msg"), {}, TEXT("ICQ")},
    {TEXT("X-GTALK"), TEXT("msg"), {}, TEXT("GTALK")},
    {TEXT("X-AIM"), TEXT("msg"), {}, TEXT("AIM")},
    {TEXT("X-YAHOO"), TEXT("msg"), {}, TEXT("YAHOO")},
    {TEXT("X-SKYPE"), TEXT("msg"), {}, TEXT("SKYPE")},
    {TEXT("X-MSN"), TEXT("msg"), {}, TEXT("MSN")},
    {TEXT("X-JABBER"), TEXT("msg"), {}, TEXT("JABBER")},
};

const WStringView kFaxWord = TEXT("FAX");

// Whether `text` holds "FAX", found by its last unit, which is rarer in
// parameters than its first.
bool ContainsFax(WStringView text) {
    const size_t last = kFaxWord.size() - 1;
    bool found = false;
    ForEachUnitFrom(text, kFaxWord[last], last, [&](size_t at) {
        found = SameText(text.substr(at - last, last), kFaxWord.substr(0, last));
        return !found;
    });
    return found;
}

// Whether a parameter entry holds "FAX", searched in the entries as one text:
// "FAX" holds no ";", so it is found there inside an entry only.
bool HoldsFax(WStringView parameters) { return ContainsFax(parameters); }

WStringView StepKind(const CommunicationStep& step, WStringView parameters) {
    return !step.faxKind.empty() && HoldsFax(parameters) ? step.faxKind : step.kind;
}

// A line's first value component as the host keeps it: up to a NUL. The view
// lives in `head`, a NUL right after it.
WStringView LineValue(const PropertyHead& head) {
    if (!head.restored) return head.value;  // one holding a NUL is restored
    return head.value.substr(0, FindUnitFrom(head.value, WCHAR(0), 0));
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

// Room of a chunk of copies, in units; a longer key gets a chunk of its own.
constexpr size_t kChunkUnits = 16 * 1024;
// Slots of the smallest table; a table of more than kKeptSlots goes with its card.
constexpr size_t kFirstSlots = 64;
constexpr size_t kKeptSlots = 4096;
constexpr uint32_t kNoLine = UINT32_MAX;

using Known = KnownCommunications;

constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

uint64_t Fold(uint64_t hash, uint64_t word) {
    hash = (hash ^ word) * kMultiplier;
    return hash ^ hash >> 32;
}

// Folds `text` into `hash` eight units at a time as two words (a short last
// eight read as the text's last eight again; a text of fewer than eight four
// at a time alike, one of fewer than four filled with zeros), then its length,
// which tells those readings apart. Made inline at each call, as RememberKey.
__attribute__((always_inline)) inline uint64_t FoldText(uint64_t hash, WStringView text) {
    static_assert(sizeof(WCHAR) == 2, "four units to a word");
    const WCHAR* units = text.data();
    const size_t size = text.size();
    uint64_t word = 0;
    if (size < 4) {
        for (size_t i = 0; i < size; ++i) word |= static_cast<uint64_t>(units[i]) << (16 * i);
        return Fold(hash, word ^ static_cast<uint64_t>(size) << 48);
    }
    if (size < 8) {
        std::memcpy(&word, units, sizeof word);
        hash = Fold(hash, word);
        std::memcpy(&word, units + size - 4, sizeof word);
        return Fold(Fold(hash, word), size);
    }
    uint64_t second;
    auto foldEight = [&](size_t at) {
        std::memcpy(&word, units + at, sizeof word);
        std::memcpy(&second, units + at + 4, sizeof second);
        hash = ((hash ^ word) * kMultiplier ^ second) * kMultiplier;
        hash ^= hash >> 32;
    };
    for (size_t i = 0; i + 8 < size; i += 8) foldEight(i);
    foldEight(size - 8);
    return Fold(hash, size);
}

// A key's hash so far when its kind is `kind`.
uint64_t KindHash(WStringView kind) { return FoldText(0xCBF29CE484222325ull, kind); }

// The key's hash from its kind's, mixed at the end so that the top half (the
// slot) and the low bits (the tag) both depend on every unit.
uint64_t HashKey(uint64_t kindHash, WStringView value) {
    uint64_t hash = FoldText(kindHash, value);
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 33;
    return hash;
}

uint64_t HashKey(WStringView kind, WStringView value) { return HashKey(KindHash(kind), value); }

// The kinds' hashes of each step, in the order of the steps: its kind's, and
// its fax kind's.
struct StepKindHashes {
    uint64_t kind[sizeof kCommunicationSteps / sizeof kCommunicationSteps[0]];
    uint64_t faxKind[sizeof kCommunicationSteps / sizeof kCommunicationSteps[0]];
    StepKindHashes() {
        for (size_t i = 0; i < sizeof kind / sizeof kind[0]; ++i) {
            kind[i] = KindHash(kCommunicationSteps[i].kind);
            faxKind[i] = KindHash(kCommunicationSteps[i].faxKind);
        }
    }
};
const StepKindHashes kStepKindHashes;

constexpr uint8_t kHashBits = 0x7F;
uint8_t TagOf(uint64_t hash) {
    const uint8_t tag = static_cast<uint8_t>(hash & kHashBits);
    return tag != 0 ? tag : 1;
}

size_t HomeSlot(const Known& known, uint64_t hash) {
    return static_cast<size_t>(((hash >> 32) * known.slots.size()) >> 32);
}

const CommunicationStep& StepNamed(WStringView name) {
    for (const CommunicationStep& step : kCommunicationSteps)
        if (step.property.head.text == name) return step;
    throw std::logic_error("not a communication line");
}

// The kind and value a line key stands for, read from its card line as the
// step that took it read it.
void ReadLineKey(Known& known, uint32_t line, WStringView& kind, WStringView& value) {
    SplitPropertyHead((*known.card)[line], known.head);
    kind = StepKind(StepNamed(known.head.name), known.head.parameters);
    value = LineValue(known.head);
}

WStringView CopyText(const Known& known, const Known::Copy& copy) {
    return WStringView(known.chunks[copy.chunk]).substr(copy.at, copy.size);
}

// The kind and value of the key a slot holds as `tag` and `number`.
void KeyOf(Known& known, uint8_t tag, uint32_t number, WStringView& kind, WStringView& value) {
    if (!(tag & Known::kCopyTag)) return ReadLineKey(known, number, kind, value);
    const WStringView text = CopyText(known, known.copies[number]);
    const size_t nul = text.find(WCHAR(0));  // kinds hold no NUL
    kind = text.substr(0, nul);
    value = text.substr(nul + 1);
}

// Whether the slot holding `held` is the key's; kept out of line, as a tag
// seldom matches another key.
__attribute__((noinline)) bool Holds(Known& known, size_t slot, uint8_t held, WStringView kind,
                                     WStringView value) {
    WStringView heldKind, heldValue;
    KeyOf(known, held, known.slots[slot], heldKind, heldValue);
    return heldKind == kind && heldValue == value;
}

// The slot holding the key, or the free slot where it would go.
inline size_t SlotOf(Known& known, uint64_t hash, uint8_t tag, WStringView kind, WStringView value) {
    const size_t size = known.slots.size();
    for (size_t slot = HomeSlot(known, hash);; slot = slot + 1 == size ? 0 : slot + 1) {
        const uint8_t held = known.tags[slot];
        if (held == Known::kFree) return slot;
        if ((held & kHashBits) == tag && Holds(known, slot, held, kind, value)) return slot;
    }
}

// A free table of `size` slots; positions are computed in 64 bits, so fewer than 2^32.
void MakeTable(Known& known, size_t size) {
    if (size >= UINT32_MAX) throw std::length_error("too many communications");
    known.slots.resize(size);
    if (known.tags.size() == size)  // the usual card: the room of the one before, cleared in place
        std::memset(known.tags.data(), Known::kFree, size);
    else
        known.tags.assign(size, Known::kFree);
    known.used = 0;
}

void Put(Known& known, size_t slot, uint8_t tag, uint32_t number) {
    known.tags[slot] = tag;
    known.slots[slot] = number;
    ++known.used;
}

// Room for `keys` keys, three quarters of the slots at most.
void MakeTableFor(Known& known, size_t keys) {
    const size_t size = keys + keys / 3 + 1;
    MakeTable(known, size > kFirstSlots ? size : kFirstSlots);
}

// Twice the slots, every key moved to its place in them.
void Grow(Known& known) {
    std::vector<uint32_t> slots;
    std::vector<uint8_t> tags;
    slots.swap(known.slots);
    tags.swap(known.tags);
    MakeTable(known, slots.size() * 2);
    for (size_t old = 0; old < slots.size(); ++old) {
        if (tags[old] == Known::kFree) continue;
        WStringView kind, value;
        KeyOf(known, tags[old], slots[old], kind, value);
        const uint64_t hash = HashKey(kind, value);
        size_t slot = HomeSlot(known, hash);
        while (known.tags[slot] != Known::kFree) slot = slot + 1 == known.slots.size() ? 0 : slot + 1;
        Put(known, slot, static_cast<uint8_t>(TagOf(hash) | (tags[old] & Known::kCopyTag)), slots[old]);
    }
}

// Copies the key into the chunks and returns its copy number.
uint32_t Store(Known& known, WStringView kind, WStringView value) {
    const size_t size = kind.size() + 1 + value.size();
    if (size >= UINT32_MAX) throw std::length_error("communication too long");
    if (known.copies.size() >= UINT32_MAX - 1) throw std::length_error("too many communications");
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
    known.copies.push_back({static_cast<uint32_t>(known.chunks.size() - 1), static_cast<uint32_t>(at),
                            static_cast<uint32_t>(size)});
    return static_cast<uint32_t>(known.copies.size() - 1);
}

// Remembers the key, whose HashKey is `hash`, as card line `line` when it is
// one (kNoLine: as a copy); false when it was known already.
// Made inline at each call: it runs once for every communication line.
__attribute__((always_inline)) inline bool RememberKey(Known& known, WStringView kind, WStringView value,
                                                       uint64_t hash, uint32_t line = kNoLine) {
    const uint8_t tag = TagOf(hash);
    size_t slot = SlotOf(known, hash, tag, kind, value);
    if (known.tags[slot] != Known::kFree) return false;
    if ((known.used + 1) * 4 > known.slots.size() * 3) {
        Grow(known);
        slot = SlotOf(known, hash, tag, kind, value);
    }
    if (line != kNoLine)
        Put(known, slot, tag, line);
    else
        Put(known, slot, static_cast<uint8_t>(tag | Known::kCopyTag), Store(known, kind, value));
    return true;
}

// For a value that ends in a line feed, remembers the key without it too, so
// one look-up finds a value stored as it is or with one line feed after it.
void RememberShortened(Known& known, WStringView kind, WStringView value) {
    if (value.empty() || value.back() != TEXT('\n')) return;
    value.remove_suffix(1);
    RememberKey(known, kind, value, HashKey(kind, value));
}

void Remember(Known& known, WStringView kind, WStringView value) {
    RememberKey(known, kind, value, HashKey(kind, value));
    RememberShortened(known, kind, value);
}

// Forgets the keys; a large room goes.
void Forget(Known& known) {
    // The first chunk's room serves again unless one long key had it.
    if (!known.chunks.empty() && known.chunks.front().capacity() <= kChunkUnits) {
        known.chunks.resize(1);
        known.chunks.front().clear();
    } else {
        known.chunks.clear();
    }
    if (known.copies.capacity() > kKeptSlots) std::vector<Known::Copy>().swap(known.copies);
    known.copies.clear();
    if (known.slots.size() > kKeptSlots) {
        std::vector<uint32_t>().swap(known.slots);
        std::vector<uint8_t>().swap(known.tags);
    }
    known.used = 0;
    known.card = nullptr;
}

// How many keys the card's lines may add: the lines headed by a step's name, or
// all the lines when the smallest table holds them; 0 when the heads cannot tell.
size_t CommunicationLines(const CardLines& card, const CardLineHeads& heads) {
    if (card.size() * 4 <= kFirstSlots * 3) return card.size();
    size_t lines = 0;
    for (const CommunicationStep& step : kCommunicationSteps) {
        const size_t count = CountLinesHeadedBy(step.property.head, card, heads);
        if (count == static_cast<size_t>(-1)) return 0;
        lines += count;
    }
    return lines;
}

// Hands each of the contact's stored communications (kind, value) to `visit`,
// in the host's order, until `visit` returns true; returns whether it did. The
// texts last only until the next host call. Entries the host cannot give are
// passed over. `counted` hears the host's count first.
template <typename Counted, typename Visit>
bool VisitStoredCommunications(const WString& uid, Counted counted, Visit visit) {
    const int count = AddinZamo_Contact_GetCommunicationsCount(uid.c_str());
    counted(count);
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

void ReadOnce(const WString& uid, const CardLines& card, const CardLineHeads& heads, Known& known) {
    if (known.read) return;
    known.read = true;
    if (known.card) Forget(known);  // without a card the keys are forgotten already
    known.card = &card;
    const size_t lines = CommunicationLines(card, heads);
    VisitStoredCommunications(
        uid, [&](int count) { MakeTableFor(known, lines + (count > 0 ? static_cast<size_t>(count) : 0)); },
        [&known](WStringView kind, WStringView value) {
            Remember(known, kind, value);
            return false;
        });
}

}  // namespace

bool HasCommunication(const WString& uid, WStringView kind, WStringView value) {
    return VisitStoredCommunications(
        uid, [](int) {},
        [&](WStringView storedKind, WStringView storedValue) {
            return storedKind == kind && SameValue(storedValue, value);
        });
}

void ImportCommunications(const WString& uid, const CardLines& card, PropertyScratch& scratch,
                          KnownCommunications& known) {
    known.read = false;
    for (const CommunicationStep& step : kCommunicationSteps) {
        if (SurelyNoLineNamed(step.property, card, scratch.heads)) continue;  // most cards lack most steps
        ForEachNamedHead(step.property, card, scratch, [&](const PropertyHead& head) {
            const bool fax = !step.faxKind.empty() && HoldsFax(head.parameters);
            const WStringView kind = fax ? step.faxKind : step.kind;
            const size_t stepIndex = static_cast<size_t>(&step - kCommunicationSteps);
            const uint64_t kindHash = (fax ? kStepKindHashes.faxKind : kStepKindHashes.kind)[stepIndex];
            const WStringView value = LineValue(head);
            ReadOnce(uid, card, scratch.heads, known);
            // HasCommunication's answer from what is known, remembering a new value at once.
            const uint32_t line = scratch.line < kNoLine ? static_cast<uint32_t>(scratch.line) : kNoLine;
            if (!RememberKey(known, kind, value, HashKey(kindHash, value), line)) return;
            // Both views end where a NUL follows, so the host reads them as they are.
            AddinZamo_Contact_AddCommunication(uid.c_str(), kind.data(), value.data(), step.subKind);
            RememberShortened(known, kind, value);
        });
    }
    if (known.read) Forget(known);
}
