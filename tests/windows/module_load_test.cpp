// The built modules as the organiser loads them on Windows: LoadLibraryW beside
// the program, exports by GetProcAddress and in the loaded image's export
// directory, captions in both languages. Expected names and captions are typed
// in from the organiser's plug-in interface (its export and caption tables).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using CaptionExport = const WCHAR* (*)();
using SetLanguageExport = void (*)(const WCHAR*);

// The folder of this program, where the build puts both modules and the
// stand-in zamo_plugins.dll they import from.
std::wstring ProgramFolder() {
    std::vector<wchar_t> path(32768);
    DWORD size = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring folder(path.data(), size);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::string Utf8(const WCHAR* text) {
    if (!text) return "(null)";
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

// One loaded module, unloaded again at the end of the scope.
class Module {
public:
    explicit Module(const wchar_t* file) {
        path_ = ProgramFolder() + file;
        handle_ = LoadLibraryW(path_.c_str());
    }
    ~Module() {
        if (handle_) FreeLibrary(handle_);
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    HMODULE handle() const { return handle_; }
    FARPROC Find(const char* name) const { return GetProcAddress(handle_, name); }
    CaptionExport Caption(const char* name) const {
        return reinterpret_cast<CaptionExport>(reinterpret_cast<void*>(Find(name)));
    }
    void SetLanguage(const WCHAR* language) const {
        reinterpret_cast<SetLanguageExport>(reinterpret_cast<void*>(Find("SetLanguage")))(language);
    }

    // Every name in the loaded image's export directory, as the loader sees it.
    std::vector<std::string> ExportNames() const {
        std::vector<std::string> names;
        auto base = reinterpret_cast<const BYTE*>(handle_);
        auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& entry =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        if (entry.VirtualAddress == 0) return names;
        auto dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
        auto nameRvas = reinterpret_cast<const DWORD*>(base + dir->AddressOfNames);
        for (DWORD i = 0; i < dir->NumberOfNames; ++i)
            names.push_back(reinterpret_cast<const char*>(base + nameRvas[i]));
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::wstring path_;
    HMODULE handle_ = nullptr;
};

const wchar_t kImport[] = L"vcard_import.zamodll";
const wchar_t kExport[] = L"vcard_export.zamodll";

TEST(ModuleLoad, EachModuleLoadsAndExportsExactlyItsFunctions) {
    struct Case {
        const wchar_t* module;
        std::vector<std::string> expected;  // sorted
        const char* why;
    };
    const Case cases[] = {
        {kImport, {"ExecuteMainCommand", "GetMainCommandName", "SetLanguage"},
         "the importer exports its caption, the language switch and its command"},
        {kExport,
         {"ContactMenuCommandExecute", "ExecuteMainCommand", "GetContactMenuCommandName",
          "GetMainCommandName", "SetLanguage"},
         "the exporter adds the contact-menu caption and command"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        Module module(c.module);
        ASSERT_NE(module.handle(), nullptr) << "LoadLibraryW failed, error " << GetLastError();
        EXPECT_EQ(module.ExportNames(), c.expected);
    }
}

TEST(ModuleLoad, GetProcAddressFindsOnlyUndecoratedExports) {
    struct Case {
        const wchar_t* module;
        const char* name;
        bool found;
        const char* why;
    };
    const Case cases[] = {
        {kImport, "GetMainCommandName", true, "plain C name, no underscore or @n"},
        {kImport, "SetLanguage", true, "plain C name"},
        {kImport, "ExecuteMainCommand", true, "plain C name"},
        {kImport, "GetContactMenuCommandName", false, "the importer has no contact-menu command"},
        {kImport, "ContactMenuCommandExecute", false, "the importer has no contact-menu command"},
        {kImport, "ImportVCardFiles", false, "the work behind the exports stays inside"},
        {kImport, "_GetMainCommandName", false, "no leading-underscore decoration"},
        {kExport, "GetContactMenuCommandName", true, "plain C name"},
        {kExport, "ContactMenuCommandExecute", true, "plain C name"},
        {kExport, "ExportAllContacts", false, "the work behind the exports stays inside"},
        {kExport, "CloseOutputFile", false, "the work behind the exports stays inside"},
        {kExport, "AddinZamo_ChangesStart", false, "host functions are imported, never exported"},
    };
    Module importer(kImport);
    Module exporter(kExport);
    ASSERT_NE(importer.handle(), nullptr);
    ASSERT_NE(exporter.handle(), nullptr);
    for (const Case& c : cases) {
        const Module& module = c.module == kImport ? importer : exporter;
        EXPECT_EQ(module.Find(c.name) != nullptr, c.found) << c.name << ": " << c.why;
    }
}

struct CaptionCase {
    const WCHAR* language;  // null: no SetLanguage call before the captions are read
    const char* importMain;
    const char* exportMain;
    const char* exportContact;
    const char* why;
};

const char kImportEn[] = "Import contacts from vCard format";
const char kImportRu[] = "Импорт контактов из формата vCard";
const char kExportEn[] = "Export all contacts to vCard format";
const char kExportRu[] = "Экспорт всех контактов в формат vCard";
const char kContactEn[] = "Export contact to vCard format";
const char kContactRu[] = "Экспорт контакта в формат vCard";

TEST(ModuleLoad, CaptionsFollowTheLatestLanguage) {
    // Applied in order to both modules loaded once: each row's language replaces
    // the one before.
    const CaptionCase cases[] = {
        {nullptr, kImportEn, kExportEn, kContactEn, "freshly loaded: English"},
        {L"Russian", kImportRu, kExportRu, kContactRu, "exactly Russian"},
        {L"russian", kImportEn, kExportEn, kContactEn, "the test is case-sensitive"},
        {L"Russian", kImportRu, kExportRu, kContactRu, "back to Russian"},
        {L"Russian ", kImportEn, kExportEn, kContactEn, "no trimming of a trailing blank"},
        {L"Rus", kImportEn, kExportEn, kContactEn, "a prefix is not the word"},
        {L"English", kImportEn, kExportEn, kContactEn, "any other language: English"},
        {L"", kImportEn, kExportEn, kContactEn, "the empty text: English"},
    };
    Module importer(kImport);
    Module exporter(kExport);
    ASSERT_NE(importer.handle(), nullptr);
    ASSERT_NE(exporter.handle(), nullptr);
    for (const CaptionCase& c : cases) {
        SCOPED_TRACE(c.why);
        if (c.language) {
            importer.SetLanguage(c.language);
            exporter.SetLanguage(c.language);
        }
        EXPECT_EQ(Utf8(importer.Caption("GetMainCommandName")()), c.importMain);
        EXPECT_EQ(Utf8(exporter.Caption("GetMainCommandName")()), c.exportMain);
        EXPECT_EQ(Utf8(exporter.Caption("GetContactMenuCommandName")()), c.exportContact);
    }
}

TEST(ModuleLoad, EachModuleKeepsItsOwnLanguage) {
    Module importer(kImport);
    Module exporter(kExport);
    ASSERT_NE(importer.handle(), nullptr);
    ASSERT_NE(exporter.handle(), nullptr);
    importer.SetLanguage(L"Russian");
    EXPECT_EQ(Utf8(importer.Caption("GetMainCommandName")()), kImportRu);
    EXPECT_EQ(Utf8(exporter.Caption("GetMainCommandName")()), kExportEn)
        << "the exporter was never told Russian";
    exporter.SetLanguage(L"Russian");
    importer.SetLanguage(L"English");
    EXPECT_EQ(Utf8(exporter.Caption("GetContactMenuCommandName")()), kContactRu);
    EXPECT_EQ(Utf8(importer.Caption("GetMainCommandName")()), kImportEn);
}

TEST(ModuleLoad, CaptionPointersAreStableAndTheLanguageBufferIsCopied) {
    Module exporter(kExport);
    ASSERT_NE(exporter.handle(), nullptr);
    CaptionExport main = exporter.Caption("GetMainCommandName");
    EXPECT_EQ(main(), main()) << "the same caption comes from the same address";
    wchar_t language[] = L"Russian";
    exporter.SetLanguage(language);
    language[0] = L'X';  // the module must have kept its own copy
    EXPECT_EQ(Utf8(main()), kExportRu);
}

TEST(ModuleLoad, CommandsReturnWhenTheirDialogCannotOpen) {
    // Only where no desktop can show a dialog (the Wine run without a display,
    // which sets this variable); on a desktop the dialogs would wait for a user.
    if (!std::getenv("ZAMO_NO_DESKTOP")) GTEST_SKIP() << "set ZAMO_NO_DESKTOP=1 where no dialog can open";
    using Command = void (*)();
    using ContactCommand = void (*)(const WCHAR*);
    Module importer(kImport);
    Module exporter(kExport);
    ASSERT_NE(importer.handle(), nullptr);
    ASSERT_NE(exporter.handle(), nullptr);
    reinterpret_cast<Command>(reinterpret_cast<void*>(importer.Find("ExecuteMainCommand")))();
    reinterpret_cast<Command>(reinterpret_cast<void*>(exporter.Find("ExecuteMainCommand")))();
    reinterpret_cast<ContactCommand>(reinterpret_cast<void*>(exporter.Find("ContactMenuCommandExecute")))(
        L"uid-1");
    SUCCEED() << "all three commands came back to the caller";
}

TEST(ModuleLoad, UnloadingForgetsTheLanguage) {
    {
        Module importer(kImport);
        ASSERT_NE(importer.handle(), nullptr);
        importer.SetLanguage(L"Russian");
        EXPECT_EQ(Utf8(importer.Caption("GetMainCommandName")()), kImportRu);
    }
    ASSERT_EQ(GetModuleHandleW(kImport), nullptr) << "the module stayed loaded";
    Module again(kImport);
    ASSERT_NE(again.handle(), nullptr);
    EXPECT_EQ(Utf8(again.Caption("GetMainCommandName")()), kImportEn);
}

}  // namespace
