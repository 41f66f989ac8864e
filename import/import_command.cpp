/* The import command (see import_command.h): fills the open dialog's structure,
 * splits the selection into full paths and imports them one by one. */
#include "import_command.h"

#include <windows.h>

#include "file_reader.h"
#include "module_files.h"

namespace {
constexpr DWORD kSelectionSize = 1024;
const WCHAR kFilter[] = TEXT("vCard\0*.vcf\0");
}  // namespace

std::vector<WString> SelectedPaths(const WCHAR* selection, size_t capacity, WCHAR separator) {
    std::vector<WString> paths;
    auto next = [&](size_t& pos) {
        size_t start = pos;
        while (pos < capacity && selection[pos] != 0) ++pos;
        WString piece(selection + start, pos - start);
        if (pos < capacity) ++pos;
        return piece;
    };
    size_t pos = 0;
    WString first = next(pos);
    if (first.empty()) return paths;
    if (pos >= capacity || selection[pos] == 0) {
        paths.push_back(first);
        return paths;
    }
    while (pos < capacity && selection[pos] != 0) {
        WString name = next(pos);
        paths.push_back(first + separator + name);
    }
    return paths;
}

void ImportVCardFiles() {
    WCHAR selection[kSelectionSize] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(OPENFILENAMEW);  // 88 in the 32-bit DLLs
    ofn.hwndOwner = nullptr;
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = selection;
    ofn.nMaxFile = kSelectionSize;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT |
                OFN_HIDEREADONLY;
    ofn.lpstrDefExt = TEXT("vcf");
    if (GetOpenFileNameW(&ofn) == 0) return;
    try {
        for (const WString& path : SelectedPaths(selection, kSelectionSize, FolderSeparator()))
            ImportVCardFile(path);
    } catch (...) {
        // The command ends here; what was imported stays imported.
    }
}
