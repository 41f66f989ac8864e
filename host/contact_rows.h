/* How `list` and `find` print contacts, one row each: UID, name, first
 * telephone and first e-mail as aligned columns, as tab-separated rows under a
 * header (--tsv) or as JSON (--json). Exports PrintContactRows. */
#ifndef ZAMO_HOST_CONTACT_ROWS_H
#define ZAMO_HOST_CONTACT_ROWS_H

#include <vector>

#include "cli_options.h"
#include "contact_store.h"

/* Writes the rows on standard output in the form the command line asks for.
 * `showDepth`: the columns indent each UID by its depth in the tree. Columns
 * are padded to the widest cell, trailing blanks dropped; nothing for no rows
 * (the TSV header and "[]" for JSON still come). */
void PrintContactRows(const std::vector<TreeEntry>& rows, const CommandLine& commandLine,
                      bool showDepth);

#endif
