/* The export captions (see export_captions.h), chosen by the plug-in frame. */
#include "export_captions.h"

#include "plugin_frame.h"

const WCHAR* ExportAllCaption() {
    return ChooseCaption(TEXT("Export all contacts to vCard format"),
                         TEXT("Экспорт всех контактов в формат vCard"));
}

const WCHAR* ExportOneCaption() {
    return ChooseCaption(TEXT("Export contact to vCard format"),
                         TEXT("Экспорт контакта в формат vCard"));
}
