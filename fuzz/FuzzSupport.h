// What every fuzz target shares: the entry point that copies the input into
// an allocation of its own, the outcomes a target accepts, and the check
// that turns a broken promise into a crash the fuzzer reports.
//
// Each target defines kovesk_fuzz::RunOneInput. Built with libFuzzer, the
// fuzzer calls LLVMFuzzerTestOneInput; built without it, ReplayMain.cpp
// calls it once for every file of the corpus given on the command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "ko/zel/Exception.h"

namespace kovesk_fuzz {

// The target's work on one input. `data` is an allocation of exactly `size`
// bytes, so AddressSanitizer sees a read one byte past the input.
void RunOneInput(const uint8_t* data, size_t size);

// Runs `step`; the support library's exceptions and exhausted memory are
// outcomes the interfaces promise for some inputs (invalid UTF-8, a time
// value shorter than 16 bytes, a time the C library cannot break down).
// Anything else leaves the target and ends the run as a fault.
template <class Step>
bool Tolerating(Step&& step) {
    try {
        step();
        return true;
    } catch (const ko::zel::exception::Exception&) {
    } catch (const std::bad_alloc&) {
    }
    return false;
}

[[noreturn]] inline void Fail(const char* file, int line, const char* condition) {
    std::fprintf(stderr, "%s:%d: broken promise: %s\n", file, line, condition);
    std::abort();
}

}  // namespace kovesk_fuzz

// Checks a promise of the code under test (not an assert: kept in every
// build type).
#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::kovesk_fuzz::Fail(__FILE__, __LINE__, #condition))
