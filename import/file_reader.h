/* The vCard file reader: decides a file's encoding (UTF-8 or windows-1251),
 * decodes it into lines and cuts them into cards. Exports ImportVCardFile and the
 * host-free ReadVCardCards beneath it. */
#ifndef ZAMO_IMPORT_FILE_READER_H
#define ZAMO_IMPORT_FILE_READER_H

#include <functional>

#include "card_cutting.h"
#include "card_lines.h"
#include "wide_text.h"

/* Reads the file at `path` and calls `sink` once per card, in file order.
 * Returns false, calling nothing, when the file cannot be opened. Before the
 * first card, `*readAsWindows1251` (when given) tells the decoding chosen. */
bool ReadVCardCards(const WString& path, const std::function<void(const CardLines&)>& sink,
                    bool* readAsWindows1251 = nullptr);
/* The same with a plain function and its context. */
bool ReadVCardCards(const WString& path, CardCutting::Sink sink, void* context,
                    bool* readAsWindows1251);

/* Imports one file: AddinZamo_ChangesStart, every card through ImportCard, then
 * AddinZamo_ChangesEnd. When an exception ends the file's import midway, an
 * error box (MB_OK | MB_ICONERROR, the import caption, one line naming the file
 * and the reason) comes first, then AddinZamo_ChangesEnd (when ChangesStart had
 * returned), and the exception is passed on. */
void ImportVCardFile(WString path);

#endif
