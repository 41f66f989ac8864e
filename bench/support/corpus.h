/* The deterministic corpus generator for benchmarks and large tests: address
 * books of N cards in the two shapes users bring. Exports the two generators;
 * the same arguments always give the same bytes. */
#ifndef ZAMO_BENCH_CORPUS_H
#define ZAMO_BENCH_CORPUS_H

#include <cstddef>
#include <string>

/* windows-1251 cards shaped exactly like the exporter's output (every line of the
 * card writer, CR LF, Cyrillic and Latin names, two-line notes, four
 * communications): about 850 bytes a card. */
std::string GenerateExporterCorpus(size_t cards, unsigned seed = 1);

/* UTF-8 cards shaped like a phone's export (no CHARSET, item1.EMAIL groups,
 * TYPE=CELL, CR LF): about 550 bytes a card. */
std::string GeneratePhoneCorpus(size_t cards, unsigned seed = 1);

#endif
