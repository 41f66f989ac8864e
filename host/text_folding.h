/* Caseless text matching for the zamo program's searches: one small function,
 * so that each system can fold with its own library (ICU here). Exports
 * FoldCase and ContainsFolded. */
#ifndef ZAMO_HOST_TEXT_FOLDING_H
#define ZAMO_HOST_TEXT_FOLDING_H

#include "wide_text.h"

/* `text` with every letter case-folded (Latin, Cyrillic and the rest of
 * Unicode), for comparison only: "ЗОЯ" and "зоя" fold alike. Text that cannot be
 * folded (unpaired surrogates aside, which pass through) comes back unchanged. */
WString FoldCase(WStringView text);

/* Whether `text` contains `foldedNeedle` (made by FoldCase) regardless of case;
 * an empty needle is found in every text. */
inline bool ContainsFolded(WStringView text, const WString& foldedNeedle) {
    return foldedNeedle.empty() || FoldCase(text).find(foldedNeedle) != WString::npos;
}

#endif
