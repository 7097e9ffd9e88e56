// The host's view of one side of a captured call.
//
// A captured call has two loggers: the input logger (every parameter as
// captured on entry) and the output logger (output parameters and return
// value as captured on return). Parameters are addressed by their 0-based
// position; every value is read through an out-parameter. All operations are
// const and never throw.
//
// The first entries of the table are fixed (the plug-in calls them by slot);
// do not reorder them.
#pragma once

#include <cstdint>

#include "ko/zel/Export.h"

// The host's number of a traced API family; 3 is VISA. Any int may occur.
enum EKoVeskApiType : int32_t {
    eKoVeskApiVisa = 3,
};

class KOVESK_API IKoVeskLogger {
public:
    // Data type code of the parameter (0 outside the logger's parameters).
    virtual void GetParamType(int index, int* type) const = 0;
    // Name of the parameter; *name is left as the caller preset it (callers
    // preset null) when the parameter has no name.
    virtual void GetParamName(int index, const char** name) const = 0;
    // Captured byte count (0 = none).
    virtual void GetParamSize(int index, int* size) const = 0;
    // True when the captured bytes are only the head and tail of the value.
    virtual void GetParamTruncated(int index, bool* truncated) const = 0;
    // Byte count of the whole value; 0 when none was recorded.
    virtual void GetParamFullSize(int index, int* fullSize) const = 0;
    // Values, read little-endian from the captured bytes; a narrower capture
    // is zero-extended; no capture reads as 0.
    virtual void GetParamInt32(int index, int32_t* value) const = 0;
    virtual void GetParamUInt8(int index, uint8_t* value) const = 0;
    virtual void GetParamUInt16(int index, uint16_t* value) const = 0;
    virtual void GetParamUInt32(int index, uint32_t* value) const = 0;
    virtual void GetParamFloat(int index, float* value) const = 0;
    virtual void GetParamDouble(int index, double* value) const = 0;
    // Pointer to the captured bytes; null when fewer than `byteCount` bytes
    // were captured (never a pointer that would be read past the data).
    virtual void GetParamBuffer(int index, const char** data, int byteCount) const = 0;
    // Position of the return value; -1 when none.
    virtual int GetReturnParamIndex() const = 0;
    // True when the call returned without error.
    virtual bool IsSuccessStatus() const = 0;
    // The API type (EKoVeskApiType) of the logged call.
    virtual int GetApiType() const = 0;
    // The function identifier; -1 when none.
    virtual int GetFunctionId() const = 0;
    // The function name; never null.
    virtual const char* GetFunctionName() const = 0;
    virtual int GetParamCount() const = 0;
    // As GetParamBuffer; `elementSize` states the width the caller will read.
    virtual void GetParamData(int index, const void** data, int elementSize,
                              int byteCount) const = 0;
    // Element width in bytes of an array parameter.
    virtual void GetParamElementSize(int index, int* elementSize) const = 0;

    virtual ~IKoVeskLogger();
};

// The host's full logger, as ingestion receives it. The plug-in calls only
// GetApiType and GetFunctionId on it, at the same slots as on IKoVeskLogger.
class KOVESK_API IKoVeskLoggerImpl : public IKoVeskLogger {
public:
    ~IKoVeskLoggerImpl() override;
};
