/* How the program shows contacts: display names, dates as text, control
 * characters made visible. Exports the helpers used by list, show and the
 * overwrite prompt. */
#ifndef ZAMO_HOST_CONTACT_TEXT_H
#define ZAMO_HOST_CONTACT_TEXT_H

#include <string>

#include "wide_text.h"

/* "First Middle Last" without empty parts; else the title; else "". */
WString JoinName(WStringView first, WStringView middle, WStringView last, WStringView title);
/* JoinName made visible for a terminal line (VisibleText). */
std::string DisplayName(WStringView first, WStringView middle, WStringView last,
                        WStringView title);

/* UTF-8 for a terminal line: line feed, carriage return and tab shown as \n,
 * \r, \t; other C0 and C1 controls and DEL as \xNN; the bidirectional
 * controls as \uNNNN. Every text that comes from a card goes through this. */
std::string VisibleText(WStringView text);
/* As VisibleText, but a line feed stays a line break: a message shown whole. */
std::string VisibleLines(WStringView text);
/* A JSON string literal with quotes, escaped the same way (\u00NN, \u202e). */
std::string JsonText(WStringView text);

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
