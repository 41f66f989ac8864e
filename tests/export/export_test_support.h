/* Helpers shared by the exporter's tests: temporary paths, whole-file reads, a
 * save dialog answered by a handler, and a line-numbered comparison of card
 * files. */
#ifndef ZAMO_TESTS_EXPORT_TEST_SUPPORT_H
#define ZAMO_TESTS_EXPORT_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fake_host.h"
#include "zone_setting.h"
#include "zamo_win32_ext.h"

namespace export_test {

/* A fresh folder under the test temporary directory, removed afterwards. */
class ScratchFolder {
public:
    ScratchFolder() {
        static int serial = 0;
        path_ = std::filesystem::path(testing::TempDir()) /
                ("export_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

/* The file's lines as split at CR LF; a last piece without line end is kept and
 * marked with "<no line end>". */
inline std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", from)) {
        lines.push_back(bytes.substr(from, at - from));
        from = at + 2;
    }
    if (from < bytes.size()) lines.push_back(bytes.substr(from) + "<no line end>");
    return lines;
}

inline std::string Visible(const std::string& line) {
    std::string out;
    for (unsigned char c : line) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else out += static_cast<char>(c);
    }
    return out;
}

/* "" when equal; otherwise every differing line with its number, both sides. */
inline std::string LineDiff(const std::string& expected, const std::string& actual) {
    if (expected == actual) return "";
    std::vector<std::string> e = CrLfLines(expected), a = CrLfLines(actual);
    std::ostringstream out;
    for (size_t i = 0; i < std::max(e.size(), a.size()); ++i) {
        std::string el = i < e.size() ? e[i] : "<missing>";
        std::string al = i < a.size() ? a[i] : "<missing>";
        if (el != al)
            out << "line " << (i + 1) << ":\n  expected: " << Visible(el)
                << "\n  written:  " << Visible(al) << "\n";
    }
    if (out.str().empty()) out << "same lines, different bytes (line ends?)\n";
    return out.str();
}

/* The lines joined with CR LF, each ended by one. */
inline std::string CrLfText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

/* The save dialog answered as a user would: what it was shown, and the path
 * (or nothing) chosen. */
struct SaveAnswer {
    int calls = 0;
    bool sawSave = false;
    OPENFILENAMEW seen{};
    WString filter;
    WString defExt;
    bool bufferClear = true;  // every unit of the 32,767-unit buffer was zero
    BOOL result = FALSE;
    WString files;  // the chosen path, NUL, NUL
};

inline BOOL AnswerSave(void* context, BOOL save, const OPENFILENAMEW* ofn, const WCHAR** files) {
    auto* answer = static_cast<SaveAnswer*>(context);
    ++answer->calls;
    answer->sawSave = save != FALSE;
    answer->seen = *ofn;
    answer->filter = ofn->lpstrFilter ? WString(ofn->lpstrFilter, 13) : WString();
    answer->defExt = ofn->lpstrDefExt ? WString(ofn->lpstrDefExt) : WString();
    for (size_t i = 0; ofn->lpstrFile && i < 32767; ++i)
        if (ofn->lpstrFile[i] != 0) answer->bufferClear = false;
    *files = answer->files.c_str();
    return answer->result;
}

/* Installs AnswerSave for `answer` and choosing `path` (UTF-8). */
inline void ChoosePath(SaveAnswer& answer, const std::string& path) {
    answer.result = TRUE;
    answer.files = Utf16(path);
    answer.files += TEXT('\0');
    answer.files += TEXT('\0');
    ZamoWin32_SetFileDialogHandler(AnswerSave, &answer);
}

inline void CancelDialog(SaveAnswer& answer) {
    answer.result = FALSE;
    answer.files.assign(2, TEXT('\0'));
    ZamoWin32_SetFileDialogHandler(AnswerSave, &answer);
}

}  // namespace export_test

#endif
