/* Selection sizes and import batches (see import_batches.h). */
#include "import_batches.h"

#include <filesystem>

namespace {
/* The separator of the absolute, normalised paths the program hands on. */
constexpr WCHAR kSeparator = static_cast<WCHAR>(std::filesystem::path::preferred_separator);
}  // namespace

WString FolderOf(const WString& path) {
    size_t slash = path.rfind(kSeparator);
    if (slash == WString::npos) return WString();
    return slash == 0 ? WString(1, kSeparator) : path.substr(0, slash);
}

WString NameOf(const WString& path) {
    size_t slash = path.rfind(kSeparator);
    return slash == WString::npos ? path : path.substr(slash + 1);
}

size_t SelectionSize(const std::vector<WString>& paths) {
    if (paths.empty()) return 2;
    if (paths.size() == 1) return paths.front().size() + 2;
    size_t size = FolderOf(paths.front()).size() + 1 + 1;
    for (const WString& p : paths) size += NameOf(p).size() + 1;
    return size;
}

std::vector<ImportBatch> MakeImportBatches(const std::vector<WString>& paths, size_t capacity) {
    std::vector<ImportBatch> batches;
    for (const WString& path : paths) {
        if (!batches.empty()) {
            ImportBatch& last = batches.back();
            if (FolderOf(last.paths.front()) == FolderOf(path)) {
                last.paths.push_back(path);
                if (SelectionSize(last.paths) <= capacity) continue;
                last.paths.pop_back();
            }
        }
        batches.push_back(ImportBatch{{path}});
    }
    return batches;
}
