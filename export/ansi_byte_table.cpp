/* AnsiByteTable (see ansi_byte_table.h): every code unit converted in one call,
 * the low surrogates put before the high ones so that no two neighbours form a
 * pair; then one pair converted on its own checks that pairs go unit by unit. */
#include "ansi_byte_table.h"

#include <windows.h>

#include <vector>

namespace {

constexpr uint32_t kUnits = 0x10000;

// The units 1 to 0xFFFF, low surrogates before high ones.
std::vector<WCHAR> AllUnitsUnpaired() {
    std::vector<WCHAR> units(kUnits - 1);
    size_t at = 0;
    auto add = [&units, &at](uint32_t first, uint32_t last) {
        for (uint32_t u = first; u <= last; ++u) units[at++] = static_cast<WCHAR>(u);
    };
    add(0x0001, 0xD7FF);
    add(0xDC00, 0xDFFF);
    add(0xD800, 0xDBFF);
    add(0xE000, 0xFFFF);
    return units;
}

int ToAnsi(const WCHAR* wide, int count, char* narrow, int size) {
    return WideCharToMultiByte(CP_ACP, 0, wide, count, narrow, size, nullptr, nullptr);
}

std::vector<uint8_t> ReadTable() {
    const std::vector<WCHAR> units = AllUnitsUnpaired();
    const int count = static_cast<int>(units.size());
    std::vector<char> bytes(units.size());
    if (ToAnsi(units.data(), count, bytes.data(), count) != count) return {};
    std::vector<uint8_t> table(kUnits, 0);
    for (size_t i = 0; i < units.size(); ++i)
        table[static_cast<uint16_t>(units[i])] = static_cast<uint8_t>(bytes[i]);
    const WCHAR pair[] = {static_cast<WCHAR>(0xD83D), static_cast<WCHAR>(0xDE00)};
    char pairBytes[4] = {};
    if (ToAnsi(pair, 2, pairBytes, sizeof pairBytes) != 2 ||
        static_cast<uint8_t>(pairBytes[0]) != table[0xD83D] ||
        static_cast<uint8_t>(pairBytes[1]) != table[0xDE00])
        return {};
    return table;
}

}  // namespace

const uint8_t* AnsiByteTable() {
    static const std::vector<uint8_t> table = ReadTable();
    return table.empty() ? nullptr : table.data();
}
