/* The overwrite prompt (see overwrite_prompt.h): builds the warning from the
 * card's REV date and the host's modification date and reads the user's answer. */
#include "overwrite_prompt.h"

#include "vcard_date.h"
#include "zamo_host.h"

namespace {
constexpr UINT kPromptStyle = MB_YESNOCANCEL | MB_ICONEXCLAMATION;  // 0x33
}  // namespace

WString OverwritePromptText(WStringView formattedName, SYSTEMTIME fileDate, SYSTEMTIME hostDate) {
    WString text = TEXT("Внимание! Импортируемый контакт ");
    text += formattedName;
    text += TEXT(" уже существует в базе Zamo.\n");
    text += TEXT("Дата изменения контакта в импортируемом файле: ");
    text += FormatPromptDate(fileDate);
    text += TEXT("\nДата последнего изменения контакта в Zamo: ");
    text += FormatPromptDate(hostDate);
    text += TEXT("\nПерезаписать контакт в базе Zamo?");
    return text;
}

bool ConfirmOverwrite(const WString& uid, const WString& formattedName, const CardLines& card,
                      PropertyScratch& scratch) {
    WString revision;
    if (!FirstPropertyValue(TEXT("REV"), card, scratch, revision)) return false;
    SYSTEMTIME fileDate = ParseVCardDate(revision);
    double modified = AddinZamo_Contact_GetDateModification(uid.c_str());
    SYSTEMTIME hostDate = AddinZamo_GetSystemTimeFromOleDate(modified);
    WString text = OverwritePromptText(formattedName, fileDate, hostDate);
    return MessageBoxW(nullptr, text.c_str(), TEXT(""), kPromptStyle) == IDYES;
}
