/* The output stream (see output_file.h). The file seam decides whether the C
 * library turns "\n" into CR LF or the module writes CR LF itself. Lines pass
 * through one reused buffer of whole lines, written and flushed after each line,
 * or, while lines are gathered, whenever it fills and at close. A write that
 * fails cuts the file back to its last whole line when the stream is closed. */
#include "output_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "export_commands.h"
#include "module_files.h"

namespace {
std::FILE* gOutput = nullptr;
std::string gPath;        // the output file's narrow path
long gWhole = 0;          // bytes of whole lines known to be in the file
bool gCutBack = false;    // a write failed: the file is cut back to gWhole at close
std::string gPending;     // whole lines not yet in the file
bool gGathering = false;  // between GatherLines and CloseOutputFile

// Gathered lines go to the file in one write once they reach this size.
constexpr size_t kPendingLimit = 64 * 1024;

// Writes out and flushes the pending lines; false when the file refused them,
// of which a part may have reached the file (a full disk).
bool WritePending() {
    bool ok = gPending.empty() ||
              std::fwrite(gPending.data(), 1, gPending.size(), gOutput) == gPending.size();
    gPending.clear();
    ok = std::fflush(gOutput) == 0 && ok;
    if (!ok) gCutBack = true;
    long at = gCutBack ? -1 : std::ftell(gOutput);  // once failed, nothing more counts
    if (at >= 0) gWhole = at;
    return ok;
}
}  // namespace

bool OpenOutputFile(const std::string& path) {
    CloseOutputFile();
    gGathering = false;
    DeleteFileA(path.c_str());
    gPath = path;
    gWhole = 0;
    gCutBack = false;
    gOutput = std::fopen(path.c_str(), OutputFileMode());
    return gOutput != nullptr;
}

bool IsOutputFileOpen() { return gOutput != nullptr; }

void GatherLines() { gGathering = gOutput != nullptr; }

void WriteLine(std::string_view line) {
    if (gOutput == nullptr) return;
    const char* lineEnd = OutputLineEnd();
    const size_t lineEndSize = std::strlen(lineEnd);
    size_t from = 0;
    for (;;) {
        const void* found = std::memchr(line.data() + from, '\n', line.size() - from);
        size_t to = found ? static_cast<size_t>(static_cast<const char*>(found) - line.data())
                          : line.size();
        gPending.append(line.data() + from, to - from);
        gPending.append(lineEnd, lineEndSize);
        // Each piece with its line end is a whole line of the file.
        if ((!gGathering || gPending.size() >= kPendingLimit) && !WritePending()) {
            CloseOutputFile();
            throw std::runtime_error("the export file could not be written");
        }
        if (!found) break;
        from = to + 1;
    }
}

void CloseOutputFile() {
    if (gOutput == nullptr) return;
    WritePending();  // a failure here has no one left to tell
    std::fclose(gOutput);
    gOutput = nullptr;
    // Part of a line may have reached a full disk: the file ends after a whole line.
    if (gCutBack) TruncateFile(gPath.c_str(), gWhole);
    gCutBack = false;
    gGathering = false;
    if (gPending.capacity() > kPendingLimit) std::string().swap(gPending);  // a huge note's room
}
