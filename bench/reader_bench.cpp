// Reader throughput: MB/s of ReadVCardCards over a generated file of 100,000
// cards, once in UTF-8 and once in windows-1251, and the cost of looking up and
// splitting the properties of one card the way the card import does; the whole
// import into a host that does nothing for scale.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "file_reader.h"
#include "property_lines.h"

namespace {

constexpr int kCards = 100000;

// One card in the shape phones and organisers write; `cyrillic` holds a name
// in the file's own encoding.
std::string Card(int n, const std::string& cyrillic, const std::string& charset) {
    std::string id = std::to_string(n);
    return "BEGIN:VCARD\r\nVERSION:3.0\r\n"
           "UID:card-" + id + "\r\n"
           "N" + charset + ":" + cyrillic + ";Ivan;Petrovich;;\r\n"
           "FN" + charset + ":Ivan " + cyrillic + "\r\n"
           "ORG:Example Company " + id + "\r\n"
           "TITLE:Engineer\r\n"
           "TEL;TYPE=WORK:+7 495 123-45-" + id + "\r\n"
           "TEL;TYPE=CELL:+7 916 765-43-" + id + "\r\n"
           "EMAIL;TYPE=INTERNET:ivan" + id + "@example.com\r\n"
           "ADR;TYPE=HOME:;;Main St\\, 5;Moscow;;123456;Russia\r\n"
           "NOTE;ENCODING=QUOTED-PRINTABLE:first=0D=0A=\r\nsecond line\r\n"
           "BDAY:19800503\r\n"
           "REV:20100615T093000Z\r\n"
           "END:VCARD\r\n";
}

struct GeneratedFile {
    std::string path;
    size_t size = 0;
    GeneratedFile(const std::string& name, const std::string& cyrillic, const std::string& charset) {
        char folder[] = "/tmp/reader-bench-XXXXXX";
        if (!mkdtemp(folder)) return;
        path = std::string(folder) + "/" + name;
        std::ofstream out(path, std::ios::binary);
        for (int n = 0; n < kCards; ++n) {
            std::string card = Card(n, cyrillic, charset);
            size += card.size();
            out << card;
        }
    }
    ~GeneratedFile() {
        std::remove(path.c_str());
        rmdir(path.substr(0, path.rfind('/')).c_str());
    }
};

void ReadFile(benchmark::State& state, const GeneratedFile& file) {
    WString path(file.path.begin(), file.path.end());
    for (auto _ : state) {
        size_t lines = 0;
        ReadVCardCards(path, [&lines](const CardLines& card) { lines += card.size(); });
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * file.size);
}

const GeneratedFile& Utf8File() {
    static GeneratedFile file("utf8.vcf", "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2", "");
    return file;
}

void ReadUtf8(benchmark::State& state) { ReadFile(state, Utf8File()); }
BENCHMARK(ReadUtf8)->Unit(benchmark::kMillisecond);

void ReadWindows1251(benchmark::State& state) {
    static GeneratedFile file("cp1251.vcf", "\xC8\xE2\xE0\xED\xEE\xE2", ";CHARSET=windows-1251");
    ReadFile(state, file);
}
BENCHMARK(ReadWindows1251)->Unit(benchmark::kMillisecond);

// The whole import of the UTF-8 file into a host that does nothing, for scale.
void ImportUtf8(benchmark::State& state) {
    const GeneratedFile& file = Utf8File();
    WString path(file.path.begin(), file.path.end());
    for (auto _ : state) ImportVCardFile(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * file.size);
}
BENCHMARK(ImportUtf8)->Unit(benchmark::kMillisecond);

// The lookups of one card import: about 25 names, each line found split once.
void LookUpProperties(benchmark::State& state) {
    std::string card = Card(12345, "Ivanov", "");
    std::vector<WString> owned;
    size_t start = 0;
    for (size_t end; (end = card.find("\r\n", start)) != std::string::npos; start = end + 2)
        owned.emplace_back(card.begin() + start, card.begin() + end);
    owned.pop_back();  // the end line is not part of the card
    CardLines lines(owned.begin(), owned.end());
    const WString names[] = {TEXT("UID"),   TEXT("REV"),   TEXT("FN"),    TEXT("N"),
                             TEXT("ORG"),   TEXT("TITLE"), TEXT("NOTE"),  TEXT("ROLE"),
                             TEXT("BDAY"),  TEXT("ADR"),   TEXT("TEL"),   TEXT("EMAIL"),
                             TEXT("URL"),   TEXT("X-ICQ"), TEXT("X-AIM"), TEXT("X-SKYPE")};
    std::vector<WString> found, parameters, components;
    for (auto _ : state) {
        for (const WString& name : names) {
            FindPropertyLines(name, lines, found);
            for (const WString& line : found) {
                WString got = SplitPropertyLine(line, parameters, components);
                benchmark::DoNotOptimize(got);
            }
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(LookUpProperties);

}  // namespace

BENCHMARK_MAIN();
