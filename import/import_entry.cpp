/* Exports of vcard_import.zamodll: the caption, the language switch and the
 * import command. Wiring only; the work lives in import_command.cpp. */
#include "import_caption.h"
#include "import_command.h"
#include "plugin_exports.h"
#include "plugin_frame.h"

extern "C" {

ZAMO_PLUGIN_EXPORT const WCHAR* GetMainCommandName(void) { return ImportCaption(); }

ZAMO_PLUGIN_EXPORT void SetLanguage(const WCHAR* language) { StoreLanguage(language); }

ZAMO_PLUGIN_EXPORT void ExecuteMainCommand(void) { ImportVCardFiles(); }

}  // extern "C"
