/* The communication steps of the card importer: telephone, fax, web, e-mail and
 * messenger properties into host communications, each added only when the
 * contact lacks it. Exports HasCommunication and ImportCommunications. */
#ifndef ZAMO_IMPORT_COMMUNICATION_IMPORT_H
#define ZAMO_IMPORT_COMMUNICATION_IMPORT_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "card_lines.h"
#include "named_property_lines.h"
#include "wide_text.h"

/* Asks the host whether contact `uid` has a communication of `kind` with exactly
 * `value` (code unit by code unit, no trimming; the sub-kind is not compared),
 * or with `value` and one line feed after it, as the earlier importer stored it.
 * Indices the host fails to fill are passed over; a count of 0 or less: false. */
bool HasCommunication(const WString& uid, WStringView kind, WStringView value);

/* What the communication steps know of one card's contact: its communications
 * as the host holds them, read once, and those the card has added since. A key
 * the card added from one of its own lines is that line's number alone (its
 * kind and value are read from the line again when a probe must compare); any
 * other key (the host's, a value cut of its line feed, one of joined lines) is
 * kept as its kind, a NUL and its value in chunks of text. The keys are found
 * through one open-addressing table, sized at the card's first communication
 * for the communication lines the card has, with a byte per slot holding part
 * of the key's hash, so that most probes compare nothing: about seven bytes a
 * line. A key of 2^32 units or more, or that many keys, ends the import with an
 * exception. A large room goes with its card. */
struct KnownCommunications {
    struct Copy {
        uint32_t chunk;
        uint32_t at, size;  // within the chunk
    };
    // A tag byte: 0 for a free slot, else kCopyTag for a copy or'ed with seven
    // bits of the hash (never all zero).
    static constexpr uint8_t kFree = 0, kCopyTag = 0x80;

    bool read = false;
    const CardLines* card = nullptr;  // the card whose line numbers the table holds
    std::vector<WString> chunks;      // never grown past their first room, so copies stay put
    std::vector<Copy> copies;
    std::vector<uint32_t> slots;  // a line number or a copy number, as the tag says
    std::vector<uint8_t> tags;
    size_t used = 0;  // slots taken, at most three quarters of them
    PropertyHead head;  // a line key read again
};

/* Runs the ten steps in order: TEL ("fax" when a parameter entry contains "FAX",
 * else "tel"), URL, EMAIL, then X-ICQ, X-GTALK, X-AIM, X-YAHOO, X-SKYPE, X-MSN,
 * X-JABBER as "msg" with their sub-kinds. Each line named exactly so adds its
 * first component unless the contact already has it as HasCommunication tells;
 * the contact's communications are read from the host once, at the card's first
 * such line, and what the card adds is remembered from then on. */
void ImportCommunications(const WString& uid, const CardLines& card, PropertyScratch& scratch,
                          KnownCommunications& known);

#endif
