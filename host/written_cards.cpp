/* Counting the cards of a written file (see written_cards.h): the file read in
 * blocks of 1 MB through one buffer, line feeds followed by the marker's second
 * byte found sixteen at a time, and only there the rest of the marker compared. */
#include "written_cards.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "lane_mask.h"

long CountMarkers(const char* from, const char* end, std::string_view marker) {
    const auto* at = reinterpret_cast<const unsigned char*>(from);
    const auto* const stop = reinterpret_cast<const unsigned char*>(end);
    const auto holdsMarker = [&](const unsigned char* p) {
        return static_cast<size_t>(stop - p) >= marker.size() &&
               std::memcmp(p, marker.data(), marker.size()) == 0;
    };
    long count = 0;
    for (; stop - at > 16; at += 16) {  // the second load reads one byte further
        unsigned heads = EqualByteLanes(LoadSixteenByteLanes(at), '\n') &
                         EqualByteLanes(LoadSixteenByteLanes(at + 1),
                                        static_cast<unsigned char>(marker[1]));
        for (; heads != 0; heads &= heads - 1) count += holdsMarker(at + __builtin_ctz(heads));
    }
    for (; at < stop; ++at) count += holdsMarker(at);
    return count;
}

long CountWrittenCards(const std::string& path) {
    static const std::string_view kEnd = "\nEND:VCARD\r\n";
    constexpr size_t kKept = kEnd.size() - 1;  // may hold the start of a marker cut by a block end
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    std::vector<char> buffer(kKept + (1 << 20));
    buffer[0] = '\n';  // the file's start counts as a line start
    size_t held = 1;
    long cards = 0;
    while (in.read(buffer.data() + held, static_cast<std::streamsize>(buffer.size() - held)) ||
           in.gcount() > 0) {
        const char* const end = buffer.data() + held + in.gcount();
        // A marker that ends the block is counted now, so the bytes kept hold
        // only what may begin one: fewer than the marker.
        cards += CountMarkers(buffer.data(), end, kEnd);
        held = std::min<size_t>(static_cast<size_t>(end - buffer.data()), kKept);
        std::memmove(buffer.data(), end - held, held);
    }
    return cards;
}
