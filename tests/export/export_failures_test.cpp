// An export that cannot be finished leaves the chosen file exactly as it was and
// says so in one error box (caption: the command's, in the module's language;
// one line naming the path and the reason); a finished export replaces the file
// whole, keeping its permissions and, through a link, the link. Success and a
// cancelled dialog show nothing.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "export_test_support.h"
#include "plugin_exports.h"
#include "special_files.h"

namespace {

using namespace export_test;

struct Box {
    std::string text, caption;
    UINT type;
};

std::vector<Box> gBoxes;

int RecordBox(void*, HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    gBoxes.push_back({Utf8(WString(text)), Utf8(WString(caption)), type});
    return IDOK;
}

// What stands at a path: its kind, and for a file its bytes and permissions.
std::string Describe(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return "<nothing>";
    if (S_ISLNK(st.st_mode)) return "<link to " + std::filesystem::read_symlink(path).string() + ">";
    if (S_ISDIR(st.st_mode)) return "<folder>";
    if (!S_ISREG(st.st_mode)) return "<special>";
    return ReadBytes(path) + " mode " + std::to_string(st.st_mode & 0777);
}

class ExportFailure : public testing::Test {
protected:
    void SetUp() override {
        FakeHost::Get().Reset();
        FakeHost::Get().Add(TEXT("root"), TEXT("a"), {{"LastName", TEXT("Ann")}});
        gBoxes.clear();
        ZamoWin32_SetMessageBoxHandler(RecordBox, nullptr);
    }
    void TearDown() override {
        ZamoWin32_SetMessageBoxHandler(nullptr, nullptr);
        ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
        SetLanguage(TEXT(""));
        FakeHost::Get().Reset();
    }
public:
    // Names in the folder other than `keep`: temporary files left behind.
    std::vector<std::string> Others(const std::vector<std::string>& keep) const {
        std::vector<std::string> others;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            std::string name = entry.path().filename().string();
            bool kept = false;
            for (const std::string& k : keep) kept = kept || k == name;
            if (!kept) others.push_back(name);
        }
        return others;
    }

    ScratchFolder folder;
    SaveAnswer answer;
    ZoneSetting zone{"XYZ-4"};
};

const char kOld[] = "BEGIN:VCARD\r\nUID:old\r\nEND:VCARD\r\n";

TEST_F(ExportFailure, LeavesTheFileAsItWasAndSaysWhy) {
    const bool root = geteuid() == 0;
    struct Case {
        std::function<std::string(ExportFailure&)> make;  // returns the path to choose
        std::string reason;      // in the box, English; "" when the export succeeds
        const char* why;
        std::function<void()> fault = nullptr;
        bool skip = false;
        std::string shown = "";  // the path in the box, in the folder; "": the chosen one
    } cases[] = {
        {[](ExportFailure& t) { return t.folder.File("book.vcf"); }, "",
         "nothing stands at the path: a new file, no box"},
        {[](ExportFailure& t) { return t.folder.File("book.vcf"); }, "an unexpected error occurred",
         "the host fails midway", [] {
             FakeHost::Get().beforeCall = [](const std::string& e) {
                 if (e == "GetDetails(a)") throw std::runtime_error("host fault");
             };
         }},
        {[](ExportFailure& t) {
             WriteBytes(t.folder.File("book.vcf"), kOld);
             return t.folder.File("book.vcf");
         },
         "not enough memory", "memory runs out midway over an older file", [] {
             FakeHost::Get().beforeCall = [](const std::string& e) {
                 if (e == "GetCommunicationsCount(a)") throw std::bad_alloc();
             };
         }},
        {[](ExportFailure& t) {
             WriteBytes(t.folder.File("book.vcf"), kOld);
             chmod(t.folder.File("book.vcf").c_str(), 0444);
             return t.folder.File("book.vcf");
         },
         "the file is read-only", "a file without write permission is refused, also for root"},
        {[](ExportFailure& t) {
             std::filesystem::create_directory(t.folder.File("taken.vcf"));
             return t.folder.File("taken.vcf");
         },
         "the path does not name a regular file", "a folder"},
        {[](ExportFailure& t) { return MakeFifo(t.folder.File("pipe.vcf")); },
         "the path does not name a regular file", "a FIFO (never opened: no reader hangs)"},
        {[](ExportFailure& t) { return MakeSocket(t.folder.File("sock.vcf")); },
         "the path does not name a regular file", "a socket"},
        {[](ExportFailure& t) { return MakeDevice(t.folder.File("null.vcf")); },
         "the path does not name a regular file", "a device like /dev/null (made as root)",
         nullptr, !root},
        {[](ExportFailure& t) { return t.folder.File("missing/book.vcf"); },
         "the path was not found", "a missing folder"},
        {[](ExportFailure& t) { return t.folder.File(std::string(300, 'n') + ".vcf"); },
         "the file name is too long", "a 300-byte file name"},
        {[](ExportFailure& t) {
             std::filesystem::create_directory(t.folder.File("it's"));
             return t.folder.File("it's/book.vcf");
         },
         "the path was not found", "without its apostrophe the path names a missing folder",
         nullptr, false, "its/book.vcf"},
        {[](ExportFailure& t) { return t.folder.File("book.vcf"); }, "",
         "after all those failures the next export runs normally"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.why);
        if (c.skip) continue;
        gBoxes.clear();
        const std::string path = c.make(*this);
        const std::string before = Describe(path);
        if (c.fault) c.fault();
        ChoosePath(answer, path);
        ExecuteMainCommand();
        FakeHost::Get().beforeCall = nullptr;
        if (c.reason.empty()) {
            EXPECT_TRUE(gBoxes.empty()) << "success is silent";
            EXPECT_EQ(ReadBytes(path).rfind("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:a\r\n", 0), 0u);
        } else {
            EXPECT_EQ(Describe(path), before) << "the chosen path is exactly as it was";
            ASSERT_EQ(gBoxes.size(), 1u) << "one error box";
            EXPECT_EQ(gBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
            EXPECT_EQ(gBoxes[0].caption, "Export all contacts to vCard format");
            const std::string shown = c.shown.empty() ? path : folder.File(c.shown);
            EXPECT_EQ(gBoxes[0].text, "Could not export the contacts to " + shown + ": " +
                                          c.reason + ".");
        }
        EXPECT_EQ(Others({"book.vcf", "taken.vcf", "pipe.vcf", "sock.vcf", "null.vcf", "it's"}),
                  std::vector<std::string>{})
            << "no temporary file left";
        std::filesystem::remove_all(folder.Path());
        std::filesystem::create_directories(folder.Path());
    }
}

// A writable file in a folder without write permission: no temporary file can
// be made beside it, and the file is not cut open instead. Root may write
// anywhere, so then the export runs in a child process as user nobody.
TEST_F(ExportFailure, AReadOnlyFolderKeepsItsFile) {
    const std::string locked = folder.File("locked"), path = folder.File("locked/book.vcf");
    std::filesystem::create_directory(locked);
    WriteBytes(path, kOld);
    chmod(path.c_str(), 0666);
    chmod(locked.c_str(), 0555);
    chmod(folder.Path().c_str(), 0755);
    ChoosePath(answer, path);
    const std::string expected = "Could not export the contacts to " + path + ": access denied.";
    auto exportAndCheck = [&] {
        ExecuteMainCommand();
        return gBoxes.size() == 1 && gBoxes[0].text == expected;
    };
    if (geteuid() == 0) {
        std::fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            bool told = setgid(65534) == 0 && setuid(65534) == 0 && exportAndCheck();
            _exit(told ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "as nobody: not one box saying \"" << expected << "\"";
    } else {
        EXPECT_TRUE(exportAndCheck()) << (gBoxes.empty() ? "no box" : gBoxes[0].text);
    }
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(locked),
                            std::filesystem::directory_iterator()),
              1) << "no temporary file";
    chmod(locked.c_str(), 0755);
}

TEST_F(ExportFailure, ReplacesTheFileWholeKeepingItsPermissionsAndLinks) {
    const std::string real = folder.File("real.vcf"), link = folder.File("link.vcf");
    WriteBytes(real, std::string(100000, '#'));
    chmod(real.c_str(), 0640);
    ASSERT_EQ(symlink("real.vcf", link.c_str()), 0);
    const std::string dangling = folder.File("dangling.vcf");
    ASSERT_EQ(symlink("later.vcf", dangling.c_str()), 0);
    struct Case {
        std::string chosen;
        std::string written;  // the file that gets the card
        mode_t mode;
        const char* why;
    } cases[] = {
        {real, real, 0640, "the replaced file keeps its permissions"},
        {link, real, 0640, "through a link: the file it points to gets the card"},
        {dangling, folder.File("later.vcf"), 0666 & ~[] {
             mode_t mask = umask(0);
             umask(mask);
             return mask;
         }(), "a link to no file yet: the file is made where it points, as a new file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ChoosePath(answer, c.chosen);
        ExecuteMainCommand();
        EXPECT_TRUE(gBoxes.empty());
        EXPECT_EQ(ReadBytes(c.written).rfind("BEGIN:VCARD\r\n", 0), 0u);
        EXPECT_EQ(ReadBytes(c.written).find('#'), std::string::npos) << "replaced, not appended";
        struct stat st;
        ASSERT_EQ(stat(c.written.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, c.mode);
        EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the link stays a link";
        EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    }
    EXPECT_EQ(Others({"real.vcf", "link.vcf", "dangling.vcf", "later.vcf"}),
              std::vector<std::string>{});
}

TEST_F(ExportFailure, TheBoxSpeaksTheModulesLanguageWithTheCommandsCaption) {
    std::filesystem::create_directory(folder.File("taken.vcf"));
    const std::string path = folder.File("taken.vcf");
    // Captions and sentences as the product's translators wrote them.
    struct Case {
        const WCHAR* language;
        bool all;
        std::string caption, text;
    } cases[] = {
        {TEXT(""), false, "Export contact to vCard format",
         "Could not export the contacts to " + path + ": the path does not name a regular file."},
        {TEXT("Russian"), true, "Экспорт всех контактов в формат vCard",
         "Не удалось экспортировать контакты в файл " + path +
             ": путь указывает не на обычный файл."},
        {TEXT("Russian"), false, "Экспорт контакта в формат vCard",
         "Не удалось экспортировать контакты в файл " + path +
             ": путь указывает не на обычный файл."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        gBoxes.clear();
        SetLanguage(c.language);
        ChoosePath(answer, path);
        c.all ? ExecuteMainCommand() : ContactMenuCommandExecute(TEXT("a"));
        ASSERT_EQ(gBoxes.size(), 1u);
        EXPECT_EQ(gBoxes[0].caption, c.caption);
        EXPECT_EQ(gBoxes[0].text, c.text);
        EXPECT_EQ(gBoxes[0].text.find('\n'), std::string::npos) << "one line";
    }
    gBoxes.clear();
    CancelDialog(answer);
    ExecuteMainCommand();
    EXPECT_TRUE(gBoxes.empty()) << "cancelling is silent";
}

}  // namespace
