// Whole-import throughput: generated 100,000-card address books (windows-1251 in
// the exporter's shape, UTF-8 in a phone's shape) imported through
// ImportVCardFile into a host that does nothing, and by the zamo program into
// an SQLite database. Reports cards per second, MB/s and the peak memory of
// one import, measured in a child process so that nothing else counts.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "corpus.h"
#include "file_reader.h"

extern char** environ;

namespace {

constexpr size_t kCards = 100000;

// A corpus written once to a temporary folder, removed at exit.
struct CorpusFile {
    std::string folder, path;
    size_t size = 0;
    CorpusFile(const std::string& name, const std::string& bytes) {
        char pattern[] = "/tmp/import-bench-XXXXXX";
        if (!mkdtemp(pattern)) return;
        folder = pattern;
        path = folder + "/" + name;
        size = bytes.size();
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    ~CorpusFile() {
        for (const char* name : {"", ".db", ".db-wal", ".db-shm", ".db-journal"})
            std::remove((path + name).c_str());
        rmdir(folder.c_str());
    }
};

const CorpusFile& Exporter1251() {
    static CorpusFile file("exporter-1251.vcf", GenerateExporterCorpus(kCards));
    return file;
}

const CorpusFile& PhoneUtf8() {
    static CorpusFile file("phone-utf8.vcf", GeneratePhoneCorpus(kCards));
    return file;
}

WString WidePath(const std::string& path) { return WString(path.begin(), path.end()); }

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

// (a) Reader and card import into the host that does nothing.
void ImportIntoNullHost(benchmark::State& state, const CorpusFile& file) {
    WString path = WidePath(file.path);
    for (auto _ : state) ImportVCardFile(path);
    Report(state, file, PeakMegabytesOf([&path] { ImportVCardFile(path); }));
}

void NullHostWindows1251(benchmark::State& state) { ImportIntoNullHost(state, Exporter1251()); }
void NullHostUtf8(benchmark::State& state) { ImportIntoNullHost(state, PhoneUtf8()); }
BENCHMARK(NullHostWindows1251)->Unit(benchmark::kMillisecond);
BENCHMARK(NullHostUtf8)->Unit(benchmark::kMillisecond);

// The zamo program beside the bench folder.
std::string ZamoProgram() {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "";
    std::string path(self, static_cast<size_t>(n));
    path = path.substr(0, path.rfind('/'));            // .../bench
    return path.substr(0, path.rfind('/')) + "/zamo";  // the build folder
}

// Runs `zamo import` into a fresh database; returns false when it fails.
bool RunZamoImport(const CorpusFile& file, double& seconds, double& peakMegabytes) {
    std::string db = file.path + ".db";
    for (const char* name : {"", "-wal", "-shm", "-journal"}) std::remove((db + name).c_str());
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

// (b) The whole process: the zamo program with the real modules and SQLite host.
void ZamoImport(benchmark::State& state, const CorpusFile& file) {
    if (access(ZamoProgram().c_str(), X_OK) != 0) {
        state.SkipWithError("the zamo program is not built");
        return;
    }
    double peak = 0;
    for (auto _ : state) {
        double seconds = 0;
        if (!RunZamoImport(file, seconds, peak)) {
            state.SkipWithError("zamo import failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    Report(state, file, peak);
}

void ZamoWindows1251(benchmark::State& state) { ZamoImport(state, Exporter1251()); }
void ZamoUtf8(benchmark::State& state) { ZamoImport(state, PhoneUtf8()); }
BENCHMARK(ZamoWindows1251)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(ZamoUtf8)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
