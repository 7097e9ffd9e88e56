// In-process benchmarks of what the host asks the plug-in for again and
// again: call descriptions, the status column, single scalar arguments,
// text exports and the buffer page's dump.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/TypicalCalls.h"
#include "host/CKOVeskMemoryLogger.h"

namespace kovesk_bench {
namespace {

using nKoVeskLog210::CVisaFormat;
using nKoVeskLog210::eFormatLine;

constexpr size_t kKiB = 1024;
constexpr size_t kMiB = 1024 * kKiB;

// --- descriptions and status ---------------------------------------------------

// Everything the host does to show a call in its list: a new record,
// ingestion of both loggers and both description lines, then the record's
// destruction. Items are calls.
void DescribeCall(benchmark::State& state, eTypicalCall which) {
    std::string line;
    AppendTypicalCall(line, which);
    const std::unique_ptr<CapturedCall> call = ReadCall(line);
    CProcThreadInfo thread;
    for (auto _ : state) {
        CVISACall record;
        DriveRecord(record, *call, thread);
        benchmark::DoNotOptimize(record.GetDescription().c_str());
    }
    state.SetItemsProcessed(state.iterations());
}

// The status column of a call that returned. Items are texts.
void StatusColumn(benchmark::State& state, eTypicalCall which) {
    std::string line;
    AppendTypicalCall(line, which);
    DrivenCall driven(line);
    for (auto _ : state) {
        const StringBase text = driven.record.FormatColumnText(IKoVeskCall::eColumnStatus);
        benchmark::DoNotOptimize(text.c_str());
    }
    state.SetItemsProcessed(state.iterations());
}

// --- scalar arguments ----------------------------------------------------------------

struct tScalarCase {
    const char* family;
    int type;
    std::string bytes;
};

template <class T>
std::string bytesOf(T value) {
    std::string bytes(sizeof value, '\0');
    std::memcpy(&bytes[0], &value, sizeof value);
    return bytes;
}

// One parameter of every code family the scalar rendering tells apart.
std::vector<tScalarCase> scalarCases() {
    std::string time(16, '\0');
    const uint64_t seconds = 3880000000u;  // 2026 in seconds since 1904
    std::memcpy(&time[8], &seconds, sizeof seconds);
    return {
        {"unsigned", 1, bytesOf<uint32_t>(300)},
        {"signed", 3, bytesOf<int32_t>(-1)},
        {"unsigned16", 5, bytesOf<uint16_t>(16)},
        {"signed16", 7, bytesOf<int16_t>(-5)},
        {"unsigned8", 9, bytesOf<uint8_t>(200)},
        {"signed8", 11, bytesOf<int8_t>(-3)},
        {"character", 13, bytesOf<uint8_t>('A')},
        {"unsigned64", 95, bytesOf<uint64_t>(uint64_t{1} << 32)},
        {"signed64", 97, bytesOf<int64_t>(-42)},
        {"real", 17, bytesOf<double>(12.5)},
        {"boolean", 21, bytesOf<uint16_t>(1)},
        {"status_named", 23, bytesOf<uint32_t>(kStatusTimeout)},
        {"version", 25, bytesOf<uint32_t>(0x00500800)},
        {"event_named", 27, bytesOf<uint32_t>(kEventServiceRequest)},
        {"attribute_named", 29, bytesOf<uint32_t>(kAttrTimeout)},
        {"session_handle", 33, bytesOf<uint32_t>(kSession)},
        {"hex32", 39, bytesOf<uint32_t>(0x1000)},
        {"hex_address", 51, bytesOf<uint64_t>(5000)},
        {"text", 45, "MEAS:VOLT:DC?\n"},
        {"utf8_text", 110, "Messger\xC3\xA4t 3 \xE2\x80\x93 Kanal 1"},
        {"time", 108, time},
        {"address", 2, bytesOf<uint64_t>(140726184317008u)},
    };
}

// FormatCallArgScalar of one parameter in the description's form. The
// session handle follows its hidden resource-text parameter, as captured.
void ScalarArgument(benchmark::State& state, const tScalarCase& scalar) {
    CKOVeskMemoryLogger logger;
    logger.SetFunction("viBench", 0, eKoVeskApiVisa);
    if (scalar.type == 33) {
        const int hidden = logger.AddParam("dummysesvi", 45);
        logger.SetParamBytes(hidden, kResource, sizeof kResource - 1);
    }
    const int index = logger.AddParam("value", scalar.type);
    logger.SetParamBytes(index, scalar.bytes.data(), scalar.bytes.size());
    const CVisaFormat* formatter = CVisaFormat::GetSingletonVisaFormatter();
    char out[nKoVeskLog210::kArgumentTextSize];
    int helpIndex = -1;
    for (auto _ : state) {
        const int written =
            formatter->FormatCallArgScalar(&logger, index, out, eFormatLine, &helpIndex, nullptr);
        benchmark::DoNotOptimize(written);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations());
}

// --- dumps ---------------------------------------------------------------------------

// A viRead that returned `size` pseudo-random bytes.
std::string readCallLine(size_t size) {
    const std::string bytes = RandomBytes(size);
    std::string line;
    AppendViRead(line, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0);
    return line;
}

// The text export of the call as the host makes it: the line count, that
// many fresh lines, the record fills them. Bytes are the buffer's bytes.
void Export(benchmark::State& state, size_t size, IKoVeskCall::eCallExportUse use) {
    DrivenCall driven(readCallLine(size));
    for (auto _ : state) {
        const int count = driven.record.GetNumberOfLinesToExport(use);
        std::vector<StringBase> lines(static_cast<size_t>(count));
        driven.record.FormatForOutput(lines.data(), count, use);
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

// The buffer page's compact dump into a fresh list of lines, as the page's
// entry point asks for it.
void PageDump(benchmark::State& state, size_t size) {
    DrivenCall driven(readCallLine(size));
    for (auto _ : state) {
        StringBase heading;
        std::vector<StringBase> lines;
        driven.record.SetPageBufferParamData(0, heading, lines);
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

void registerAll() {
    vesk::replay::SetUpHost(false);
    for (const eTypicalCall which : kTypicalCalls) {
        benchmark::RegisterBenchmark((std::string("Description/") + TypicalCallName(which)).c_str(),
                                     DescribeCall, which);
    }
    for (const eTypicalCall which : kTypicalCalls) {
        benchmark::RegisterBenchmark((std::string("StatusColumn/") + TypicalCallName(which)).c_str(),
                                     StatusColumn, which);
    }
    static const std::vector<tScalarCase> scalars = scalarCases();
    for (const tScalarCase& scalar : scalars) {
        benchmark::RegisterBenchmark((std::string("Scalar/") + scalar.family).c_str(),
                                     ScalarArgument, scalar);
    }
    const struct {
        const char* name;
        size_t size;
    } exportSizes[] = {{"1KiB", kKiB}, {"1MiB", kMiB}};
    const struct {
        const char* name;
        IKoVeskCall::eCallExportUse use;
    } uses[] = {{"use0", IKoVeskCall::eExportUseText},
                {"use4", IKoVeskCall::eExportUseLimited}};
    for (const auto& size : exportSizes) {
        for (const auto& use : uses) {
            benchmark::RegisterBenchmark(
                (std::string("Export/") + size.name + "/" + use.name).c_str(), Export, size.size,
                use.use);
        }
    }
    benchmark::RegisterBenchmark("PageDump/1MiB", PageDump, kMiB);
    benchmark::RegisterBenchmark("PageDump/64MiB", PageDump, 64 * kMiB);
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
