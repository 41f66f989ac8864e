/* floor_driver read FILE | decode windows-1251|utf-8 FILE | store-write SRC.db
 * DST.db | store-read DB: the floors the plug-ins are measured against, each
 * printing its wall and CPU seconds as the drivers do: a file read and its lines
 * counted; decoded to UTF-16 and its lines counted; the rows of SRC.db written
 * into a fresh DST.db; every row of DB read back. */
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plugin_driver.h"
#include "store_floor.h"
#include "text_decoding.h"

namespace {

constexpr size_t kReadSize = 64 * 1024;  // as the reader reads

struct ClosingFile {
    std::FILE* file;
    ~ClosingFile() {
        if (file) std::fclose(file);
    }
};

// Lines (line feeds) of the file read through one reused buffer; -1 when unreadable.
long CountLines(const char* path) {
    ClosingFile f{std::fopen(path, "rb")};
    if (!f.file) return -1;
    std::vector<char> buffer(kReadSize);
    long lines = 0;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), f.file)) > 0)
        for (const char *p = buffer.data(), *end = p + got;
             (p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr; ++p)
            ++lines;
    return lines;
}

// The same, each read decoded to UTF-16 first and the line feeds counted there.
long CountDecodedLines(const char* path, TextEncoding encoding) {
    ClosingFile f{std::fopen(path, "rb")};
    if (!f.file) return -1;
    std::vector<unsigned char> bytes(kReadSize);
    std::vector<WCHAR> units(kReadSize + 1);
    long lines = 0;
    size_t kept = 0;  // bytes of an incomplete sequence carried to the next read
    for (;;) {
        size_t got = std::fread(bytes.data() + kept, 1, bytes.size() - kept, f.file);
        bool atEnd = got == 0;
        size_t written = 0;
        size_t size = kept + got;
        size_t consumed = DecodeBytes(encoding, bytes.data(), size, atEnd, units.data(), written);
        for (size_t i = 0; i < written; ++i) lines += units[i] == u'\n';
        kept = size - consumed;
        std::memmove(bytes.data(), bytes.data() + consumed, kept);
        if (atEnd) return lines;
    }
}

int Usage() {
    std::fprintf(stderr,
                 "usage: floor_driver read FILE | decode windows-1251|utf-8 FILE |"
                 " store-write SRC.db DST.db | store-read DB\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string mode = argv[1];
    const double start = Seconds();
    const double cpuStart = CpuSeconds();
    long count = -1;
    if (mode == "read" && argc == 3) {
        count = CountLines(argv[2]);
        if (count >= 0) PrintCommandTimes(start, cpuStart, std::to_string(count) + " lines");
    } else if (mode == "decode" && argc == 4) {
        TextEncoding encoding = std::strcmp(argv[2], "windows-1251") == 0 ? TextEncoding::Windows1251
                                                                         : TextEncoding::Utf8;
        count = CountDecodedLines(argv[3], encoding);
        if (count >= 0) PrintCommandTimes(start, cpuStart, std::to_string(count) + " lines");
    } else if (mode == "store-write" && argc == 4) {
        StoreRows rows;
        if (!LoadStoreRows(argv[2], &rows)) return 1;
        // Timed from here: the inserts and the commit only.
        const double writeStart = Seconds();
        const double writeCpuStart = CpuSeconds();
        if (WriteStoreRows(rows, argv[3]) < 0) return 1;
        count = static_cast<long>(rows.contacts.size() + rows.communications.size());
        PrintCommandTimes(writeStart, writeCpuStart, std::to_string(count) + " rows");
    } else if (mode == "store-read" && argc == 3) {
        count = ReadStoreRows(argv[2]);
        if (count >= 0) PrintCommandTimes(start, cpuStart, std::to_string(count) + " rows");
    } else {
        return Usage();
    }
    if (count < 0) {
        std::fprintf(stderr, "floor_driver: cannot %s %s\n", argv[1], argv[argc - 1]);
        return 1;
    }
    return 0;
}
