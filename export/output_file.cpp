/* The output stream (see output_file.h). The file seam decides whether the C
 * library turns "\n" into CR LF or the module writes CR LF itself. */
#include "output_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "export_commands.h"
#include "module_files.h"

namespace {
std::FILE* gOutput = nullptr;

bool WriteBytes(const char* bytes, size_t count) {
    return count == 0 || std::fwrite(bytes, 1, count, gOutput) == count;
}
}  // namespace

bool OpenOutputFile(const std::string& path) {
    CloseOutputFile();
    DeleteFileA(path.c_str());
    gOutput = std::fopen(path.c_str(), OutputFileMode());
    return gOutput != nullptr;
}

bool IsOutputFileOpen() { return gOutput != nullptr; }

void WriteLine(std::string_view line) {
    if (gOutput == nullptr) return;
    const char* lineEnd = OutputLineEnd();
    const size_t lineEndSize = std::strlen(lineEnd);
    bool ok = true;
    size_t from = 0;
    while (ok) {
        const void* found = std::memchr(line.data() + from, '\n', line.size() - from);
        size_t to = found ? static_cast<size_t>(static_cast<const char*>(found) - line.data())
                          : line.size();
        ok = WriteBytes(line.data() + from, to - from) && WriteBytes(lineEnd, lineEndSize);
        if (!found) break;
        from = to + 1;
    }
    if (ok) ok = std::fflush(gOutput) == 0;
    if (!ok) {
        CloseOutputFile();
        throw std::runtime_error("the export file could not be written");
    }
}

void CloseOutputFile() {
    if (gOutput == nullptr) return;
    std::fclose(gOutput);
    gOutput = nullptr;
}
