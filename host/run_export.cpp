/* `zamo export [--contact UID] FILE`: refuses targets that are no regular file,
 * answers the save dialog with FILE (a temporary file for "-", copied to
 * standard output), turns the module's error box or a database that could not
 * be read into a failure that leaves FILE as it was, and says how many contacts
 * the written file holds. */
#include <cstdio>
#include <filesystem>
#include <vector>

#include "cli_commands.h"
#include "host_system.h"
#include "kept_file.h"
#include "terminal_progress.h"
#include "utf_text.h"
#include "written_cards.h"
#include "zamo_store.h"

namespace {

constexpr size_t kSaveDialogCapacity = 1024;
const char kStandardOutput[] = "-";

std::filesystem::path AbsoluteTarget(const std::string& file) {
    return std::filesystem::absolute(std::filesystem::u8path(file)).lexically_normal();
}

struct ErrorBoxes {
    std::vector<WString> texts;
};

/* The module's error box is kept; the one other box is the save dialog's
 * question whether to replace the file the user named, which is yes. */
int AnswerBox(ErrorBoxes* boxes, const WString& text, UINT type) {
    if (!IsErrorBox(type)) return IDYES;
    boxes->texts.push_back(text);
    return IDOK;
}

/* Where the module puts the file: apostrophes are taken out of the path, and a
 * name typed without extension gets ".vcf", as the save dialog adds it. */
std::string WrittenPath(const std::filesystem::path& target) {
    std::filesystem::path p = target;
    if (!p.has_extension()) p += ".vcf";
    std::string s = p.u8string();
    std::string out;
    for (char c : s)
        if (c != '\'') out += c;
    return out;
}

/* Why a path that exists cannot take the export; "" when it may (a regular
 * file, a link to one, or nothing there yet). */
std::string RefusedTarget(const std::string& utf8Path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    switch (fs::status(fs::u8path(utf8Path), ec).type()) {
        case fs::file_type::directory: return "it is a folder";
        case fs::file_type::character:
        case fs::file_type::block: return "it is a device, not a file";
        case fs::file_type::fifo: return "it is a FIFO (named pipe), not a file";
        case fs::file_type::socket: return "it is a socket, not a file";
        case fs::file_type::regular:
        case fs::file_type::not_found:
        case fs::file_type::none: return "";
        default: return "it is not a regular file";
    }
}

/* The cards the module must write: every named contact, or the one. */
long ExpectedCards(const CommandLine& cl, const ContactRecord& selected) {
    if (!cl.hasContact) return ZamoStore_NamedContacts();
    const auto& f = selected.fields;
    return !f[static_cast<size_t>(ContactField::FirstName)].empty() ||
           !f[static_cast<size_t>(ContactField::MiddleName)].empty() ||
           !f[static_cast<size_t>(ContactField::LastName)].empty();
}

/* Removes the temporary file of "-" however the command ends. */
struct TemporaryFile {
    std::string path;
    ~TemporaryFile() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove(std::filesystem::u8path(path), ec);
    }
};

}  // namespace

void CheckExportFile(const CommandLine& commandLine) {
    const std::string& file = commandLine.args.front();
    if (file == kStandardOutput) {
        if (IsTerminal(1))
            throw CliFailure{"will not write a vCard file to the terminal: redirect standard "
                             "output, or give a FILE"};
        return;
    }
    std::filesystem::path target = AbsoluteTarget(file);
    std::string written = WrittenPath(target);
    for (const std::string& path : {target.u8string(), written}) {
        std::string refused = RefusedTarget(path);
        if (!refused.empty()) throw CliFailure{"cannot export to " + path + ": " + refused};
    }
    std::error_code ec;
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
    ContactRecord selected;
    if (cl.hasContact && !module.ContactMenuCommandExecute)
        throw CliFailure{"plug-in " + module.name + " has no contact-menu command"};
    if (cl.hasContact && (!Utf8ToWide(cl.contact, &uid) || !ZamoStore_Read(uid, &selected)))
        throw CliFailure{"no contact with UID " + cl.contact};

    bool toOutput = cl.args.front() == kStandardOutput;
    TemporaryFile temporary;
    std::string error;
    if (toOutput && (temporary.path = MakeTemporaryFile("export", ".vcf", &error)).empty())
        throw CliFailure{"cannot export to standard output: " + error};
    std::filesystem::path target =
        toOutput ? std::filesystem::u8path(temporary.path) : AbsoluteTarget(cl.args.front());
    std::string written = toOutput ? temporary.path : WrittenPath(target);
    std::string shownPath = toOutput ? "standard output" : written;
    WString dialogPath;
    Utf8ToWide(target.u8string(), &dialogPath);

    // A file the module could not replace stays the same file, unwritten.
    std::error_code ec;
    const std::filesystem::path writtenPath = std::filesystem::u8path(written);
    const std::string oldVersion = FileVersion(written);
    // Until the file is known whole, the earlier one is kept to be put back.
    KeptFile kept(toOutput ? "" : written);

    TerminalProgress progress(context.errorIsTerminal, "exported");
    ErrorBoxes boxes;
    ZamoStore_SetProgress([&progress](long cards) { progress.Update(cards); });
    struct ResetProgress {
        ~ResetProgress() { ZamoStore_SetProgress(nullptr); }
    } resetProgress;
    DialogDriver driver({FileDialogAnswer{{dialogPath}, true}},
                        [&boxes](const WString& text, const WString&, UINT type) {
                            return AnswerBox(&boxes, text, type);
                        });
    // A first Ctrl-C lets the module finish its file (it cannot be stopped
    // midway without leaving its temporary file); the run then exits 130.
    WatchInterrupts();
    if (cl.hasContact)
        module.ContactMenuCommandExecute(uid.c_str());
    else
        module.ExecuteMainCommand();
    std::string storeError;
    const bool storeRead = ZamoStore_EndCommand(&storeError);
    progress.Finish();
    // A failure puts the earlier file back, or removes a file that was not there,
    // and says so; the module's own box says what became of the file.
    auto fail = [&](const std::string& message, bool sayWhatIsLeft = true) {
        const bool restored = kept.Restore();
        throw CliFailure{message + (toOutput || !sayWhatIsLeft ? ""
                                    : !restored          ? " (the earlier file could not be kept)"
                                    : oldVersion.empty() ? "; no file is left there"
                                                         : "; the earlier file is left as it was")};
    };
    if (!boxes.texts.empty())
        fail(ErrorBoxLine(boxes.texts.front().c_str(), temporary.path, shownPath), false);
    if (!storeRead) fail("could not read every contact: " + storeError);
    if (driver.FileDialogsSeen() == 0) fail("the export plug-in did not open its save dialog");
    if (!std::filesystem::is_regular_file(writtenPath, ec))
        fail("the export plug-in wrote no file at " + shownPath);
    if (!oldVersion.empty() && !toOutput && FileVersion(written) == oldVersion)
        fail("the export plug-in did not replace " + shownPath + " (is it write-protected?)");
    long cards = CountWrittenCards(written);
    long expected = ExpectedCards(cl, selected);
    if (cards < expected)
        fail("the export plug-in wrote " + CountText(cards) + " of " + CountText(expected) +
             " contacts to " + shownPath);
    if (toOutput && !CopyToStandardOutput(temporary.path, &error))
        throw CliFailure{"cannot export to standard output: " + error};
    std::string done = "exported " + CountText(cards) + (cards == 1 ? " contact" : " contacts") +
                       " to " + shownPath;
    std::fflush(stdout);
    if (cards == 0)
        std::fprintf(stderr, "zamo: warning: %s: %s\n", done.c_str(),
                     cl.hasContact ? "the contact has no first, middle or last name"
                                   : "no contact has a first, middle or last name");
    else
        std::fprintf(toOutput ? stderr : stdout, "%s\n", done.c_str());
    if (Interrupted()) throw CliFailure{"interrupted once the export was whole", 130};
}
