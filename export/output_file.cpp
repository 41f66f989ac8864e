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

PendingLines gPendingLines;

namespace {
OutputFile gOutput;
OutputBytes& gPending = gPendingLines.bytes;  // whole lines not yet in the file, then the line being written
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

// EndLine hands every line over without a stream (to drop it) or without
// gathering, and gathered lines once they reach the limit.
void SetHandOver() {
    gPendingLines.handOverAt = gGathering && IsOutputFileOpen() ? kPendingLimit : 0;
}

const bool kLineEndSet = [] {
    const std::string_view text = OutputLineEnd();
    gPendingLines.lineEnd[0] = text[0];
    gPendingLines.lineEnd[1] = text.size() > 1 ? text[1] : '\0';
    gPendingLines.lineEndSize = text.size();
    return true;
}();

void EndStream() {
    gGathering = false;
    SetHandOver();
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

void GatherLines() {
    gGathering = IsOutputFileOpen();
    SetHandOver();
}

void HandOverLines() {
    if (!IsOutputFileOpen()) {
        gPending.size = 0;
        return;
    }
    if (!WritePending()) {
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
        Put(gPending, gPendingLines.lineEnd, gPendingLines.lineEndSize);
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
