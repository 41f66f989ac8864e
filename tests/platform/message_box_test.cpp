// MessageBoxW answered by the installed handler, by a terminal, or IDCANCEL
// when neither is there.
#include <gtest/gtest.h>
#include <windows.h>

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

}  // namespace
