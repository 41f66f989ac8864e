/* Open-dialog selections for `zamo import`: sizes as the dialog lays them out,
 * one batch per folder run, and splitting at the buffer size. Sizes counted by
 * hand: path or folder and names, each with its NUL, plus the final NUL. */
#include <gtest/gtest.h>

#include "import_batches.h"

namespace {

TEST(ImportBatches, SelectionSize) {
    struct Case {
        std::vector<WString> paths;
        size_t size;
        const char* why;
    } cases[] = {
        {{u"/d/a.vcf"}, 10, "one path: 8 units, its NUL, one more NUL"},
        {{u"/d/a.vcf", u"/d/bb.vcf"}, 3 + 6 + 7 + 1, "folder /d, a.vcf, bb.vcf (each with NUL), final NUL"},
        {{u"/a.vcf", u"/b.vcf"}, 2 + 6 + 6 + 1, "the root folder stays / (2 with its NUL)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(SelectionSize(c.paths), c.size);
    }
}

TEST(ImportBatches, BatchesKeepArgumentOrderAndFolders) {
    struct Case {
        std::vector<WString> paths;
        size_t capacity;
        std::vector<std::vector<WString>> batches;
        const char* why;
    } cases[] = {
        {{u"/d/a", u"/d/b", u"/d/c"}, 1024, {{u"/d/a", u"/d/b", u"/d/c"}}, "one folder, one run"},
        {{u"/d/a", u"/e/b", u"/d/c"}, 1024, {{u"/d/a"}, {u"/e/b"}, {u"/d/c"}},
         "folders alternate: argument order is kept, not grouped"},
        {{u"/d/a", u"/d/b", u"/d/c"}, 9, {{u"/d/a", u"/d/b"}, {u"/d/c"}},
         "/d a b = 3+2+2+1 = 8 fits 9; adding c needs 10"},
        {{u"/d/a", u"/d/b"}, 7, {{u"/d/a"}, {u"/d/b"}}, "two names need 8 > 7: one file a run"},
        {{u"/d/a", u"/d/a"}, 1024, {{u"/d/a", u"/d/a"}}, "a file given twice is imported twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        std::vector<ImportBatch> got = MakeImportBatches(c.paths, c.capacity);
        ASSERT_EQ(got.size(), c.batches.size());
        for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].paths, c.batches[i]);
    }
}

TEST(ImportBatches, ManyFilesAreAllImported) {
    // 300 names of 12 units in one folder need 3,900+ units: several runs, none too large.
    std::vector<WString> paths;
    for (int i = 0; i < 300; ++i) {
        WString name = u"/data/card";
        for (char ch : std::to_string(1000 + i)) name += static_cast<WCHAR>(ch);
        paths.push_back(name + u".vcf");
    }
    std::vector<ImportBatch> batches = MakeImportBatches(paths);
    size_t total = 0;
    for (const ImportBatch& b : batches) {
        EXPECT_LE(SelectionSize(b.paths), kOpenDialogCapacity);
        total += b.paths.size();
    }
    EXPECT_EQ(total, paths.size());
    EXPECT_GE(batches.size(), 4u);
    EXPECT_EQ(batches.front().paths.front(), paths.front());
    EXPECT_EQ(batches.back().paths.back(), paths.back());
}

}  // namespace
