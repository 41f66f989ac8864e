/* generate_corpus SHAPE COUNT FILE: writes a deterministic vCard file to FILE.
 * SHAPE "exporter" (windows-1251) or "phone" (UTF-8): an address book of COUNT
 * cards; "tels": one card of COUNT TEL lines; "long-line": one card whose note
 * line is COUNT bytes; "escapes": one card whose note holds COUNT "\;";
 * "short-tels", "short-lines": one card of COUNT lines "TEL:nnnnnnn" or
 * "X-LINE:nnnnnnn". */
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "corpus.h"

namespace {

struct Shape {
    const char* name;
    std::string (*generate)(size_t count);
};

const Shape kShapes[] = {
    {"exporter", [](size_t n) { return GenerateExporterCorpus(n); }},
    {"phone", [](size_t n) { return GeneratePhoneCorpus(n); }},
    {"tels", GenerateManyTelCard},
    {"long-line", GenerateLongLineCard},
    {"escapes", GenerateEscapesCard},
    {"short-tels", [](size_t n) { return GenerateShortLineCard("TEL", n); }},
    {"short-lines", [](size_t n) { return GenerateShortLineCard("X-LINE", n); }},
};

}  // namespace

int main(int argc, char** argv) {
    const Shape* shape = nullptr;
    if (argc == 4)
        for (const Shape& s : kShapes)
            if (std::strcmp(argv[1], s.name) == 0) shape = &s;
    char* end = nullptr;
    size_t count = argc == 4 ? std::strtoul(argv[2], &end, 10) : 0;
    if (!shape || end == argv[2] || *end != 0) {
        std::fprintf(stderr, "usage: generate_corpus exporter|phone|tels|long-line|escapes|short-tels|short-lines COUNT FILE\n");
        return 2;
    }
    std::string bytes = shape->generate(count);
    FILE* f = std::fopen(argv[3], "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "generate_corpus: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
