// The host's side of a fuzz case, read from the fuzzer's bytes: the
// captured call's loggers, the host's value names and the export setting.
#pragma once

#include "fuzz/FuzzInput.h"
#include "host/CKOVeskMemoryLogger.h"

namespace kovesk_fuzz {

// Parameters a logger read from the input holds at most: enough for the
// longest descriptions, few enough to keep one case fast.
constexpr int kMaxParams = 24;
// Captured bytes of one parameter at most: past the 1016-byte string limit
// and the 32768-byte dump head is not needed to reach every branch.
constexpr size_t kMaxCapture = 4096;

// Sets up what the host configures once, before any call is rendered: a
// "StatusPrefix" for the VISA API, so that status descriptions are looked up.
void SetUpHostOnce();

// Fills an empty `logger` from the input: function, API type, return
// position, success, and up to kMaxParams parameters, each with a name
// (none, a hidden session name, its neighbour's name with or without "*",
// or its own), a data type code (the table's codes and codes past it), its
// captured bytes or a size without data, and the partial-capture flag, full
// size and element size.
void ReadLogger(FuzzInput& input, CKOVeskMemoryLogger& logger);

// Reads whether the host names values of `apiType` itself, and the name it
// gives (up to beyond the 1024 wide characters it may write, characters
// the narrow set lacks, and an answer that fills the buffer without a
// terminator), and whether the family has a help file; every other API
// family is reset to no value names and no help file.
void ReadHostNames(FuzzInput& input, int apiType);

}  // namespace kovesk_fuzz
