/* Date texts of the card: the birthday as a bare date and the revision stamp as
 * a UTC date-time, in the basic ISO 8601 form. Exports FormatVCardDate, its
 * appending and in-place forms, and the pair that lets one command read the zone
 * once. */
#ifndef ZAMO_EXPORT_VCARD_DATE_FORMAT_H
#define ZAMO_EXPORT_VCARD_DATE_FORMAT_H

#include <windows.h>

#include <string>

/* With `dateOnly`: year (not padded), month and day (at least two digits each),
 * e.g. "19800305"; the time is used as given, never shifted by the time zone.
 * Without: `time` is local time, converted to UTC with the zone's rules for that
 * date (summer or winter offset), then "T", hour, minute, second and "Z", e.g.
 * "20100615T083000Z". When the conversion fails (a time that is no valid date,
 * zone settings unavailable), the local time is written unconverted, still with
 * "Z". Day of week and milliseconds are never written. */
std::string FormatVCardDate(SYSTEMTIME time, bool dateOnly);

/* FormatVCardDate, appended to `out`. */
void AppendVCardDate(std::string& out, SYSTEMTIME time, bool dateOnly);

/* The most bytes PutVCardDate writes, whatever the fields hold. */
constexpr size_t kMaxVCardDate = 32;  // six fields of up to five digits, "T" and "Z"

/* FormatVCardDate written at `out`, which has room for kMaxVCardDate bytes;
 * returns the end of the text. */
char* PutVCardDate(char* out, SYSTEMTIME time, bool dateOnly);

/* From KeepZoneSettings until ForgetZoneSettings, FormatVCardDate reads the
 * zone settings once and remembers each conversion it made, for a run of cards
 * during which the zone does not change (one export command). The texts are
 * the same as without; calling KeepZoneSettings again starts afresh. */
void KeepZoneSettings();
void ForgetZoneSettings();

#endif
