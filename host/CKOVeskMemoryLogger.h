// The host's in-memory logger: holds the parameters of one side of a
// captured call and answers the IKoVeskLogger reads from them.
//
// Reads are bounded by what was captured: values are read little-endian and
// zero-extended from fewer bytes; a data request for more bytes than were
// captured gives a null pointer; a position outside the parameters gives no
// name, type 0, size 0, value 0 and a null data pointer.
//
// Clear() keeps every allocation, so one logger reused for call after call
// stops allocating once it has seen its largest call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/IKoVeskLogger.h"
#include "ko/zel/Export.h"

class KOVESK_API CKOVeskMemoryLogger : public IKoVeskLoggerImpl {
public:
    CKOVeskMemoryLogger();
    ~CKOVeskMemoryLogger() override;

    // --- building (host side) ---------------------------------------------

    // Forgets the call: no parameters, function "", id -1, API type 3,
    // return index -1, success true. Keeps allocations.
    void Clear();
    void SetFunction(const char* name, int functionId, int apiType);
    void SetReturnParamIndex(int index);
    void SetSuccessStatus(bool success);

    // Appends a parameter without data and returns its position. `name` may
    // be null (the logger then gives no name).
    int AddParam(const char* name, int type);
    int AddParam(const char* name, size_t nameLength, int type);
    // The captured bytes of parameter `index` (size = `count`).
    void SetParamBytes(int index, const void* data, size_t count);
    // The same, taking over `bytes` without copying them; `bytes` gets the
    // parameter's former storage in exchange (empty, of some capacity).
    void TakeParamBytes(int index, std::vector<unsigned char>& bytes);
    // A captured size without data: reads give a null data pointer.
    void SetParamSizeWithoutData(int index, int size);
    void SetParamTruncated(int index, bool truncated);
    void SetParamFullSize(int index, int fullSize);
    void SetParamElementSize(int index, int elementSize);

    // --- IKoVeskLogger ------------------------------------------------------

    void GetParamType(int index, int* type) const override;
    void GetParamName(int index, const char** name) const override;
    void GetParamSize(int index, int* size) const override;
    void GetParamTruncated(int index, bool* truncated) const override;
    void GetParamFullSize(int index, int* fullSize) const override;
    void GetParamInt32(int index, int32_t* value) const override;
    void GetParamUInt8(int index, uint8_t* value) const override;
    void GetParamUInt16(int index, uint16_t* value) const override;
    void GetParamUInt32(int index, uint32_t* value) const override;
    void GetParamFloat(int index, float* value) const override;
    void GetParamDouble(int index, double* value) const override;
    void GetParamBuffer(int index, const char** data, int byteCount) const override;
    int GetReturnParamIndex() const override;
    bool IsSuccessStatus() const override;
    int GetApiType() const override;
    int GetFunctionId() const override;
    const char* GetFunctionName() const override;
    int GetParamCount() const override;
    void GetParamData(int index, const void** data, int elementSize,
                      int byteCount) const override;
    void GetParamElementSize(int index, int* elementSize) const override;

private:
    struct tParam {
        std::string name;
        bool hasName = false;
        int type = 0;
        std::vector<unsigned char> bytes;
        bool hasData = false;
        int size = 0;
        bool truncated = false;
        int fullSize = 0;
        int elementSize = 1;
    };

    // The parameter at `index`; null outside the parameters. Inline: every
    // read of the logger starts here.
    const tParam* find(int index) const {
        if (index < 0 || index >= m_count) return nullptr;
        return &m_params[static_cast<size_t>(index)];
    }
    tParam* find(int index) {
        if (index < 0 || index >= m_count) return nullptr;
        return &m_params[static_cast<size_t>(index)];
    }
    // Copies up to `width` captured bytes into `out`, zero-extended.
    void readLittleEndian(int index, void* out, size_t width) const;

    std::vector<tParam> m_params;  // the first m_count are in use
    int m_count = 0;
    std::string m_functionName;
    int m_functionId = -1;
    int m_apiType = eKoVeskApiVisa;
    int m_returnIndex = -1;
    bool m_success = true;
};
