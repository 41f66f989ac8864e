/* The output stream (see output_file.h). The file seam makes the temporary file,
 * decides whether the C library turns "\n" into CR LF or the module writes CR LF
 * itself, and puts the finished file in place. Lines pass through one buffer of
 * whole lines, written after each line or, while lines are gathered, whenever it
 * fills and at close; its room is given back when the stream ends. */
#include "output_file.h"

#include <cstdio>
#include <cstring>

#include "module_files.h"

namespace {
OutputFile gOutput;
std::string gPending;     // whole lines not yet in the file
bool gGathering = false;  // between GatherLines and the end of the stream

// Gathered lines go to the file in one write once they reach this size.
constexpr size_t kPendingLimit = 64 * 1024;

// Writes out and flushes the pending lines; false when the file refused them.
bool WritePending() {
    bool ok = gPending.empty() ||
              std::fwrite(gPending.data(), 1, gPending.size(), gOutput.stream) == gPending.size();
    gPending.clear();
    return std::fflush(gOutput.stream) == 0 && ok;
}

void EndStream() {
    gGathering = false;
    std::string().swap(gPending);  // a huge note's room goes with the command
}
}  // namespace

bool OpenOutputFile(const std::string& path, FailureReason* reason) {
    AbandonOutputFile();
    FailureReason opened = OpenOutputFileBeside(path.c_str(), gOutput);
    if (reason) *reason = opened;
    return opened == FailureReason::None;
}

bool IsOutputFileOpen() { return gOutput.stream != nullptr; }

void GatherLines() { gGathering = IsOutputFileOpen(); }

void WriteLine(std::string_view line) {
    if (!IsOutputFileOpen()) return;
    const char* lineEnd = OutputLineEnd();
    const size_t lineEndSize = std::strlen(lineEnd);
    size_t from = 0;
    for (;;) {
        const void* found = std::memchr(line.data() + from, '\n', line.size() - from);
        size_t to = found ? static_cast<size_t>(static_cast<const char*>(found) - line.data())
                          : line.size();
        gPending.append(line.data() + from, to - from);
        gPending.append(lineEnd, lineEndSize);
        if ((!gGathering || gPending.size() >= kPendingLimit) && !WritePending()) {
            FailureReason reason = LastWriteFailure();
            AbandonOutputFile();
            throw CommandFailure(reason);
        }
        if (!found) break;
        from = to + 1;
    }
}

FailureReason CloseOutputFile() {
    if (!IsOutputFileOpen()) return FailureReason::None;
    FailureReason reason = FailureReason::None;
    if (!WritePending()) {
        reason = LastWriteFailure();
        DiscardOutputFile(gOutput);
    } else {
        reason = CommitOutputFile(gOutput);
    }
    EndStream();
    return reason;
}

void AbandonOutputFile() {
    DiscardOutputFile(gOutput);
    EndStream();
}
