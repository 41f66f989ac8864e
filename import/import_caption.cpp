/* The import caption (see import_caption.h), chosen by the plug-in frame. */
#include "import_caption.h"

#include "plugin_frame.h"

const WCHAR* ImportCaption() {
    return ChooseCaption(TEXT("Import contacts from vCard format"),
                         TEXT("Импорт контактов из формата vCard"));
}
