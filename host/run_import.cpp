/* `zamo import`: checks the files, answers the open dialog batch by batch,
 * answers the overwrite prompt on the terminal or from --overwrite, and prints
 * the summary that the store counted. */
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "cli_commands.h"
#include "import_batches.h"
#include "terminal_progress.h"
#include "utf_text.h"
#include "zamo_store.h"
#include "zamo_win32_ext.h"

namespace {

WString WidePath(const std::string& argument) {
    std::string absolute = std::filesystem::absolute(argument).lexically_normal().string();
    WString wide;
    if (!Utf8ToWide(absolute, &wide))
        throw CliFailure{"cannot import " + argument + ": the file name is not UTF-8"};
    return wide;
}

struct DialogAnswer {
    WString selection;  // full paths, each NUL-ended; c_str() adds the final NUL
    int calls = 0;
};

BOOL AnswerOpenDialog(void* context, BOOL save, const OPENFILENAMEW*, const WCHAR** files) {
    auto* answer = static_cast<DialogAnswer*>(context);
    if (save || answer->calls++ > 0) return FALSE;
    *files = answer->selection.c_str();
    return TRUE;
}

struct PromptAnswer {
    bool interactive = false;
    int fixed = IDNO;
    TerminalProgress* progress = nullptr;
};

int AnswerPrompt(void* context, HWND, LPCWSTR text, LPCWSTR, UINT) {
    auto* answer = static_cast<PromptAnswer*>(context);
    if (!answer->interactive) return answer->fixed;
    answer->progress->Finish();
    std::fprintf(stderr, "%s\n", WideToUtf8(text ? WStringView(text) : WStringView()).c_str());
    for (;;) {
        std::fputs("[y]es / [n]o / [c]ancel? ", stderr);
        std::fflush(stderr);
        std::string line;
        if (!std::getline(std::cin, line)) return IDCANCEL;
        for (char& c : line) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (line == "y" || line == "yes") return IDYES;
        if (line == "n" || line == "no") return IDNO;
        if (line == "c" || line == "cancel") return IDCANCEL;
    }
}

}  // namespace

void CheckImportFiles(const CommandLine& commandLine) {
    for (const std::string& file : commandLine.args) {
        int fd = open(file.c_str(), O_RDONLY);
        if (fd < 0) throw CliFailure{"cannot read " + file + ": " + std::strerror(errno)};
        struct stat st {};
        bool regular = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
        close(fd);
        if (!regular) throw CliFailure{"cannot read " + file + ": it is a folder"};
        size_t size = SelectionSize({WidePath(file)});
        if (size > kOpenDialogCapacity)
            throw CliFailure{"cannot import " + file + ": its full path is longer than the open "
                             "dialog takes (" + std::to_string(kOpenDialogCapacity - 2) +
                             " UTF-16 code units)"};
    }
}

void RunImport(const ProgramContext& context) {
    const PluginModule& module = FindModule(context, "vcard_import");
    const CommandLine& cl = context.commandLine;
    std::vector<WString> paths;
    for (const std::string& file : cl.args) paths.push_back(WidePath(file));

    TerminalProgress progress(context.errorIsTerminal, "imported");
    PromptAnswer prompt;
    prompt.interactive = cl.overwrite.empty() && context.inputIsTerminal;
    prompt.fixed = cl.overwrite == "yes" ? IDYES : IDNO;
    prompt.progress = &progress;
    ZamoWin32_SetMessageBoxHandler(AnswerPrompt, &prompt);
    ZamoStore_SetProgress([&progress](long cards) { progress.Update(cards); });
    ZamoStore_ResetCounters();
    struct ResetHandlers {
        ~ResetHandlers() {
            ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
            ZamoWin32_SetMessageBoxHandler(nullptr, nullptr);
            ZamoStore_SetProgress(nullptr);
        }
    } resetHandlers;

    for (const ImportBatch& batch : MakeImportBatches(paths)) {
        DialogAnswer answer;
        for (const WString& p : batch.paths) {
            answer.selection += p;
            answer.selection += u'\0';
        }
        ZamoWin32_SetFileDialogHandler(AnswerOpenDialog, &answer);
        module.ExecuteMainCommand();
        FinishPluginCommand();
        if (answer.calls == 0)
            throw CliFailure{"the import plug-in did not open its file dialog"};
    }
    progress.Finish();
    StoreCounters c = ZamoStore_Counters();
    std::printf("%ld contacts created, %ld existing contacts overwritten, %ld cards skipped, "
                "%ld communications added\n",
                c.created, c.overwritten, c.skipped, c.communications);
}
