// Reader and property lookup: MB/s of ReadVCardCards over the generated corpora
// of 100,000 cards (windows-1251 exporter-shaped, UTF-8 phone-shaped), and the
// lookups and splits of one card the way the card import makes them, with and
// without the card's line index.
#include <benchmark/benchmark.h>

#include <vector>

#include "corpus_files.h"
#include "file_reader.h"
#include "line_index.h"
#include "property_lines.h"

namespace {

constexpr size_t kCards = 100000;

void ReadFile(benchmark::State& state, const CorpusFile& file) {
    if (file.path.empty()) return state.SkipWithError("cannot write the corpus");
    for (auto _ : state) {
        size_t lines = 0;
        ReadVCardCards(file.widePath, [&lines](const CardLines& card) { lines += card.size(); });
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size));
}

void BM_ReadWindows1251(benchmark::State& state) { ReadFile(state, ExporterCorpusFile(kCards)); }
BENCHMARK(BM_ReadWindows1251)->Unit(benchmark::kMillisecond);

void BM_ReadUtf8(benchmark::State& state) { ReadFile(state, PhoneCorpusFile(kCards)); }
BENCHMARK(BM_ReadUtf8)->Unit(benchmark::kMillisecond);

// The names one card import looks up, in its order (REV only for an existing contact).
const WStringView kNames[] = {
    TEXT("UID"),   TEXT("FN"),      TEXT("N"),     TEXT("ORG"),     TEXT("TITLE"),
    TEXT("NOTE"),  TEXT("ROLE"),    TEXT("BDAY"),  TEXT("ADR"),     TEXT("TEL"),
    TEXT("URL"),   TEXT("EMAIL"),   TEXT("X-ICQ"), TEXT("X-GTALK"), TEXT("X-AIM"),
    TEXT("X-YAHOO"), TEXT("X-SKYPE"), TEXT("X-MSN"), TEXT("X-JABBER")};

// Arg 0: exporter-shaped card, 1: phone-shaped; `indexed`: through the line index.
void LookUp(benchmark::State& state, bool indexed) {
    const CorpusFile& file = state.range(0) == 0 ? ExporterCorpusFile(10) : PhoneCorpusFile(10);
    const OwnedCards owned = ReadOwnedCards(file);
    if (owned.cards.empty()) return state.SkipWithError("no card");
    const CardLines& lines = owned.cards.front();
    CardLineIndex index;
    std::vector<WString> found, parameters, components;
    for (auto _ : state) {
        if (indexed) IndexCardLines(lines, index);
        for (WStringView name : kNames) {
            if (indexed)
                FindPropertyLines(name, lines, index, found);
            else
                FindPropertyLines(name, lines, found);
            for (const WString& line : found) {
                WString got = SplitPropertyLine(line, parameters, components);
                benchmark::DoNotOptimize(got);
            }
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));  // cards
}

void BM_LookUpProperties(benchmark::State& state) { LookUp(state, false); }
BENCHMARK(BM_LookUpProperties)->Arg(0)->Arg(1);

void BM_LookUpPropertiesIndexed(benchmark::State& state) { LookUp(state, true); }
BENCHMARK(BM_LookUpPropertiesIndexed)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
