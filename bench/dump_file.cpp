// dump-file: times the plug-in's two dumps of one file's bytes, captured as
// the buffer a viRead returned.
//
//   dump-file [--repeat N] FILE
//
// Prints two lines, "export SECONDS LINES" (the text export in export use
// 0: the wide layout, every line) and "page SECONDS LINES" (the buffer
// page's compact dump), the seconds the median of N runs (default 5). A run covers what the host
// and the plug-in do to have the dump as text in memory: the host's fresh
// line list, the plug-in filling it, and releasing it again.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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

template <class F>
double medianSeconds(int repeat, F run) {
    std::vector<double> seconds;
    for (int i = 0; i < repeat; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const auto end = std::chrono::steady_clock::now();
        seconds.push_back(std::chrono::duration<double>(end - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
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

    const auto use = IKoVeskCall::eExportUseText;
    size_t exportLines = 0;
    const double exportSeconds = medianSeconds(repeat, [&] {
        const int count = driven.record.GetNumberOfLinesToExport(use);
        std::vector<StringBase> lines(static_cast<size_t>(count));
        driven.record.FormatForOutput(lines.data(), count, use);
        exportLines = lines.size();
    });
    size_t pageLines = 0;
    const double pageSeconds = medianSeconds(repeat, [&] {
        StringBase heading;
        std::vector<StringBase> lines;
        driven.record.SetPageBufferParamData(0, heading, lines);
        pageLines = lines.size();
    });
    std::printf("export %.6f %zu\npage %.6f %zu\n", exportSeconds, exportLines, pageSeconds,
                pageLines);
    return 0;
}
