/* generate_corpus SHAPE CARDS FILE: writes a deterministic address book of CARDS
 * cards, SHAPE "exporter" (windows-1251) or "phone" (UTF-8), to FILE. */
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "corpus.h"

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[1], "exporter") != 0 && std::strcmp(argv[1], "phone") != 0)) {
        std::fprintf(stderr, "usage: generate_corpus exporter|phone CARDS FILE\n");
        return 2;
    }
    size_t cards = std::strtoul(argv[2], nullptr, 10);
    std::string bytes = std::strcmp(argv[1], "exporter") == 0 ? GenerateExporterCorpus(cards)
                                                              : GeneratePhoneCorpus(cards);
    FILE* f = std::fopen(argv[3], "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "generate_corpus: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
