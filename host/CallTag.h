// The host's in-memory form of one XML call element.
//
// The base call record fills the general members; a plug-in's record adds
// its parameters, buffers and status. The host serialises the element.
// Member order is part of the contract with plug-ins; do not reorder.
#pragma once

#include <cstdint>
#include <vector>

#include "ko/zel/Export.h"
#include "ko/zel/StringBase.h"

struct KOVESK_API CallTag {
    struct CallParameter {
        StringBase name;   // the row name, with its "&" or "*" prefix
        StringBase value;  // the rendered value
    };

    struct CallBuffer {
        StringBase name;
        const char* data = nullptr;  // the logger's bytes, not a copy
        int32_t size = 0;            // captured bytes at `data`
        int32_t fullSize = -1;       // -1: the capture is the whole value
    };

    StringBase functionName;       // 1 (base)
    StringBase description;        // 2 (base)
    int32_t apiType = 0;           // 3 (base)
    int32_t functionId = -1;       //   (base)
    int32_t statusKind = 0;        // 4: 1 succeeded, 3 failed
    int32_t statusValue = 0;       // 5
    StringBase statusName;         // 6
    StringBase statusDescription;  // 7
    StringBase callName;           // 8 (base)
    StringBase threadName;         // 9 (base)
    std::vector<CallParameter> inputParameters;   // 10
    std::vector<CallParameter> outputParameters;  // 11
    std::vector<CallBuffer> inputBuffers;         // 12
    std::vector<CallBuffer> outputBuffers;        // 13

    // Assigns members 4 to 7 in that order.
    void SetStatus(int32_t kind, int32_t value, const StringBase& name,
                   const StringBase& text);
    // Appends copies of the two strings to the input or output parameters.
    void AddParameter(const StringBase& name, const StringBase& value, bool input);
    // Appends a buffer entry to the input or output buffers.
    void AddBuffer(const StringBase& name, const char* data, int32_t size, bool input,
                   int32_t fullSize);
};
