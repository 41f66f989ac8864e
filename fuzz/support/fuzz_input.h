/* Reads structured values out of a fuzzer's byte input, front to back, never past
 * its end: bytes, little-endian numbers, UTF-16 texts (any code units, unpaired
 * surrogates included). Exports FuzzInput, MakeTempFile and FuzzFail. */
#ifndef ZAMO_FUZZ_FUZZ_INPUT_H
#define ZAMO_FUZZ_FUZZ_INPUT_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "wide_text.h"

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Left() const { return size_ - pos_; }
    /* The next byte; 0 once the input is used up. */
    uint8_t Byte();
    /* The next two bytes, little-endian; missing bytes read as 0. */
    uint16_t Word();
    /* The next eight bytes as the bits of a double (NaN and infinities included);
     * missing bytes read as 0. */
    double Double();
    /* A text of Byte() code units (at most 255), each from Word(). */
    WString ShortText();
    /* A text of Word() code units (up to 65535, or fewer when the input ends). */
    WString LongText();
    /* Every byte left, as little-endian code units (a last odd byte on its own). */
    WString RestAsText();

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

/* Creates an empty file under $TMPDIR (or /tmp) whose name ends in `suffix`,
 * removed when the process exits; returns its path. */
std::string MakeTempFile(const char* suffix);

/* Reports a broken invariant with `what` and aborts, so libFuzzer keeps the input. */
[[noreturn]] void FuzzFail(const std::string& what);

#endif
