/* `zamo export [--contact UID] FILE`: refuses targets that are no regular file,
 * answers the save dialog with FILE (a temporary file for "-", copied to
 * standard output), turns the module's error box into a failure, and says how
 * many contacts the written file holds. */
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "cli_commands.h"
#include "host_system.h"
#include "terminal_progress.h"
#include "utf_text.h"
#include "zamo_store.h"
#include "zamo_win32_ext.h"

namespace {

constexpr size_t kSaveDialogCapacity = 1024;
const char kStandardOutput[] = "-";

std::filesystem::path AbsoluteTarget(const std::string& file) {
    return std::filesystem::absolute(file).lexically_normal();
}

struct SaveAnswer {
    WString path;  // the path and its NUL
    int calls = 0;
};

BOOL AnswerSaveDialog(void* context, BOOL save, const OPENFILENAMEW*, const WCHAR** files) {
    auto* answer = static_cast<SaveAnswer*>(context);
    if (!save || answer->calls++ > 0) return FALSE;
    *files = answer->path.c_str();
    return TRUE;
}

struct ErrorBoxes {
    std::vector<WString> texts;
};

int AnswerBox(void* context, HWND, LPCWSTR text, LPCWSTR, UINT type) {
    if (!IsErrorBox(type)) return IDCANCEL;  // the export asks nothing
    static_cast<ErrorBoxes*>(context)->texts.emplace_back(text ? text : u"");
    return IDOK;
}

/* Where the module puts the file: apostrophes are taken out of the path, and a
 * name typed without extension gets ".vcf", as the save dialog adds it. */
std::string WrittenPath(const std::filesystem::path& target) {
    std::filesystem::path p = target;
    if (!p.has_extension()) p += ".vcf";
    std::string s = p.string();
    std::string out;
    for (char c : s)
        if (c != '\'') out += c;
    return out;
}

/* Why a path that exists cannot take the export; "" when it may (a regular
 * file, a link to one, or nothing there yet). */
std::string RefusedTarget(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    switch (fs::status(path, ec).type()) {
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

/* Cards in a written file: lines that are exactly END:VCARD (CR LF ended). */
long CountCards(const std::string& path) {
    static const std::string kEnd = "\nEND:VCARD\r\n";
    std::ifstream in(path, std::ios::binary);
    std::string text = "\n";  // the file's start counts as a line start
    std::vector<char> block(1 << 20);
    long cards = 0;
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        text.append(block.data(), static_cast<size_t>(in.gcount()));
        size_t at = 0;
        for (; (at = text.find(kEnd, at)) != std::string::npos; at += kEnd.size() - 1) ++cards;
        // Keep a tail that may hold the start of a marker cut by the block end.
        text.erase(0, text.size() > kEnd.size() ? text.size() - (kEnd.size() - 1) : 0);
    }
    return cards;
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
        if (!path.empty()) std::remove(path.c_str());
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
    for (const std::string& path : {target.string(), written}) {
        std::string refused = RefusedTarget(path);
        if (!refused.empty()) throw CliFailure{"cannot export to " + path + ": " + refused};
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(target.parent_path(), ec))
        throw CliFailure{"cannot export to " + file + ": folder " + target.parent_path().string() +
                         " does not exist"};
    WString wide;
    if (!Utf8ToWide(target.string(), &wide))
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
        toOutput ? std::filesystem::path(temporary.path) : AbsoluteTarget(cl.args.front());
    std::string written = toOutput ? temporary.path : WrittenPath(target);
    std::string shownPath = toOutput ? "standard output" : written;
    SaveAnswer answer;
    Utf8ToWide(target.string(), &answer.path);
    answer.path += u'\0';  // the list's own end; c_str() adds the final NUL

    // A file the module could not replace keeps its time and size.
    std::error_code ec;
    bool existed = std::filesystem::exists(written, ec);
    auto oldTime = std::filesystem::last_write_time(written, ec);
    auto oldSize = std::filesystem::file_size(written, ec);

    TerminalProgress progress(context.errorIsTerminal, "exported");
    ErrorBoxes boxes;
    ZamoStore_SetProgress([&progress](long cards) { progress.Update(cards); });
    ZamoWin32_SetFileDialogHandler(AnswerSaveDialog, &answer);
    ZamoWin32_SetMessageBoxHandler(AnswerBox, &boxes);
    struct ResetHandlers {
        ~ResetHandlers() {
            ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
            ZamoWin32_SetMessageBoxHandler(nullptr, nullptr);
            ZamoStore_SetProgress(nullptr);
        }
    } resetHandlers;
    if (cl.hasContact)
        module.ContactMenuCommandExecute(uid.c_str());
    else
        module.ExecuteMainCommand();
    FinishPluginCommand();
    progress.Finish();
    if (!boxes.texts.empty())
        throw CliFailure{ErrorBoxLine(boxes.texts.front().c_str(), temporary.path, shownPath)};
    if (answer.calls == 0) throw CliFailure{"the export plug-in did not open its save dialog"};
    if (!std::filesystem::is_regular_file(written, ec))
        throw CliFailure{"the export plug-in wrote no file at " + shownPath};
    if (existed && !toOutput && std::filesystem::last_write_time(written, ec) == oldTime &&
        std::filesystem::file_size(written, ec) == oldSize)
        throw CliFailure{"the export plug-in did not replace " + shownPath +
                         " (is it write-protected?)"};
    long cards = CountCards(written);
    long expected = ExpectedCards(cl, selected);
    if (cards < expected)
        throw CliFailure{"the export plug-in wrote " + CountText(cards) + " of " +
                         CountText(expected) + " contacts to " + shownPath};
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
}
