/* The cards zamo counts in a file the export module wrote: hand-made files, and
 * random ones whose markers lie around the ends of the 1 MB blocks the file is
 * read in, counted against a plain search of the whole file. */
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "written_cards.h"

namespace {

const std::string kMarker = "\nEND:VCARD\r\n";

std::string WriteFile(const std::string& bytes) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("zamo-written-" + std::to_string(::getpid()))).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Markers found by searching the file's text with a line feed before it.
long PlainCount(const std::string& bytes) {
    const std::string text = "\n" + bytes;
    long count = 0;
    for (size_t at = text.find(kMarker); at != std::string::npos; at = text.find(kMarker, at + 1))
        ++count;
    return count;
}

TEST(WrittenCards, CountedAsAPlainSearchFindsThem) {
    struct Case {
        std::string bytes;
        long cards;
        const char* why;
    } cases[] = {
        {"", 0, "an empty file"},
        {"END:VCARD\r\n", 1, "the first line counts"},
        {"BEGIN:VCARD\r\nEND:VCARD\r\nEND:VCARD\r\n", 2, "lines that follow one another"},
        {"xEND:VCARD\r\n", 0, "not at a line start"},
        {"END:VCARD\n", 0, "a line feed without carriage return"},
        {"a\r\nEND:VCARD\r", 0, "the file ends before the line does"},
        {"a\r\nEND:VCARDS\r\n", 0, "a longer word"},
    };
    for (const Case& c : cases) {
        const std::string path = WriteFile(c.bytes);
        EXPECT_EQ(CountWrittenCards(path), c.cards) << c.why;
        std::remove(path.c_str());
    }
    // Random files of the marker's own bytes, so that line feeds and partial
    // markers are everywhere, with whole markers put where blocks end.
    std::mt19937 random(7);
    const size_t block = 1 << 20;
    const size_t sizes[] = {15, 16, 17, 33, 4000, block - 1, block + 10, block + 11, block + 30,
                            2 * block + 25, 3 * block};
    for (size_t size : sizes) {
        for (int round = 0; round < 3; ++round) {
            std::string bytes(size, 'x');
            for (char& c : bytes) c = "\nEND:VCARD\rx"[random() % 12];
            // Blocks of the file end 10 bytes after each 1 MB (the line feed
            // put before the file and the 11 bytes kept take the rest).
            std::vector<size_t> places;
            for (size_t end = block + 10; end < size + 40; end += block)
                for (int k = 0; k < 3; ++k) places.push_back(end - std::min<size_t>(end, random() % 40));
            for (int k = 0; k < 8; ++k) places.push_back(random() % size);
            for (size_t at : places)
                if (at < size) bytes.replace(at, kMarker.size(), kMarker);
            bytes.resize(size);
            const std::string path = WriteFile(bytes);
            EXPECT_EQ(CountWrittenCards(path), PlainCount(bytes)) << size << " bytes, round " << round;
            std::remove(path.c_str());
        }
    }
}

}  // namespace
