/* `zamo export [--contact UID] FILE`: checks the target folder and the contact,
 * answers the save dialog with FILE, runs the export command and checks that a
 * file was written. */
#include <cstdio>
#include <filesystem>

#include "cli_commands.h"
#include "host_system.h"
#include "terminal_progress.h"
#include "utf_text.h"
#include "zamo_store.h"

namespace {

constexpr size_t kSaveDialogCapacity = 1024;

std::filesystem::path AbsoluteTarget(const std::string& file) {
    return std::filesystem::absolute(std::filesystem::u8path(file)).lexically_normal();
}

/* Where the module puts the file: apostrophes are taken out of the path, and a
 * name without extension gets ".vcf". */
std::string WrittenPath(const std::filesystem::path& target) {
    std::filesystem::path p = target;
    if (!p.has_extension()) p += ".vcf";
    std::string s = p.u8string();
    std::string out;
    for (char c : s)
        if (c != '\'') out += c;
    return out;
}

}  // namespace

void CheckExportFile(const CommandLine& commandLine) {
    const std::string& file = commandLine.args.front();
    std::filesystem::path target = AbsoluteTarget(file);
    std::error_code ec;
    if (std::filesystem::is_directory(target, ec))
        throw CliFailure{"cannot export to " + file + ": it is a folder"};
    if (!std::filesystem::is_directory(target.parent_path(), ec))
        throw CliFailure{"cannot export to " + file + ": folder " + target.parent_path().u8string() +
                         " does not exist"};
    WString wide;
    if (!Utf8ToWide(target.u8string(), &wide))
        throw CliFailure{"cannot export to " + file + ": the file name is not UTF-8"};
    if (wide.size() + 1 > kSaveDialogCapacity)
        throw CliFailure{"cannot export to " + file + ": its full path is longer than the save "
                         "dialog takes (" + std::to_string(kSaveDialogCapacity - 1) +
                         " UTF-16 code units)"};
}

void RunExport(const ProgramContext& context) {
    const PluginModule& module = FindModule(context, "vcard_export");
    const CommandLine& cl = context.commandLine;
    WString uid;
    if (cl.hasContact && !module.ContactMenuCommandExecute)
        throw CliFailure{"plug-in " + module.name + " has no contact-menu command"};
    if (cl.hasContact) {
        ContactRecord record;
        if (!Utf8ToWide(cl.contact, &uid) || !ZamoStore_Read(uid, &record))
            throw CliFailure{"no contact with UID " + cl.contact};
    }
    std::filesystem::path target = AbsoluteTarget(cl.args.front());
    WString path;
    Utf8ToWide(target.u8string(), &path);

    TerminalProgress progress(context.errorIsTerminal, "exported");
    ZamoStore_SetProgress([&progress](long cards) { progress.Update(cards); });
    struct ResetProgress {
        ~ResetProgress() { ZamoStore_SetProgress(nullptr); }
    } resetProgress;
    // A file that exists makes the save dialog ask whether to replace it: the
    // user named it on the command line, so yes.
    DialogDriver driver({FileDialogAnswer{{path}}},
                        [](const WString&, const WString&, UINT) { return IDYES; });
    if (cl.hasContact)
        module.ContactMenuCommandExecute(uid.c_str());
    else
        module.ExecuteMainCommand();
    FinishPluginCommand();
    progress.Finish();
    if (driver.FileDialogsSeen() == 0)
        throw CliFailure{"the export plug-in did not open its save dialog"};
    std::string written = WrittenPath(target);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::u8path(written), ec))
        throw CliFailure{"the export plug-in wrote no file at " + written};
    std::printf("exported to %s\n", written.c_str());
}
