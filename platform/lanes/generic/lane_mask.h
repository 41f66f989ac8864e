/* Comparison lanes as bits on any target (the 32-bit Windows build has no
 * SSE2): the lanes' low bits spread over one word and gathered by one
 * multiplication. Exports EightLanes, LaneMask, SixteenByteLanes,
 * LoadSixteenByteLanes, PackedUnitLanes, EqualByteLanes, EqualByteLanesEither,
 * EqualByteLanesWithBits, EqualByteLanesWithLowBit and AboveAsciiByteLanes;
 * CMake picks this or the SSE2 one. */
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

/* Sixteen bytes as the byte comparisons take them: two words, byte k of the
 * sixteen as byte k % 8 of word k / 8. */
struct SixteenByteLanes {
    uint64_t half[2];
};
inline SixteenByteLanes LoadSixteenByteLanes(const unsigned char* at) {
    SixteenByteLanes bytes;
    std::memcpy(bytes.half, at, sizeof bytes.half);
    return bytes;
}

/* Sixteen 16-bit units, those of `low` then those of `high`, as sixteen bytes
 * for comparisons with bytes below 0x7F: a unit below 0x7F as itself, any other
 * as 0x7F. */
inline SixteenByteLanes PackedUnitLanes(EightLanes low, EightLanes high) {
    unsigned char bytes[16];
    for (unsigned k = 0; k < 8; ++k) {
        bytes[k] = static_cast<unsigned char>(low[k] < 0x7F ? low[k] : 0x7F);
        bytes[8 + k] = static_cast<unsigned char>(high[k] < 0x7F ? high[k] : 0x7F);
    }
    return LoadSixteenByteLanes(bytes);
}

/* The top bits of sixteen bytes held as two words (all other bits clear) as
 * bits, byte k as bit k, and which of sixteen bytes equal `byte`. A byte of a word
 * equal to it becomes zero under the exclusive or, and then alone gets its top
 * bit from the carry-free sum (no carry crosses a byte whose low seven bits are
 * added to 0x7F without overflowing); the multiplication moves bit 8m + 7 of the
 * top bits, shifted down by seven, to bit 56 + m, no two of its products meeting. */
inline unsigned TopBitsOfByteLanes(const uint64_t top[2]) {
    return static_cast<unsigned>((top[0] >> 7) * 0x0102040810204080ull >> 56) |
           static_cast<unsigned>((top[1] >> 7) * 0x0102040810204080ull >> 56) << 8;
}
inline unsigned EqualByteLanes(SixteenByteLanes bytes, unsigned char byte) {
    constexpr uint64_t kEach = 0x0101010101010101ull, kLow = kEach * 0x7F, kHigh = kEach * 0x80;
    uint64_t same[2];
    for (unsigned h = 0; h < 2; ++h) {
        const uint64_t other = bytes.half[h] ^ (kEach * byte);
        same[h] = ~(((other & kLow) + kLow) | other) & kHigh;
    }
    return TopBitsOfByteLanes(same);
}

/* Which of the sixteen bytes equal `one` or `other`: byte k as bit k. */
inline unsigned EqualByteLanesEither(SixteenByteLanes bytes, unsigned char one, unsigned char other) {
    return EqualByteLanes(bytes, one) | EqualByteLanes(bytes, other);
}

/* Which of the sixteen bytes equal `byte` once the bits of `bits` are set in them: byte k as bit k. */
inline unsigned EqualByteLanesWithBits(SixteenByteLanes bytes, unsigned char bits, unsigned char byte) {
    const uint64_t each = 0x0101010101010101ull * bits;
    return EqualByteLanes(SixteenByteLanes{{bytes.half[0] | each, bytes.half[1] | each}}, byte);
}

/* Which of the sixteen bytes equal `byte` once their lowest bit is set: byte k as bit k. */
inline unsigned EqualByteLanesWithLowBit(SixteenByteLanes bytes, unsigned char byte) {
    return EqualByteLanesWithBits(bytes, 1, byte);
}

/* Which of the sixteen bytes have their top bit set: byte k as bit k. */
inline unsigned AboveAsciiByteLanes(SixteenByteLanes bytes) {
    constexpr uint64_t kHigh = 0x8080808080808080ull;
    const uint64_t top[2] = {bytes.half[0] & kHigh, bytes.half[1] & kHigh};
    return TopBitsOfByteLanes(top);
}

#endif
