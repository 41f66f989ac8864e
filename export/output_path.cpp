/* ChooseOutputFile and ToAnsiPath (see output_path.h): the save dialog's
 * structure as the system expects it, and the path conversion. */
#include "output_path.h"

#include <windows.h>

#include <vector>

#include "module_files.h"
#include "value_encoding.h"

namespace {
constexpr DWORD kStructSize = sizeof(OPENFILENAMEW);  // 88 in the 32-bit DLLs
constexpr size_t kFileBufferSize = 32767;  // what the buffer holds
constexpr DWORD kFileBufferAnnounced = 1024;  // what the dialog is told
const WCHAR kFilter[] = TEXT("vCard\0*.vcf\0");
}  // namespace

std::optional<WString> ChooseOutputFile() {
    std::vector<WCHAR> file(kFileBufferSize, 0);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = kStructSize;
    ofn.hwndOwner = nullptr;
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = kFileBufferAnnounced;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN;
    ofn.lpstrDefExt = TEXT("vcf");
    if (GetSaveFileNameW(&ofn) == 0) return std::nullopt;
    size_t length = 0;
    while (length < file.size() && file[length] != 0) ++length;
    if (length == 0) return std::nullopt;
    return WString(file.data(), length);
}

std::string ToAnsiPath(const WString& path) {
    const UINT codePage = NarrowPathCodePage();
    int size = WideCharToMultiByte(codePage, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    int written = WideCharToMultiByte(codePage, 0, path.c_str(), -1, &narrow[0], size, nullptr,
                                      nullptr);
    if (written <= 0) return std::string();
    narrow.resize(static_cast<size_t>(written));
    if (!narrow.empty() && narrow.back() == '\0') narrow.pop_back();
    return ReplaceAll("'", "", narrow);
}
