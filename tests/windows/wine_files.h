/* Files for the Windows tests: a fresh folder under the system's temporary folder,
 * by default one whose name no ANSI code page can spell, and
 * whole-file byte reads and writes by wide path. Exports WideTempFolder,
 * WriteFileBytes and ReadFileBytes. */
#ifndef ZAMO_TESTS_WINDOWS_WINE_FILES_H
#define ZAMO_TESTS_WINDOWS_WINE_FILES_H

#include <windows.h>

#include <cstdio>
#include <string>

/* The default folder name: Cyrillic, Greek and CJK, which no ANSI code page holds together. */
constexpr const wchar_t* kNoAnsiName = L"zamo_\u043a\u0430\u0440\u0442\u0430_\u03a9\u03bc_\u540d\u7247_";

/* Made on construction (named `name` and the process id), removed with its files
 * on destruction. */
class WideTempFolder {
public:
    explicit WideTempFolder(const wchar_t* name = kNoAnsiName) {
        wchar_t base[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + name + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~WideTempFolder() {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path_ + L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((path_ + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
    }
    WideTempFolder(const WideTempFolder&) = delete;
    WideTempFolder& operator=(const WideTempFolder&) = delete;

    /* The folder with its trailing backslash. */
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

/* Writes `bytes` as the whole file (binary); false when it cannot be created. */
inline bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

/* The whole file's bytes (binary); empty when it cannot be opened. */
inline std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return bytes;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

#endif
