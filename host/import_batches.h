/* How files given to `zamo import` become open-dialog selections: one batch per
 * run of files in the same folder, split so that each selection, laid out as
 * the dialog lays it out, fits the dialog's buffer. Exports ImportBatch and
 * MakeImportBatches. */
#ifndef ZAMO_HOST_IMPORT_BATCHES_H
#define ZAMO_HOST_IMPORT_BATCHES_H

#include <cstddef>
#include <string>
#include <vector>

#include "wide_text.h"

/* The import command's selection buffer, in UTF-16 code units. */
constexpr size_t kOpenDialogCapacity = 1024;

struct ImportBatch {
    std::vector<WString> paths;  // full paths, all in one folder, in argument order
};

/* Code units the dialog needs for `paths` (all in one folder): a single path
 * with two NULs, or the folder, each name and a final NUL, each NUL-ended. */
size_t SelectionSize(const std::vector<WString>& paths);

/* Batches in argument order: consecutive files of one folder share a batch
 * while the selection fits `capacity`; a file of another folder starts a new
 * one. Every path must fit alone (SelectionSize({p}) <= capacity). */
std::vector<ImportBatch> MakeImportBatches(const std::vector<WString>& paths,
                                           size_t capacity = kOpenDialogCapacity);

/* The folder part of a full path ("/" stays "/"), and the name part; the
 * separator is the system's ("\\" on Windows). */
WString FolderOf(const WString& path);
WString NameOf(const WString& path);

#endif
