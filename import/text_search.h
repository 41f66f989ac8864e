/* Substring search over UTF-16 text for the reader and the property lookup,
 * which test every line for a marker or a name. Exports ContainsText and
 * FindUnitFrom. */
#ifndef ZAMO_IMPORT_TEXT_SEARCH_H
#define ZAMO_IMPORT_TEXT_SEARCH_H

#include "wide_text.h"

/* Whether `part` occurs in `text` (exact, case-sensitive); an empty part
 * occurs in every text. Same answer as WStringView::find, checking four code
 * units at a time for the part's first unit. */
bool ContainsText(WStringView text, WStringView part);

/* The first position at or after `from` of `unit` in `text`, or npos; same
 * answer as WStringView::find, four code units at a time. */
size_t FindUnitFrom(WStringView text, WCHAR unit, size_t from);

#endif
