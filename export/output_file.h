/* The module's one output stream: created by OpenOutputFile as a temporary file
 * beside the chosen file, written one whole line at a time by WriteLine, and put
 * in the chosen file's place by CloseOutputFile only when all of it was written;
 * AbandonOutputFile drops it. Exports those operations, IsOutputFileOpen,
 * GatherLines, and LineBytes with EndLine (inline, over PendingLines and
 * HandOverLines) for writing a line in place. */
#ifndef ZAMO_EXPORT_OUTPUT_FILE_H
#define ZAMO_EXPORT_OUTPUT_FILE_H

#include <cstring>
#include <string>
#include <string_view>

#include "failure_reason.h"
#include "output_bytes.h"

/* Starts the output file for `path` (narrow path), dropping a stream still open.
 * Nothing at `path` changes yet. Returns false, with no stream open and the
 * reason in `*reason` when given, for a path naming a folder, device, FIFO or
 * socket, an existing file without write permission, or a folder in which no
 * file can be made. A symbolic link at `path` is followed: the file it points
 * to gets the contents at the close. */
bool OpenOutputFile(const std::string& path, FailureReason* reason = nullptr);

/* True between a successful OpenOutputFile and CloseOutputFile or AbandonOutputFile. */
bool IsOutputFileOpen();

/* Writes `line` and a line end. Every line feed inside `line` reaches the file as
 * CR LF too. Without an open stream nothing is written. A failed write (a full
 * disk) abandons the file and throws CommandFailure with the reason, ending the
 * command; the chosen file stays as it was. */
void WriteLine(std::string_view line);

/* The lines not yet in the file and the line being written, with what the
 * inline EndLine needs; only output_file.cpp changes anything but `bytes`. */
struct PendingLines {
    OutputBytes bytes;
    size_t handOverAt = 0;  // EndLine hands the lines over once they reach this size
    char lineEnd[2] = {};   // the line end, padded to two bytes
    size_t lineEndSize = 0;
};
extern PendingLines gPendingLines;

/* The buffer of the line being written, after the lines still pending: append
 * to it (Room, Put), with every line break inside the line already written as
 * OutputLineEnd(), then call EndLine. Its room is given back when the stream ends. */
inline OutputBytes& LineBytes() { return gPendingLines.bytes; }

/* Writes out the pending lines (dropping them without an open stream), as
 * EndLine does when they are due. */
void HandOverLines();

/* Adds the line end to the line in LineBytes and writes it out as WriteLine
 * would (at once, or in a batch while lines are gathered). Without an open
 * stream the line is dropped. */
inline void EndLine() {
    OutputBytes& bytes = gPendingLines.bytes;
    std::memcpy(Room(bytes, sizeof gPendingLines.lineEnd), gPendingLines.lineEnd,
                sizeof gPendingLines.lineEnd);
    bytes.size += gPendingLines.lineEndSize;
    if (bytes.size >= gPendingLines.handOverAt) HandOverLines();
}

/* From now until the stream ends, WriteLine gathers whole lines and writes them
 * in batches of about 64 KB: the same bytes with far fewer writes. Without an
 * open stream it does nothing. */
void GatherLines();

/* Writes out the lines still pending, closes the stream and replaces the chosen
 * file with it in one step (a replaced file keeps its permissions). Returns
 * FailureReason::None on success and without an open stream; otherwise the
 * reason, the temporary file removed and the chosen file as it was. */
FailureReason CloseOutputFile();

/* Closes and removes the unfinished file, leaving the chosen file as it was;
 * safe to call at any time. */
void AbandonOutputFile();

#endif
