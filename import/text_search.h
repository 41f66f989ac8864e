/* Substring search over UTF-16 text for the reader and the property lookup,
 * which test every line for a marker or a name. Exports ContainsText,
 * FindUnitFrom and FindEitherUnitFrom. */
#ifndef ZAMO_IMPORT_TEXT_SEARCH_H
#define ZAMO_IMPORT_TEXT_SEARCH_H

#include "wide_text.h"

/* Whether `part` occurs in `text` (exact, case-sensitive); an empty part
 * occurs in every text. Same answer as WStringView::find, checking eight code
 * units at a time for the part's first two. */
bool ContainsText(WStringView text, WStringView part);

/* The first position at or after `from` of `unit` in `text`, or npos; same
 * answer as WStringView::find, eight code units at a time. */
size_t FindUnitFrom(WStringView text, WCHAR unit, size_t from);

/* The first position at or after `from` of `one` or `other` in `text`, or npos;
 * eight code units at a time. */
size_t FindEitherUnitFrom(WStringView text, WCHAR one, WCHAR other, size_t from);

#endif
