/* Choosing the export file: the save dialog and the narrow path the C file
 * functions take. Exports ChooseOutputFile and ToAnsiPath. */
#ifndef ZAMO_EXPORT_OUTPUT_PATH_H
#define ZAMO_EXPORT_OUTPUT_PATH_H

#include <optional>
#include <string>

#include "wide_text.h"

/* Shows the save dialog (filter "vCard" / "*.vcf", default extension "vcf",
 * confirmation before replacing a file, no owner window) and returns the chosen
 * path; nothing when the dialog is cancelled or fails. */
std::optional<WString> ChooseOutputFile();

/* The path in the narrow path code page with every apostrophe removed
 * ("O'Neil.vcf" becomes "ONeil.vcf"); "" when it cannot be converted. */
std::string ToAnsiPath(const WString& path);

#endif
