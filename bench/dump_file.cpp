// dump-file: times the plug-in's two dumps of one file's bytes, captured as
// the buffer a viRead returned.
//
//   dump-file [--repeat N] FILE
//
// Times the plug-in's own call: FormatForOutput in export use 0 (the wide
// layout, every line) on lines the host has made beforehand, and
// SetPageBufferParamData (the compact layout) on an empty list. Freeing
// the lines afterwards is not timed. Prints, per dump,
//
//   export|page cold|warm SECONDS LINES
//
// "cold" is the first run in the process: every line's memory is new to it
// and the kernel maps it page by page. "warm" is the median of the N runs
// that follow (default 5), with the host's heap keeping the memory of the
// previous dump, as in a host that exports call after call.
//
// Then, as "export-floor" and "page-floor", the part of each that no
// formatting can save: every line is a string the host owns and frees, so
// the same number of lines, each assigned a copy of a line of the dump
// (the export on lines made beforehand, the page on a list it grows first).
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/TypicalCalls.h"

namespace {

using kovesk_bench::DrivenCall;

bool readFile(const char* path, std::string& bytes) {
    std::FILE* in = std::fopen(path, "rb");
    if (!in) return false;
    char block[1 << 16];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, in)) > 0) bytes.append(block, got);
    const bool ok = !std::ferror(in);
    std::fclose(in);
    return ok;
}

struct tTimes {
    double cold;
    double warm;  // median
};

// `run` returns the seconds of its timed part.
template <class F>
tTimes measure(int repeat, F run) {
    tTimes times{run(), 0};
    std::vector<double> warm;
    for (int i = 0; i < repeat; ++i) warm.push_back(run());
    std::sort(warm.begin(), warm.end());
    times.warm = warm[warm.size() / 2];
    return times;
}

template <class F>
double secondsOf(F work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 5;
    int next = 1;
    if (argc == 4 && std::strcmp(argv[1], "--repeat") == 0) {
        repeat = std::atoi(argv[2]);
        next = 3;
    }
    if (argc != next + 1 || repeat < 1) {
        std::fputs("usage: dump-file [--repeat N] FILE\n", stderr);
        return 2;
    }
    std::string bytes;
    if (!readFile(argv[next], bytes)) {
        std::fprintf(stderr, "dump-file: cannot read %s\n", argv[next]);
        return 2;
    }

    vesk::replay::SetUpHost(false);
    std::string line;
    kovesk_bench::AppendViRead(line, reinterpret_cast<const unsigned char*>(bytes.data()),
                               bytes.size(), 0);
    DrivenCall driven(line);
    line = std::string();
    // The host's heap keeps what it is given back, and serves the line list
    // from the heap too, so that the warm runs reuse the same memory.
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    mallopt(M_MMAP_THRESHOLD, INT_MAX);

    const auto use = IKoVeskCall::eExportUseText;
    size_t exportLines = 0;
    std::string exportSample;
    const tTimes exportTimes = measure(repeat, [&] {
        const int count = driven.record.GetNumberOfLinesToExport(use);
        std::vector<StringBase> lines(static_cast<size_t>(count));
        exportLines = lines.size();
        const double seconds =
            secondsOf([&] { driven.record.FormatForOutput(lines.data(), count, use); });
        exportSample = lines[lines.size() / 2].c_str();
        return seconds;
    });
    size_t pageLines = 0;
    std::string pageSample;
    const tTimes pageTimes = measure(repeat, [&] {
        StringBase heading;
        std::vector<StringBase> lines;
        const double seconds =
            secondsOf([&] { driven.record.SetPageBufferParamData(0, heading, lines); });
        pageLines = lines.size();
        pageSample = lines[lines.size() / 2].c_str();
        return seconds;
    });

    const auto sampleLength = [](const std::string& sample) {
        return static_cast<uint32_t>(sample.size());
    };
    const tTimes exportFloor = measure(repeat, [&] {
        std::vector<StringBase> lines(exportLines);
        return secondsOf([&] {
            for (StringBase& copy : lines) copy.assign(exportSample.data(), sampleLength(exportSample));
        });
    });
    const tTimes pageFloor = measure(repeat, [&] {
        std::vector<StringBase> lines;
        return secondsOf([&] {
            // Grown as the page grows its list: moved-in empty strings that
            // own no buffer yet, so each line is allocated once.
            lines.reserve(pageLines);
            StringBase empty;
            for (size_t i = 0; i < pageLines; ++i) lines.push_back(std::move(empty));
            for (StringBase& copy : lines) copy.assign(pageSample.data(), sampleLength(pageSample));
        });
    });

    const auto report = [](const char* what, const tTimes& times, size_t lines) {
        std::printf("%s cold %.6f %zu\n%s warm %.6f %zu\n", what, times.cold, lines, what,
                    times.warm, lines);
    };
    report("export", exportTimes, exportLines);
    report("page", pageTimes, pageLines);
    report("export-floor", exportFloor, exportLines);
    report("page-floor", pageFloor, pageLines);
    return 0;
}
