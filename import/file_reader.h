/* The vCard file reader: decides a file's encoding (UTF-8 or windows-1251),
 * decodes it into lines and cuts them into cards. Exports ImportVCardFile and the
 * host-free ReadVCardCards beneath it. */
#ifndef ZAMO_IMPORT_FILE_READER_H
#define ZAMO_IMPORT_FILE_READER_H

#include <functional>

#include "card_lines.h"
#include "wide_text.h"

/* Reads the file at `path` and calls `sink` once per card, in file order.
 * Returns false, calling nothing, when the file cannot be opened. */
bool ReadVCardCards(const WString& path, const std::function<void(const CardLines&)>& sink);

/* Imports one file: AddinZamo_ChangesStart, every card through ImportCard, then
 * AddinZamo_ChangesEnd, which also comes when an exception leaves midway (the
 * exception is passed on). */
void ImportVCardFile(WString path);

#endif
