/* Corpus files for the micro-benchmarks (see corpus_files.h): one temporary
 * folder per process, each corpus written there once. */
#include "corpus_files.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>

#include "corpus.h"
#include "file_reader.h"

namespace {

struct Folder {
    std::string path;
    std::vector<std::string> files;
    Folder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/zamo-bench-XXXXXX";
        if (mkdtemp(&pattern[0])) path = pattern;
    }
    ~Folder() {
        for (const std::string& file : files) std::remove(file.c_str());
        if (!path.empty()) rmdir(path.c_str());
    }
};

Folder& TheFolder() {
    static Folder folder;
    return folder;
}

const CorpusFile& Written(const std::string& name, size_t cards,
                          std::string (*generate)(size_t, unsigned)) {
    static std::map<std::string, std::unique_ptr<CorpusFile>> written;
    const std::string key = name + "-" + std::to_string(cards);
    std::unique_ptr<CorpusFile>& file = written[key];
    if (file) return *file;
    file = std::make_unique<CorpusFile>();
    if (TheFolder().path.empty()) return *file;
    const std::string bytes = generate(cards, 1);
    const std::string path = TheFolder().path + "/" + key + ".vcf";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return *file;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) return *file;
    TheFolder().files.push_back(path);
    file->path = path;
    file->widePath.assign(path.begin(), path.end());  // TMPDIR is taken to be ASCII
    file->size = bytes.size();
    return *file;
}

std::string GenerateShortLineCard(size_t lines, unsigned) {
    std::string card = "BEGIN:VCARD\r\nUID:short-line-card\r\n";
    char line[32];
    for (size_t i = 0; i < lines; ++i) {
        std::snprintf(line, sizeof line, "TEL:%07zu\r\n", i % 10000000);
        card += line;
    }
    return card + "END:VCARD\r\n";
}

}  // namespace

const CorpusFile& ShortLineCardFile(size_t lines) {
    return Written("short-lines", lines, GenerateShortLineCard);
}

const CorpusFile& ExporterCorpusFile(size_t cards) {
    return Written("exporter", cards, GenerateExporterCorpus);
}

const CorpusFile& PhoneCorpusFile(size_t cards) {
    return Written("phone", cards, GeneratePhoneCorpus);
}

OwnedCards ReadOwnedCards(const CorpusFile& file) {
    OwnedCards owned;
    ReadVCardCards(file.widePath, [&owned](const CardLines& card) {
        owned.text.emplace_back(card.begin(), card.end());
    });
    for (const std::vector<WString>& card : owned.text) owned.cards.emplace_back(card.begin(), card.end());
    return owned;
}
