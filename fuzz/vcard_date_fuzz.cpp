/* Fuzz target: the importer's date parsing over any UTF-16 text, in one of a few
 * time zones chosen by the input, and the prompt's date text over any SYSTEMTIME.
 * Input: one byte choosing the zone, then the text as little-endian code units. */
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <ctime>
#include <exception>

#include "fuzz_input.h"
#include "vcard_date.h"

namespace {

// POSIX TZ texts: none, east without daylight saving, west with it, a zone of
// 45-minute offset with southern daylight saving, and a far one across the date line.
const char* const kZones[] = {
    "UTC0",
    "<+04>-4",
    "EST5EDT,M3.2.0,M11.1.0",
    "<+1245>-12:45<+1345>,M9.5.0/2:45,M4.1.0/3:45",
    "<-11>11",
};

void UseZone(unsigned choice) {
    static int current = -1;
    int zone = static_cast<int>(choice % (sizeof kZones / sizeof kZones[0]));
    if (zone == current) return;
    setenv("TZ", kZones[zone], 1);
    tzset();
    current = zone;
}

bool IsZero(const SYSTEMTIME& t) {
    return !t.wYear && !t.wMonth && !t.wDayOfWeek && !t.wDay && !t.wHour && !t.wMinute &&
           !t.wSecond && !t.wMilliseconds;
}

// The prompt text must be five unsigned decimal numbers equal to the fields, as
// "d.m.y h:m", each without leading zeros.
void CheckPromptText(const SYSTEMTIME& t) {
    WString text = FormatPromptDate(t);
    const WORD fields[] = {t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute};
    const WCHAR separators[] = {'.', '.', ' ', ':', 0};
    size_t pos = 0;
    for (int i = 0; i < 5; ++i) {
        unsigned long value = 0;
        size_t start = pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            value = value * 10 + (text[pos++] - '0');
        size_t digits = pos - start;
        if (digits == 0 || digits > 5 || value != fields[i] ||
            (digits > 1 && text[start] == '0'))
            FuzzFail("prompt date field " + std::to_string(i) + " does not show its value");
        if (separators[i] != 0) {
            if (pos >= text.size() || text[pos] != separators[i])
                FuzzFail("prompt date separator missing after field " + std::to_string(i));
            ++pos;
        }
    }
    if (pos != text.size()) FuzzFail("prompt date text has trailing characters");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    UseZone(in.Byte());
    SYSTEMTIME raw{};
    std::memcpy(&raw, data + (size > 0), std::min(sizeof raw, size - (size > 0)));
    WString text = in.RestAsText();

    SYSTEMTIME parsed{};
    try {
        parsed = ParseVCardDate(text);
    } catch (const std::exception& e) {
        FuzzFail(std::string("ParseVCardDate threw: ") + e.what());
    }
    bool dash = text.find('-') != WString::npos;
    bool tee = text.find('T') != WString::npos;
    bool eight = text.size() == 8 || text.size() == 9;
    if (!dash && !tee && !eight && !IsZero(parsed))
        FuzzFail("a text of no date form gave fields");
    if (!tee && (parsed.wDayOfWeek || parsed.wMilliseconds || parsed.wHour || parsed.wMinute ||
                 parsed.wSecond))
        FuzzFail("a date without time gave time fields");
    CheckPromptText(parsed);
    CheckPromptText(raw);
    return 0;
}
