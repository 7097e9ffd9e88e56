// One output mode of the replay: what is printed for each call.
//
// The replay drives a record through ingestion and both descriptions, then
// hands it to the renderer of the chosen mode. A renderer asks the record
// (or the plug-in's page entry points) for what the host would show and
// appends it to the output. Exceptions raised by the plug-in pass through;
// the replay then drops whatever the renderer appended for that call.
#pragma once

#include <cstdint>

#include "host/IKoVeskCall.h"
#include "replay/CapturedCall.h"
#include "replay/OutputBuffer.h"

namespace vesk::replay {

class Renderer {
public:
    virtual ~Renderer();

    // Before the first call and after the last one.
    virtual void Begin(OutputBuffer& out);
    virtual void End(OutputBuffer& out);

    // True when the renderer shows what the plug-in renders of a call;
    // false when it reads only the capture, and the replay makes no record.
    virtual bool UsesRecord() const;

    // Renders call `number` (its position among the call lines, from 1);
    // `record` is null when UsesRecord() is false.
    virtual void Render(uint64_t number, IKoVeskCall* record, const CapturedCall& call,
                        OutputBuffer& out) = 0;
};

}  // namespace vesk::replay
