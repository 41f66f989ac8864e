/* The terminal stand-in for the dialogs and the message box: prompts on
 * standard error, answers from standard input. Exports AskTerminalForFiles and
 * AskTerminalForButton. */
#include "terminal_prompt.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "visible_text.h"

namespace {

struct ButtonKey {
    char key;
    int id;
};

// The buttons of each MessageBoxW style (the low four bits of its type).
struct ButtonStyle {
    UINT style;
    const char* prompt;
    ButtonKey keys[3];
};

const ButtonStyle kButtonStyles[] = {
    {MB_OK, "[o]k", {{'o', IDOK}, {0, 0}, {0, 0}}},
    {MB_OKCANCEL, "[o]k / [c]ancel", {{'o', IDOK}, {'c', IDCANCEL}, {0, 0}}},
    {MB_ABORTRETRYIGNORE, "[a]bort / [r]etry / [i]gnore", {{'a', IDABORT}, {'r', IDRETRY}, {'i', IDIGNORE}}},
    {MB_YESNOCANCEL, "[y]es / [n]o / [c]ancel", {{'y', IDYES}, {'n', IDNO}, {'c', IDCANCEL}}},
    {MB_YESNO, "[y]es / [n]o", {{'y', IDYES}, {'n', IDNO}, {0, 0}}},
    {MB_RETRYCANCEL, "[r]etry / [c]ancel", {{'r', IDRETRY}, {'c', IDCANCEL}, {0, 0}}},
};

const ButtonStyle& StyleOf(UINT type) {
    for (const ButtonStyle& s : kButtonStyles)
        if (s.style == (type & 0xF)) return s;
    return kButtonStyles[0];
}

// One line of standard input without its line end; false at the end of input.
bool ReadLine(std::string& line) {
    line.clear();
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') line += static_cast<char>(c);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return c != EOF || !line.empty();
}

WidePath WideOfUtf8(const std::string& text) {
    if (text.empty()) return WidePath();
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    WidePath out(static_cast<size_t>(size > 0 ? size : 0), 0);
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

std::string FullPath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::string folder;
    std::vector<char> buffer(4096);
    if (getcwd(buffer.data(), buffer.size())) folder = buffer.data();
    if (folder.empty()) return path;
    return folder.back() == '/' ? folder + path : folder + "/" + path;
}

// The filter pairs of the dialog as "text (pattern), ...".
std::string FilterText(const WCHAR* filter) {
    std::string out;
    while (filter && *filter) {
        const WCHAR* pattern = filter + WidePath(filter).size() + 1;
        if (!out.empty()) out += ", ";
        out += Utf8Text(filter) + " (" + Utf8Text(pattern) + ")";
        if (!*pattern) break;
        filter = pattern + WidePath(pattern).size() + 1;
    }
    return out;
}

}  // namespace

std::string Utf8Text(const WCHAR* text) {
    if (!text) return std::string();
    return VisibleUtf8(text, WidePath(text).size(), TextEscaping::TerminalLines);
}

bool AskTerminalForFiles(bool save, const OPENFILENAMEW& ofn, std::vector<WidePath>& files) {
    const std::string title = ofn.lpstrTitle ? Utf8Text(ofn.lpstrTitle) : save ? "Save as" : "Open";
    const std::string filter = FilterText(ofn.lpstrFilter);
    std::fprintf(stderr, "%s%s%s\n", title.c_str(), filter.empty() ? "" : " - ", filter.c_str());
    if (save)
        std::fprintf(stderr, "File to save (empty line cancels): ");
    else if (ofn.Flags & OFN_ALLOWMULTISELECT)
        std::fprintf(stderr, "Files to open, one per line, all in one folder (empty line ends): ");
    else
        std::fprintf(stderr, "File to open (empty line cancels): ");
    std::fflush(stderr);
    std::string line;
    while (ReadLine(line) && !line.empty()) {
        files.push_back(WideOfUtf8(FullPath(line)));
        if (save || !(ofn.Flags & OFN_ALLOWMULTISELECT)) break;
    }
    return !files.empty();
}

int AskTerminalForButton(LPCWSTR text, LPCWSTR caption, UINT type) {
    const ButtonStyle& style = StyleOf(type);
    std::fprintf(stderr, "%s\n%s\n", Utf8Text(caption).c_str(), Utf8Text(text).c_str());
    std::string line;
    for (;;) {
        std::fprintf(stderr, "%s? ", style.prompt);
        std::fflush(stderr);
        if (!ReadLine(line)) {
            // Ctrl-D answers this question; the next one reads the terminal again.
            std::clearerr(stdin);
            std::fputc('\n', stderr);
            return IDCANCEL;
        }
        const char answer = line.empty() ? 0 : static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
        for (const ButtonKey& k : style.keys)
            if (k.key != 0 && k.key == answer) return k.id;
    }
}
