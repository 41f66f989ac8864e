/* Helpers for the card importer's tests: a card built from literal lines (the
 * CardLines views over owned strings), the fake host's log filtered by call
 * name, and a recorder that answers the overwrite prompt through the Win32
 * subset's message box handler. */
#ifndef ZAMO_TESTS_IMPORT_CARD_TEST_SUPPORT_H
#define ZAMO_TESTS_IMPORT_CARD_TEST_SUPPORT_H

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "card_import.h"
#include "card_lines.h"
#include "fake_host.h"
#include "wide_text.h"
#include "zamo_win32_ext.h"

/* The lines of one card, owned, with the views ImportCard takes. */
struct TestCard {
    std::vector<WString> text;
    CardLines lines;

    TestCard(std::initializer_list<WStringView> card) : text(card.begin(), card.end()) { View(); }
    explicit TestCard(std::vector<WString> card) : text(std::move(card)) { View(); }
    TestCard(const TestCard&) = delete;
    TestCard& operator=(const TestCard&) = delete;

private:
    void View() {
        for (const WString& line : text) lines.emplace_back(line);
    }
};

/* Empties the fake host and imports one card: "BEGIN:VCARD", "UID:u", then
 * `properties`. */
inline void ImportCardOfU(const std::vector<WString>& properties) {
    FakeHost::Get().Reset();
    std::vector<WString> lines = {TEXT("BEGIN:VCARD"), TEXT("UID:u")};
    lines.insert(lines.end(), properties.begin(), properties.end());
    TestCard card(std::move(lines));
    ImportCard(card.lines);
}

/* The log entries whose call name (the text before "(") is one of `names`, in order. */
inline std::vector<std::string> CallsNamed(std::initializer_list<std::string> names) {
    std::vector<std::string> out;
    for (const std::string& entry : FakeHost::Get().calls) {
        std::string name = entry.substr(0, entry.find('('));
        for (const std::string& wanted : names)
            if (name == wanted) out.push_back(entry);
    }
    return out;
}

/* The log entries from the first one that starts with `prefix` on (empty if none). */
inline std::vector<std::string> CallsFrom(const std::string& prefix) {
    const std::vector<std::string>& calls = FakeHost::Get().calls;
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].compare(0, prefix.size(), prefix) == 0)
            return std::vector<std::string>(calls.begin() + static_cast<long>(i), calls.end());
    return {};
}

/* One shown message box. */
struct ShownPrompt {
    HWND owner;
    WString text;
    WString caption;
    UINT style;
    size_t callsBefore;  // how many host calls the fake host had logged by then
};

/* Answers the message boxes with `answers` in turn (the last one repeated) while
 * it lives and records what was shown; restores the subset's default handler
 * when it goes. */
class PromptRecorder {
public:
    explicit PromptRecorder(std::vector<int> answers) : answers_(std::move(answers)) {
        ZamoWin32_SetMessageBoxHandler(&PromptRecorder::Answer, this);
    }
    explicit PromptRecorder(int answer) : PromptRecorder(std::vector<int>{answer}) {}
    ~PromptRecorder() { ZamoWin32_SetMessageBoxHandler(nullptr, nullptr); }
    PromptRecorder(const PromptRecorder&) = delete;
    PromptRecorder& operator=(const PromptRecorder&) = delete;

    std::vector<ShownPrompt> shown;

private:
    static int Answer(void* context, HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
        auto* self = static_cast<PromptRecorder*>(context);
        self->shown.push_back({owner, text ? WString(text) : WString(),
                               caption ? WString(caption) : WString(TEXT("<null>")), type,
                               FakeHost::Get().calls.size()});
        size_t turn = self->shown.size() - 1;
        return self->answers_[turn < self->answers_.size() ? turn : self->answers_.size() - 1];
    }
    std::vector<int> answers_;
};

/* Lines separated by "\n", for readable failure messages of whole logs. */
inline std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

#endif
