/* The charset sniff (see charset_sniff.h): a memchr-led byte search per read, with
 * the last bytes of each read carried before the next so that a name split
 * between two reads is found; only when the name is found, the file is read
 * again from its start to see whether it is UTF-8 text. */
#include "charset_sniff.h"

#include <algorithm>
#include <cstring>

namespace {
const char kCharsetName[] = "windows-1251";
constexpr size_t kNameLength = sizeof kCharsetName - 1;
// Whether text[0, size) holds the name: its first byte found with memchr,
// which reads many bytes a step, and each hit compared in full.
bool HoldsName(const unsigned char* text, size_t size, const unsigned char* name) {
    if (size < kNameLength) return false;
    const unsigned char* last = text + (size - kNameLength);  // the last place it fits
    for (const unsigned char* at = text; at <= last; ++at) {
        const size_t places = static_cast<size_t>(last - at) + 1;
        at = static_cast<const unsigned char*>(std::memchr(at, name[0], places));
        if (at == nullptr) return false;
        if (std::memcmp(at, name, kNameLength) == 0) return true;
    }
    return false;
}

// The bytes that may follow a lead byte as its first continuation, and how many
// continuation bytes it takes; need 0: no lead byte (ASCII or ill-formed).
struct Utf8Lead {
    unsigned char low, high;
    int need;
};

Utf8Lead LeadOf(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return {0x80, 0xBF, 1};
    if (byte == 0xE0) return {0xA0, 0xBF, 2};  // no overlong form
    if (byte == 0xED) return {0x80, 0x9F, 2};  // no surrogate
    if (byte >= 0xE1 && byte <= 0xEF) return {0x80, 0xBF, 2};
    if (byte == 0xF0) return {0x90, 0xBF, 3};  // no overlong form
    if (byte >= 0xF1 && byte <= 0xF3) return {0x80, 0xBF, 3};
    if (byte == 0xF4) return {0x80, 0x8F, 3};  // nothing above U+10FFFF
    return {0, 0, 0};
}

// UTF-8 checking carried from one read to the next.
struct Utf8Check {
    Utf8Lead pending{0x80, 0xBF, 0};  // continuation bytes still due
    bool wellFormed = true;
    bool beyondAscii = false;

    void Feed(const unsigned char* bytes, size_t size) {
        for (size_t i = 0; i < size && wellFormed; ++i) {
            const unsigned char byte = bytes[i];
            if (pending.need > 0) {
                wellFormed = byte >= pending.low && byte <= pending.high;
                pending = {0x80, 0xBF, pending.need - 1};
            } else if (byte >= 0x80) {
                beyondAscii = true;
                pending = LeadOf(byte);
                wellFormed = pending.need > 0;
            }
        }
    }
};

}  // namespace

bool IsUtf8TextBeyondAscii(std::FILE* file, std::vector<unsigned char>& buffer) {
    Utf8Check check;
    while (check.wellFormed) {
        size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
        if (got == 0) break;
        check.Feed(buffer.data(), got);
    }
    return check.wellFormed && check.pending.need == 0 && check.beyondAscii &&
           !std::ferror(file);
}

bool SniffWindows1251(std::FILE* file, std::vector<unsigned char>& buffer, bool& readable) {
    readable = true;
    if (buffer.size() < 4 * kNameLength) buffer.resize(4 * kNameLength);
    const unsigned char* name = reinterpret_cast<const unsigned char*>(kCharsetName);
    size_t carried = 0;
    for (;;) {
        size_t got = std::fread(buffer.data() + carried, 1, buffer.size() - carried, file);
        size_t filled = carried + got;
        if (HoldsName(buffer.data(), filled, name)) {
            std::rewind(file);
            return !IsUtf8TextBeyondAscii(file, buffer);
        }
        if (got == 0 || std::feof(file) || std::ferror(file)) break;
        carried = std::min(filled, kNameLength - 1);
        std::memmove(buffer.data(), buffer.data() + filled - carried, carried);
    }
    readable = !std::ferror(file);
    return false;
}
