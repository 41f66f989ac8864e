/* The card's line buffer against a plain list of strings: random lines, short
 * and longer than a block, put together piece by piece, trimmed, dropped and
 * closed, across several blocks and after a clear. */
#include "card_lines.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

TEST(CardLines, KeepWhatAPlainListKeepsAcrossBlocks) {
    std::mt19937 random(20261207);
    CardLines lines;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<WString> expected;
        WString open;
        size_t total = 0;
        while (total < (size_t{6} << 20)) {  // several blocks of 2^20 units
            const unsigned pick = random() % 100;
            // Mostly short pieces, now and then one longer than a block.
            const size_t length = pick < 2 ? (size_t{1} << 20) + random() % 5000 : random() % 60;
            WString piece(length, static_cast<WCHAR>(u'a' + random() % 26));
            if (!piece.empty()) piece.back() = static_cast<WCHAR>(0x400 + expected.size() % 200);
            if (pick < 50) {
                lines.AppendToOpenLine(piece.data(), piece.size());
            } else if (pick < 70) {
                WCHAR* room = lines.Room(piece.size() + 3);  // more room than is kept
                std::copy(piece.begin(), piece.end(), room);
                lines.Grow(piece.size());
            } else if (pick < 75) {
                const size_t cut = open.empty() ? 0 : random() % (open.size() + 1);
                lines.TrimOpenLine(cut);
                open.resize(open.size() - cut);
                piece.clear();
            } else if (pick < 78) {
                lines.DropOpenLine();
                open.clear();
                piece.clear();
            } else {
                lines.AppendToOpenLine(piece.data(), piece.size());
                lines.CloseLine();
                expected.push_back(open + piece);
                ASSERT_EQ(lines[lines.size() - 1], WStringView(expected.back()));  // read while in one block too
                open.clear();
                total += expected.back().size();
                continue;
            }
            open += piece;
            total += piece.size();
            ASSERT_EQ(lines.OpenLine(), WStringView(open));
        }
        ASSERT_EQ(lines.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(lines[i], WStringView(expected[i])) << "line " << i;
        const CardLines copy = lines;
        ASSERT_EQ(copy.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(copy[i], WStringView(expected[i]));
        lines.Clear(size_t{1} << 20);
        ASSERT_EQ(lines.size(), 0u);
    }
}

}  // namespace
