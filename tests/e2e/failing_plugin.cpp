/* A stand-in module that fails the way a module reports a failure: an error box
 * (MB_OK | MB_ICONERROR, no owner) inside the failing file's bracket, then the
 * end of the command. Copied under both module names by the tests. Import: each
 * line of a file is a UID to insert, a line "FAIL" shows the box. Export: writes
 * a line and shows the box. */
#include <windows.h>

#include <fstream>
#include <string>

#include "zamo_host.h"

namespace {

std::string Narrow(const WCHAR* text) {
    std::string out;
    for (; *text; ++text) out += static_cast<char>(*text);  // the tests use ASCII paths
    return out;
}

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

void ShowError(const std::string& text) {
    MessageBoxW(nullptr, Wide(text).c_str(), u"Test", MB_OK | MB_ICONHAND);
}

// False when the file asked for the failure: the command ends.
bool ImportFile(const std::string& path) {
    AddinZamo_ChangesStart();
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line == "FAIL") {
            ShowError("cannot import " + path + ": out of memory");
            AddinZamo_ChangesEnd();
            return false;
        }
        std::u16string uid = Wide(line);
        AddinZamo_Contact_IsPresent(uid.c_str());
        const WCHAR* made = AddinZamo_Contact_Insert(uid.c_str(), u"root", u"", AddinZamo_GetCurrDate());
        if (!made) continue;
        std::u16string kept = made;
        AddinZamo_Contact_SetFirstName(kept.c_str(), kept.c_str());
        AddinZamo_Contact_SaveChanges(kept.c_str());
    }
    AddinZamo_ChangesEnd();
    return true;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) const WCHAR* GetMainCommandName() { return u"Failing"; }
__attribute__((visibility("default"))) void SetLanguage(const WCHAR*) {}

__attribute__((visibility("default"))) void ExecuteMainCommand() {
    WCHAR buffer[1024] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = 1024;
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    if (GetOpenFileNameW(&ofn)) {
        std::string first = Narrow(buffer);
        const WCHAR* name = buffer + first.size() + 1;
        if (!*name) {
            ImportFile(first);
            return;
        }
        for (; *name; name += Narrow(name).size() + 1)
            if (!ImportFile(first + "/" + Narrow(name))) return;
        return;
    }
    if (GetSaveFileNameW(&ofn)) {
        std::string path = Narrow(buffer);
        std::ofstream(path, std::ios::binary) << "BEGIN:VCARD\r\n";
        ShowError("cannot write " + path + ": No space left on device\n(second line)");
    }
}

}  // extern "C"
