/* Generated corpora as the micro-benchmarks use them: written once per process
 * to a temporary file, or read back into owned card lines. Exports CorpusFile,
 * ExporterCorpusFile, PhoneCorpusFile, ShortLineCardFile and OwnedCards. */
#ifndef ZAMO_BENCH_CORPUS_FILES_H
#define ZAMO_BENCH_CORPUS_FILES_H

#include <cstddef>
#include <string>
#include <vector>

#include "card_lines.h"
#include "wide_text.h"

/* A generated corpus in a temporary file, removed at exit. */
struct CorpusFile {
    std::string path;  // empty when the file could not be written
    WString widePath;
    size_t size = 0;
};

/* The exporter-shaped (windows-1251) and phone-shaped (UTF-8) corpora of
 * `cards` cards, written on first use. */
const CorpusFile& ExporterCorpusFile(size_t cards);
const CorpusFile& PhoneCorpusFile(size_t cards);

/* One card of `lines` distinct lines "TEL:nnnnnnn" (13 bytes with CR LF): the
 * shape that costs the most per byte of card. */
const CorpusFile& ShortLineCardFile(size_t lines);

/* Every card of `file` as the reader cuts it, owned, with views over it. */
struct OwnedCards {
    std::vector<std::vector<WString>> text;
    std::vector<CardLines> cards;
};
OwnedCards ReadOwnedCards(const CorpusFile& file);

#endif
