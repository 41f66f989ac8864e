/* `zamo import`: checks the files, answers the open dialog batch by batch,
 * answers the overwrite prompt on the terminal or from --overwrite, and prints
 * the summary that the store counted. */
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "cli_commands.h"
#include "host_system.h"
#include "import_batches.h"
#include "terminal_progress.h"
#include "utf_text.h"
#include "zamo_store.h"

namespace {

WString WidePath(const std::string& argument) {
    std::string absolute =
        std::filesystem::absolute(std::filesystem::u8path(argument)).lexically_normal().u8string();
    WString wide;
    if (!Utf8ToWide(absolute, &wide))
        throw CliFailure{"cannot import " + argument + ": the file name is not UTF-8"};
    return wide;
}

struct PromptAnswer {
    bool interactive = false;
    int fixed = IDNO;
    TerminalProgress* progress = nullptr;
};

int AnswerPrompt(const PromptAnswer* answer, const WString& text) {
    if (!answer->interactive) return answer->fixed;
    answer->progress->Finish();
    std::fprintf(stderr, "%s\n", WideToUtf8(text).c_str());
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
        std::string why = UnreadableFileReason(file);
        if (!why.empty()) throw CliFailure{"cannot read " + file + ": " + why};
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
    ZamoStore_SetProgress([&progress](long cards) { progress.Update(cards); });
    ZamoStore_ResetCounters();
    struct ResetProgress {
        ~ResetProgress() { ZamoStore_SetProgress(nullptr); }
    } resetProgress;

    for (const ImportBatch& batch : MakeImportBatches(paths)) {
        DialogDriver driver({FileDialogAnswer{batch.paths}},
                            [&prompt](const WString& text, const WString&, UINT) {
                                return AnswerPrompt(&prompt, text);
                            });
        module.ExecuteMainCommand();
        FinishPluginCommand();
        if (driver.FileDialogsSeen() == 0)
            throw CliFailure{"the import plug-in did not open its file dialog"};
    }
    progress.Finish();
    StoreCounters c = ZamoStore_Counters();
    std::printf("%ld contacts created, %ld existing contacts overwritten, %ld cards skipped, "
                "%ld communications added\n",
                c.created, c.overwritten, c.skipped, c.communications);
}
