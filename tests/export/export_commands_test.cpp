// The export commands as the host runs them (through the module's exports): the
// save dialog's structure, which nodes of the tree become cards and in which
// order, the files made for cancelled, empty and failed exports, paths with
// apostrophes, and the module's own stream closed after a fault.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "export_commands.h"
#include "export_test_support.h"
#include "output_file.h"
#include "plugin_exports.h"

namespace {

using namespace export_test;

class ExportCommand : public testing::Test {
protected:
    void SetUp() override { FakeHost::Get().Reset(); }
    void TearDown() override {
        ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
        CloseOutputFile();
    }

public:
    WString Named(const WString& parent, const WString& uid) {
        return FakeHost::Get().Add(parent, uid, {{"LastName", uid}});
    }
    WString Nameless(const WString& parent, const WString& uid) {
        return FakeHost::Get().Add(parent, uid, {{"CompanyName", TEXT("group")}});
    }

    // The UIDs of the cards in the file, in file order.
    static std::vector<std::string> CardUids(const std::string& bytes) {
        std::vector<std::string> uids;
        for (const std::string& line : CrLfLines(bytes))
            if (line.rfind("UID:", 0) == 0) uids.push_back(line.substr(4));
        return uids;
    }

    // The names of the files in the scratch folder, with their bytes.
    std::map<std::string, std::string> FolderContent() const {
        std::map<std::string, std::string> content;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            content[entry.path().filename().string()] =
                entry.is_directory() ? "<folder>" : ReadBytes(entry.path().string());
        return content;
    }

    ScratchFolder folder;
    SaveAnswer answer;
    ZoneSetting zone{"XYZ-4"};
};

TEST_F(ExportCommand, FillsTheSaveDialogAsTheSystemExpects) {
    CancelDialog(answer);
    ExecuteMainCommand();
    ASSERT_EQ(answer.calls, 1);
    EXPECT_TRUE(answer.sawSave) << "the save dialog, not the open dialog";
    EXPECT_EQ(answer.seen.lStructSize, sizeof(OPENFILENAMEW)) << "88 in the 32-bit DLLs";
    EXPECT_EQ(answer.seen.hwndOwner, nullptr);
    EXPECT_EQ(answer.filter, WString(TEXT("vCard\0*.vcf\0\0"), 13));
    EXPECT_EQ(answer.seen.nFilterIndex, 1u);
    EXPECT_EQ(answer.seen.nMaxFile, 1024u) << "less than the buffer holds";
    EXPECT_TRUE(answer.bufferClear) << "32,767 units, empty on entry";
    EXPECT_EQ(answer.seen.lpstrFileTitle, nullptr);
    EXPECT_EQ(answer.seen.nMaxFileTitle, 0u);
    EXPECT_EQ(answer.seen.lpstrInitialDir, nullptr);
    EXPECT_EQ(answer.seen.lpstrTitle, nullptr);
    EXPECT_EQ(answer.seen.lpstrCustomFilter, nullptr);
    // OFN_OVERWRITEPROMPT 0x2 | OFN_HIDEREADONLY 0x4 | OFN_PATHMUSTEXIST 0x800 |
    // OFN_NOREADONLYRETURN 0x8000, from the Win32 headers' values.
    EXPECT_EQ(answer.seen.Flags, 0x8806u);
    EXPECT_EQ(answer.defExt, TEXT("vcf"));

    answer.calls = 0;
    ContactMenuCommandExecute(TEXT("someone"));
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.seen.Flags, 0x8806u);
}

TEST_F(ExportCommand, CancellingTouchesNoFile) {
    Named(TEXT("root"), TEXT("a"));
    WriteBytes(folder.File("old.vcf"), "keep me\r\n");
    auto before = FolderContent();
    CancelDialog(answer);
    struct Case {
        void (*run)();
        const char* why;
    } cases[] = {
        {[] { ExecuteMainCommand(); }, "export all, cancelled"},
        {[] { ContactMenuCommandExecute(TEXT("a")); }, "export one, cancelled"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        FakeHost::Get().calls.clear();
        c.run();
        EXPECT_EQ(FolderContent(), before);
        EXPECT_TRUE(FakeHost::Get().calls.empty()) << "the host is not asked";
        EXPECT_FALSE(IsOutputFileOpen());
    }
}

TEST_F(ExportCommand, WritesZeroBytesWhenThereIsNoCardToWrite) {
    struct Case {
        void (*build)(ExportCommand&);
        bool all;
        const char* why;
        const WCHAR* selected = TEXT("sel");
    } cases[] = {
        {[](ExportCommand&) {}, true, "a database whose root has no children"},
        {[](ExportCommand& t) { t.Nameless(TEXT("root"), TEXT("sel")); }, false,
         "the selected contact has no first, last or middle name"},
        {[](ExportCommand&) {}, false, "the selected contact is not present"},
        {[](ExportCommand& t) { t.Nameless(TEXT("root"), TEXT("g")); }, true,
         "the only contact has no name and no children"},
        {[](ExportCommand& t) { t.Named(TEXT("root"), TEXT("sel")); }, false,
         "a null UID names no contact; the host is not asked about it", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        FakeHost::Get().Reset();
        c.build(*this);
        std::string path = folder.File("empty.vcf");
        WriteBytes(path, "old content\r\n");
        ChoosePath(answer, path);
        if (c.all) ExecuteMainCommand();
        else ContactMenuCommandExecute(c.selected);
        EXPECT_TRUE(Exists(path));
        EXPECT_EQ(ReadBytes(path), "") << "created afresh, zero bytes";
    }
}

TEST_F(ExportCommand, WalksTheTreeParentBeforeChildren) {
    // root: A (child A1), G without a name (child G1), X not present (child X1), B.
    Named(TEXT("root"), TEXT("A"));
    Named(TEXT("A"), TEXT("A1"));
    Nameless(TEXT("root"), TEXT("G"));
    Named(TEXT("G"), TEXT("G1"));
    Named(TEXT("root"), TEXT("X"));
    Named(TEXT("X"), TEXT("X1"));
    Named(TEXT("root"), TEXT("B"));
    FakeHost::Get().contacts.erase(TEXT("X"));  // listed as a child, but not present

    std::string path = folder.File("all.vcf");
    ChoosePath(answer, path);
    ExecuteMainCommand();
    EXPECT_EQ(CardUids(ReadBytes(path)), (std::vector<std::string>{"A", "A1", "G1", "B"}))
        << "depth first; a nameless node's children still written; nothing below an "
           "absent node";
    for (const std::string& call : FakeHost::Get().calls) {
        EXPECT_EQ(call.find("X1"), std::string::npos) << call << ": below an absent node";
        EXPECT_NE(call, "IsPresent(root)") << "root is never tested";
    }
}

TEST_F(ExportCommand, ExportsOnlyTheSelectedContactWithoutItsChildren) {
    Named(TEXT("root"), TEXT("P"));
    Named(TEXT("P"), TEXT("P1"));
    Named(TEXT("P1"), TEXT("P2"));
    Named(TEXT("root"), TEXT("Q"));
    struct Case {
        const char16_t* uid;
        std::vector<std::string> cards;
        const char* why;
    } cases[] = {
        {u"P", {"P"}, "a contact with children: exactly one card"},
        {u"P1", {"P1"}, "a contact deeper in the tree"},
        {u"Q", {"Q"}, "a contact without children"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::string path = folder.File("one.vcf");
        ChoosePath(answer, path);
        ContactMenuCommandExecute(c.uid);
        EXPECT_EQ(CardUids(ReadBytes(path)), c.cards);
    }
}

TEST_F(ExportCommand, CreatesTheFileAtThePathWithoutApostrophes) {
    Named(TEXT("root"), TEXT("a"));
    struct Case {
        std::string chosen;
        std::string created;
        const char* why;
    } cases[] = {
        {"O'Neil.vcf", "ONeil.vcf", "the apostrophe is taken out, same folder"},
        {"'x''y'.vcf", "xy.vcf", "every apostrophe"},
        {"book", "book.vcf", "a name typed without extension gets .vcf"},
        {"Контакты.vcf", "Контакты.vcf", "a Cyrillic name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ChoosePath(answer, folder.File(c.chosen));
        ExecuteMainCommand();
        EXPECT_EQ(CardUids(ReadBytes(folder.File(c.created))), std::vector<std::string>{"a"});
        if (c.chosen.find('\'') != std::string::npos) {
            EXPECT_FALSE(Exists(folder.File(c.chosen)));
        }
        std::filesystem::remove(folder.File(c.created));
    }
}

TEST_F(ExportCommand, ReplacesAnExistingFile) {
    Named(TEXT("root"), TEXT("a"));
    std::string path = folder.File("old.vcf");
    WriteBytes(path, std::string(100000, '#'));
    ChoosePath(answer, path);
    ExecuteMainCommand();
    std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.rfind("BEGIN:VCARD\r\n", 0), 0u) << "replaced, not appended to";
    EXPECT_EQ(bytes.find('#'), std::string::npos);
}

TEST_F(ExportCommand, EndsEveryLineWithCrLf) {
    WString a = Named(TEXT("root"), TEXT("a"));
    FakeHost::Get().Contact(a).fields["Details"] = TEXT("one\ntwo\r\nthree");
    FakeHost::Get().Contact(a).fields["CompanyName"] = TEXT("x\ny");
    Named(TEXT("root"), TEXT("b"));
    std::string path = folder.File("crlf.vcf");
    ChoosePath(answer, path);
    ExecuteMainCommand();
    std::string bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    size_t bareFeeds = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) ++bareFeeds;
    EXPECT_EQ(bareFeeds, 0u) << Visible(bytes);
    EXPECT_EQ(CardUids(bytes), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ExportCommand, AFaultClosesOnlyTheModulesOwnFile) {
    Named(TEXT("root"), TEXT("a"));
    std::string otherPath = folder.File("host_log.txt");
    std::FILE* other = std::fopen(otherPath.c_str(), "wb");
    ASSERT_NE(other, nullptr);
    FakeHost::Get().beforeCall = [](const std::string& entry) {
        if (entry == "GetDetails(a)") throw std::bad_alloc();
    };
    ChoosePath(answer, folder.File("cut.vcf"));
    ExecuteMainCommand();
    EXPECT_FALSE(IsOutputFileOpen()) << "the module's own file is closed";
    // A stream of the host process stays open and usable after the fault.
    EXPECT_GE(std::fputs("still open\n", other), 0);
    EXPECT_EQ(std::fflush(other), 0);
    EXPECT_EQ(std::fclose(other), 0);
    EXPECT_EQ(ReadBytes(otherPath), "still open\n");
}

TEST_F(ExportCommand, WalksATreeDeeperThanTheStackWouldAllow) {
    // 200,000 nameless nodes, one below the other, and a named contact at the
    // bottom: a recursive walk would need far more stack than a thread has.
    FakeHost& host = FakeHost::Get();
    host.logGetters = false;
    WString parent = TEXT("root");
    for (int depth = 0; depth < 200000; ++depth) {
        WString uid = TEXT("n") + Utf16(std::to_string(depth));
        FakeContact c;
        c.parent = parent;
        c.birthDate = 2958465.0;
        host.contacts.emplace(uid, std::move(c));
        host.contacts[parent].children.push_back(uid);
        parent = uid;
    }
    Named(parent, TEXT("bottom"));
    std::string path = folder.File("deep.vcf");
    ChoosePath(answer, path);
    ExecuteMainCommand();
    EXPECT_EQ(CardUids(ReadBytes(path)), std::vector<std::string>{"bottom"});
}

TEST(OutputFile, WritesWholeLinesEndedByCrLf) {
    ScratchFolder folder;
    struct Case {
        std::vector<std::string> lines;
        std::string expected;
        const char* why;
    } cases[] = {
        {{"a", "b"}, "a\r\nb\r\n", "each line gets CR LF"},
        {{""}, "\r\n", "an empty line is still a line"},
        {{"x\ny"}, "x\r\ny\r\n", "a line feed inside a line becomes CR LF"},
        {{"x\r\ny"}, "x\r\r\ny\r\n", "a carriage return before it stays"},
        {{"\n"}, "\r\n\r\n", "a line that is one line feed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::string path = folder.File("lines.txt");
        ASSERT_TRUE(OpenOutputFile(path));
        for (const std::string& line : c.lines) WriteLine(line);
        EXPECT_EQ(CloseOutputFile(), FailureReason::None);
        EXPECT_EQ(ReadBytes(path), c.expected);
    }
}

TEST(OutputFile, WritesNothingWithoutAnOpenStream) {
    ScratchFolder folder;
    CloseOutputFile();
    EXPECT_NO_THROW(WriteLine("lost"));
    EXPECT_NO_THROW(CloseOutputFile());
    EXPECT_FALSE(OpenOutputFile(folder.File("missing/x.vcf")));
    EXPECT_FALSE(IsOutputFileOpen());
    EXPECT_NO_THROW(WriteLine("lost"));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
