// A main for the fuzz targets built without libFuzzer: runs the target once
// on every file named on the command line, and on every file below every
// directory named there (in name order), so that the committed corpora run
// under CTest in every build.
//
// Usage: fuzz_<target> FILE_OR_DIRECTORY...
// Exit status 0 when at least one input ran (a fault aborts the program),
// 1 when there was nothing to run or an input could not be read.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

// The files named by `argument`: itself, or the regular files below it.
std::vector<fs::path> inputsOf(const fs::path& argument, std::error_code& error) {
    std::vector<fs::path> files;
    if (!fs::is_directory(argument, error)) {
        if (!error) files.push_back(argument);
        return files;
    }
    for (fs::recursive_directory_iterator it(argument, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file(error)) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool readFile(const fs::path& path, std::vector<uint8_t>& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

}  // namespace

int main(int argc, char** argv) {
    size_t ran = 0;
    std::vector<uint8_t> bytes;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        const std::vector<fs::path> files = inputsOf(argv[i], error);
        if (error) {
            std::fprintf(stderr, "%s: error: %s\n", argv[i], error.message().c_str());
            return 1;
        }
        for (const fs::path& file : files) {
            if (!readFile(file, bytes)) {
                std::fprintf(stderr, "%s: error: cannot read the file\n", file.c_str());
                return 1;
            }
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++ran;
        }
    }
    std::fprintf(stderr, "%s: ran %zu inputs\n", argc > 0 ? argv[0] : "fuzz", ran);
    return ran > 0 ? 0 : 1;
}
