/* What the host reads back from a file the export module wrote. Exports
 * CountWrittenCards and CountMarkers. */
#ifndef ZAMO_HOST_WRITTEN_CARDS_H
#define ZAMO_HOST_WRITTEN_CARDS_H

#include <string>
#include <string_view>

/* Cards in the file at `path` (UTF-8): lines that are exactly END:VCARD, CR LF
 * ended, the first line included. 0 for a file that cannot be read. */
long CountWrittenCards(const std::string& path);

/* How many times `marker` (a line feed and at least one byte more) occurs in
 * [from, end), overlapping occurrences each counted. */
long CountMarkers(const char* from, const char* end, std::string_view marker);

#endif
