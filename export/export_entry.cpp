/* Exports of vcard_export.zamodll: the captions, the language switch and the two
 * export commands, each behind a catch-all that drops an unfinished output file.
 * Wiring only; the work lives in export_commands.cpp. */
#include "export_captions.h"
#include "export_commands.h"
#include "output_file.h"
#include "plugin_exports.h"
#include "plugin_frame.h"

namespace {
template <typename Command>
void RunCommand(Command command) {
    try {
        command();
    } catch (...) {
        AbandonOutputFile();
    }
}
}  // namespace

extern "C" {

ZAMO_PLUGIN_EXPORT const WCHAR* GetMainCommandName(void) { return ExportAllCaption(); }

ZAMO_PLUGIN_EXPORT const WCHAR* GetContactMenuCommandName(void) { return ExportOneCaption(); }

ZAMO_PLUGIN_EXPORT void SetLanguage(const WCHAR* language) { StoreLanguage(language); }

ZAMO_PLUGIN_EXPORT void ExecuteMainCommand(void) {
    RunCommand([] { ExportAllContacts(); });
}

ZAMO_PLUGIN_EXPORT void ContactMenuCommandExecute(const WCHAR* uid) {
    RunCommand([uid] { ExportSelectedContact(uid); });
}

}  // extern "C"
