/* FoldCase (see text_folding.h) over the system's own case mapping: lower case
 * by the invariant locale, which covers Latin, Cyrillic and the rest of the
 * Unicode letters that have a single-letter lower case (no "ß" to "ss"). */
#include "text_folding.h"

WString FoldCase(WStringView text) {
    if (text.empty()) return WString();
    int length = static_cast<int>(text.size());
    int needed = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.data(), length,
                               nullptr, 0, nullptr, nullptr, 0);
    if (needed <= 0) return WString(text);
    WString folded(static_cast<size_t>(needed), L'\0');
    needed = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.data(), length, &folded[0],
                           needed, nullptr, nullptr, 0);
    if (needed <= 0) return WString(text);
    folded.resize(static_cast<size_t>(needed));
    return folded;
}
