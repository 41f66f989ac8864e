// The card cutting reads markers and line ends on the bytes of a line it holds
// whole, and on the decoded units of a line that runs past the bytes at hand or
// must be cut into pieces. Over random files fed in random slices, both ways
// must give the cards that the rules give when written out plainly: decode the
// whole file, split it at line feeds, cut long lines into pieces, then collect
// cards with a text search for the markers. The notes left with lines read on
// their bytes must summarize each card as reading its units does. One card is
// larger than a block of the card's text and of its line starts, where the run
// of lines cut in one loop ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "card_cutting.h"
#include "fake_host.h"
#include "line_heads.h"
#include "random_below.h"

namespace {

using Cards = std::vector<std::vector<std::string>>;

// The summary of a card as the lookups see it.
std::vector<uint32_t> SummaryOf(const CardLines& lines) {
    CardLineHeads heads;
    SummarizeLineHeads(lines, heads);
    std::vector<uint32_t> all;
    for (uint32_t bucket = 0; bucket < CardLineHeads::kBuckets; ++bucket) all.push_back(FirstLineOf(heads, bucket));
    all.insert(all.end(), heads.next.begin(), heads.next.end());
    all.push_back(CardLineHeads::kNone);
    all.insert(all.end(), heads.marked.begin(), heads.marked.end());
    for (uint64_t word : heads.followsMarked) {
        all.push_back(static_cast<uint32_t>(word >> 32));
        all.push_back(static_cast<uint32_t>(word));
    }
    return all;
}

bool IsHigh(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(WCHAR unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The rules written out plainly, over the whole decoded file.
Cards CutPlainly(const std::string& bytes, TextEncoding encoding, size_t pieceLimit) {
    std::vector<WCHAR> units(bytes.size() + 1);
    size_t written = 0;
    DecodeBytes(encoding, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), true,
                units.data(), written);
    const WString text(units.data(), written);
    std::vector<WString> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(u'\n', start);
        const size_t next = end == WString::npos ? text.size() : end + 1;
        if (end == WString::npos) end = text.size();
        else if (end > start && text[end - 1] == u'\r') --end;
        WString line = text.substr(start, end - start);
        while (line.size() > pieceLimit) {  // pieces; a surrogate pair stays whole
            size_t cut = pieceLimit;
            if (pieceLimit > 1 && IsHigh(line[cut - 1]) && IsLow(line[cut])) --cut;
            lines.push_back(line.substr(0, cut));
            line.erase(0, cut);
        }
        lines.push_back(line);
        start = next;
    }
    Cards cards;
    bool inCard = false;
    for (const WString& line : lines) {
        if (!inCard) {
            if (line.find(u"BEGIN:VCARD") == WString::npos) continue;
            inCard = true;
            cards.push_back({Utf8(line)});
            if (line.find(u"END:VCARD") != WString::npos) inCard = false;
        } else if (line.find(u"END:VCARD") != WString::npos) {
            inCard = false;
        } else {
            cards.back().push_back(Utf8(line));
        }
    }
    return cards;
}

// The same file through CutBytes, handed over in slices of random sizes.
Cards CutInSlices(const std::string& bytes, TextEncoding encoding, size_t pieceLimit,
                  RandomBelow& next) {
    Cards cards;
    CardCutting cutting;
    cutting.encoding = encoding;
    cutting.pieceLimit = pieceLimit;
    cutting.context = &cards;
    cutting.sink = [](void* context, const CardLines& card) {
        Cards& all = *static_cast<Cards*>(context);
        all.emplace_back();
        for (WStringView line : card) all.back().push_back(Utf8(WString(line)));
        const CardLines unnoted(card.begin(), card.end());
        if (SummaryOf(card) != SummaryOf(unnoted)) all.back().push_back("(summary differs)");
    };
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t at = 0; at < bytes.size();) {
        const size_t slice = 1 + next(next(2) == 0 ? 9 : 70000);
        const size_t size = slice < bytes.size() - at ? slice : bytes.size() - at;
        CutBytes(cutting, data + at, size);
        at += size;
    }
    FinishCutting(cutting);
    return cards;
}

TEST(CardCutting, BytesAndUnitsGiveTheCardsOfThePlainRules) {
    // UTF-8 fragments; for windows-1251 files the non-ASCII bytes are read as that code page.
    const std::string fragments[] = {
        "BEGIN:VCARD", "END:VCARD", "VCARD", "BEGIN:", "\n", "\r\n", "\r", "TEL:1;x",
        "\xD0\x97\xD0\xBE\xD1\x8F", "\xF0\x9D\x84\x9E", "\xE1\x80", "\xFF", "=0D=0A=", "V",
        "=", ";", "N", "FN;", "X-A-NAME-OF-THIRTY-TWO-UNITS-LON:", "X-A-NAME-OF-THIRTY-THREE-UNITS-LO;",
    };
    RandomBelow next{2024};
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        if (round == 299) {
            // One card of more lines than a block of line starts holds, and
            // more text than a block of units.
            bytes = "BEGIN:VCARD\r\n";
            for (size_t n = 0; n < 80000; ++n) {
                for (size_t k = 1 + next(5); k > 0; --k) bytes += fragments[2 + next(std::size(fragments) - 2)];
                bytes += "\r\n";
            }
            bytes += "END:VCARD\r\n";
        }
        for (size_t n = next(60); n > 0; --n) {
            if (next(150) == 0)
                bytes += std::string(1 + next(70000), "xV\xD0\x97"[next(4)]);  // a long run
            else
                bytes += fragments[next(std::size(fragments))];
        }
        for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Windows1251}) {
            for (size_t limit : {size_t{13}, kLinePieceLimit, static_cast<size_t>(-1)}) {
                const Cards expected = CutPlainly(bytes, encoding, limit);
                ASSERT_EQ(CutInSlices(bytes, encoding, limit, next), expected)
                    << "round " << round << ", " << bytes.size() << " bytes, piece limit "
                    << limit << (encoding == TextEncoding::Utf8 ? ", UTF-8" : ", windows-1251");
            }
        }
    }
}

}  // namespace
