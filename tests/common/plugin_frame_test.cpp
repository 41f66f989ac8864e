// The caption choice: only the exact text "Russian" selects the Russian caption,
// at every call, after any number of language changes.
#include <gtest/gtest.h>

#include "plugin_frame.h"

namespace {

const WCHAR kEnglish[] = u"English caption";
const WCHAR kRussian[] = u"Русская подпись";

TEST(PluginFrame, OnlyTheExactWordRussianSelectsRussian) {
    struct Case {
        const WCHAR* language;
        const WCHAR* expected;
        const char* why;
    } cases[] = {
        {u"Russian", kRussian, "the one selecting word"},
        {u"russian", kEnglish, "case-sensitive"},
        {u"Russian ", kEnglish, "no trimming"},
        {u" Russian", kEnglish, "no trimming"},
        {u"Rus", kEnglish, "a prefix is not the word"},
        {u"RussianX", kEnglish, "longer text"},
        {u"", kEnglish, "empty text is accepted"},
        {nullptr, kEnglish, "null counts as empty"},
        {u"English", kEnglish, "any other language"},
        {u"Russian", kRussian, "back again: only the latest call counts"},
    };
    for (const Case& c : cases) {
        StoreLanguage(c.language);
        EXPECT_EQ(ChooseCaption(kEnglish, kRussian), c.expected) << c.why;
    }
}

TEST(PluginFrame, TheCallersTextIsCopied) {
    WCHAR buffer[] = u"Russian";
    StoreLanguage(buffer);
    buffer[0] = u'X';
    EXPECT_EQ(ChooseCaption(kEnglish, kRussian), kRussian);
}

}  // namespace
