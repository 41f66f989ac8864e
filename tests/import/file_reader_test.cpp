// The file reader: how files of each encoding become card lines (markers, line
// ends, the windows-1251 sniff, byte-order marks, bad bytes, long lines) and the
// host's bracket around each file, also for files that cannot be read and for a
// failure midway. Files are written by the tests into a temporary folder;
// expected lines are written out by hand from the bytes of each file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_host.h"
#include "file_reader.h"

namespace {

class ReaderFolder {
public:
    ReaderFolder() {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            std::filesystem::path candidate = std::filesystem::temp_directory_path() /
                                              ("reader-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) path_ = candidate.generic_string();
        }
        if (path_.empty()) throw std::runtime_error("no temporary folder");
    }
    ~ReaderFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::string file = path_ + "/" + name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

using Cards = std::vector<std::vector<WString>>;

Cards ReadCards(const std::string& file, bool* opened = nullptr) {
    Cards cards;
    bool ok = ReadVCardCards(Utf16(file), [&cards](const CardLines& lines) {
        cards.emplace_back(lines.begin(), lines.end());
    });
    if (opened) *opened = ok;
    return cards;
}

std::string Show(const Cards& cards) {
    std::string text;
    for (const auto& card : cards) {
        text += "[";
        for (const WString& line : card) {
            text += "<";
            for (WCHAR unit : line) {
                if (unit >= 0x20 && unit < 0x7F) {
                    text += static_cast<char>(unit);
                } else {
                    char hex[12];
                    std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(unit));
                    text += hex;
                }
            }
            text += ">";
        }
        text += "]";
    }
    return text;
}

// UTF-16LE bytes of a text, low byte first, as a file saved in that form holds them.
std::string Utf16LeBytes(const WString& text) {
    std::string bytes;
    for (WCHAR unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

WString WithNul(WStringView before, WStringView after) {
    WString text(before);
    text.push_back(0);
    text += after;
    return text;
}

struct FileCase {
    std::string bytes;
    Cards expected;
    const char* why;
};

void CheckFiles(const FileCase* begin, const FileCase* end) {
    ReaderFolder folder;
    int n = 0;
    for (const FileCase* c = begin; c != end; ++c) {
        SCOPED_TRACE(c->why);
        std::string file = folder.Write("case" + std::to_string(n++) + ".vcf", c->bytes);
        bool opened = false;
        Cards got = ReadCards(file, &opened);
        EXPECT_TRUE(opened);
        EXPECT_EQ(Show(got), Show(c->expected));
    }
}

const WString kBegin = TEXT("BEGIN:VCARD");

struct PathCase {
    std::string path;
    const char* why;
};

TEST(ReadVCardCards, CutsCardsAtTheMarkers) {
    const FileCase cases[] = {
        {"", {}, "an empty file has no card"},
        {"N:Doe\nEND:VCARD\n", {}, "no start marker, no card"},
        {"BEGIN:VCARD\nN:Doe\nEND:VCARD\n", {{kBegin, TEXT("N:Doe")}}, "one card, end line left out"},
        {"BEGIN:VCARD\nN:A\nEND:VCARD\nBEGIN:VCARD\nN:B\nEND:VCARD\n",
         {{kBegin, TEXT("N:A")}, {kBegin, TEXT("N:B")}}, "two cards in file order"},
        {"begin:vcard\nN:A\nend:vcard\n", {}, "the markers are case-sensitive"},
        {"x BEGIN:VCARD y\nN:A\nzEND:VCARD\n", {{TEXT("x BEGIN:VCARD y"), TEXT("N:A")}},
         "markers anywhere in a line"},
        {"BEGIN:VCARD\nNOTE:a\n b\nEND:VCARD\n", {{kBegin, TEXT("NOTE:a"), TEXT(" b")}},
         "a folded line stays two lines"},
        {"BEGIN:VCARD\nEND:VCARD\n", {{kBegin}}, "start then end: a card of one line"},
        {"BEGIN:VCARD\nA\nBEGIN:VCARD\nB\nEND:VCARD\nC\nEND:VCARD\nD\nBEGIN:VCARD\nE\nEND:VCARD\n",
         {{kBegin, TEXT("A"), kBegin, TEXT("B")}, {kBegin, TEXT("E")}},
         "an inner start is a card line; what follows the first end up to the next start is dropped"},
        {"BEGIN:VCARD\nA\nB", {{kBegin, TEXT("A"), TEXT("B")}},
         "a missing end: the card runs to the end of the file, last line without line feed"},
        {"BEGIN:VCARD END:VCARD\nA\n", {{TEXT("BEGIN:VCARD END:VCARD")}},
         "both markers in one line: a card of that line"},
        {"BEGIN:VCARD\nA\n\nEND:VCARD\n", {{kBegin, TEXT("A"), TEXT("")}},
         "an empty line inside a card stays"},
    };
    CheckFiles(std::begin(cases), std::end(cases));
}

TEST(ReadVCardCards, LinesKeepNoLineEnd) {
    const FileCase cases[] = {
        {"BEGIN:VCARD\r\nN:Doe\r\nUID:7\r\nEND:VCARD\r\n",
         {{kBegin, TEXT("N:Doe"), TEXT("UID:7")}}, "UTF-8 with CR LF: no line feed, no carriage return"},
        {"BEGIN:VCARD\rN:a\rEND:VCARD\r",
         {{TEXT("BEGIN:VCARD\rN:a\rEND:VCARD\r")}},
         "a lone carriage return ends no line: the whole file is one line with both markers"},
        {"BEGIN:VCARD\nA\rB\r\r\nEND:VCARD\n", {{kBegin, TEXT("A\rB\r")}},
         "only the carriage return right before a line feed goes"},
        {"BEGIN:VCARD\nA\r", {{kBegin, TEXT("A\r")}}, "a carriage return at the very end stays"},
        {"windows-1251\r\nBEGIN:VCARD\r\nN:A\r\nEND:VCARD\r\n", {{kBegin, TEXT("N:A")}},
         "windows-1251 with CR LF: no line ends either"},
    };
    CheckFiles(std::begin(cases), std::end(cases));
}

TEST(ReadVCardCards, DecodesTheFileAsItsCharsetSays) {
    // Cyrillic letters: UTF-8 D0 98 = U+0418 (И); code page 1251 C8 = U+0418,
    // D0 = U+0420 (Р), 98 unassigned (kept as U+0098), A8 = U+0401 (Ё), B9 = U+2116 (№),
    // C0 = U+0410, AF = U+0407, ED = U+043D, A0 = U+00A0, 80 = U+0402 (the code page
    // chart of windows-1251). Well-formed UTF-8: the Unicode Standard, table 3-7.
    const FileCase cases[] = {
        {"BEGIN:VCARD\nN:\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\nEND:VCARD\n",
         {{kBegin, TEXT("N:\u0418\u0432\u0430\u043D")}}, "UTF-8"},
        {"\xEF\xBB\xBF" "BEGIN:VCARD\nN:\xD0\x98\nEND:VCARD\n", {{kBegin, TEXT("N:\u0418")}},
         "a UTF-8 byte-order mark is skipped"},
        {"BEGIN:VCARD\nN;CHARSET=windows-1251:\xC8\xE2\xE0\xED \xA8 \xB9\nEND:VCARD\n",
         {{kBegin, TEXT("N;CHARSET=windows-1251:\u0418\u0432\u0430\u043D \u0401 \u2116")}},
         "windows-1251 named in a parameter"},
        {"BEGIN:VCARD\nNOTE:see windows-1251\nN:\xD0\x98\nEND:VCARD\n",
         {{kBegin, TEXT("NOTE:see windows-1251"), TEXT("N:\u0418")}},
         "a UTF-8 file whose note names windows-1251 is still read as UTF-8"},
        {"BEGIN:VCARD\nNOTE:see windows-1251\nN:Ivan\nEND:VCARD\n",
         {{kBegin, TEXT("NOTE:see windows-1251"), TEXT("N:Ivan")}},
         "ASCII only, naming windows-1251: code page 1251 (reads the same either way)"},
        {"BEGIN:VCARD\nNOTE:windows-1251\nN:\xC8\xE2\nEND:VCARD\n",
         {{kBegin, TEXT("NOTE:windows-1251"), TEXT("N:\u0418\u0432")}},
         "windows-1251 letters are no UTF-8: code page 1251"},
        {"BEGIN:VCARD\nNOTE:windows-1251\nN:\xD0\x98\xC0\xAF\nEND:VCARD\n",
         {{kBegin, TEXT("NOTE:windows-1251"), TEXT("N:\u0420\u0098\u0410\u0407")}},
         "one overlong UTF-8 form (C0 AF) makes the whole file code page 1251"},
        {"BEGIN:VCARD\nNOTE:windows-1251\nN:\xD0\x98\xED\xA0\x80\nEND:VCARD\n",
         {{kBegin, TEXT("NOTE:windows-1251"), TEXT("N:\u0420\u0098\u043D\u00A0\u0402")}},
         "an encoded surrogate (ED A0 80) is no UTF-8: code page 1251"},
        {"BEGIN:VCARD\nNOTE:windows-1251\nN:\xD0\x98\nEND:VCARD\n\xD0",
         {{kBegin, TEXT("NOTE:windows-1251"), TEXT("N:\u0420\u0098")}},
         "a sequence cut off at the end of the file: code page 1251"},
        {"BEGIN:VCARD\nNOTE:WINDOWS-1251\nN:\xD0\x98\nEND:VCARD\n",
         {{kBegin, TEXT("NOTE:WINDOWS-1251"), TEXT("N:\u0418")}},
         "the charset name in capitals is not found: UTF-8"},
        {"\xFF\xFE" + Utf16LeBytes(TEXT("BEGIN:VCARD\r\nN:\u0418\u0432\r\nEND:VCARD\r\n")),
         {{kBegin, TEXT("N:\u0418\u0432")}}, "UTF-16LE after its byte-order mark"},
        {"\xFF\xFE" + Utf16LeBytes(TEXT("BEGIN:VCARD\nN:\U0001F600\nEND:VCARD\n")),
         {{kBegin, TEXT("N:\U0001F600")}}, "UTF-16LE surrogate pair kept"},
        {"\xFF\xFE" + Utf16LeBytes(TEXT("BEGIN:VCARD\nN:")) + std::string("\x00\xD8" "A\x00" "\x00\xDC", 6) +
             Utf16LeBytes(TEXT("\nX")) + "Y",
         {{kBegin, TEXT("N:\uFFFDA\uFFFD"), TEXT("X\uFFFD")}},
         "UTF-16LE lone surrogates and an odd last byte"},
    };
    CheckFiles(std::begin(cases), std::end(cases));
}

TEST(ReadVCardCards, BadBytesBecomeReplacementCharacters) {
    // Replacement of maximal bad subparts as the Unicode Standard (chapter 3)
    // recommends: one U+FFFD per bad lead, lone continuation byte, or cut-off sequence.
    const FileCase cases[] = {
        {"BEGIN:VCARD\nN:a\xFF" "b\nEND:VCARD\n", {{kBegin, TEXT("N:a\uFFFDb")}}, "FF never appears"},
        {"BEGIN:VCARD\nN:\xC3(\nEND:VCARD\n", {{kBegin, TEXT("N:\uFFFD(")}},
         "a lead byte without its continuation"},
        {"BEGIN:VCARD\nN:\xC0\x80\nEND:VCARD\n", {{kBegin, TEXT("N:\uFFFD\uFFFD")}},
         "an overlong NUL: two bad bytes"},
        {"BEGIN:VCARD\nN:\xED\xA0\x80\nEND:VCARD\n", {{kBegin, TEXT("N:\uFFFD\uFFFD\uFFFD")}},
         "an encoded surrogate"},
        {"BEGIN:VCARD\nN:\xF0\x9F\x98\x80\nEND:VCARD\n", {{kBegin, TEXT("N:\U0001F600")}},
         "a four-byte sequence becomes a surrogate pair"},
        {"BEGIN:VCARD\nN:\xF0\x9F\x98", {{kBegin, TEXT("N:\uFFFD")}},
         "a sequence cut off by the end of the file"},
        {"BEGIN:VCARD\nN:\xF4\x90\x80\x80\nEND:VCARD\n",
         {{kBegin, TEXT("N:\uFFFD\uFFFD\uFFFD\uFFFD")}}, "above U+10FFFF"},
        {std::string("BEGIN:VCARD\nN:a\0b\nEND:VCARD\n", 28),
         {{kBegin, WithNul(TEXT("N:a"), TEXT("b"))}}, "a NUL byte is text: the line goes on after it"},
        {std::string("windows-1251\nBEGIN:VCARD\nN:a\0b\nEND:VCARD\n", 41),
         {{kBegin, WithNul(TEXT("N:a"), TEXT("b"))}}, "the same in a windows-1251 file"},
    };
    CheckFiles(std::begin(cases), std::end(cases));
}

TEST(ReadVCardCards, Utf8AndWindows1251FilesGiveTheSameLines) {
    // The same card, saved once in each encoding. Code page 1251 bytes from the
    // code page table: C0-FF are А-я in order, A8 Ё, B8 ё, B9 №, 88 €, AB «, BB ».
    std::string upper1251, lower1251;
    for (int b = 0xC0; b <= 0xDF; ++b) upper1251 += static_cast<char>(b);
    for (int b = 0xE0; b <= 0xFF; ++b) lower1251 += static_cast<char>(b);
    const std::string utf8 =
        "BEGIN:VCARD\r\nVERSION:3.0\r\n"
        "N:\xD0\x90\xD0\x91\xD0\x92\xD0\x93\xD0\x94\xD0\x95\xD0\x96\xD0\x97\xD0\x98\xD0\x99\xD0\x9A"
        "\xD0\x9B\xD0\x9C\xD0\x9D\xD0\x9E\xD0\x9F\xD0\xA0\xD0\xA1\xD0\xA2\xD0\xA3\xD0\xA4\xD0\xA5"
        "\xD0\xA6\xD0\xA7\xD0\xA8\xD0\xA9\xD0\xAA\xD0\xAB\xD0\xAC\xD0\xAD\xD0\xAE\xD0\xAF\r\n"
        "NOTE:\xD0\xB0\xD0\xB1\xD0\xB2\xD0\xB3\xD0\xB4\xD0\xB5\xD0\xB6\xD0\xB7\xD0\xB8\xD0\xB9\xD0\xBA"
        "\xD0\xBB\xD0\xBC\xD0\xBD\xD0\xBE\xD0\xBF\xD1\x80\xD1\x81\xD1\x82\xD1\x83\xD1\x84\xD1\x85"
        "\xD1\x86\xD1\x87\xD1\x88\xD1\x89\xD1\x8A\xD1\x8B\xD1\x8C\xD1\x8D\xD1\x8E\xD1\x8F\r\n"
        "ORG:\xD0\x81\xD1\x91\xE2\x84\x96\xE2\x82\xAC\xC2\xAB\xC2\xBB\r\n"
        "END:VCARD\r\n";
    const std::string cp1251 = "X-LABEL:windows-1251\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:" +
                               upper1251 + "\r\nNOTE:" + lower1251 +
                               "\r\nORG:\xA8\xB8\xB9\x88\xAB\xBB\r\nEND:VCARD\r\n";
    ReaderFolder folder;
    Cards fromUtf8 = ReadCards(folder.Write("utf8.vcf", utf8));
    Cards from1251 = ReadCards(folder.Write("cp1251.vcf", cp1251));
    ASSERT_EQ(fromUtf8.size(), 1u);
    ASSERT_EQ(fromUtf8[0].size(), 5u);
    EXPECT_EQ(Show(from1251), Show(fromUtf8));
    EXPECT_EQ(fromUtf8[0][4], WString(TEXT("ORG:\u0401\u0451\u2116\u20AC\u00AB\u00BB")));
}

TEST(ReadVCardCards, LongLinesOfUtf8FilesArriveInPieces) {
    struct Case {
        std::string bytes;
        std::vector<size_t> lengths;  // of the one card's lines
        const char* why;
    };
    std::string ya40000;  // 40,000 times я (D1 8F), one UTF-16 unit each
    for (int i = 0; i < 40000; ++i) ya40000 += "\xD1\x8F";
    const Case cases[] = {
        {"BEGIN:VCARD\n" + ya40000 + "\nEND:VCARD\n", {11, 32766, 7234},
         "40,000 units: 32,766 then 7,234"},
        {"BEGIN:VCARD\r\n" + ya40000 + "\r\nEND:VCARD\r\n", {11, 32766, 7234},
         "the same with CR LF"},
        {"BEGIN:VCARD\n" + std::string(32766, 'a') + "\nEND:VCARD\n", {11, 32766},
         "exactly 32,766 units: one line, no empty piece"},
        {"BEGIN:VCARD\n" + std::string(32766 * 2, 'a') + "\nEND:VCARD\n", {11, 32766, 32766},
         "twice the piece: two full pieces"},
        {"BEGIN:VCARD\n" + std::string(32765, 'a') + "\xF0\x9F\x98\x80" "b\nEND:VCARD\n",
         {11, 32765, 3}, "a surrogate pair is not cut in two"},
        {"X:windows-1251\nBEGIN:VCARD\n" + std::string(40000, 'a') + "\nEND:VCARD\n",
         {11, 40000}, "windows-1251 lines are not cut"},
        {"BEGIN:VCARD\n" + std::string(100000, 'a'), {11, 32766, 32766, 32766, 1702},
         "a last line without line feed is cut alike"},
    };
    ReaderFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        Cards cards = ReadCards(folder.Write("long.vcf", c.bytes));
        ASSERT_EQ(cards.size(), 1u);
        std::vector<size_t> lengths;
        for (const WString& line : cards[0]) lengths.push_back(line.size());
        EXPECT_EQ(lengths, c.lengths);
    }
}

// A card of several million characters is held in chunks of whole lines; every
// line arrives whole and in order, also one far longer than a chunk and lines
// standing where one chunk ends and the next begins.
TEST(ReadVCardCards, AVeryLargeCardArrivesWholeLineByLine) {
    ReaderFolder folder;
    std::vector<std::string> lines;
    for (int i = 0; i < 150000; ++i) lines.push_back("NOTE:line " + std::to_string(i) + std::string(i % 40, 'x'));
    lines[70000] = "NOTE:" + std::string(3000000, 'L');  // longer than a chunk (1,048,576 units)
    struct Case {
        std::string head;
        size_t pieceLimit;
        const char* why;
    } cases[] = {
        {"X-CHARSET:windows-1251\n", std::string::npos, "windows-1251: lines of any length"},
        {"", 32766, "UTF-8: the long line in pieces of 32,766 units"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::string bytes = c.head + "BEGIN:VCARD\n";
        std::vector<WString> expected = {TEXT("BEGIN:VCARD")};
        for (const std::string& line : lines) {
            bytes += line + "\r\n";
            for (size_t at = 0; at < line.size(); at += c.pieceLimit)
                expected.push_back(Utf16(line.substr(at, c.pieceLimit)));
        }
        bytes += "END:VCARD\n";
        Cards got = ReadCards(folder.Write("large.vcf", bytes));
        ASSERT_EQ(got.size(), 1u);
        ASSERT_EQ(got[0].size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            if (got[0][i] != expected[i]) {
                ADD_FAILURE() << "line " << i << " differs: " << Utf8(got[0][i]).substr(0, 60);
                break;
            }
    }
}

TEST(ReadVCardCards, FindsTheCharsetNameAcrossReads) {
    // The reader reads 64 KiB at a time; the name is placed over each boundary.
    for (size_t split = 1; split < 12; split += 5) {
        SCOPED_TRACE(split);
        std::string filler(65536 - split, 'x');
        std::string bytes = filler + "windows-1251\nBEGIN:VCARD\nN:\xC8\nEND:VCARD\n";
        ReaderFolder folder;
        Cards cards = ReadCards(folder.Write("split.vcf", bytes));
        EXPECT_EQ(Show(cards), Show(Cards{{kBegin, TEXT("N:\u0418")}})) << "C8 read as 1251 И";
    }
}

TEST(ReadVCardCards, MultiByteSequencesAcrossReadsStayWhole) {
    // A two-byte letter placed over the 64 KiB read boundary at every offset.
    for (size_t pad = 0; pad < 4; ++pad) {
        SCOPED_TRACE(pad);
        std::string head = "BEGIN:VCARD\n" + std::string(65536 - 12 - 3 - pad, 'a') + "\n";
        std::string bytes = head + "N:" + "\xF0\x9F\x98\x80\xD0\x98" + "\nEND:VCARD\n";
        ReaderFolder folder;
        Cards cards = ReadCards(folder.Write("seq.vcf", bytes));
        ASSERT_EQ(cards.size(), 1u);
        ASSERT_EQ(cards[0].size(), 4u);
        EXPECT_EQ(cards[0][3], WString(TEXT("N:\U0001F600\u0418")));
    }
}

TEST(ReadVCardCards, UnreadableFilesGiveNoCards) {
    ReaderFolder folder;
    const PathCase cases[] = {
        {folder.Path() + "/missing.vcf", "a missing file"},
        {folder.Path(), "a folder"},
    };
    for (const PathCase& c : cases) {
        bool opened = true;
        Cards cards = ReadCards(c.path, &opened);
        EXPECT_FALSE(opened) << c.why;
        EXPECT_TRUE(cards.empty()) << c.why;
    }
}

class ImportVCardFileBracket : public ::testing::Test {
protected:
    void SetUp() override { FakeHost::Get().Reset(); }
    void TearDown() override { FakeHost::Get().Reset(); }
};

TEST_F(ImportVCardFileBracket, UnreadableFilesAreBracketedAndNothingElse) {
    ReaderFolder folder;
    const std::string empty = folder.Write("empty.vcf", "");
    const PathCase cases[] = {
        {folder.Path() + "/missing.vcf", "a missing file"},
        {folder.Path(), "a folder"},
        {empty, "an empty file"},
    };
    for (const PathCase& c : cases) {
        FakeHost::Get().Reset();
        ImportVCardFile(Utf16(c.path));
        EXPECT_EQ(FakeHost::Get().calls, (std::vector<std::string>{"ChangesStart()", "ChangesEnd()"}))
            << c.why;
    }
}

TEST_F(ImportVCardFileBracket, CardsAreImportedInsideTheBracket) {
    ReaderFolder folder;
    std::string file = folder.Write(
        "two.vcf", "BEGIN:VCARD\nUID:u1\nN:A\nEND:VCARD\nBEGIN:VCARD\nUID:u2\nN:B\nEND:VCARD\n");
    ImportVCardFile(Utf16(file));
    const auto& calls = FakeHost::Get().calls;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "ChangesStart()");
    EXPECT_EQ(calls.back(), "ChangesEnd()");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "ChangesStart()"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "ChangesEnd()"), 1);
}

TEST_F(ImportVCardFileBracket, AFailureMidwayStillClosesTheBracketAndIsPassedOn) {
    ReaderFolder folder;
    std::string file = folder.Write("one.vcf", "BEGIN:VCARD\nUID:u1\nN:A;B\nEND:VCARD\n");
    // The first host call the card import makes fails.
    FakeHost::Get().beforeCall = [](const std::string& call) {
        if (call != "ChangesStart()" && call != "ChangesEnd()") throw std::runtime_error("host failed");
    };
    EXPECT_THROW(ImportVCardFile(Utf16(file)), std::runtime_error);
    const auto& calls = FakeHost::Get().calls;
    ASSERT_GE(calls.size(), 3u) << "start, the failing call, end";
    EXPECT_EQ(calls.front(), "ChangesStart()");
    EXPECT_EQ(calls.back(), "ChangesEnd()");
}

}  // namespace
