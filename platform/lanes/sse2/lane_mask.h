/* Comparison lanes as bits where SSE2 is the baseline (x86-64): the two
 * comparisons packed to bytes and their top bits taken in one instruction.
 * Exports EightLanes and LaneMask; CMake picks this or the generic one. */
#ifndef ZAMO_PLATFORM_LANE_MASK_H
#define ZAMO_PLATFORM_LANE_MASK_H

#include <emmintrin.h>

#include <cstdint>

/* Eight 16-bit lanes, as the import's unit comparisons give them. */
typedef uint16_t EightLanes __attribute__((vector_size(16)));

/* The set lanes of `low` and `high` (each lane all ones or all zeros) as bits:
 * lane k of low as bit k, lane k of high as bit 8 + k. */
inline unsigned LaneMask(EightLanes low, EightLanes high) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(reinterpret_cast<__m128i>(low),
                                                                   reinterpret_cast<__m128i>(high))));
}

#endif
