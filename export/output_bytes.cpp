/* Growth of the output buffer (see output_bytes.h): at least doubled, so filling
 * it costs linear time. */
#include "output_bytes.h"

#include <algorithm>

void Grow(OutputBytes& bytes, size_t more) {
    const size_t needed = bytes.size + more;
    if (needed <= bytes.capacity) return;
    const size_t capacity = std::max(needed, 2 * bytes.capacity);
    std::unique_ptr<char[]> data(new char[capacity]);
    if (bytes.size > 0) std::memcpy(data.get(), bytes.data.get(), bytes.size);
    bytes.data = std::move(data);
    bytes.capacity = capacity;
}

void Release(OutputBytes& bytes) {
    bytes.data.reset();
    bytes.size = 0;
    bytes.capacity = 0;
}
