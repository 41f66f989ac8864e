/* The export module's command captions in the module's language. Exports
 * ExportAllCaption and ExportOneCaption. */
#ifndef ZAMO_EXPORT_EXPORT_CAPTIONS_H
#define ZAMO_EXPORT_EXPORT_CAPTIONS_H

#include <windows.h>

/* "Export all contacts to vCard format" or its Russian form. */
const WCHAR* ExportAllCaption();

/* "Export contact to vCard format" (the contact menu) or its Russian form. */
const WCHAR* ExportOneCaption();

#endif
