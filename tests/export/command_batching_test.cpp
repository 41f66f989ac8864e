// What an export command does to be fast without changing what it writes: the
// lines gathered into batches (same bytes, the file on disk always ending after
// a whole line, nothing lost at close).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export_test_support.h"
#include "output_file.h"
#include "export_commands.h"

namespace {

using export_test::ReadBytes;
using export_test::ScratchFolder;

bool EndsAfterWholeLine(const std::string& bytes) {
    return bytes.empty() || (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0);
}

TEST(GatheredLines, ReachTheFileWholeAndUnchanged) {
    ScratchFolder folder;
    const std::string line100(98, 'x');  // with CR LF, 100 bytes in the file
    struct Case {
        std::vector<std::string> lines;
        size_t repeat;
        std::string expectedStart;
        size_t expectedSize;
        const char* why;
    } cases[] = {
        {{"a", "b"}, 1, "a\r\nb\r\n", 6, "two short lines, written only at the close"},
        {{"x\ny"}, 1, "x\r\ny\r\n", 6, "a line feed inside a line still becomes CR LF"},
        {{line100}, 2000, line100 + "\r\n", 200000,
         "200,000 bytes: three full batches of 64 KB and the rest at the close"},
        {{std::string(200000, 'n') + "\n" + "z"}, 1, std::string(200000, 'n') + "\r\n", 200005,
         "one line longer than a batch, with a line feed inside"},
        {{""}, 3, "\r\n\r\n\r\n", 6, "empty lines are still lines"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string path = folder.File("gathered.vcf");
        ASSERT_TRUE(OpenOutputFile(path));
        GatherLines();
        for (size_t n = 0; n < c.repeat; ++n)
            for (const std::string& line : c.lines) {
                WriteLine(line);
                ASSERT_TRUE(EndsAfterWholeLine(ReadBytes(path))) << "on disk after line " << n;
            }
        CloseOutputFile();
        const std::string bytes = ReadBytes(path);
        EXPECT_EQ(bytes.size(), c.expectedSize);
        EXPECT_EQ(bytes.substr(0, c.expectedStart.size()), c.expectedStart);
        EXPECT_TRUE(EndsAfterWholeLine(bytes));
    }
}

TEST(GatheredLines, EndWithTheFileAndNeverCarryOver) {
    ScratchFolder folder;
    const std::string first = folder.File("first.vcf"), second = folder.File("second.vcf");
    ASSERT_TRUE(OpenOutputFile(first));
    GatherLines();
    WriteLine("kept at the close");
    CloseOutputFile();
    EXPECT_EQ(ReadBytes(first), "kept at the close\r\n");

    // A stream opened afterwards writes each line at once again.
    ASSERT_TRUE(OpenOutputFile(second));
    WriteLine("at once");
    EXPECT_EQ(ReadBytes(second), "at once\r\n") << "not gathered without GatherLines";
    CloseOutputFile();
    EXPECT_EQ(ReadBytes(first), "kept at the close\r\n") << "the first file is left alone";

    GatherLines();  // without an open stream: nothing to gather for
    ASSERT_TRUE(OpenOutputFile(second));
    WriteLine("still at once");
    EXPECT_EQ(ReadBytes(second), "still at once\r\n");
    CloseOutputFile();
}

}  // namespace
