/* The charset sniff (see charset_sniff.h): a plain byte search per read, with
 * the last bytes of each read carried before the next so that a name split
 * between two reads is found. */
#include "charset_sniff.h"

#include <algorithm>
#include <cstring>

namespace {
const char kCharsetName[] = "windows-1251";
constexpr size_t kNameLength = sizeof kCharsetName - 1;
}  // namespace

bool SniffWindows1251(std::FILE* file, std::vector<unsigned char>& buffer, bool& readable) {
    readable = true;
    if (buffer.size() < 4 * kNameLength) buffer.resize(4 * kNameLength);
    const unsigned char* name = reinterpret_cast<const unsigned char*>(kCharsetName);
    size_t carried = 0;
    for (;;) {
        size_t got = std::fread(buffer.data() + carried, 1, buffer.size() - carried, file);
        size_t filled = carried + got;
        if (std::search(buffer.begin(), buffer.begin() + filled, name, name + kNameLength) !=
            buffer.begin() + filled)
            return true;
        if (got == 0 || std::feof(file) || std::ferror(file)) break;
        carried = std::min(filled, kNameLength - 1);
        std::memmove(buffer.data(), buffer.data() + filled - carried, carried);
    }
    readable = !std::ferror(file);
    return false;
}
