/* The plug-in frame shared by both modules: the module's language name and the
 * caption choice. Each module links its own copy, so the modules' languages are
 * independent. */
#ifndef ZAMO_COMMON_PLUGIN_FRAME_H
#define ZAMO_COMMON_PLUGIN_FRAME_H

#include <windows.h>

/* Replaces the module's language name with a copy of `language` (any text,
 * empty included; a null pointer counts as empty). */
void StoreLanguage(const WCHAR* language);

/* `russian` when the language name is exactly "Russian" (case-sensitive, no
 * trimming), else `english`. The pointers are returned as given. */
const WCHAR* ChooseCaption(const WCHAR* english, const WCHAR* russian);

#endif
