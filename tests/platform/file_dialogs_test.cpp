// The open and save dialogs against the Win32 contract: what the Explorer-style
// dialogs lay into lpstrFile for one file and for several files of one folder,
// buffer limits, the default extension on save, and cancelling.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform_test_support.h"
#include "zamo_win32_ext.h"

namespace {

using Wide = std::u16string;

// The answer a test gives: the files (each NUL-ended, then one more NUL), or none.
struct Answer {
    bool chosen = true;
    Wide list;
    int calls = 0;
    BOOL lastSave = -1;
    const OPENFILENAMEW* lastOfn = nullptr;
};

BOOL Answering(void* context, BOOL save, const OPENFILENAMEW* ofn, const WCHAR** files) {
    Answer& answer = *static_cast<Answer*>(context);
    ++answer.calls;
    answer.lastSave = save;
    answer.lastOfn = ofn;
    *files = answer.list.c_str();
    return answer.chosen ? TRUE : FALSE;
}

Wide ListOf(const std::vector<Wide>& files) {
    Wide list;
    for (const Wide& f : files) list += f + Wide(1, u'\0');
    return list;  // c_str() adds the final NUL
}

std::string Visible(const Wide& text) {
    std::string out;
    for (char16_t c : text) {
        if (c == 0)
            out += "|";
        else if (c < 0x80)
            out += static_cast<char>(c);
        else
            out += "<" + std::to_string(static_cast<unsigned>(c)) + ">";
    }
    return out;
}

// The fields as the modules fill them: the importer's open dialog and the
// exporter's save dialog.
OPENFILENAMEW Dialog(WCHAR* buffer, DWORD maxFile, DWORD flags, const WCHAR* defExt) {
    OPENFILENAMEW ofn{};
    ofn.lStructSize = 88;
    ofn.lpstrFilter = u"vCard\0*.vcf\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = maxFile;
    ofn.Flags = flags;
    ofn.lpstrDefExt = defExt;
    return ofn;
}

const DWORD kOpenFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT |
                         OFN_HIDEREADONLY;
const DWORD kSaveFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN;

class FileDialogs : public ::testing::Test {
protected:
    void TearDown() override { ZamoWin32_SetFileDialogHandler(nullptr, nullptr); }
};

struct DialogCase {
    std::vector<Wide> chosen;  // empty: the user cancels
    DWORD maxFile;
    const WCHAR* defExt;
    BOOL expected;
    Wide layout;  // what lpstrFile must hold, terminators included
    DWORD error;
    WORD fileOffset, fileExtension;
    const char* why;
};

void RunCases(const std::vector<DialogCase>& cases, bool save) {
    for (const DialogCase& c : cases) {
        SCOPED_TRACE(c.why);
        Answer answer;
        answer.chosen = !c.chosen.empty();
        answer.list = ListOf(c.chosen);
        ZamoWin32_SetFileDialogHandler(Answering, &answer);
        std::vector<WCHAR> buffer(2048, 0);
        OPENFILENAMEW ofn = Dialog(buffer.data(), c.maxFile, save ? kSaveFlags : kOpenFlags, c.defExt);
        const BOOL result = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(CommDlgExtendedError(), c.error);
        EXPECT_EQ(answer.calls, 1);
        EXPECT_EQ(answer.lastSave, save ? TRUE : FALSE);
        EXPECT_EQ(answer.lastOfn, &ofn);
        if (c.expected) {
            EXPECT_EQ(Visible(Wide(buffer.data(), c.layout.size())), Visible(c.layout));
            EXPECT_EQ(ofn.nFileOffset, c.fileOffset);
            EXPECT_EQ(ofn.nFileExtension, c.fileExtension);
        }
    }
}

// Layouts as the Win32 documentation of OPENFILENAME describes them for
// OFN_ALLOWMULTISELECT | OFN_EXPLORER; offsets counted by hand.
TEST_F(FileDialogs, OpenLaysOutTheSelection) {
    using W = Wide;
    const std::vector<DialogCase> cases = {
        {{u"/home/ann/cards.vcf"}, 1024, u"vcf", TRUE, W(u"/home/ann/cards.vcf\0\0", 21), 0, 10, 16,
         "one file: full path, NUL, NUL"},
        {{u"/home/ann/a.vcf", u"/home/ann/b.vcf", u"/home/ann/c d.vcf"}, 1024, u"vcf", TRUE,
         W(u"/home/ann\0a.vcf\0b.vcf\0c d.vcf\0\0", 31), 0, 10, 0,
         "three files of one folder: folder, names in the given order, one more NUL"},
        {{u"/b.vcf", u"/a.vcf"}, 1024, u"vcf", TRUE, W(u"/\0b.vcf\0a.vcf\0\0", 15), 0, 2, 0,
         "files of the root folder keep the separator, order not sorted"},
        {{u"/home/ann/a.vcf", u"/home/bob/b.vcf"}, 1024, u"vcf", FALSE, W(), FNERR_INVALIDFILENAME, 0, 0,
         "files of two folders cannot come from one dialog"},
        {{u"/home/ann/\u0410\u043D\u043D\u0430.vcf"}, 1024, u"vcf", TRUE,
         W(u"/home/ann/\u0410\u043D\u043D\u0430.vcf\0\0", 20), 0, 10, 15, "Cyrillic names pass unchanged"},
        {{u"/home/ann/README"}, 1024, u"vcf", TRUE, W(u"/home/ann/README\0\0", 18), 0, 10, 16,
         "no extension: the offset of the terminator; nothing is added on open"},
        {{u"/home/ann/notes."}, 1024, u"vcf", TRUE, W(u"/home/ann/notes.\0\0", 18), 0, 10, 0,
         "a name ending in a dot has extension offset 0"},
        {{u"/x/abcdefgh.vcf"}, 17, u"vcf", TRUE, W(u"/x/abcdefgh.vcf\0\0", 17), 0, 3, 12,
         "15 units of path and two NULs fit 17 exactly"},
        {{u"/x/abcdefgh.vcf"}, 16, u"vcf", FALSE, W(), FNERR_BUFFERTOOSMALL, 0, 0, "one unit short"},
        {{u"/x/a.vcf", u"/x/b.vcf"}, 16, u"vcf", TRUE, W(u"/x\0a.vcf\0b.vcf\0\0", 16), 0, 3, 0,
         "several files fitting exactly: 2 + 1 + 5 + 1 + 5 + 1 + 1 units"},
        {{u"/x/a.vcf", u"/x/b.vcf"}, 15, u"vcf", FALSE, W(), FNERR_BUFFERTOOSMALL, 0, 0,
         "several files one unit short"},
        {{}, 1024, u"vcf", FALSE, W(), 0, 0, 0, "cancelled: no error"},
    };
    RunCases(cases, false);
}

TEST_F(FileDialogs, SaveWritesOnePathWithTheDefaultExtension) {
    using W = Wide;
    const std::vector<DialogCase> cases = {
        {{u"/home/ann/out"}, 1024, u"vcf", TRUE, W(u"/home/ann/out.vcf\0", 18), 0, 10, 14,
         "a name without extension gets the default one"},
        {{u"/home/ann/out.txt"}, 1024, u"vcf", TRUE, W(u"/home/ann/out.txt\0", 18), 0, 10, 14,
         "a typed extension is kept"},
        {{u"/home/a.b/out"}, 1024, u"vcf", TRUE, W(u"/home/a.b/out.vcf\0", 18), 0, 10, 14,
         "a dot in the folder is no extension of the name"},
        {{u"/home/ann/out"}, 1024, nullptr, TRUE, W(u"/home/ann/out\0", 14), 0, 10, 13,
         "no default extension: the name stays as typed"},
        {{u"/a/out"}, 11, u"vcf", TRUE, W(u"/a/out.vcf\0", 11), 0, 3, 7, "path and NUL fit exactly"},
        {{u"/a/out"}, 10, u"vcf", FALSE, W(), FNERR_BUFFERTOOSMALL, 0, 0,
         "the added extension makes it one unit too long"},
        {{u"/home/ann/a.vcf", u"/home/ann/b.vcf"}, 1024, u"vcf", FALSE, W(), FNERR_INVALIDFILENAME, 0, 0,
         "a save dialog returns one file"},
        {{}, 1024, u"vcf", FALSE, W(), 0, 0, 0, "cancelled"},
    };
    RunCases(cases, true);
}

TEST_F(FileDialogs, TooSmallBufferReportsTheSizeNeeded) {
    Answer answer;
    answer.list = ListOf({u"/x/abcdefgh.vcf"});
    ZamoWin32_SetFileDialogHandler(Answering, &answer);
    WCHAR buffer[8] = {};
    OPENFILENAMEW ofn = Dialog(buffer, 8, kOpenFlags, u"vcf");
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    EXPECT_EQ(buffer[0], 17) << "the first unit holds the size needed";
    EXPECT_EQ(buffer[1], 0) << "nothing else written";
}

TEST_F(FileDialogs, TheSaveDialogTouchesNoFile) {
    char folder[] = "/tmp/zamo_dialog_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/out";
    Answer answer;
    answer.list = ListOf({Wide(path.begin(), path.end())});
    ZamoWin32_SetFileDialogHandler(Answering, &answer);
    WCHAR buffer[1024] = {};
    OPENFILENAMEW ofn = Dialog(buffer, 1024, kSaveFlags, u"vcf");
    EXPECT_TRUE(GetSaveFileNameW(&ofn));
    struct stat st;
    EXPECT_NE(stat((path + ".vcf").c_str(), &st), 0);
    EXPECT_NE(stat(path.c_str(), &st), 0);
    rmdir(folder);
}

TEST_F(FileDialogs, BadStructuresFailWithoutAsking) {
    Answer answer;
    answer.list = ListOf({u"/a.vcf"});
    ZamoWin32_SetFileDialogHandler(Answering, &answer);
    WCHAR buffer[16];
    OPENFILENAMEW noBuffer = Dialog(nullptr, 16, kOpenFlags, nullptr);
    OPENFILENAMEW noRoom = Dialog(buffer, 0, kOpenFlags, nullptr);
    EXPECT_FALSE(GetOpenFileNameW(nullptr));
    EXPECT_FALSE(GetOpenFileNameW(&noBuffer));
    EXPECT_FALSE(GetSaveFileNameW(&noRoom));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
    EXPECT_EQ(answer.calls, 0);
}

TEST_F(FileDialogs, HandlersCanBeReplacedAndRemovedRepeatedly) {
    Answer first, second;
    first.list = ListOf({u"/first.vcf"});
    second.list = ListOf({u"/second.vcf"});
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ZamoWin32_SetFileDialogHandler(Answering, &first);
        ZamoWin32_SetFileDialogHandler(Answering, &second);
        WCHAR buffer[64] = {};
        OPENFILENAMEW ofn = Dialog(buffer, 64, kOpenFlags, nullptr);
        EXPECT_TRUE(GetOpenFileNameW(&ofn));
        EXPECT_EQ(Wide(buffer), u"/second.vcf");
        ZamoWin32_SetFileDialogHandler(nullptr, &first);
        WithStdinNotATerminal([&] { EXPECT_FALSE(GetOpenFileNameW(&ofn)); });
    }
    EXPECT_EQ(first.calls, 0);
    EXPECT_EQ(second.calls, 3);
}

TEST_F(FileDialogs, WithoutHandlerOrTerminalTheDialogsAreCancelled) {
    WithStdinNotATerminal([] {
        WCHAR buffer[64] = {};
        OPENFILENAMEW open = Dialog(buffer, 64, kOpenFlags, u"vcf");
        OPENFILENAMEW save = Dialog(buffer, 64, kSaveFlags, u"vcf");
        EXPECT_FALSE(GetOpenFileNameW(&open));
        EXPECT_FALSE(GetSaveFileNameW(&save));
        EXPECT_EQ(CommDlgExtendedError(), 0u);
        EXPECT_EQ(buffer[0], 0);
    });
}

// On a terminal the user types paths; relative ones are made full from the
// current folder. The child reports 0 when the buffer holds the expected layout.
TEST_F(FileDialogs, OnATerminalThePathsAreTyped) {
    struct Case {
        std::string typed;
        bool save;
        Wide expected;  // empty: the dialog returns 0
        const char* why;
    } cases[] = {
        {"/tmp/a.vcf\n\n", false, Wide(u"/tmp/a.vcf\0\0", 12), "one full path"},
        {"/tmp/a.vcf\n/tmp/b.vcf\n\n", false, Wide(u"/tmp\0a.vcf\0b.vcf\0\0", 18), "two files, empty line ends"},
        {"b.vcf\n\n", false, Wide(u"/tmp/b.vcf\0\0", 12), "relative to the current folder"},
        {"/tmp/out\n", true, Wide(u"/tmp/out.vcf\0", 13), "save adds the extension"},
        {"\n", false, Wide(), "an empty line cancels"},
        {"\x04", true, Wide(), "end of input cancels"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const int result = RunWithTypedInput(c.typed, [&] {
            if (chdir("/tmp") != 0) return 9;
            WCHAR buffer[256] = {};
            OPENFILENAMEW ofn = Dialog(buffer, 256, c.save ? kSaveFlags : kOpenFlags, u"vcf");
            const BOOL ok = c.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
            if (!ok) return c.expected.empty() ? 0 : 1;
            return Wide(buffer, c.expected.size()) == c.expected ? 0 : 2;
        });
        EXPECT_EQ(result, 0);
    }
}

}  // namespace
