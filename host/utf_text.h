/* UTF-8 <-> UTF-16 for the zamo program's arguments and output, and JSON string
 * quoting. Exports Utf8ToWide, WideToUtf8 and JsonString. */
#ifndef ZAMO_HOST_UTF_TEXT_H
#define ZAMO_HOST_UTF_TEXT_H

#include <string>
#include <string_view>

#include "wide_text.h"

/* False when `text` is not well-formed UTF-8 (overlong forms, surrogates and
 * values past U+10FFFF included); `out` is then unspecified. */
bool Utf8ToWide(std::string_view text, WString* out);

/* Unpaired surrogates become U+FFFD: the output is always valid UTF-8. */
std::string WideToUtf8(WStringView text);

/* A JSON string literal with quotes: ", \ and control characters escaped. */
std::string JsonString(std::string_view utf8);

#endif
