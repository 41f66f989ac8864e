/* The installed dialog and message box handlers, their setters, and the way
 * AskForFiles and AskForButton pick between handler, terminal and "cancelled". */
#include "user_answers.h"

#include <unistd.h>

namespace {

struct FileDialogAnswer {
    ZamoWin32_FileDialogHandler handler = nullptr;
    void* context = nullptr;
} fileDialogAnswer;

struct MessageBoxAnswer {
    ZamoWin32_MessageBoxHandler handler = nullptr;
    void* context = nullptr;
} messageBoxAnswer;

}  // namespace

bool AskForFiles(BOOL save, const OPENFILENAMEW& ofn, std::vector<WidePath>& files) {
    files.clear();
    if (fileDialogAnswer.handler) {
        const WCHAR* list = nullptr;
        if (!fileDialogAnswer.handler(fileDialogAnswer.context, save, &ofn, &list) || !list) return false;
        for (const WCHAR* p = list; *p;) {
            WidePath path(p);
            p += path.size() + 1;
            files.push_back(std::move(path));
        }
        return !files.empty();
    }
    if (!isatty(STDIN_FILENO)) return false;
    return AskTerminalForFiles(save != FALSE, ofn, files) && !files.empty();
}

int AskForButton(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    if (messageBoxAnswer.handler)
        return messageBoxAnswer.handler(messageBoxAnswer.context, owner, text, caption, type);
    if (!isatty(STDIN_FILENO)) return IDCANCEL;
    return AskTerminalForButton(text, caption, type);
}

extern "C" {

void ZamoWin32_SetFileDialogHandler(ZamoWin32_FileDialogHandler handler, void* context) {
    fileDialogAnswer.handler = handler;
    fileDialogAnswer.context = handler ? context : nullptr;
}

void ZamoWin32_SetMessageBoxHandler(ZamoWin32_MessageBoxHandler handler, void* context) {
    messageBoxAnswer.handler = handler;
    messageBoxAnswer.context = handler ? context : nullptr;
}

}  // extern "C"
