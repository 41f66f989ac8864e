/* The card importer: turns one card into a host contact, step by step in a fixed
 * order (identity, overwrite decision, names, texts, birthday, addresses, save,
 * communications). Exports ImportCard. */
#ifndef ZAMO_IMPORT_CARD_IMPORT_H
#define ZAMO_IMPORT_CARD_IMPORT_H

#include "card_lines.h"

/* Imports one card into the host. The first line containing "UID" names the
 * contact (none: the empty UID); an absent one is inserted under "root", an
 * existing one is written only after the overwrite prompt is answered Yes (no
 * REV line: the card is skipped). Then title (the first FN, or ""), names, ORG,
 * TITLE, NOTE, ROLE, BDAY, addresses, one SaveChanges, communications. Fields
 * whose property the card lacks keep their values; values are used unchanged. */
void ImportCard(const CardLines& lines);

#endif
