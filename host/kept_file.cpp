/* KeptFile (see kept_file.h): a hard link named ".zamo-kept-" and eight random
 * hex digits in the file's own folder, so that putting it back is one rename. */
#include "kept_file.h"

#include <cstdio>
#include <random>

#include "host_system.h"

namespace fs = std::filesystem;

KeptFile::KeptFile(const std::string& path) {
    if (path.empty()) return;
    active_ = true;
    std::error_code ec;
    path_ = fs::u8path(path);
    if (!fs::exists(path_, ec)) {
        // A dangling link: the export creates the file it points to.
        if (fs::is_symlink(fs::symlink_status(path_, ec))) path_ = fs::weakly_canonical(path_, ec);
        return;
    }
    existed_ = true;
    path_ = fs::canonical(path_, ec);
    if (ec || !fs::is_regular_file(path_, ec)) return;
    char name[32];
    std::snprintf(name, sizeof name, ".zamo-kept-%08x", static_cast<unsigned>(std::random_device{}()));
    fs::path kept = path_.parent_path() / name;
    fs::create_hard_link(path_, kept, ec);
    if (ec) return;
    kept_ = kept;
    RemoveOnSecondInterrupt(kept_.u8string());  // a program ended at once leaves no second name
}

KeptFile::~KeptFile() {
    std::error_code ec;
    if (kept_.empty()) return;
    fs::remove(kept_, ec);
    RemoveOnSecondInterrupt("");
}

bool KeptFile::Restore() {
    if (!active_) return true;
    std::error_code ec;
    if (!existed_) {
        fs::remove(path_, ec);
        return !ec;
    }
    if (kept_.empty()) return false;
    if (fs::equivalent(kept_, path_, ec)) return true;  // never replaced
    fs::rename(kept_, path_, ec);
    if (ec) return false;
    kept_.clear();
    RemoveOnSecondInterrupt("");
    return true;
}
