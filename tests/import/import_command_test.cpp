// The import command: the open dialog's structure, the selection's layouts, and
// the hand-over of every chosen file in dialog order, with the command ending
// quietly on a cancelled dialog or a failure inside a file.
#include <gtest/gtest.h>

#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "fake_host.h"
#include "import_command.h"
#include "zamo_win32_ext.h"

namespace {

WString Selection(const std::string& parts) { return Utf16(parts); }

TEST(SelectedPaths, SplitsTheDialogLayouts) {
    struct Case {
        std::string buffer;  // as the dialog leaves it; "\0" separated
        std::vector<std::string> expected;
        const char* why;
    } cases[] = {
        {std::string("/d/a.vcf\0\0", 10), {"/d/a.vcf"}, "one file: full path, two NULs"},
        {std::string("/d\0a.vcf\0b.vcf\0c.vcf\0\0", 23),
         {"/d/a.vcf", "/d/b.vcf", "/d/c.vcf"},
         "three files: folder, names, dialog order kept"},
        {std::string("/d/\0a.vcf\0b.vcf\0\0", 18),
         {"/d//a.vcf", "/d//b.vcf"},
         "a folder ending in the separator still gets one more"},
        {std::string("/d\0b.vcf\0a.vcf\0b.vcf\0\0", 23),
         {"/d/b.vcf", "/d/a.vcf", "/d/b.vcf"},
         "no sorting, no removal of duplicates"},
        {std::string("\0\0", 2), {}, "an empty selection names nothing"},
    };
    for (const Case& c : cases) {
        WString buffer = Selection(c.buffer);
        buffer.resize(64, 0);
        std::vector<std::string> got;
        for (const WString& p : SelectedPaths(buffer.data(), buffer.size(), TEXT('/')))
            got.push_back(Utf8(p));
        EXPECT_EQ(got, c.expected) << c.why;
    }
}

TEST(SelectedPaths, NeverReadsPastTheBuffer) {
    WString full(8, TEXT('x'));  // no terminator at all
    auto paths = SelectedPaths(full.data(), full.size(), TEXT('/'));
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], full);
}

// The dialog answered by a handler, as the host program answers it.
struct DialogAnswer {
    int calls = 0;
    OPENFILENAMEW seen{};
    WString filter;
    BOOL result = FALSE;
    WString files;  // full paths, each NUL-ended, then one more NUL
};

BOOL AnswerDialog(void* context, BOOL save, const OPENFILENAMEW* ofn, const WCHAR** files) {
    auto* answer = static_cast<DialogAnswer*>(context);
    EXPECT_FALSE(save);
    ++answer->calls;
    answer->seen = *ofn;
    answer->filter.assign(ofn->lpstrFilter, 13);
    for (DWORD i = 0; i < ofn->nMaxFile; ++i)
        EXPECT_EQ(ofn->lpstrFile[i], 0) << "the selection buffer starts cleared, at " << i;
    *files = answer->files.c_str();
    return answer->result;
}

class ImportCommand : public testing::Test {
protected:
    void SetUp() override {
        FakeHost::Get().Reset();
        ZamoWin32_SetFileDialogHandler(AnswerDialog, &answer);
    }
    void TearDown() override { ZamoWin32_SetFileDialogHandler(nullptr, nullptr); }

    // A file holding one card whose UID names the file, so the log shows the order.
    std::string CardFile(const std::string& name) {
        std::string folder = testing::TempDir();
        std::string path = folder + (folder.back() == '/' ? "" : "/") + name;
        std::ofstream(path, std::ios::binary)
            << "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" << name << "\r\nFN:x\r\nEND:VCARD\r\n";
        answer.files += Utf16(path);
        answer.files += TEXT('\0');
        return path;
    }

    std::vector<std::string> Inserted() const {
        std::vector<std::string> uids;
        for (const std::string& call : FakeHost::Get().calls)
            if (call.rfind("Insert(", 0) == 0) uids.push_back(call.substr(7, call.find(',') - 7));
        return uids;
    }

    int Count(const std::string& entry) const {
        int n = 0;
        for (const std::string& call : FakeHost::Get().calls) n += call == entry;
        return n;
    }

    DialogAnswer answer;
};

TEST_F(ImportCommand, FillsTheOpenDialogAsTheSystemExpects) {
    answer.result = FALSE;
    ImportVCardFiles();
    ASSERT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.seen.lStructSize, sizeof(OPENFILENAMEW)) << "88 in the 32-bit DLLs";
    EXPECT_EQ(answer.seen.hwndOwner, nullptr);
    EXPECT_EQ(answer.filter, WString(TEXT("vCard\0*.vcf\0\0"), 13));
    EXPECT_EQ(answer.seen.nFilterIndex, 1u);
    EXPECT_EQ(answer.seen.nMaxFile, 1024u);
    EXPECT_EQ(answer.seen.lpstrFileTitle, nullptr);
    EXPECT_EQ(answer.seen.nMaxFileTitle, 0u);
    EXPECT_EQ(answer.seen.lpstrInitialDir, nullptr);
    EXPECT_EQ(answer.seen.lpstrTitle, nullptr);
    EXPECT_EQ(answer.seen.Flags, 0x81A04u) << "explorer, must exist, multi-select, hide read-only";
    EXPECT_EQ(WString(answer.seen.lpstrDefExt), TEXT("vcf"));
}

TEST_F(ImportCommand, CancelledDialogCallsNothingInTheHost) {
    CardFile("cancel.vcf");
    answer.result = FALSE;
    ImportVCardFiles();
    EXPECT_TRUE(FakeHost::Get().calls.empty());
}

TEST_F(ImportCommand, OneFileIsImportedOnce) {
    CardFile("single.vcf");
    answer.result = TRUE;
    ImportVCardFiles();
    EXPECT_EQ(Count("ChangesStart()"), 1);
    EXPECT_EQ(Count("ChangesEnd()"), 1);
    EXPECT_EQ(Inserted(), std::vector<std::string>{"single.vcf"});
}

TEST_F(ImportCommand, SeveralFilesAreImportedInDialogOrder) {
    CardFile("c-first.vcf");
    CardFile("a-second.vcf");
    CardFile("b-third.vcf");
    answer.result = TRUE;
    ImportVCardFiles();
    EXPECT_EQ(Count("ChangesStart()"), 3);
    EXPECT_EQ(Inserted(), (std::vector<std::string>{"c-first.vcf", "a-second.vcf", "b-third.vcf"}));
}

TEST_F(ImportCommand, ASelectionTooLongForTheDialogImportsNothing) {
    for (int i = 0; i < 40; ++i) CardFile("a-rather-long-file-name-number-" + std::to_string(i) + ".vcf");
    answer.result = TRUE;
    ImportVCardFiles();
    EXPECT_TRUE(FakeHost::Get().calls.empty());
}

TEST_F(ImportCommand, AFailureInTheSecondFileEndsTheCommandQuietly) {
    CardFile("one.vcf");
    CardFile("two.vcf");
    CardFile("three.vcf");
    answer.result = TRUE;
    int starts = 0;
    FakeHost::Get().beforeCall = [&starts](const std::string& call) {
        if (call == "ChangesStart()" && ++starts == 2) throw std::bad_alloc();
    };
    ImportVCardFiles();  // must not throw
    EXPECT_EQ(Inserted(), std::vector<std::string>{"one.vcf"}) << "the first file stays imported";
    EXPECT_EQ(starts, 2) << "the third file is never opened";
}

}  // namespace
