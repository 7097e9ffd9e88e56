// End-to-end benchmarks of vesk-replay: the real program, run as a child
// process on generated captures of a test station's loop, its output
// thrown away. Reports calls per second of wall time and the child's peak
// resident memory.
//
// Captures are generated once into KOVESK_BENCH_DATA (default: bench-data
// in the build directory) and reused by later runs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/TypicalCalls.h"

namespace kovesk_bench {
namespace {

constexpr uint64_t kCallsPerChunk = 4096;
constexpr double kKiBPerMiB = 1024.0;

std::string dataDirectory() {
    const char* configured = std::getenv("KOVESK_BENCH_DATA");
    return configured && *configured ? configured : KOVESK_BENCH_DEFAULT_DATA;
}

bool fileExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// The capture of `calls` station calls, with each call's time, duration,
// thread and process when `timed`; written on first use.
std::string stationCapture(uint64_t calls, bool timed) {
    const std::string directory = dataDirectory();
    ::mkdir(directory.c_str(), 0777);
    const std::string path =
        directory + (timed ? "/timed-station-" : "/station-") + std::to_string(calls) + ".jsonl";
    if (fileExists(path)) return path;
    const std::string partial = path + ".part";
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out) {
        std::perror(partial.c_str());
        std::exit(2);
    }
    std::string text;
    for (uint64_t first = 0; first < calls; first += kCallsPerChunk) {
        text.clear();
        const uint64_t left = calls - first;
        const uint64_t chunk = left < kCallsPerChunk ? left : kCallsPerChunk;
        if (timed) {
            AppendTimedStationCalls(text, first, chunk);
        } else {
            AppendStationCalls(text, first, chunk);
        }
        std::fwrite(text.data(), 1, text.size(), out);
    }
    if (std::fclose(out) != 0 || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
    return path;
}

struct tChildRun {
    double seconds;
    long peakKiB;
    int status;
};

// Runs vesk-replay with `arguments`, standard output to /dev/null.
tChildRun runReplay(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    std::string program = KOVESK_REPLAY_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) ::dup2(null, STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    return {std::chrono::duration<double>(end - start).count(), usage.ru_maxrss, status};
}

// One run of vesk-replay with `arguments` on a station capture per
// iteration; `timed`: the capture's calls carry their times.
void Replay(benchmark::State& state, std::vector<std::string> arguments, bool timed, uint64_t calls) {
    arguments.push_back(stationCapture(calls, timed));
    double seconds = 0;
    long peakKiB = 0;
    for (auto _ : state) {
        const tChildRun run = runReplay(arguments);
        if (!WIFEXITED(run.status) || WEXITSTATUS(run.status) != 0) {
            state.SkipWithError("vesk-replay failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        seconds += run.seconds;
        if (run.peakKiB > peakKiB) peakKiB = run.peakKiB;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["calls/s"] = static_cast<double>(calls) * runs / seconds;
    state.counters["peak_MiB"] = static_cast<double>(peakKiB) / kKiBPerMiB;
}

void registerAll() {
    const uint64_t sizes[] = {10000, 100000, 1000000};
    // The plain loop in the list and the export; the timed loop in the
    // list, the list with its timing columns, and the statistics, side by
    // side (the latter two should stay within 10% of the first).
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        bool timed;
    } runs[] = {
        {"list", {"--list"}, false},
        {"export", {"--export"}, false},
        {"timed/list", {"--list"}, true},
        {"timed/list-timing", {"--list", "--timing"}, true},
        {"timed/stats", {"--stats"}, true},
    };
    for (const auto& run : runs) {
        for (const uint64_t calls : sizes) {
            const std::string name = std::string("Replay/") + run.name + "/" + std::to_string(calls);
            benchmark::RegisterBenchmark(name.c_str(), Replay, run.arguments, run.timed, calls)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
}

}  // namespace
}  // namespace kovesk_bench

int main(int argc, char** argv) {
    kovesk_bench::registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
