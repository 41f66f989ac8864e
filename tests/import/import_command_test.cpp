// The import command: the open dialog's structure, the selection's layouts, and
// the hand-over of every chosen file in dialog order, with the command ending
// quietly on a cancelled dialog, and with an error box on a failure inside a file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <new>
#include <string>
#include <vector>

#include "fake_host.h"
#include "import_command.h"
#include "plugin_frame.h"
#include "zamo_win32_ext.h"

namespace {

void SetLanguageOfTest(const WCHAR* language) { StoreLanguage(language); }

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

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
    void TearDown() override {
        ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
        for (const std::string& path : written) std::remove(path.c_str());
    }

    // A file holding one card whose UID names the file, so the log shows the order.
    std::string CardFile(const std::string& name) {
        std::string folder = testing::TempDir();
        std::string path = folder + (folder.back() == '/' ? "" : "/") + name;
        std::ofstream(path, std::ios::binary)
            << "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" << name << "\r\nFN:x\r\nEND:VCARD\r\n";
        answer.files += Utf16(path);
        answer.files += TEXT('\0');
        written.push_back(path);
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
    std::vector<std::string> written;  // the card files, removed after the test
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

// Boxes shown, with the host calls logged by then, as "Box(caption|type|text)".
int LogBox(void*, HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    FakeHost::Get().calls.push_back("Box(" + Utf8(WString(caption)) + "|" + std::to_string(type) +
                                    "|" + Utf8(WString(text)) + ")");
    return IDOK;
}

TEST_F(ImportCommand, AFailureEndsTheCommandWithAnErrorBoxBeforeTheBracketEnds) {
    const std::string kType = std::to_string(MB_OK | MB_ICONERROR);
    struct Case {
        const WCHAR* language;
        std::string failingCall;
        std::function<void()> fault;
        std::vector<std::string> tail;  // the log from the failing file's ChangesStart on
        const char* why;
    } cases[] = {
        {TEXT(""), "SetTitle(two.vcf,x)", [] { throw std::bad_alloc(); },
         {"ChangesStart()", "IsPresent(two.vcf)", "IsPresent(two.vcf\n)", "GetCurrDate()",
          "Insert(two.vcf,root,,40344.5)",
          "SetTitle(two.vcf,x)",
          "Box(Import contacts from vCard format|" + kType + "|Could not import " + "@two.vcf" +
              ": not enough memory.)",
          "ChangesEnd()"},
         "memory runs out in the second file's card: box, then the bracket ends"},
        {TEXT("Russian"), "Insert(two.vcf,root,,40344.5)",
         [] { throw std::runtime_error("host fault"); },
         {"ChangesStart()", "IsPresent(two.vcf)", "IsPresent(two.vcf\n)", "GetCurrDate()",
          "Insert(two.vcf,root,,40344.5)",
          "Box(Импорт контактов из формата vCard|" + kType + "|Не удалось импортировать файл " +
              "@two.vcf" + ": произошла непредвиденная ошибка.)",
          "ChangesEnd()"},
         "a host fault, told in Russian"},
        {TEXT(""), "ChangesStart()", [] { throw std::bad_alloc(); },
         {"ChangesStart()",
          "Box(Import contacts from vCard format|" + kType + "|Could not import " + "@two.vcf" +
              ": not enough memory.)"},
         "the bracket itself cannot start: the box, and no bracket to end"},
    };
    ZamoWin32_SetMessageBoxHandler(LogBox, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        FakeHost::Get().Reset();
        answer.files.clear();
        CardFile("one.vcf");
        const std::string two = CardFile("two.vcf");
        CardFile("three.vcf");
        answer.files += TEXT('\0');
        answer.result = TRUE;
        SetLanguageOfTest(c.language);
        int seen = 0;
        FakeHost::Get().beforeCall = [&](const std::string& call) {
            if (call == c.failingCall && ++seen == (call == "ChangesStart()" ? 2 : 1)) c.fault();
        };
        ImportVCardFiles();  // must not throw
        FakeHost::Get().beforeCall = nullptr;
        std::vector<std::string> tail;
        const auto& calls = FakeHost::Get().calls;
        size_t starts = 0;
        for (const std::string& call : calls) {
            if (call == "ChangesStart()") ++starts;
            if (starts == 2) tail.push_back(call);
        }
        std::vector<std::string> expected;
        for (std::string line : c.tail) {
            size_t at = line.find("@two.vcf");
            if (at != std::string::npos) line.replace(at, 8, two);
            expected.push_back(line);
        }
        EXPECT_EQ(JoinLines(tail), JoinLines(expected));
        EXPECT_EQ(Inserted().front(), "one.vcf") << "the first file stays imported";
        EXPECT_EQ(starts, 2u) << "the third file is never opened";
    }
    SetLanguageOfTest(TEXT(""));
    ZamoWin32_SetMessageBoxHandler(nullptr, nullptr);
}

}  // namespace
