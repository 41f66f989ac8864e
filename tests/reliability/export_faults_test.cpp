// The export when the disk fills or the device fails midway: the command returns
// normally, and the file holds whole lines only, exactly the start of what a
// fault-free export writes. The fault-free export of the same contacts is the
// reference; the limits are chosen to cut it at many places.
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

#include "export_commands.h"
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

// Runs the export-all command the way its module export does: any exception
// closes the output file and the command returns.
void ExportAllAsTheHostCallsIt() {
    try {
        ExportAllContacts();
    } catch (...) {
        CloseOutputFile();
    }
}

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
        ExportAllAsTheHostCallsIt();
        reference = folder.Read("out.vcf");
        ASSERT_GT(reference.size(), 20000u);
        std::remove(path.c_str());
    }
    void TearDown() override {
        ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
        FakeHost::Get().Reset();
    }

    // The file must be the reference cut after a whole line.
    void ExpectWholeLinesOfTheReference(Figures& figures, const std::string& written) {
        EXPECT_KEPT(figures, reference.compare(0, written.size(), written) == 0);
        EXPECT_TRUE(EndsAfterWholeLine(written))
            << "the file ends inside a line, after " << written.size() << " bytes";
    }

    TempFolder folder;
    std::string path;
    std::string reference;
};

// The file size limit of the process stands for a full disk: writes beyond it
// fail (EFBIG) instead of killing the process, as a full disk fails with ENOSPC.
TEST_F(ExportFaults, DiskFullLeavesWholeLines) {
    struct Case {
        rlim_t limit;
        const char* why;
    } cases[] = {
        {0, "not a byte fits"},
        {1, "not even the first line end"},
        {13, "exactly BEGIN:VCARD and its CR LF"},
        {100, "inside the first card"},
        {4096, "at a page boundary"},
        {4097, "one byte past a page boundary"},
        {10000, "somewhere in the middle"},
    };
    Figures figures("fault");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.limit) + " bytes: " + c.why);
        figures.StartCase();
        std::remove(path.c_str());
        std::fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{c.limit, c.limit};
            setrlimit(RLIMIT_FSIZE, &limit);
            ExportAllAsTheHostCallsIt();
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << "the export died";
        EXPECT_EQ(WEXITSTATUS(status), 0);
        std::string written = folder.Read("out.vcf");
        EXPECT_LE(written.size(), c.limit);
        ExpectWholeLinesOfTheReference(figures, written);
    }
}

// The device fails under the open stream (its descriptor now writes to /dev/full,
// every write failing with ENOSPC) while the export runs.
TEST_F(ExportFaults, DeviceFailingMidwayLeavesWholeLines) {
    struct Case {
        int atContact;
        const char* why;
    } cases[] = {
        {0, "before the first card"},
        {1, "after the first card"},
        {57, "in the middle of the walk"},
        {199, "before the last card"},
    };
    Figures figures("fault");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.atContact) + ": " + c.why);
        figures.StartCase();
        std::remove(path.c_str());
        std::string target = std::filesystem::path(path).lexically_normal().string();
        int seen = 0;
        bool failed = false;
        FakeHost::Get().beforeCall = [&](const std::string& entry) {
            if (failed || entry.compare(0, 9, "IsPresent") != 0) return;
            if (seen++ != c.atContact) return;
            // Find the export's descriptor of the file and swap the device under it.
            for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
                std::error_code ec;
                if (std::filesystem::read_symlink(fd.path(), ec).string() != target) continue;
                int full = open("/dev/full", O_WRONLY);
                dup2(full, std::stoi(fd.path().filename().string()));
                close(full);
                failed = true;
            }
        };
        ExportAllAsTheHostCallsIt();
        FakeHost::Get().beforeCall = nullptr;
        EXPECT_TRUE(failed) << "the output file was not open at that contact";
        ExpectWholeLinesOfTheReference(figures, folder.Read("out.vcf"));
    }
}

}  // namespace
