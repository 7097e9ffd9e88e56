#include "replay/HostRecord.h"

#include <stdexcept>

namespace vesk::replay {

RecordPtr MakeRecord(const PluginEntryPoints& entryPoints, CapturedCall& call,
                     CProcThreadInfo& thread) {
    RecordPtr record(entryPoints.newCall());
    if (!record) throw std::runtime_error("the plug-in made no record");
    record->InitProcThreadInfo(&thread);
    bool handled = false;
    record->ProcessLoggerInput(&call.input, handled);
    record->FormatCallDescriptionInput();
    if (call.hasOutput) {
        if (call.matching) {
            record->ProcessLoggerMatchingOutput(&call.output);
        } else {
            record->ProcessLoggerNonMatchingOutput(&call.output, handled);
        }
        record->FormatCallDescriptionOutput();
    }
    return record;
}

}  // namespace vesk::replay
