// The export when the disk fills, the device fails or the process is killed
// midway: the chosen file is byte for byte what it was (or still absent) and no
// temporary file is left; short of a kill the command returns normally and one
// error box says why. A fault-free export of
// the same contacts is the reference; the limits cut it at many places.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "export_commands.h"
#include "output_file.h"
#include "fake_host.h"
#include "figures.h"
#include "zamo_child.h"
#include "zamo_process.h"
#include "zamo_win32_ext.h"

namespace {

WString gSaveAnswer;  // one path, NUL, NUL

BOOL AnswerSave(void*, BOOL, const OPENFILENAMEW*, const WCHAR** files) {
    *files = gSaveAnswer.c_str();
    return TRUE;
}

std::vector<std::string> gBoxes;  // texts of the error boxes shown

int RecordBox(void*, HWND, LPCWSTR text, LPCWSTR, UINT type) {
    gBoxes.push_back((type == (MB_OK | MB_ICONERROR) ? "error: " : "other: ") +
                     Utf8(WString(text)));
    return IDOK;
}

// Runs the export-all command the way its module export does: any exception
// drops the output file and the command returns.
void ExportAllAsTheHostCallsIt() {
    gBoxes.clear();
    try {
        ExportAllContacts();
    } catch (...) {
        AbandonOutputFile();
    }
}

// Places in the walk over the 200 contacts, by the contacts asked for before.
struct WalkPoint {
    int atContact;
    const char* why;
};
const WalkPoint kWalkPoints[] = {
    {0, "before the first card"},
    {1, "after the first card"},
    {57, "in the middle of the walk"},
    {199, "before the last card"},
};

class ExportFaults : public testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
        FakeHost& host = FakeHost::Get();
        host.Reset();
        host.quiet = {""};
        for (int i = 0; i < 200; ++i) {
            std::string n = std::to_string(i);
            host.Add(TEXT("root"), Utf16("c" + n),
                     {{"FirstName", Utf16("First" + n)}, {"LastName", Utf16("Last" + n)},
                      {"Details", Utf16("note " + n + "\nsecond line")},
                      {"CompanyName", Utf16("Co; " + n)}});
        }
        path = folder.File("out.vcf");
        gSaveAnswer = Utf16(path);
        gSaveAnswer.append(2, 0);
        ZamoWin32_SetFileDialogHandler(AnswerSave, nullptr);
        ZamoWin32_SetMessageBoxHandler(RecordBox, nullptr);
        ExportAllAsTheHostCallsIt();
        reference = folder.Read("out.vcf");
        ASSERT_GT(reference.size(), 20000u);
        std::remove(path.c_str());
    }
    void TearDown() override {
        ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
        ZamoWin32_SetMessageBoxHandler(nullptr, nullptr);
        FakeHost::Get().Reset();
    }

    // The chosen file is what it was before, and nothing else is in the folder.
    void ExpectUntouched(Figures& figures, const std::string& before) {
        EXPECT_KEPT(figures, folder.Read("out.vcf") == before);
        EXPECT_EQ(std::filesystem::exists(path), !before.empty());
        size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            files += entry.path() != path;
        EXPECT_EQ(files, 0u) << "a temporary file was left behind";
    }

    // Runs fault(atContact) at each walk point over an older file, which must
    // then be untouched.
    template <typename Fault>
    void AtEachWalkPoint(Fault fault) {
        Figures figures("fault");
        const std::string before = "BEGIN:VCARD\r\nUID:old\r\nEND:VCARD\r\n";
        for (const WalkPoint& c : kWalkPoints) {
            SCOPED_TRACE(std::to_string(c.atContact) + ": " + c.why);
            figures.StartCase();
            folder.Write("out.vcf", before);
            fault(c.atContact);
            ExpectUntouched(figures, before);
        }
    }

    TempFolder folder;
    std::string path;
    std::string reference;
};

// The file size limit of the process stands for a full disk: writes beyond it
// fail (EFBIG) instead of killing the process, as a full disk fails with ENOSPC.
// The child process reports through its exit status: 0 when exactly one error
// box said the disk is full, 1 otherwise.
TEST_F(ExportFaults, DiskFullLeavesTheOldFile) {
    struct Case {
        rlim_t limit;
        const char* why;
    } cases[] = {
        {0, "not a byte fits"},
        {1, "not even the first line end"},
        {13, "exactly BEGIN:VCARD and its CR LF"},
        {4097, "one byte past a page boundary"},
        {70000, "past the first batch of lines"},
    };
    Figures figures("fault");
    for (const char* before : {"", "BEGIN:VCARD\r\nUID:old\r\nEND:VCARD\r\n"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.limit) + " bytes: " + c.why +
                         (*before ? ", over an older file" : ", no file before"));
            figures.StartCase();
            std::remove(path.c_str());
            if (*before) folder.Write("out.vcf", before);
            std::fflush(nullptr);
            pid_t pid = fork();
            if (pid == 0) {
                signal(SIGXFSZ, SIG_IGN);
                rlimit limit{c.limit, c.limit};
                setrlimit(RLIMIT_FSIZE, &limit);
                ExportAllAsTheHostCallsIt();
                bool told = gBoxes.size() == 1 && gBoxes[0].rfind("error: ", 0) == 0 &&
                            gBoxes[0].find("the disk is full") != std::string::npos &&
                            gBoxes[0].find(path) != std::string::npos;
                _exit(told ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            ASSERT_TRUE(WIFEXITED(status)) << "the export died";
            EXPECT_EQ(WEXITSTATUS(status), 0) << "not one error box naming the path and a full disk";
            ExpectUntouched(figures, before);
        }
    }
}

// A kill while the contacts are written leaves the chosen file as it was and no
// temporary file: the output has no name until it is complete.
TEST_F(ExportFaults, KilledMidwayLeavesTheOldFile) {
    AtEachWalkPoint([](int atContact) {
        std::fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            int seen = 0;
            FakeHost::Get().beforeCall = [&](const std::string& entry) {
                if (entry.compare(0, 9, "IsPresent") == 0 && seen++ == atContact) raise(SIGKILL);
            };
            ExportAllAsTheHostCallsIt();
            _exit(1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
    });
}

// The device fails under the open stream (its descriptor now writes to /dev/full,
// every write failing with ENOSPC) while the export runs.
TEST_F(ExportFaults, DeviceFailingMidwayLeavesTheOldFile) {
    AtEachWalkPoint([this](int atContact) {
        // Named "/." or, nameless, "/#N (deleted)".
        const std::string temporaries = folder.Path() + "/";
        int seen = 0;
        bool failed = false;
        FakeHost::Get().beforeCall = [&](const std::string& entry) {
            if (failed || entry.compare(0, 9, "IsPresent") != 0) return;
            if (seen++ != atContact) return;
            // Find the export's descriptor of its file and swap the device under it.
            for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
                std::error_code ec;
                std::string open = std::filesystem::read_symlink(fd.path(), ec).string();
                if (open.compare(0, temporaries.size(), temporaries) != 0 || open == path) continue;
                int full = ::open("/dev/full", O_WRONLY);
                dup2(full, std::stoi(fd.path().filename().string()));
                close(full);
                failed = true;
            }
        };
        ExportAllAsTheHostCallsIt();
        FakeHost::Get().beforeCall = nullptr;
        EXPECT_TRUE(failed) << "the output file was not open at that contact";
        ASSERT_EQ(gBoxes.size(), 1u);
        EXPECT_NE(gBoxes[0].find("the disk is full"), std::string::npos) << gBoxes[0];
    });
}

}  // namespace
