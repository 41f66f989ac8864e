/* Comparison lanes as bits on any target (the 32-bit Windows build has no
 * SSE2): the lanes' low bits spread over one word and gathered by one
 * multiplication. Exports EightLanes and LaneMask; CMake picks this or the SSE2 one. */
#ifndef ZAMO_PLATFORM_LANE_MASK_H
#define ZAMO_PLATFORM_LANE_MASK_H

#include <cstdint>
#include <cstring>

/* Eight 16-bit lanes, as the import's unit comparisons give them. */
typedef uint16_t EightLanes __attribute__((vector_size(16)));

/* The set lanes of `low` and `high` (each lane all ones or all zeros) as bits:
 * lane k of low as bit k, lane k of high as bit 8 + k. Lane j + 4k of low goes
 * to bit 16j + 4k of one word and of high to bit 16j + 4k + 8; the
 * multiplication moves bit 16j + m (m < 16) to bit 48 + m + j, no two of its
 * products meeting. */
inline unsigned LaneMask(EightLanes low, EightLanes high) {
    const EightLanes marks = (low & (EightLanes{} + 1)) | (high & (EightLanes{} + 0x100));
    uint64_t halves[2];
    std::memcpy(halves, &marks, sizeof halves);
    return static_cast<unsigned>((halves[0] | halves[1] << 4) * 0x0001000200040008ull >> 48);
}

#endif
