// A call record driven through a captured call as the host drives it:
// made by the plug-in's factory, given the thread's nesting depth, the
// input ingested and described, then (for a call that returned) the output
// ingested, matching or not, and described again.
#pragma once

#include <memory>

#include "host/CProcThreadInfo.h"
#include "host/IKoVeskCall.h"
#include "replay/CapturedCall.h"
#include "replay/PluginLoader.h"

namespace vesk::replay {

// The host destroys its records through the virtual destructor.
struct tRecordDeleter {
    void operator()(IKoVeskCall* record) const { delete record; }
};
using RecordPtr = std::unique_ptr<IKoVeskCall, tRecordDeleter>;

// The record of `call`, ready for every rendering. Exceptions of the
// plug-in pass through; throws std::runtime_error when the factory makes no
// record. `call` and `thread` must outlive the record (it reads the loggers
// and keeps the thread's depth).
RecordPtr MakeRecord(const PluginEntryPoints& entryPoints, CapturedCall& call,
                     CProcThreadInfo& thread);

}  // namespace vesk::replay
