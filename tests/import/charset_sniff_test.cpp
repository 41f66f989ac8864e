// The charset sniff finds "windows-1251" wherever it stands: at the start, at
// the end, split across two reads of a small buffer, after false starts of its
// first letter; and not when a letter differs. Each answer decided by reading
// the bytes of the case.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "charset_sniff.h"

namespace {

TEST(SniffWindows1251, FindsTheNameWhereverItStands) {
    const std::string name = "windows-1251";
    struct Case {
        std::string bytes;
        bool expected;
        const char* why;
    } cases[] = {
        {name, true, "the whole file"},
        {std::string(40, 'x') + name, true, "at the very end"},
        {std::string(43, 'x') + name + std::string(40, 'y'), true,
         "across the first two reads of 48 bytes"},
        {std::string(200, 'w') + name, true, "after many false starts of its first letter"},
        {"wwindows-1251", true, "right after a false start"},
        {"windows-125", false, "one byte short"},
        {"Windows-1251", false, "capital first letter"},
        {"windows-1252", false, "another code page"},
        {std::string(100, 'w') + "indows-1251", true, "the last of a hundred w begins it"},
        {std::string(100, 'x') + "indows-1251", false, "its first letter missing"},
        {"", false, "an empty file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::FILE* file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(c.bytes.data(), 1, c.bytes.size(), file), c.bytes.size());
        std::rewind(file);
        std::vector<unsigned char> buffer(48);  // many reads for the longer cases
        bool readable = false;
        EXPECT_EQ(SniffWindows1251(file, buffer, readable), c.expected);
        EXPECT_TRUE(readable);
        std::fclose(file);
    }
}

}  // namespace
