// The libFuzzer entry point, shared by every target (ReplayMain.cpp calls it
// too): the input is copied into an allocation of exactly its size first.
#include <cstring>
#include <memory>

#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<uint8_t[]> copy(new uint8_t[size]);
    if (size > 0) std::memcpy(copy.get(), data, size);
    kovesk_fuzz::RunOneInput(copy.get(), size);
    return 0;
}
