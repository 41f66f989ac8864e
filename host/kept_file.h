/* The file an export may replace, kept under a hidden name beside it (a hard
 * link: nothing is copied) until the export is known to be whole. Exports
 * KeptFile. */
#ifndef ZAMO_HOST_KEPT_FILE_H
#define ZAMO_HOST_KEPT_FILE_H

#include <filesystem>
#include <string>

class KeptFile {
public:
    /* Keeps the regular file at `path` (through a link: the file it points to);
     * nothing when there is none. An empty path keeps nothing. */
    explicit KeptFile(const std::string& path);
    /* Drops the hidden name: the file now at the path stays. */
    ~KeptFile();
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;

    /* Puts the kept file back at its path, or, when there was none, removes
     * what is there now. False when the earlier file could not be kept (a file
     * system without hard links) or put back. */
    bool Restore();

private:
    std::filesystem::path path_;  // the file itself, links resolved
    std::filesystem::path kept_;  // its hidden second name; empty: none
    bool existed_ = false;
    bool active_ = false;
};

#endif
