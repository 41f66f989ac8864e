/* The output stream (see output_file.h). The file seam makes the temporary file,
 * decides whether the C library turns "\n" into CR LF or the module writes CR LF
 * itself, and puts the finished file in place. Lines pass through one buffer of
 * whole lines, in which the card writer also builds its lines in place, written
 * after each line or, while lines are gathered, whenever it fills and at close;
 * its room is given back when the stream ends. */
#include "output_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "module_files.h"

namespace {
OutputFile gOutput;
OutputBytes gPending;     // whole lines not yet in the file, then the line being written
bool gGathering = false;  // between GatherLines and the end of the stream

// Gathered lines go to the file in one write once they reach this size.
constexpr size_t kPendingLimit = 64 * 1024;

// Writes out and flushes the pending lines; false when the file refused them.
bool WritePending() {
    bool ok = gPending.size == 0 ||
              std::fwrite(gPending.data.get(), 1, gPending.size, gOutput.stream) == gPending.size;
    gPending.size = 0;
    if (std::fflush(gOutput.stream) != 0 || !ok) return false;
    StartWritingOut(gOutput);
    return true;
}

// The line end, padded so that it is always copied as two bytes.
struct LineEndBytes {
    char bytes[2];
    size_t size;
};
const LineEndBytes kLineEnd = [] {
    const std::string_view text = OutputLineEnd();
    LineEndBytes lineEnd{{text[0], text.size() > 1 ? text[1] : '\0'}, text.size()};
    return lineEnd;
}();

void EndStream() {
    gGathering = false;
    Release(gPending);  // a huge note's room goes with the command
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

OutputBytes& LineBytes() { return gPending; }

void EndLine() {
    if (!IsOutputFileOpen()) {
        gPending.size = 0;
        return;
    }
    std::memcpy(Room(gPending, sizeof kLineEnd.bytes), kLineEnd.bytes, sizeof kLineEnd.bytes);
    gPending.size += kLineEnd.size;
    if ((!gGathering || gPending.size >= kPendingLimit) && !WritePending()) {
        FailureReason reason = LastWriteFailure();
        AbandonOutputFile();
        throw CommandFailure(reason);
    }
}

void WriteLine(std::string_view line) {
    if (!IsOutputFileOpen()) return;
    for (;;) {
        const size_t at = line.find('\n');
        Put(gPending, line.data(), std::min(at, line.size()));
        if (at == std::string_view::npos) break;
        Put(gPending, kLineEnd.bytes, kLineEnd.size);
        line.remove_prefix(at + 1);
    }
    EndLine();
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
