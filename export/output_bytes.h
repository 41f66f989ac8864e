/* The bytes of the output file not yet written: one growing buffer that the card
 * writer fills through raw pointers, asking first for room. Exports OutputBytes,
 * Room, Put and Release. */
#ifndef ZAMO_EXPORT_OUTPUT_BYTES_H
#define ZAMO_EXPORT_OUTPUT_BYTES_H

#include <cstddef>
#include <cstring>
#include <memory>

struct OutputBytes {
    std::unique_ptr<char[]> data;
    size_t size = 0;      // bytes held
    size_t capacity = 0;  // bytes the buffer has room for
};

/* Makes room for at least `more` bytes after the held ones, keeping them. */
void Grow(OutputBytes& bytes, size_t more);

/* Where the next `more` bytes go; write at most that many, then set `size` to the
 * end of what was written. A later Room may move the buffer. */
inline char* Room(OutputBytes& bytes, size_t more) {
    if (bytes.capacity - bytes.size < more) Grow(bytes, more);
    return bytes.data.get() + bytes.size;
}

/* Appends `count` bytes of `text`. */
inline void Put(OutputBytes& bytes, const char* text, size_t count) {
    if (count == 0) return;  // an empty buffer has no room to point at yet
    std::memcpy(Room(bytes, count), text, count);
    bytes.size += count;
}

/* Empties the buffer and gives its room back. */
void Release(OutputBytes& bytes);

#endif
