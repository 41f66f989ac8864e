// Import and export commands run again and again in one process: each run gives
// the same result as the first, and nothing stays behind (no open file
// descriptor here; no leaked memory, which the leak checker of the sanitizer
// build reports at exit; and the heap in use back where it was after a command
// with a huge card, measured by the C library's own figures).
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "export_commands.h"
#include "fake_host.h"
#include "import_catalogue.h"
#include "import_command.h"
#include "zamo_process.h"
#include "zamo_win32_ext.h"

namespace {

size_t OpenDescriptors() {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++n;
    }
    return n;
}

WString gAnswer;  // the dialog's answer: full paths, each NUL-ended, one more NUL

BOOL Answer(void*, BOOL, const OPENFILENAMEW*, const WCHAR** files) {
    *files = gAnswer.c_str();
    return TRUE;
}

int AnswerNo(void*, HWND, LPCWSTR, LPCWSTR, UINT) { return IDNO; }

WString PathList(const std::vector<std::string>& paths) {
    WString list;
    for (const std::string& p : paths) list += Utf16(p) + WString(1, 0);
    return list + WString(1, 0);
}

TEST(RepeatedCommands, TwentyImportsAndExportsLeaveNothingBehind) {
    setenv("TZ", "UTC0", 1);
    tzset();
    FakeHost& host = FakeHost::Get();
    host.Reset();
    TempFolder folder;
    std::string utf8 = folder.Write("a.vcf", Card({"UID:u-a", "FN:Anna", "N:Lee;Anna", "TEL:1",
                                                     "REV:20100615T093000Z", "NOTE:x=0D=0A=", "y"}));
    std::string cp1251 = folder.Write(
        "b.vcf", "X-CHARSET:windows-1251\r\n" +
                     Card({"UID:u-b", "FN:\xC1\xEE\xF0\xE8\xF1", "N:\xCB\xE8;\xC1\xEE\xF0\xE8\xF1",
                           "ADR;TYPE=HOME:;;S;C;P;1;L", "REV:20100616"}, "\r\n"));
    ZamoWin32_SetFileDialogHandler(Answer, nullptr);
    ZamoWin32_SetMessageBoxHandler(AnswerNo, nullptr);

    size_t descriptors = OpenDescriptors();
    std::string firstExport;
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        host.calls.clear();
        gAnswer = PathList({utf8, cp1251});
        ImportVCardFiles();
        // The UIDs carry the UTF-8 file's line feed, or none from windows-1251: after
        // the first run both are present, and the prompt's No keeps them as they are.
        EXPECT_EQ(host.contacts.size(), 3u) << "root and the two contacts";

        gAnswer = PathList({folder.File("all.vcf")});
        ExportAllContacts();
        std::string written = folder.Read("all.vcf");
        if (run == 0) firstExport = written;
        EXPECT_EQ(written, firstExport);
        EXPECT_NE(written.find("END:VCARD\r\n"), std::string::npos);

        gAnswer = PathList({folder.File("one.vcf")});
        ExportSelectedContact(TEXT("u-b"));
        EXPECT_EQ(folder.Read("one.vcf").substr(0, 13), "BEGIN:VCARD\r\n");
        EXPECT_EQ(OpenDescriptors(), descriptors) << "a file was left open";
    }
    ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
    ZamoWin32_SetMessageBoxHandler(nullptr, nullptr);
    host.Reset();
}

// Bytes the C library's heap has handed out and not yet got back.
long long HeapInUse() {
    struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks + info.hblkhd);
}

TEST(RepeatedCommands, HeapInUseIsBackAfterACommandWithAHugeNote) {
    if (HeapInUse() == 0) GTEST_SKIP() << "the heap keeps no figures here (sanitizer build)";
    setenv("TZ", "UTC0", 1);
    tzset();
    FakeHost& host = FakeHost::Get();
    host.Reset();
    host.logGetters = false;
    host.quiet = {""};  // the log would hold the note too
    TempFolder folder;
    const size_t kNote = 4000000;
    {
        std::string file = "X-CHARSET:windows-1251\r\n" +
                           Card({"UID:big", "FN:Big", "N:Big", "NOTE:" + std::string(kNote, 'n'),
                                 "REV:20100615"}, "\r\n");
        folder.Write("big.vcf", file);
    }
    ZamoWin32_SetFileDialogHandler(Answer, nullptr);
    ZamoWin32_SetMessageBoxHandler(AnswerNo, nullptr);
    constexpr long long kSlack = 1 << 20;

    gAnswer = PathList({folder.File("big.vcf")});
    long long before = HeapInUse();
    ImportVCardFiles();
    ASSERT_EQ(host.Contact(TEXT("big")).fields[std::string("Details")].size(), kNote);
    host.Contact(TEXT("big")).fields.erase("Details");  // the host's share, not the module's
    host.ForgetHandedOut();
    EXPECT_LT(HeapInUse() - before, kSlack) << "the import kept memory after it returned";

    host.Contact(TEXT("big")).fields["Details"] = WString(kNote, TEXT('n'));
    struct Case {
        void (*run)();
        const char* why;
    } cases[] = {
        {[] { ExportAllContacts(); }, "export all"},
        {[] { ExportSelectedContact(TEXT("big")); }, "export one"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        gAnswer = PathList({folder.File("out.vcf")});
        before = HeapInUse();
        c.run();
        host.ForgetHandedOut();  // the host's share, not the module's
        EXPECT_LT(HeapInUse() - before, kSlack) << "the export kept memory after it returned";
        EXPECT_GT(folder.Read("out.vcf").size(), kNote);
    }
    ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
    ZamoWin32_SetMessageBoxHandler(nullptr, nullptr);
    host.Reset();
}

}  // namespace
