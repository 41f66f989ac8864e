/* The deterministic corpus generator for benchmarks and large tests: address
 * books of N cards in the two shapes users bring, and single cards that stress
 * one dimension. Exports the generators; the same arguments give the same bytes. */
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

/* One UTF-8 card with `tels` TEL lines of distinct numbers (CR LF). */
std::string GenerateManyTelCard(size_t tels);

/* One windows-1251 card (exporter's shape) whose NOTE line alone holds about
 * `bytes` bytes of words, with no line break. */
std::string GenerateLongLineCard(size_t bytes);

/* One ASCII card of `lines` short lines "PROPERTY:nnnnnnn", each number distinct
 * (CR LF): 13 bytes a line for "TEL". */
std::string GenerateShortLineCard(const char* property, size_t lines);

/* One UTF-8 card whose NOTE line holds `escapes` escaped semicolons ("\;"). */
std::string GenerateEscapesCard(size_t escapes);

#endif
