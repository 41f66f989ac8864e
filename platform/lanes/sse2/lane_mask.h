/* Comparison lanes as bits where SSE2 is the baseline (x86-64): the two
 * comparisons packed to bytes and their top bits taken in one instruction.
 * Exports EightLanes, LaneMask, SixteenByteLanes, LoadSixteenByteLanes,
 * PackedUnitLanes, EqualByteLanes, EqualByteLanesEither, EqualByteLanesWithBits,
 * EqualByteLanesWithLowBit and AboveAsciiByteLanes; CMake picks this or the
 * generic one. */
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

/* Sixteen bytes as the byte comparisons take them. */
typedef __m128i SixteenByteLanes;
inline SixteenByteLanes LoadSixteenByteLanes(const unsigned char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

/* Sixteen 16-bit units, those of `low` then those of `high`, as sixteen bytes
 * for comparisons with bytes below 0x7F: a unit below 0x7F as itself, any other
 * as 0x7F or 0x80 (one signed saturating pack). */
inline SixteenByteLanes PackedUnitLanes(EightLanes low, EightLanes high) {
    return _mm_packs_epi16(reinterpret_cast<__m128i>(low), reinterpret_cast<__m128i>(high));
}

/* Which of the sixteen bytes equal `byte`: byte k as bit k. */
inline unsigned EqualByteLanes(SixteenByteLanes bytes, unsigned char byte) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(byte)))));
}

/* Which of the sixteen bytes equal `one` or `other`: byte k as bit k. */
inline unsigned EqualByteLanesEither(SixteenByteLanes bytes, unsigned char one, unsigned char other) {
    const __m128i ones = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(one)));
    const __m128i others = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(other)));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(ones, others)));
}

/* Which of the sixteen bytes equal `byte` once the bits of `bits` are set in them: byte k as bit k. */
inline unsigned EqualByteLanesWithBits(SixteenByteLanes bytes, unsigned char bits, unsigned char byte) {
    return EqualByteLanes(_mm_or_si128(bytes, _mm_set1_epi8(static_cast<char>(bits))), byte);
}

/* Which of the sixteen bytes equal `byte` once their lowest bit is set: byte k as bit k. */
inline unsigned EqualByteLanesWithLowBit(SixteenByteLanes bytes, unsigned char byte) {
    return EqualByteLanesWithBits(bytes, 1, byte);
}

/* Which of the sixteen bytes have their top bit set: byte k as bit k. */
inline unsigned AboveAsciiByteLanes(SixteenByteLanes bytes) {
    return static_cast<unsigned>(_mm_movemask_epi8(bytes));
}

#endif
