// Reader and property lookup: MB/s of ReadVCardCards over the generated corpora
// of 100,000 cards (windows-1251 exporter-shaped, UTF-8 phone-shaped), and the
// lookups and splits of one card the way the card import makes them, reading
// every line or through the card's line heads.
#include <benchmark/benchmark.h>

#include <vector>

#include "corpus_files.h"
#include "file_reader.h"
#include "named_property_lines.h"
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

// Arg 0: exporter-shaped card, 1: phone-shaped; `headed`: through the line heads.
void LookUp(benchmark::State& state, bool headed) {
    const CorpusFile& file = state.range(0) == 0 ? ExporterCorpusFile(10) : PhoneCorpusFile(10);
    const OwnedCards owned = ReadOwnedCards(file);
    if (owned.cards.empty()) return state.SkipWithError("no card");
    const CardLines& lines = owned.cards.front();
    PropertyScratch scratch;
    for (auto _ : state) {
        if (headed) SummarizeLineHeads(lines, scratch.heads);
        for (WStringView name : kNames) {
            ForEachNamedProperty(name, lines, scratch, [&](const PropertyParts& parts) {
                benchmark::DoNotOptimize(ComponentValue(parts, 0));
            });
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));  // cards
}

void BM_LookUpProperties(benchmark::State& state) { LookUp(state, false); }
BENCHMARK(BM_LookUpProperties)->Arg(0)->Arg(1);

void BM_LookUpPropertiesHeaded(benchmark::State& state) { LookUp(state, true); }
BENCHMARK(BM_LookUpPropertiesHeaded)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
