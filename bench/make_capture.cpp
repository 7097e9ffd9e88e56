// make-capture: writes captures for the benchmarks.
//
//   make-capture --calls N [FILE]   a test station's loop of N calls
//   make-capture --timed-calls N [FILE]  the same, each call with its time,
//                                   duration, thread and process
//   make-capture --dump DATA [FILE] one viRead call that returned the bytes
//                                   of the file DATA
//   make-capture --dump-both DATA [FILE]  one viRead call holding those
//                                   bytes twice, on entry and on return
//
// FILE "-" or no FILE: standard output.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/TypicalCalls.h"

namespace {

constexpr char kUsage[] =
    "usage: make-capture --calls N [FILE]\n"
    "       make-capture --timed-calls N [FILE]\n"
    "       make-capture --dump DATA [FILE]\n"
    "       make-capture --dump-both DATA [FILE]\n";
// Calls composed before each write.
constexpr uint64_t kCallsPerChunk = 4096;

bool writeAll(std::FILE* out, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

bool readFile(const char* path, std::vector<unsigned char>& bytes) {
    std::FILE* in = std::fopen(path, "rb");
    if (!in) return false;
    unsigned char block[1 << 16];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, in)) > 0) bytes.insert(bytes.end(), block, block + got);
    const bool ok = !std::ferror(in);
    std::fclose(in);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string mode = argv[1];
    const bool toStdout = argc == 3 || std::strcmp(argv[3], "-") == 0;
    std::FILE* out = toStdout ? stdout : std::fopen(argv[3], "wb");
    if (!out) {
        std::fprintf(stderr, "make-capture: cannot open %s: %s\n", argv[3], std::strerror(errno));
        return 2;
    }

    bool ok = true;
    std::string text;
    if (mode == "--calls" || mode == "--timed-calls") {
        char* end = nullptr;
        const unsigned long long calls = std::strtoull(argv[2], &end, 10);
        if (!end || *end != '\0') {
            std::fputs(kUsage, stderr);
            return 2;
        }
        for (uint64_t first = 0; first < calls && ok; first += kCallsPerChunk) {
            text.clear();
            const uint64_t left = calls - first;
            const uint64_t chunk = left < kCallsPerChunk ? left : kCallsPerChunk;
            if (mode == "--calls") {
                kovesk_bench::AppendStationCalls(text, first, chunk);
            } else {
                kovesk_bench::AppendTimedStationCalls(text, first, chunk);
            }
            ok = writeAll(out, text);
        }
    } else if (mode == "--dump" || mode == "--dump-both") {
        std::vector<unsigned char> bytes;
        if (!readFile(argv[2], bytes)) {
            std::fprintf(stderr, "make-capture: cannot read %s\n", argv[2]);
            return 2;
        }
        if (mode == "--dump") {
            kovesk_bench::AppendViRead(text, bytes.data(), bytes.size(), 0);
        } else {
            kovesk_bench::AppendViReadBothWays(text, bytes.data(), bytes.size());
        }
        ok = writeAll(out, text);
    } else {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!toStdout && std::fclose(out) != 0) ok = false;
    if (toStdout && std::fflush(out) != 0) ok = false;
    if (!ok) {
        std::fputs("make-capture: write failed\n", stderr);
        return 2;
    }
    return 0;
}
