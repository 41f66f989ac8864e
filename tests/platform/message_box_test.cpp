// MessageBoxW answered by the installed handler, by a terminal, or IDCANCEL
// when neither is there.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform_test_support.h"
#include "zamo_win32_ext.h"

namespace {

struct Asked {
    int answer = IDYES;
    int calls = 0;
    HWND owner = nullptr;
    std::u16string text, caption;
    UINT type = 0;
};

int Answering(void* context, HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    Asked& asked = *static_cast<Asked*>(context);
    ++asked.calls;
    asked.owner = owner;
    asked.text = text;
    asked.caption = caption;
    asked.type = type;
    return asked.answer;
}

class MessageBox : public ::testing::Test {
protected:
    void TearDown() override { ZamoWin32_SetMessageBoxHandler(nullptr, nullptr); }
};

TEST_F(MessageBox, TheHandlerAnswersAndSeesTheCallUnchanged) {
    const UINT prompt = MB_YESNOCANCEL | MB_ICONWARNING;
    for (int answer : {IDYES, IDNO, IDCANCEL}) {
        SCOPED_TRACE(answer);
        Asked asked;
        asked.answer = answer;
        ZamoWin32_SetMessageBoxHandler(Answering, &asked);
        EXPECT_EQ(MessageBoxW(nullptr, u"\u041F\u0435\u0440\u0435\u0437\u0430\u043F\u0438\u0441\u0430\u0442\u044C?",
                              u"vCard", prompt),
                  answer);
        EXPECT_EQ(asked.calls, 1);
        EXPECT_EQ(asked.text, u"\u041F\u0435\u0440\u0435\u0437\u0430\u043F\u0438\u0441\u0430\u0442\u044C?");
        EXPECT_EQ(asked.caption, u"vCard");
        EXPECT_EQ(asked.type, prompt);
        EXPECT_EQ(asked.owner, nullptr);
    }
}

TEST_F(MessageBox, WithoutHandlerOrTerminalItIsCancelled) {
    Asked asked;
    ZamoWin32_SetMessageBoxHandler(Answering, &asked);
    ZamoWin32_SetMessageBoxHandler(nullptr, &asked);
    WithStdinNotATerminal([] {
        for (UINT style : {MB_OK, MB_YESNO, MB_YESNOCANCEL}) {
            SCOPED_TRACE(style);
            EXPECT_EQ(MessageBoxW(nullptr, u"text", u"caption", style), IDCANCEL);
        }
    });
    EXPECT_EQ(asked.calls, 0);
}

TEST_F(MessageBox, OnATerminalTheAnswerFollowsTheButtonStyle) {
    struct Case {
        UINT style;
        std::string typed;
        int expected;
        const char* why;
    } cases[] = {
        {MB_YESNOCANCEL, "y\n", IDYES, "yes"},
        {MB_YESNOCANCEL, "n\n", IDNO, "no"},
        {MB_YESNOCANCEL, "c\n", IDCANCEL, "cancel"},
        {MB_YESNOCANCEL | MB_ICONWARNING, "Yes\n", IDYES, "a word, any case; icon bits ignored"},
        {MB_YESNOCANCEL, "x\n\nn\n", IDNO, "asks again after an answer that names no button"},
        {MB_YESNO, "c\nn\n", IDNO, "no cancel button in yes/no"},
        {MB_OK, "o\n", IDOK, "ok"},
        {MB_OKCANCEL, "c\n", IDCANCEL, "ok/cancel"},
        {MB_RETRYCANCEL, "r\n", IDRETRY, "retry"},
        {MB_ABORTRETRYIGNORE, "i\n", IDIGNORE, "ignore"},
        {MB_YESNOCANCEL, "\x04", IDCANCEL, "end of input"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(RunWithTypedInput(c.typed, [&] { return MessageBoxW(nullptr, u"text", u"caption", c.style); }),
                  c.expected);
    }
}

TEST_F(MessageBox, OnATerminalEndOfInputAnswersOneQuestionAndNoTextIsShownRaw) {
    // Ctrl-D cancels the first question only: the second reads the terminal again.
    EXPECT_EQ(RunWithTypedInput("\x04y\n", [] {
                  int first = MessageBoxW(nullptr, u"1", u"", MB_YESNO);
                  int second = MessageBoxW(nullptr, u"2", u"", MB_YESNO);
                  return first == IDCANCEL && second == IDYES ? 0 : 1;
              }),
              0);
    // ESC ] 52 would set the clipboard, ESC [ 2J clear the screen, U+202E
    // reverse the line: shown escaped, with the text's own line breaks kept.
    EXPECT_EQ(RunWithTypedInput("n\n", [] {
                  FILE* shown = std::tmpfile();
                  dup2(fileno(shown), STDERR_FILENO);
                  MessageBoxW(nullptr, u"A\x1b]52;c;aGk=\x07\nB\u202e", u"\x1b[2J", MB_YESNO);
                  std::fflush(stderr);
                  std::rewind(shown);
                  std::string text;
                  for (int c; (c = std::fgetc(shown)) != EOF;) text += static_cast<char>(c);
                  bool raw = text.find('\x1b') != std::string::npos ||
                             text.find("\xe2\x80\xae") != std::string::npos;
                  bool escaped = text.find("A\\x1b]52;c;aGk=\\x07\nB\\u202e") != std::string::npos &&
                                 text.find("\\x1b[2J") != std::string::npos;
                  return !raw && escaped ? 0 : 1;
              }),
              0);
}

}  // namespace
