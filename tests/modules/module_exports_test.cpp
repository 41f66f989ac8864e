// The built modules seen from outside: file names, the exported symbol list, the
// captions through dlsym, and the interposition of host and Win32 functions.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

#include "fake_host.h"

namespace {

const std::string kBuild = ZAMO_BUILD_DIR;

struct Module {
    void* handle = nullptr;
    explicit Module(const std::string& file) {
        handle = dlopen((kBuild + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    ~Module() {
        if (handle) dlclose(handle);
    }
    template <typename F>
    F Fn(const char* name) const {
        return reinterpret_cast<F>(dlsym(handle, name));
    }
};

using CaptionFn = const WCHAR* (*)();
using SetLanguageFn = void (*)(const WCHAR*);
using CommandFn = void (*)();

std::set<std::string> DefinedDynamicSymbols(const std::string& file) {
    std::set<std::string> names;
    std::string cmd = "nm -D --defined-only '" + kBuild + "/" + file + "'";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return names;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        size_t space = s.rfind(' ');
        std::string name = space == std::string::npos ? s : s.substr(space + 1);
        // Version-script nodes are absolute symbols, not code of the module.
        if (s.find(" A ") != std::string::npos) continue;
        names.insert(name);
    }
    pclose(pipe);
    return names;
}

TEST(ModuleExports, EachModuleExportsExactlyItsCommandFunctions) {
    struct Case {
        std::string file;
        std::set<std::string> exports;
    } cases[] = {
        {"vcard_import.zamodll", {"GetMainCommandName", "SetLanguage", "ExecuteMainCommand"}},
        {"vcard_export.zamodll",
         {"GetMainCommandName", "GetContactMenuCommandName", "SetLanguage", "ExecuteMainCommand",
          "ContactMenuCommandExecute"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_TRUE(std::ifstream(kBuild + "/" + c.file).good()) << "no lib prefix, .zamodll suffix";
        EXPECT_EQ(DefinedDynamicSymbols(c.file), c.exports);
    }
}

TEST(ModuleExports, CaptionsFollowTheModulesOwnLanguage) {
    Module import("vcard_import.zamodll");
    Module exporter("vcard_export.zamodll");
    ASSERT_NE(import.handle, nullptr) << dlerror();
    ASSERT_NE(exporter.handle, nullptr) << dlerror();
    auto importName = import.Fn<CaptionFn>("GetMainCommandName");
    auto importLang = import.Fn<SetLanguageFn>("SetLanguage");
    auto exportName = exporter.Fn<CaptionFn>("GetMainCommandName");
    auto exportMenu = exporter.Fn<CaptionFn>("GetContactMenuCommandName");
    auto exportLang = exporter.Fn<SetLanguageFn>("SetLanguage");
    ASSERT_TRUE(importName && importLang && exportName && exportMenu && exportLang);
    ASSERT_TRUE(import.Fn<CommandFn>("ExecuteMainCommand"));
    ASSERT_TRUE(exporter.Fn<CommandFn>("ExecuteMainCommand"));
    ASSERT_TRUE(exporter.Fn<void (*)(const WCHAR*)>("ContactMenuCommandExecute"));

    // A freshly loaded module speaks English.
    EXPECT_EQ(std::u16string(importName()), u"Import contacts from vCard format");
    EXPECT_EQ(std::u16string(exportName()), u"Export all contacts to vCard format");
    EXPECT_EQ(std::u16string(exportMenu()), u"Export contact to vCard format");
    EXPECT_EQ(importName(), importName()) << "same caption, same pointer";

    importLang(u"Russian");
    EXPECT_EQ(std::u16string(importName()), u"Импорт контактов из формата vCard");
    EXPECT_EQ(std::u16string(exportName()), u"Export all contacts to vCard format")
        << "the other module keeps its own language";

    exportLang(u"Russian");
    EXPECT_EQ(std::u16string(exportName()), u"Экспорт всех контактов в формат vCard");
    EXPECT_EQ(std::u16string(exportMenu()), u"Экспорт контакта в формат vCard");

    for (const char16_t* other : {u"russian", u"Russian ", u"Rus", u""}) {
        SCOPED_TRACE(Utf8(other));
        exportLang(other);
        EXPECT_EQ(std::u16string(exportName()), u"Export all contacts to vCard format");
        EXPECT_EQ(std::u16string(exportMenu()), u"Export contact to vCard format");
    }
}

// The executable's own GetOpenFileNameW, exported, takes the place of the subset's.
OPENFILENAMEW g_seenDialog;
int g_dialogCalls = 0;
std::u16string g_answer;

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn) {
    ++g_dialogCalls;
    g_seenDialog = *ofn;
    if (g_answer.size() + 2 > ofn->nMaxFile) return 0;
    std::copy(g_answer.begin(), g_answer.end(), ofn->lpstrFile);
    ofn->lpstrFile[g_answer.size()] = 0;
    ofn->lpstrFile[g_answer.size() + 1] = 0;
    return 1;
}

namespace {

TEST(ModuleExports, ImportCommandCallsTheHostAndDialogOfTheExecutable) {
    FakeHost::Get().Reset();
    std::string path = testing::TempDir() + "interposed.vcf";
    std::ofstream(path) << "BEGIN:VCARD\nFN:Ann\nEND:VCARD\n";
    g_answer = Utf16(path);
    g_dialogCalls = 0;

    Module import("vcard_import.zamodll");
    ASSERT_NE(import.handle, nullptr) << dlerror();
    import.Fn<CommandFn>("ExecuteMainCommand")();

    ASSERT_EQ(g_dialogCalls, 1);
    EXPECT_EQ(g_seenDialog.lStructSize, sizeof(OPENFILENAMEW)) << "88 in the 32-bit DLLs";
    EXPECT_EQ(g_seenDialog.hwndOwner, nullptr);
    EXPECT_EQ(g_seenDialog.nMaxFile, 1024u);
    EXPECT_EQ(g_seenDialog.nFilterIndex, 1u);
    EXPECT_EQ(g_seenDialog.Flags, 0x81A04u);
    EXPECT_EQ(std::u16string(g_seenDialog.lpstrDefExt), u"vcf");
    ASSERT_NE(g_seenDialog.lpstrFilter, nullptr);
    EXPECT_EQ(std::u16string(g_seenDialog.lpstrFilter, 12), std::u16string(u"vCard\0*.vcf\0", 12));
    const auto& calls = FakeHost::Get().calls;
    ASSERT_FALSE(calls.empty()) << "the host calls reach the executable";
    EXPECT_EQ(calls.front(), "ChangesStart()");
    EXPECT_EQ(calls.back(), "ChangesEnd()");
    std::remove(path.c_str());
}

}  // namespace
