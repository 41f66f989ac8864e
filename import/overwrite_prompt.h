/* The overwrite decision for a card whose UID names an existing contact: the
 * Russian Yes/No/Cancel warning with the card's and the host's modification
 * dates. Exports ConfirmOverwrite and OverwritePromptText. */
#ifndef ZAMO_IMPORT_OVERWRITE_PROMPT_H
#define ZAMO_IMPORT_OVERWRITE_PROMPT_H

#include <windows.h>

#include "card_lines.h"
#include "named_property_lines.h"
#include "wide_text.h"

/* The four-line prompt text, in Russian whatever the captions' language: the
 * formatted name (used as given, even empty), the file's date, the host's date. */
WString OverwritePromptText(WStringView formattedName, SYSTEMTIME fileDate, SYSTEMTIME hostDate);

/* Asks whether the card may be written into the existing contact `uid`. A card
 * without any line containing "REV" is refused without asking; otherwise the
 * first such line's first component is the file's date and only the answer Yes
 * (IDYES) allows; No, Cancel and a failed box refuse. Writes nothing to the host. */
bool ConfirmOverwrite(const WString& uid, const WString& formattedName, const CardLines& card,
                      PropertyScratch& scratch);

#endif
