/* The failure texts (see command_failure.h): the reasons as a table of English
 * and Russian words, put into one sentence per action. */
#include "command_failure.h"

#include <new>

#include "plugin_frame.h"

namespace {

struct ReasonText {
    FailureReason reason;
    const WCHAR* english;
    const WCHAR* russian;
};

const ReasonText kReasonTexts[] = {
    {FailureReason::DiskFull, TEXT("the disk is full"), TEXT("на диске нет места")},
    {FailureReason::AccessDenied, TEXT("access denied"), TEXT("доступ запрещён")},
    {FailureReason::ReadOnly, TEXT("the file is read-only"),
     TEXT("файл доступен только для чтения")},
    {FailureReason::NotRegularFile, TEXT("the path does not name a regular file"),
     TEXT("путь указывает не на обычный файл")},
    {FailureReason::PathNotFound, TEXT("the path was not found"), TEXT("путь не найден")},
    {FailureReason::NameTooLong, TEXT("the file name is too long"),
     TEXT("слишком длинное имя файла")},
    {FailureReason::NoTemporaryFile, TEXT("no temporary file could be created in its folder"),
     TEXT("не удалось создать временный файл в той же папке")},
    {FailureReason::WriteError, TEXT("a write error occurred"), TEXT("ошибка записи")},
    {FailureReason::OutOfMemory, TEXT("not enough memory"), TEXT("недостаточно памяти")},
};

const ReasonText kUnknownReason = {FailureReason::Unknown, TEXT("an unexpected error occurred"),
                                   TEXT("произошла непредвиденная ошибка")};

struct ActionText {
    FailureAction action;
    const WCHAR* english;  // the path follows
    const WCHAR* russian;
};

const ActionText kActionTexts[] = {
    {FailureAction::Export, TEXT("Could not export the contacts to "),
     TEXT("Не удалось экспортировать контакты в файл ")},
    {FailureAction::Import, TEXT("Could not import "), TEXT("Не удалось импортировать файл ")},
};

const WCHAR* InLanguage(const WCHAR* english, const WCHAR* russian) {
    return ChooseCaption(english, russian);
}

}  // namespace

FailureReason CurrentFailureReason() {
    try {
        throw;
    } catch (const CommandFailure& failure) {
        return failure.reason();
    } catch (const std::bad_alloc&) {
        return FailureReason::OutOfMemory;
    } catch (...) {
        return FailureReason::Unknown;
    }
}

WString FailureText(FailureAction action, WStringView path, FailureReason reason) {
    const ReasonText* because = &kUnknownReason;
    for (const ReasonText& r : kReasonTexts)
        if (r.reason == reason) because = &r;
    WString text;
    for (const ActionText& a : kActionTexts)
        if (a.action == action) text = InLanguage(a.english, a.russian);
    text += path;
    text += TEXT(": ");
    text += InLanguage(because->english, because->russian);
    text += TEXT('.');
    return text;
}

void ShowFailure(const WCHAR* caption, FailureAction action, WStringView path,
                 FailureReason reason) {
    WString text = FailureText(action, path, reason);
    MessageBoxW(nullptr, text.c_str(), caption, MB_OK | MB_ICONERROR);
}
