/* The card importer: turns one card into a host contact, step by step in a fixed
 * order (identity, overwrite decision, names, texts, birthday, addresses, save,
 * communications). Exports ImportCard. */
#ifndef ZAMO_IMPORT_CARD_IMPORT_H
#define ZAMO_IMPORT_CARD_IMPORT_H

#include "card_lines.h"
#include "communication_import.h"
#include "named_property_lines.h"

/* What the cards of one file share while they are imported: the lookup buffers
 * (their room goes with the file) and whether the file was read by the UTF-8
 * pass, by which the earlier importer kept a line feed at the end of every
 * value, the UID included. */
struct CardImportContext {
    PropertyScratch scratch;
    KnownCommunications communications;
    bool fromUtf8File = false;
    WString uid, formattedName;  // the card's, their room kept for the next
};

/* Imports one card into the host. The first line containing "UID" names the
 * contact (none: the empty UID). For a card of a UTF-8 file whose UID is absent,
 * the UID followed by one line feed is asked for too, and when present, that
 * stored contact is the card's. An absent one is inserted under "root", an
 * existing one is written only after the overwrite prompt is answered Yes (no
 * REV line: the card is skipped). Then title (the first FN, or ""), names, ORG,
 * TITLE, NOTE, ROLE, BDAY, addresses, one SaveChanges, communications. Fields
 * whose property the card lacks keep their values; values are used unchanged. */
void ImportCard(const CardLines& lines, CardImportContext& context);

/* ImportCard with a context of its own, as for a card of a windows-1251 file. */
void ImportCard(const CardLines& lines);

#endif
