/* The card importer: turns one card into a host contact, step by step in a fixed
 * order (identity, overwrite decision, names, texts, birthday, addresses, save,
 * communications). Exports ImportCard. */
#ifndef ZAMO_IMPORT_CARD_IMPORT_H
#define ZAMO_IMPORT_CARD_IMPORT_H

#include "card_lines.h"

/* Imports one card into the host. Shows the overwrite prompt for a card whose
 * UID names an existing contact and skips the card unless the user says Yes. */
void ImportCard(const CardLines& lines);

#endif
