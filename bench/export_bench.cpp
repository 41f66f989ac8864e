// Export: 100,000 generated contacts served from memory written through the
// export command (cards per second, MB/s of output); the card writer alone over
// an open file; the value encoding of short values and of a 10 MB note with a
// million line feeds.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "export_bench_host.h"
#include "card_writer.h"
#include "export_commands.h"
#include "output_file.h"
#include "value_encoding.h"
#include "vcard_date_format.h"
#include "zamo_win32_ext.h"

namespace {

std::u16string gChosen;

BOOL ChooseBenchFile(void*, BOOL, const OPENFILENAMEW*, const WCHAR** files) {
    *files = gChosen.c_str();
    return TRUE;
}

std::string OutputPath() {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/zamo_export_bench_" +
           std::to_string(getpid()) + ".vcf";
}

void BM_ExportAllContacts(benchmark::State& state) {
    const size_t contacts = static_cast<size_t>(state.range(0));
    FillMemoryHost(contacts);
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    const std::string path = OutputPath();
    gChosen.assign(path.begin(), path.end());
    gChosen.push_back(0);
    gChosen.push_back(0);
    ZamoWin32_SetFileDialogHandler(ChooseBenchFile, nullptr);
    long long bytes = 0;
    for (auto _ : state) {
        ExportAllContacts();
        struct stat info {};
        stat(path.c_str(), &info);
        bytes += info.st_size;
    }
    ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(contacts));
    state.SetBytesProcessed(bytes);
    state.counters["cards/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(contacts),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportAllContacts)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteCard(benchmark::State& state) {
    constexpr size_t kContacts = 1000;
    FillMemoryHost(kContacts);
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    std::vector<std::u16string> uids;
    for (size_t i = 0; i < kContacts; ++i) {
        std::string uid = "c" + std::to_string(i);
        uids.emplace_back(uid.begin(), uid.end());
    }
    const std::string path = OutputPath();
    if (!OpenOutputFile(path)) return state.SkipWithError("cannot create the output file");
    GatherLines();
    KeepZoneSettings();
    size_t next = 0;
    for (auto _ : state) {
        WriteCard(uids[next].c_str());
        if (++next == kContacts) next = 0;
    }
    ForgetZoneSettings();
    CloseOutputFile();
    struct stat info {};
    stat(path.c_str(), &info);
    std::remove(path.c_str());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(info.st_size));
}
BENCHMARK(BM_WriteCard);

// A value converted and escaped as the card writer puts it into its line.
// Arg 0: ASCII, 1: Cyrillic, 2: ASCII with separators to escape.
void BM_EncodeValue(benchmark::State& state) {
    const std::u16string values[] = {u"1 Main Street, Springfield", u"ул. Ленина, д. 5, кв. 7",
                                     u"Lee; Smith: O'Neil, Co|Ltd"};
    const std::u16string& value = values[state.range(0)];
    OutputBytes line;
    for (auto _ : state) {
        line.size = 0;
        Put(line, "ORG;CHARSET=windows-1251:", 25);
        PutValue(line, value.c_str(), ValueForm::Escaped);
        benchmark::DoNotOptimize(line.data.get());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_EncodeValue)->Arg(0)->Arg(1)->Arg(2);

void BM_EncodeLargeNote(benchmark::State& state) {
    // 10 MB: "123456789" and a line feed, a million times.
    std::u16string note;
    note.reserve(10000000);
    for (int i = 0; i < 1000000; ++i) note += u"123456789\n";
    OutputBytes line;
    for (auto _ : state) {
        line.size = 0;
        PutValue(line, note.c_str(), ValueForm::Note);
        benchmark::DoNotOptimize(line.data.get());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(note.size()));
}
BENCHMARK(BM_EncodeLargeNote)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
