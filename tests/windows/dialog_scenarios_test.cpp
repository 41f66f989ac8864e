// The modules inside a Windows host process, driven through Wine's real open
// dialog, save dialog and message box: this program is the host (the real
// zamo_plugins.dll over SQLite, both modules loaded beside it) and answers the
// dialogs through their controls with the host's DialogDriver. Run on a display.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "host_system.h"
#include "plugin_modules.h"
#include "utf_text.h"
#include "wine_files.h"
#include "wine_zone.h"
#include "zamo_store.h"

namespace {

// 5 July 2010 09:03 as an OLE date (days since 30 December 1899, computed with
// Python's datetime): the host's "last changed" date of every contact here.
constexpr double kHostClock = 40364.37708333333;

// Three cards with UIDs and a revision of 15 June 2010 10:30 UTC.
std::string Card(const std::string& uid, const std::string& first, const std::string& last) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nREV:20100615T103000Z\r\nN:" + last +
           ";" + first + ";;;\r\nFN:" + first + " " + last + "\r\nEND:VCARD\r\n";
}

const PluginModule& Module(const char* name) {
    static std::vector<PluginModule> modules = [] {
        std::vector<std::string> notes;
        return LoadPluginModules(ExecutableFolder(), WString(L"English"), &notes);
    }();
    for (const PluginModule& m : modules)
        if (m.name == name) return m;
    ADD_FAILURE() << "module " << name << " not loaded from " << ExecutableFolder();
    static PluginModule none;
    return none;
}

// A box as the driver saw it, and the answer given.
struct SeenBox {
    std::wstring text, caption;
    UINT style;
};

class DialogScenario : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(ZamoStore_Open(WideToUtf8(folder.path() + L"contacts.db"), &error)) << error;
        ZamoStore_SetClock([] { return kHostClock; });
    }
    void TearDown() override {
        ZamoStore_SetClock(nullptr);
        ZamoStore_Close(nullptr);
    }

    std::wstring File(const std::wstring& name) const { return folder.path() + name; }

    // Runs `command` while the driver answers its file dialog (the save dialog
    // when `save`) with `paths` (none: Cancel) and each message box with the
    // next of `answers`; returns the boxes.
    std::vector<SeenBox> Run(const std::function<void()>& command, bool save,
                             std::vector<std::wstring> paths, std::vector<int> answers = {}) {
        std::vector<SeenBox> boxes;
        size_t next = 0;
        DialogDriver driver({FileDialogAnswer{paths, save}},
                            [&](const WString& text, const WString& caption, UINT style) {
                                boxes.push_back({text, caption, style});
                                return next < answers.size() ? answers[next++] : IDCANCEL;
                            });
        command();
        std::string error;
        EXPECT_TRUE(ZamoStore_EndCommand(&error)) << error;
        EXPECT_EQ(driver.FileDialogsSeen(), 1) << "the command opens its dialog once";
        return boxes;
    }

    void Import(std::vector<std::wstring> paths, std::vector<int> answers = {},
                std::vector<SeenBox>* boxes = nullptr) {
        std::vector<SeenBox> seen =
            Run(Module("vcard_import").ExecuteMainCommand, false, paths, answers);
        if (boxes) *boxes = seen;
    }

    // "uid first last" of every contact, in walk order.
    std::vector<std::string> Contacts() const {
        std::vector<std::string> out;
        for (const TreeEntry& e : ZamoStore_Tree())
            out.push_back(WideToUtf8(e.uid + L" " + e.firstName + L" " + e.lastName));
        return out;
    }

    // The vCard files of the folder, sorted (the database beside them left out).
    std::vector<std::wstring> FolderFiles() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder.path() + L"*.vcf").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            names.push_back(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

    WideTempFolder folder{L"zamo dialogs "};
};

TEST_F(DialogScenario, ImportsOneFileChosenInTheOpenDialog) {
    WriteFileBytes(File(L"one.vcf"), Card("u-1", "Anna", "Orlova") + Card("u-2", "Boris", "Petrov"));
    Import({File(L"one.vcf")});
    EXPECT_EQ(Contacts(), (std::vector<std::string>{"u-1 Anna Orlova", "u-2 Boris Petrov"}));
}

TEST_F(DialogScenario, ImportsThreeFilesChosenTogetherInOneFolder) {
    WriteFileBytes(File(L"a.vcf"), Card("u-a", "Anna", "Orlova"));
    WriteFileBytes(File(L"b.vcf"), Card("u-b", "Boris", "Petrov"));
    WriteFileBytes(File(L"c.vcf"), Card("u-c", "Clara", "Sokolova"));
    Import({File(L"a.vcf"), File(L"b.vcf"), File(L"c.vcf")});
    // Contacts list in insertion order under "root": the dialog's order, a, b, c.
    EXPECT_EQ(Contacts(), (std::vector<std::string>{"u-a Anna Orlova", "u-b Boris Petrov",
                                                    "u-c Clara Sokolova"}));
}

TEST_F(DialogScenario, CancellingTheOpenDialogChangesNothing) {
    WriteFileBytes(File(L"one.vcf"), Card("u-1", "Anna", "Orlova"));
    Import({File(L"one.vcf")});
    Import({});
    EXPECT_EQ(Contacts(), (std::vector<std::string>{"u-1 Anna Orlova"}));
}

TEST_F(DialogScenario, OverwritePromptAnsweredYesNoCancelOnThreeCards) {
    WriteFileBytes(File(L"first.vcf"), Card("u-1", "Anna", "Orlova") +
                                           Card("u-2", "Boris", "Petrov") +
                                           Card("u-3", "Clara", "Sokolova"));
    Import({File(L"first.vcf")});
    WriteFileBytes(File(L"again.vcf"), Card("u-1", "Anya", "Orlova") +
                                           Card("u-2", "Borya", "Petrov") +
                                           Card("u-3", "Klara", "Sokolova") +
                                           Card("u-4", "Dmitri", "Volkov"));
    std::vector<SeenBox> boxes;
    Import({File(L"again.vcf")}, {IDYES, IDNO, IDCANCEL}, &boxes);
    EXPECT_EQ(Contacts(), (std::vector<std::string>{"u-1 Anya Orlova", "u-2 Boris Petrov",
                                                    "u-3 Clara Sokolova", "u-4 Dmitri Volkov"}))
        << "only Yes overwrites, and the card after Cancel is imported";

    // The revision 10:30 UTC in local time: +4 hours in XYZ-4, +2 (summer time) in
    // Europe/Berlin; the host's date as its clock gave it, without leading zeros.
    const struct {
        const char* zone;
        const wchar_t* fileDate;
    } kZones[] = {{"XYZ-4", L"15.6.2010 14:30"}, {"Europe/Berlin", L"15.6.2010 12:30"}};
    const wchar_t* names[] = {L"Anya Orlova", L"Borya Petrov", L"Klara Sokolova"};
    ASSERT_EQ(boxes.size(), 3u);
    for (const auto& zone : kZones) {
        if (!RunsInZone(zone.zone)) continue;
        for (size_t i = 0; i < 3; ++i) {
            std::wstring expected = std::wstring(L"Внимание! Импортируемый контакт ") + names[i] +
                                    L" уже существует в базе Zamo.\n"
                                    L"Дата изменения контакта в импортируемом файле: " +
                                    zone.fileDate +
                                    L"\nДата последнего изменения контакта в Zamo: 5.7.2010 9:3"
                                    L"\nПерезаписать контакт в базе Zamo?";
            EXPECT_EQ(WideToUtf8(boxes[i].text), WideToUtf8(expected)) << "box " << i;
            EXPECT_EQ(boxes[i].caption, L"") << "box " << i;
            EXPECT_EQ(boxes[i].style, 0x33u) << "box " << i << ": Yes, No, Cancel and a warning";
        }
    }
}

TEST_F(DialogScenario, ExportsThroughTheSaveDialog) {
    // Марина in windows-1251 (bytes from iconv -t WINDOWS-1251).
    const std::string kMarina1251 = "\xcc\xe0\xf0\xe8\xed\xe0";
    WriteFileBytes(File(L"in.vcf"), Card("u-1", "Марина", "Orlova") + Card("u-2", "Boris", "Petrov"));
    Import({File(L"in.vcf")});

    const struct {
        bool all;
        const wchar_t* typed;
        std::vector<int> answers;  // to the dialog's own question
        const wchar_t* written;
        int cards;
        const char* why;
    } kCases[] = {
        {true, L"everyone", {}, L"everyone.vcf", 2, "a name typed without extension gets .vcf"},
        {false, L"O'Neil.vcf", {}, L"ONeil.vcf", 1, "the apostrophe is taken out of the path"},
        {true, L"all.vcf", {}, L"all.vcf", 2, "a name with its extension stays as typed"},
        {false, L"everyone.vcf", {IDYES}, L"everyone.vcf", 1,
         "an existing file: the dialog asks, Yes replaces it (not appended to)"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        const PluginModule& exporter = Module("vcard_export");
        std::vector<SeenBox> boxes;
        if (c.all)
            boxes = Run(exporter.ExecuteMainCommand, true, {File(c.typed)}, c.answers);
        else
            boxes = Run([&] { exporter.ContactMenuCommandExecute(L"u-1"); }, true,
                        {File(c.typed)}, c.answers);
        EXPECT_EQ(boxes.size(), c.answers.size()) << "the dialog asks only about an existing file";
        std::string bytes = ReadFileBytes(File(c.written));
        size_t cards = 0;
        for (size_t at = bytes.find("BEGIN:VCARD\r\n"); at != std::string::npos;
             at = bytes.find("BEGIN:VCARD\r\n", at + 1))
            ++cards;
        EXPECT_EQ(cards, static_cast<size_t>(c.cards));
        EXPECT_NE(bytes.find(kMarina1251), std::string::npos) << "names in windows-1251";
    }
    EXPECT_EQ(FolderFiles(),
              (std::vector<std::wstring>{L"ONeil.vcf", L"all.vcf", L"everyone.vcf", L"in.vcf"}));
}

TEST_F(DialogScenario, CancellingTheSaveDialogTouchesNoFile) {
    WriteFileBytes(File(L"in.vcf"), Card("u-1", "Anna", "Orlova"));
    WriteFileBytes(File(L"kept.vcf"), "old text\r\n");
    Import({File(L"in.vcf")});
    std::vector<std::wstring> before = FolderFiles();
    Run(Module("vcard_export").ExecuteMainCommand, true, {});
    EXPECT_EQ(FolderFiles(), before);
    EXPECT_EQ(ReadFileBytes(File(L"kept.vcf")), "old text\r\n");
}

TEST_F(DialogScenario, AFailedExportShowsTheErrorBox) {
    WriteFileBytes(File(L"in.vcf"), Card("u-1", "Anna", "Orlova"));
    Import({File(L"in.vcf")});
    // A name that code page 1251 cannot spell: the dialog takes it, but the file
    // cannot be made under the ANSI path.
    const std::wstring target = File(L"\u540d\u7247.vcf");
    std::vector<SeenBox> boxes =
        Run(Module("vcard_export").ExecuteMainCommand, true, {target}, {IDOK});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Export all contacts to vCard format");
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[0].text.rfind(L"Could not export the contacts to " + target + L": ", 0), 0u)
        << WideToUtf8(boxes[0].text);
    EXPECT_EQ(FolderFiles(), (std::vector<std::wstring>{L"in.vcf"})) << "no file made";
}

}  // namespace
