/* The module's one output stream: created by OpenOutputFile, written one whole
 * line at a time by WriteLine, closed by CloseOutputFile (export_commands.h).
 * Exports those operations, IsOutputFileOpen and GatherLines. */
#ifndef ZAMO_EXPORT_OUTPUT_FILE_H
#define ZAMO_EXPORT_OUTPUT_FILE_H

#include <string>
#include <string_view>

/* Deletes any file at `path` (narrow path) and creates it afresh as the output
 * stream, closing a stream still open. Returns false, with no stream open, when
 * the file cannot be created (missing folder, no write access, a folder there). */
bool OpenOutputFile(const std::string& path);

/* True between a successful OpenOutputFile and CloseOutputFile. */
bool IsOutputFileOpen();

/* Writes `line` and a line end, then flushes, so the file always ends after a
 * whole line. Every line feed inside `line` reaches the file as CR LF too.
 * Without an open stream nothing is written. A failed write (a full disk)
 * closes the stream, cuts the file back to its last whole line and throws
 * std::runtime_error, ending the command. */
void WriteLine(std::string_view line);

/* From now until the stream is closed, WriteLine gathers whole lines and writes
 * them in batches of about 64 KB, each flushed, the rest at CloseOutputFile (also
 * when a command ends by an exception): the file still always ends after a
 * whole line, and the same bytes reach it, with far fewer writes. Without an
 * open stream it does nothing. */
void GatherLines();

#endif
