/* Dates on import (see vcard_date.h): which fields each form of date text
 * gives, as a table, the decimal reading of one field, the UTC-to-local step of
 * date-times and the prompt's short date text. */
#include "vcard_date.h"

#include <string>

namespace {

struct DateField {
    WORD SYSTEMTIME::*field;
    size_t position;
    size_t length;
};

// Basic date: yyyymmdd, alone or followed by one more character.
const DateField kBasicDate[] = {
    {&SYSTEMTIME::wYear, 0, 4},
    {&SYSTEMTIME::wMonth, 4, 2},
    {&SYSTEMTIME::wDay, 6, 2},
};
// Extended date: yyyy-mm-dd.
const DateField kExtendedDate[] = {
    {&SYSTEMTIME::wYear, 0, 4},
    {&SYSTEMTIME::wMonth, 5, 2},
    {&SYSTEMTIME::wDay, 8, 2},
};
// Basic date-time: yyyymmddThhmmss, taken as UTC.
const DateField kBasicDateTime[] = {
    {&SYSTEMTIME::wYear, 0, 4},   {&SYSTEMTIME::wMonth, 4, 2},
    {&SYSTEMTIME::wDay, 6, 2},    {&SYSTEMTIME::wHour, 9, 2},
    {&SYSTEMTIME::wMinute, 11, 2}, {&SYSTEMTIME::wSecond, 13, 2},
};

bool IsLeadingSpace(WCHAR c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

/* The field at (position, length), cut short where the text ends, read like a
 * base-10 string-to-long conversion: blanks skipped, an optional sign, digits
 * up to the first other character; no digits (or no text) gives 0. The result
 * is kept modulo 65536, so "-5" gives 65531. */
WORD ReadField(WStringView text, size_t position, size_t length) {
    if (position >= text.size()) return 0;
    WStringView piece = text.substr(position, length);
    // The usual field starts with a digit: no blanks or sign to pass.
    unsigned digits = 0;
    size_t i = 0;
    for (unsigned digit; i < piece.size() && (digit = static_cast<unsigned>(piece[i] - u'0')) <= 9; ++i)
        digits = digits * 10 + digit;
    if (i != 0) return static_cast<WORD>(digits);
    while (i < piece.size() && IsLeadingSpace(piece[i])) ++i;
    bool negative = false;
    if (i < piece.size() && (piece[i] == u'+' || piece[i] == u'-')) negative = piece[i++] == u'-';
    long value = 0;
    for (; i < piece.size() && piece[i] >= u'0' && piece[i] <= u'9'; ++i)
        value = value * 10 + (piece[i] - u'0');
    return static_cast<WORD>(static_cast<unsigned long>(negative ? -value : value));
}

template <size_t N>
void ReadFields(WStringView text, const DateField (&fields)[N], SYSTEMTIME& time) {
    for (const DateField& f : fields) time.*(f.field) = ReadField(text, f.position, f.length);
}

void AppendNumber(WString& out, unsigned value) {
    std::string digits = std::to_string(value);
    out.append(digits.begin(), digits.end());
}

// The usual birthday, eight digits: the basic date's fields read at once.
bool ReadEightDigits(WStringView text, SYSTEMTIME& time) {
    if (text.size() != 8) return false;
    unsigned digits[8];
    for (size_t i = 0; i < 8; ++i)
        if ((digits[i] = static_cast<unsigned>(text[i] - u'0')) > 9) return false;
    time.wYear = static_cast<WORD>(((digits[0] * 10 + digits[1]) * 10 + digits[2]) * 10 + digits[3]);
    time.wMonth = static_cast<WORD>(digits[4] * 10 + digits[5]);
    time.wDay = static_cast<WORD>(digits[6] * 10 + digits[7]);
    return true;
}

}  // namespace

SYSTEMTIME ParseVCardDate(WStringView text) {
    SYSTEMTIME time{};
    if (ReadEightDigits(text, time)) return time;
    if (text.size() == 8 || text.size() == 9) ReadFields(text, kBasicDate, time);
    bool dash = false, t = false;  // one pass for both
    for (WCHAR unit : text) {
        dash |= unit == u'-';
        t |= unit == u'T';
    }
    if (dash) ReadFields(text, kExtendedDate, time);
    if (t) {
        ReadFields(text, kBasicDateTime, time);
        SYSTEMTIME local{};
        if (SystemTimeToTzSpecificLocalTime(nullptr, &time, &local)) time = local;
    }
    return time;
}

WString FormatPromptDate(SYSTEMTIME time) {
    WString text;
    AppendNumber(text, time.wDay);
    text += u'.';
    AppendNumber(text, time.wMonth);
    text += u'.';
    AppendNumber(text, time.wYear);
    text += u' ';
    AppendNumber(text, time.wHour);
    text += u':';
    AppendNumber(text, time.wMinute);
    return text;
}
