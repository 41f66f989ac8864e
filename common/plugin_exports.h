/* Declares the functions a plug-in module exports to the host, with C linkage
 * and undecorated names. Exports ZAMO_PLUGIN_EXPORT for the definitions and
 * the prototypes of both modules' exports. */
#ifndef ZAMO_COMMON_PLUGIN_EXPORTS_H
#define ZAMO_COMMON_PLUGIN_EXPORTS_H

#include <windows.h>

#if defined(_WIN32)
#define ZAMO_PLUGIN_EXPORT __declspec(dllexport)
#else
#define ZAMO_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Both modules. */
ZAMO_PLUGIN_EXPORT const WCHAR* GetMainCommandName(void);
ZAMO_PLUGIN_EXPORT void SetLanguage(const WCHAR* language);
ZAMO_PLUGIN_EXPORT void ExecuteMainCommand(void);

/* vcard_export only. */
ZAMO_PLUGIN_EXPORT const WCHAR* GetContactMenuCommandName(void);
ZAMO_PLUGIN_EXPORT void ContactMenuCommandExecute(const WCHAR* uid);

#ifdef __cplusplus
}
#endif

#endif
