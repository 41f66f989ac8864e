/* The import command: the open dialog and the hand-over of each chosen file.
 * Exports ImportVCardFiles and the selection parsing it rests on. */
#ifndef ZAMO_IMPORT_IMPORT_COMMAND_H
#define ZAMO_IMPORT_IMPORT_COMMAND_H

#include <vector>

#include "wide_text.h"

/* Shows the open dialog and imports every chosen file in dialog order. Returns
 * silently when the dialog is cancelled; an exception from a file's import ends
 * the command (files before it stay imported) and never leaves this function. */
void ImportVCardFiles();

/* Full paths of a dialog selection: one path followed by two NULs, or a folder
 * followed by names (each NUL-ended, list ended by an empty name), joined with
 * exactly one separator even when the folder already ends in one. Reads no
 * further than `capacity` units. */
std::vector<WString> SelectedPaths(const WCHAR* selection, size_t capacity, WCHAR separator);

#endif
