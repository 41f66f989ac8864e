/* The module's language name and the caption choice (see plugin_frame.h). */
#include "plugin_frame.h"

#include "wide_text.h"

namespace {
WString& LanguageName() {
    static WString name;
    return name;
}
}  // namespace

void StoreLanguage(const WCHAR* language) {
    LanguageName() = language ? WString(language) : WString();
}

const WCHAR* ChooseCaption(const WCHAR* english, const WCHAR* russian) {
    return LanguageName() == TEXT("Russian") ? russian : english;
}
