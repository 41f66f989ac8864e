// Import: ImportCard over cards already cut, the whole ImportVCardFile of the
// generated 100,000-card books into a host that does nothing, and zamo import
// into SQLite. Reports cards/s, MB/s and the peak memory of one import, measured
// in a child process (for zamo, scripts/bench.sh measures memory exactly).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "card_import.h"
#include "corpus_files.h"
#include "file_reader.h"

extern char** environ;

namespace {

constexpr size_t kCards = 100000;

// Arg 0: the exporter-shaped (windows-1251) book, 1: the phone-shaped (UTF-8) one.
const CorpusFile& Shape(const benchmark::State& state, size_t cards) {
    return state.range(0) == 0 ? ExporterCorpusFile(cards) : PhoneCorpusFile(cards);
}

void BM_ImportCard(benchmark::State& state) {
    const OwnedCards owned = ReadOwnedCards(Shape(state, 1000));
    if (owned.cards.empty()) return state.SkipWithError("no cards");
    size_t next = 0;
    CardImportContext context;  // as for the cards of one file
    for (auto _ : state) {
        ImportCard(owned.cards[next], context);
        if (++next == owned.cards.size()) next = 0;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_ImportCard)->Arg(0)->Arg(1);

// Runs `work` in a child process; returns the child's peak resident memory in MB.
double PeakMegabytesOf(const std::function<void()>& work) {
    pid_t pid = fork();
    if (pid == 0) {
        work();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) < 0) return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Report(benchmark::State& state, const CorpusFile& file, double peakMegabytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kCards));
    state.counters["cards/s"] = benchmark::Counter(static_cast<double>(state.iterations() * kCards),
                                                   benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = peakMegabytes;
    state.counters["file_MB"] = static_cast<double>(file.size) / 1e6;
}

// The reader and the card import into the host that does nothing.
void BM_ImportIntoNullHost(benchmark::State& state) {
    const CorpusFile& file = Shape(state, kCards);
    if (file.path.empty()) return state.SkipWithError("cannot write the corpus");
    for (auto _ : state) ImportVCardFile(file.widePath);
    Report(state, file, PeakMegabytesOf([&file] { ImportVCardFile(file.widePath); }));
}
BENCHMARK(BM_ImportIntoNullHost)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The zamo program beside the bench folder.
std::string ZamoProgram() {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "";
    std::string path(self, static_cast<size_t>(n));
    path = path.substr(0, path.rfind('/'));            // .../bench
    return path.substr(0, path.rfind('/')) + "/zamo";  // the build folder
}

void RemoveDatabase(const std::string& db) {
    for (const char* name : {"", "-wal", "-shm", "-journal"}) std::remove((db + name).c_str());
}

// Runs `zamo import` into a fresh database; returns false when it fails.
bool RunZamoImport(const CorpusFile& file, const std::string& db, double& seconds,
                   double& peakMegabytes) {
    RemoveDatabase(db);
    std::string program = ZamoProgram();
    std::vector<std::string> args = {program, "--db", db, "import", file.path};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) < 0) return false;
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The whole process: the zamo program with the real modules and SQLite host.
void BM_ZamoImport(benchmark::State& state) {
    const CorpusFile& file = Shape(state, kCards);
    if (file.path.empty()) return state.SkipWithError("cannot write the corpus");
    if (access(ZamoProgram().c_str(), X_OK) != 0) return state.SkipWithError("zamo is not built");
    const std::string db = file.path + ".db";
    double peak = 0;
    for (auto _ : state) {
        double seconds = 0;
        if (!RunZamoImport(file, db, seconds, peak)) {
            RemoveDatabase(db);
            return state.SkipWithError("zamo import failed");
        }
        state.SetIterationTime(seconds);
    }
    RemoveDatabase(db);
    Report(state, file, peak);
}
BENCHMARK(BM_ZamoImport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
