/* FuzzInput's readers, MakeTempFile and FuzzFail (see fuzz_input.h). */
#include "fuzz_input.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

uint8_t FuzzInput::Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

uint16_t FuzzInput::Word() {
    uint16_t low = Byte();
    return static_cast<uint16_t>(low | (Byte() << 8));
}

double FuzzInput::Double() {
    uint8_t bytes[sizeof(double)] = {};
    for (uint8_t& b : bytes) b = Byte();
    double value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

WString FuzzInput::ShortText() {
    size_t n = Byte();
    WString text;
    for (size_t i = 0; i < n && Left() > 0; ++i) text += static_cast<WCHAR>(Word());
    return text;
}

WString FuzzInput::LongText() {
    size_t n = Word();
    WString text;
    for (size_t i = 0; i < n && Left() > 0; ++i) text += static_cast<WCHAR>(Word());
    return text;
}

WString FuzzInput::RestAsText() {
    WString text;
    text.reserve(Left() / 2 + 1);
    while (Left() > 0) text += static_cast<WCHAR>(Word());
    return text;
}

void FuzzFail(const std::string& what) {
    std::fprintf(stderr, "broken invariant: %s\n", what.c_str());
    std::abort();
}

std::string MakeTempFile(const char* suffix) {
    static std::vector<std::string> made;
    const char* base = std::getenv("TMPDIR");
    std::string path = std::string(base && *base ? base : "/tmp") + "/zamo-fuzz-XXXXXX" + suffix;
    int fd = mkstemps(path.data(), static_cast<int>(std::strlen(suffix)));
    if (fd < 0) FuzzFail("no temporary file in " + path);
    close(fd);
    if (made.empty()) std::atexit([] {
        for (const std::string& p : made) std::remove(p.c_str());
    });
    made.push_back(path);
    return path;
}
