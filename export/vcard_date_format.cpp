/* FormatVCardDate (see vcard_date_format.h): the zone conversion through the
 * Win32 time-zone functions, then the digits written straight into the line.
 * While the zone is kept, its settings are read once and conversions are
 * remembered by their whole input in fixed slots: asking the zone costs more
 * than a card. */
#include "vcard_date_format.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

SYSTEMTIME Convert(const TIME_ZONE_INFORMATION& zone, const SYSTEMTIME& local) {
    SYSTEMTIME universal{};
    if (!TzSpecificLocalTimeToSystemTime(&zone, &local, &universal)) return local;
    return universal;
}

// All eight fields of a SYSTEMTIME as one key.
struct TimeKey {
    uint64_t high, low;
    bool operator==(const TimeKey& other) const { return high == other.high && low == other.low; }
};

TimeKey KeyOf(const SYSTEMTIME& t) {
    return {static_cast<uint64_t>(t.wYear) << 48 | static_cast<uint64_t>(t.wMonth) << 32 |
                static_cast<uint64_t>(t.wDayOfWeek) << 16 | t.wDay,
            static_cast<uint64_t>(t.wHour) << 48 | static_cast<uint64_t>(t.wMinute) << 32 |
                static_cast<uint64_t>(t.wSecond) << 16 | t.wMilliseconds};
}

size_t Slot(const TimeKey& k, size_t slots) {
    return static_cast<size_t>(((k.high * 0x9E3779B97F4A7C15ull) ^ (k.low + (k.low >> 29))) >> 40) &
           (slots - 1);
}

// One remembered conversion; a slot holds the latest of the inputs that fall in it.
struct Conversion {
    TimeKey local;
    SYSTEMTIME universal;
    bool used;
};

// Slots of remembered conversions: a power of two.
constexpr size_t kConversionSlots = 1 << 12;

// The zone settings read at KeepZoneSettings and the conversions made since.
struct KeptZone {
    bool kept = false;
    bool valid = false;  // the settings could be read
    TIME_ZONE_INFORMATION zone{};
    std::vector<Conversion> conversions;  // kConversionSlots while kept
};
KeptZone gKept;

SYSTEMTIME LocalToUniversal(const SYSTEMTIME& local) {
    if (!gKept.kept) {
        TIME_ZONE_INFORMATION zone{};
        if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return local;
        return Convert(zone, local);
    }
    if (!gKept.valid) return local;
    const TimeKey key = KeyOf(local);
    Conversion& slot = gKept.conversions[Slot(key, kConversionSlots)];
    if (!slot.used || !(slot.local == key)) slot = {key, Convert(gKept.zone, local), true};
    return slot.universal;
}

}  // namespace

void KeepZoneSettings() {
    ForgetZoneSettings();
    gKept.kept = true;
    gKept.valid = GetTimeZoneInformation(&gKept.zone) != TIME_ZONE_ID_INVALID;
    gKept.conversions.assign(kConversionSlots, Conversion{});
}

void ForgetZoneSettings() {
    gKept.kept = false;
    gKept.valid = false;
    std::memset(&gKept.zone, 0, sizeof gKept.zone);
    std::vector<Conversion>().swap(gKept.conversions);
}

namespace {

// "00" to "99", two bytes each.
constexpr struct TwoDigits {
    char text[200];
    constexpr TwoDigits() : text() {
        for (int n = 0; n < 100; ++n) {
            text[2 * n] = static_cast<char>('0' + n / 10);
            text[2 * n + 1] = static_cast<char>('0' + n % 10);
        }
    }
} kTwoDigits;

// The number in decimal, with a leading zero when it has one digit and `pad`.
char* PutNumber(char* out, unsigned value, bool pad) {
    if (pad && value < 100) {
        std::memcpy(out, kTwoDigits.text + 2 * value, 2);
        return out + 2;
    }
    char digits[8];
    size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (pad && n == 1) digits[n++] = '0';
    while (n > 0) *out++ = digits[--n];
    return out;
}

// A number of 1000 to 9999 in decimal.
char* PutFourDigits(char* out, unsigned value) {
    std::memcpy(out, kTwoDigits.text + 2 * (value / 100), 2);
    std::memcpy(out + 2, kTwoDigits.text + 2 * (value % 100), 2);
    return out + 4;
}

}  // namespace

char* PutVCardDate(char* out, SYSTEMTIME time, bool dateOnly) {
    const SYSTEMTIME t = dateOnly ? time : LocalToUniversal(time);
    out = t.wYear >= 1000 && t.wYear <= 9999 ? PutFourDigits(out, t.wYear)
                                             : PutNumber(out, t.wYear, false);
    out = PutNumber(out, t.wMonth, true);
    out = PutNumber(out, t.wDay, true);
    if (dateOnly) return out;
    *out++ = 'T';
    out = PutNumber(out, t.wHour, true);
    out = PutNumber(out, t.wMinute, true);
    out = PutNumber(out, t.wSecond, true);
    *out++ = 'Z';
    return out;
}

void AppendVCardDate(std::string& out, SYSTEMTIME time, bool dateOnly) {
    char text[kMaxVCardDate];
    out.append(text, static_cast<size_t>(PutVCardDate(text, time, dateOnly) - text));
}

std::string FormatVCardDate(SYSTEMTIME time, bool dateOnly) {
    std::string text;
    AppendVCardDate(text, time, dateOnly);
    return text;
}
