/* How the program shows contacts: display names, dates as text, control
 * characters made visible. Exports the helpers used by list and show. */
#ifndef ZAMO_HOST_CONTACT_TEXT_H
#define ZAMO_HOST_CONTACT_TEXT_H

#include <string>

#include "wide_text.h"

/* "First Middle Last" without empty parts; else the title; else "". */
WString JoinName(WStringView first, WStringView middle, WStringView last, WStringView title);
/* JoinName made visible for a terminal line (VisibleText). */
std::string DisplayName(WStringView first, WStringView middle, WStringView last,
                        WStringView title);

/* UTF-8 for a terminal line: line feed, carriage return, tab and other control
 * characters shown as \n, \r, \t and \xNN. */
std::string VisibleText(WStringView text);

/* A value for a tab-separated row: backslash doubled, then made visible as
 * VisibleText does, so the row holds no tab or line break of the value's own. */
std::string TsvField(WStringView text);

/* Terminal columns taken by UTF-8 text: one per character, two for East Asian
 * wide characters, none for combining marks; invalid bytes count one each. */
size_t DisplayWidth(const std::string& utf8);

/* "YYYY-MM-DD", with " HH:MM:SS" (or "THH:MM:SS" when `isoT`) unless the time is
 * midnight and `dateOnlyWhenMidnight`; "" for the empty date or no date. */
std::string DateText(double oleDate, bool dateOnlyWhenMidnight, bool isoT = false);

#endif
