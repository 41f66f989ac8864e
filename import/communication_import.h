/* The communication steps of the card importer: telephone, fax, web, e-mail and
 * messenger properties into host communications, each added only when the
 * contact lacks it. Exports HasCommunication and ImportCommunications. */
#ifndef ZAMO_IMPORT_COMMUNICATION_IMPORT_H
#define ZAMO_IMPORT_COMMUNICATION_IMPORT_H

#include <unordered_set>
#include <utility>
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
 * as the host holds them, read once, and those the card has added since; each
 * as its kind, a NUL and its value. Few are searched in turn, many through a
 * set. The room is reused from card to card. */
struct KnownCommunications {
    bool read = false;
    WString few;                                     // the keys one after another
    std::vector<std::pair<size_t, size_t>> fewKeys;  // each key's place in `few`
    std::unordered_set<WString> many;                // instead, once there are many
    WString key;                                     // the key being looked up
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
