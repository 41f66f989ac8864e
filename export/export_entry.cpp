/* Exports of vcard_export.zamodll: the captions, the language switch and the two
 * export commands, each behind a catch-all that closes the module's output file.
 * Wiring only; the work lives in export_commands.cpp. */
#include "export_commands.h"
#include "plugin_exports.h"
#include "plugin_frame.h"

namespace {
template <typename Command>
void RunCommand(Command command) {
    try {
        command();
    } catch (...) {
        CloseOutputFile();
    }
}
}  // namespace

extern "C" {

ZAMO_PLUGIN_EXPORT const WCHAR* GetMainCommandName(void) {
    return ChooseCaption(TEXT("Export all contacts to vCard format"),
                         TEXT("Экспорт всех контактов в формат vCard"));
}

ZAMO_PLUGIN_EXPORT const WCHAR* GetContactMenuCommandName(void) {
    return ChooseCaption(TEXT("Export contact to vCard format"),
                         TEXT("Экспорт контакта в формат vCard"));
}

ZAMO_PLUGIN_EXPORT void SetLanguage(const WCHAR* language) { StoreLanguage(language); }

ZAMO_PLUGIN_EXPORT void ExecuteMainCommand(void) {
    RunCommand([] { ExportAllContacts(); });
}

ZAMO_PLUGIN_EXPORT void ContactMenuCommandExecute(const WCHAR* uid) {
    RunCommand([uid] { ExportSelectedContact(uid); });
}

}  // extern "C"
