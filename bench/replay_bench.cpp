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

// The capture of `calls` station calls; written on first use.
std::string stationCapture(uint64_t calls) {
    const std::string directory = dataDirectory();
    ::mkdir(directory.c_str(), 0777);
    const std::string path = directory + "/station-" + std::to_string(calls) + ".jsonl";
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
        AppendStationCalls(text, first, left < kCallsPerChunk ? left : kCallsPerChunk);
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

void Replay(benchmark::State& state, const char* mode, uint64_t calls) {
    const std::string capture = stationCapture(calls);
    double seconds = 0;
    long peakKiB = 0;
    for (auto _ : state) {
        const tChildRun run = runReplay({mode, capture});
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
    const char* modes[] = {"--list", "--export"};
    for (const char* mode : modes) {
        for (const uint64_t calls : sizes) {
            const std::string name = std::string("Replay/") + (mode + 2) + "/" + std::to_string(calls);
            benchmark::RegisterBenchmark(name.c_str(), Replay, mode, calls)
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
