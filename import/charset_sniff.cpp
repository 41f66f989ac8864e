/* The charset sniff (see charset_sniff.h): a memchr-led byte search per read, with
 * the last bytes of each read carried before the next so that a name split
 * between two reads is found. */
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

}  // namespace

bool SniffWindows1251(std::FILE* file, std::vector<unsigned char>& buffer, bool& readable) {
    readable = true;
    if (buffer.size() < 4 * kNameLength) buffer.resize(4 * kNameLength);
    const unsigned char* name = reinterpret_cast<const unsigned char*>(kCharsetName);
    size_t carried = 0;
    for (;;) {
        size_t got = std::fread(buffer.data() + carried, 1, buffer.size() - carried, file);
        size_t filled = carried + got;
        if (HoldsName(buffer.data(), filled, name)) return true;
        if (got == 0 || std::feof(file) || std::ferror(file)) break;
        carried = std::min(filled, kNameLength - 1);
        std::memmove(buffer.data(), buffer.data() + filled - carried, carried);
    }
    readable = !std::ferror(file);
    return false;
}
