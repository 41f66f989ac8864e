/* The import module's command caption in the module's language. Exports
 * ImportCaption. */
#ifndef ZAMO_IMPORT_IMPORT_CAPTION_H
#define ZAMO_IMPORT_IMPORT_CAPTION_H

#include <windows.h>

/* "Import contacts from vCard format" or its Russian form. */
const WCHAR* ImportCaption();

#endif
