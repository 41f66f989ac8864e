/* Dates on import: ParseVCardDate reads a BDAY or REV text into a SYSTEMTIME
 * (date-times taken as UTC and made local); FormatPromptDate writes the short
 * day.month.year hour:minute text of the overwrite prompt. */
#ifndef ZAMO_IMPORT_VCARD_DATE_H
#define ZAMO_IMPORT_VCARD_DATE_H

#include <windows.h>

#include "wide_text.h"

/* Reads digits at fixed positions chosen by the text's length and its "-" and
 * "T"; unread fields stay 0. Never throws: a field beyond the text reads as 0. */
SYSTEMTIME ParseVCardDate(WStringView text);

/* "d.m.yyyy h:m", every field without leading zeros. */
WString FormatPromptDate(SYSTEMTIME time);

#endif
