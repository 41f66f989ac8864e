/* `zamo import`: checks the files (standard input and pipes go through a
 * temporary copy), answers the open dialog batch by batch and the overwrite
 * prompt on the terminal or from --overwrite, rolls back a file whose import
 * failed or was interrupted, and prints one summary line per file. */
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "cli_commands.h"
#include "contact_text.h"
#include "host_system.h"
#include "import_batches.h"
#include "terminal_progress.h"
#include "utf_text.h"
#include "zamo_store.h"

namespace {

const char kStandardInput[] = "-";

WString WidePath(const std::string& argument) {
    std::string absolute =
        std::filesystem::absolute(std::filesystem::u8path(argument)).lexically_normal().u8string();
    WString wide;
    if (!Utf8ToWide(absolute, &wide))
        throw CliFailure{"cannot import " + argument + ": the file name is not UTF-8"};
    return wide;
}

/* Standard input and pipes can be read once only: they are copied first. */
bool NeedsCopy(const std::string& file) {
    std::error_code ec;
    return file == kStandardInput ||
           std::filesystem::status(std::filesystem::u8path(file), ec).type() ==
               std::filesystem::file_type::fifo;
}

struct ImportFile {
    std::string shown;      // as the user named it ("standard input" for "-")
    std::string temporary;  // the copy the module reads, when there is one
    WString path;           // the full path handed to the module
};

/* The files of the command; temporary copies are removed however it ends. */
struct ImportFiles {
    std::vector<ImportFile> files;
    ~ImportFiles() {
        for (const ImportFile& f : files)
            if (!f.temporary.empty()) {
                std::error_code ec;
                std::filesystem::remove(std::filesystem::u8path(f.temporary), ec);
            }
    }
};

void PrepareFiles(const std::vector<std::string>& args, ImportFiles* out) {
    for (const std::string& arg : args) {
        ImportFile file;
        file.shown = arg == kStandardInput ? "standard input" : arg;
        if (NeedsCopy(arg)) {
            std::string error;
            file.temporary = MakeTemporaryFile("import", ".vcf", &error);
            if (file.temporary.empty()) throw CliFailure{"cannot import " + file.shown + ": " + error};
            out->files.push_back(file);  // removed again even if the copy fails
            if (!CopyIntoFile(arg == kStandardInput ? "" : arg, file.temporary, &error))
                throw CliFailure{"cannot import " + file.shown + ": " + error,
                                 Interrupted() ? 130 : 1};
            out->files.back().path = WidePath(file.temporary);
        } else {
            file.path = WidePath(arg);
            out->files.push_back(file);
        }
    }
}

// The answers to the overwrite question on the terminal; "for all" answers
// every later question of the command as well.
struct TerminalChoice {
    const char* words[3];
    int id;
    bool forAll;
};

const TerminalChoice kChoices[] = {
    {{"y", "yes", nullptr}, IDYES, false},
    {{"n", "no", nullptr}, IDNO, false},
    {{"c", "cancel", nullptr}, IDCANCEL, false},
    {{"a", "all", "yes to all"}, IDYES, true},
    {{"s", "none", "no to all"}, IDNO, true},
};
const char kChoicePrompt[] = "[y]es / [n]o / [c]ancel / yes to [a]ll / no to all, [s]kip the rest? ";
const char kChoiceHelp[] =
    "Answer y (yes), n (no), c (cancel), a (yes to all) or s (no to all).\n";

struct PromptAnswer {
    bool interactive = false;
    int fixed = IDNO;
    int forAll = 0;  // the answer for every later question, once given
    TerminalProgress* progress = nullptr;
    struct Failure {
        WString text;
        size_t bracket;  // brackets ended before the box: the file it belongs to
    };
    std::vector<Failure> failures;
};

int AskTerminal(PromptAnswer& answer, const WString& text) {
    answer.progress->Finish();
    std::fprintf(stderr, "%s\n", VisibleLines(text).c_str());
    for (;;) {
        std::fputs(kChoicePrompt, stderr);
        std::fflush(stderr);
        std::string line;
        if (Interrupted() || !std::getline(std::cin, line)) {
            // End of input (or Ctrl-C) cancels this card; the next question reads again.
            std::cin.clear();
            std::clearerr(stdin);
            std::fputc('\n', stderr);
            return IDCANCEL;
        }
        for (char& c : line) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const TerminalChoice& choice : kChoices)
            for (const char* word : choice.words)
                if (word && line == word) {
                    if (choice.forAll) answer.forAll = choice.id;
                    return choice.id;
                }
        std::fputs(kChoiceHelp, stderr);
    }
}

int AnswerPrompt(PromptAnswer* answer, const WString& text, UINT type) {
    if (IsErrorBox(type)) {
        // The module reports that the file failed: nothing of it is kept.
        answer->failures.push_back({text, ZamoStore_Changes().size()});
        ZamoStore_FailChanges();
        return IDOK;
    }
    if (Interrupted()) return IDCANCEL;
    if (answer->forAll) return answer->forAll;
    if (!answer->interactive) return answer->fixed;
    return AskTerminal(*answer, text);
}

// "1 contact", "2 contacts".
std::string Counted(long count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string CountsLine(const StoreCounters& c, bool dryRun) {
    if (dryRun)
        return "would create " + Counted(c.created, "contact") + ", overwrite " +
               Counted(c.overwritten, "existing contact") + ", skip " + Counted(c.skipped, "card") +
               ", add " + Counted(c.communications, "communication");
    return Counted(c.created, "contact") + " created, " +
           Counted(c.overwritten, "existing contact") + " overwritten, " +
           Counted(c.skipped, "card") + " skipped, " + Counted(c.communications, "communication") +
           " added";
}

/* One line per file, then the totals; "no vCards found" also on standard error. */
void PrintSummary(const std::vector<ImportFile>& files, const std::vector<ChangesResult>& changes,
                  bool dryRun) {
    bool perFile = files.size() > 1 || changes.size() < files.size();
    for (const ChangesResult& r : changes) perFile = perFile || !r.saved;
    for (size_t i = 0; i < changes.size() && i < files.size(); ++i)
        if (changes[i].saved && changes[i].counters.presenceChecks == 0)
            std::fprintf(stderr, "zamo: no vCards found in %s\n", files[i].shown.c_str());
    std::string out;
    for (size_t i = 0; perFile && i < files.size(); ++i) {
        out += files[i].shown + ": ";
        if (i >= changes.size())
            out += "not read";
        else if (changes[i].stopped)
            out += "not saved (interrupted)";
        else if (!changes[i].saved)
            out += "not saved (its import failed; everything from it was rolled back)";
        else if (changes[i].counters.presenceChecks == 0)
            out += "no vCards found";
        else
            out += CountsLine(changes[i].counters, dryRun);
        out += "\n";
    }
    out += (dryRun ? "dry run, nothing saved: " : perFile ? "total: " : "") +
           CountsLine(ZamoStore_Counters(), dryRun) + "\n";
    std::fflush(stderr);
    std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

void CheckImportFiles(const CommandLine& commandLine) {
    int fromInput = 0;
    for (const std::string& file : commandLine.args) {
        if (file == kStandardInput && ++fromInput > 1)
            throw CliFailure{"standard input (-) can be imported once only"};
        if (NeedsCopy(file)) continue;  // its copy is checked when it is made
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
    WatchInterrupts();
    ImportFiles prepared;
    PrepareFiles(cl.args, &prepared);
    const std::vector<ImportFile>& files = prepared.files;
    std::vector<WString> paths;
    for (const ImportFile& f : files) paths.push_back(f.path);

    TerminalProgress progress(context.errorIsTerminal, "imported");
    PromptAnswer prompt;
    prompt.interactive = cl.overwrite.empty() && context.inputIsTerminal;
    prompt.fixed = cl.overwrite == "yes" ? IDYES : IDNO;
    prompt.progress = &progress;
    ZamoStore_SetProgress([&progress](long cards) { progress.Update(cards); });
    ZamoStore_ResetCounters();
    ZamoStore_SetDryRun(cl.dryRun);
    ZamoStore_SetStopFlag(InterruptFlag());
    struct ResetHandlers {
        ~ResetHandlers() {
            ZamoStore_SetProgress(nullptr);
            ZamoStore_SetStopFlag(nullptr);
            ZamoStore_RollBackAll();  // only a dry run has anything left open
            ZamoStore_SetDryRun(false);
        }
    } resetHandlers;

    // Each file is committed on its own; the run stops at the first failure.
    std::vector<ChangesResult> changes;
    for (const ImportBatch& batch : MakeImportBatches(paths)) {
        DialogDriver driver({FileDialogAnswer{batch.paths}},
                            [&prompt](const WString& text, const WString&, UINT type) {
                                return AnswerPrompt(&prompt, text, type);
                            });
        size_t before = ZamoStore_Changes().size();
        module.ExecuteMainCommand();
        FinishPluginCommand();
        if (driver.FileDialogsSeen() == 0)
            throw CliFailure{"the import plug-in did not open its file dialog"};
        changes = ZamoStore_Changes();
        if (changes.size() > before + batch.paths.size())
            changes.resize(before + batch.paths.size());
        if (!prompt.failures.empty() || Interrupted()) break;
    }
    if (cl.dryRun) ZamoStore_RollBackAll();
    progress.Finish();
    PrintSummary(files, changes, cl.dryRun);
    if (!prompt.failures.empty()) {
        const PromptAnswer::Failure& f = prompt.failures.front();
        const ImportFile* file = f.bracket < files.size() ? &files[f.bracket] : nullptr;
        throw CliFailure{ErrorBoxLine(f.text.c_str(), file ? file->temporary : "",
                                      file ? file->shown : "")};
    }
    if (Interrupted()) {
        size_t saved = 0;
        for (const ChangesResult& r : changes) saved += r.saved;
        throw CliFailure{cl.dryRun ? "interrupted: nothing saved (dry run)"
                                   : "interrupted: " + std::to_string(saved) + " of " +
                                         std::to_string(files.size()) + " files saved",
                         130};
    }
}
