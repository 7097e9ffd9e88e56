#include "host/CKOVeskMemoryLogger.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

// What a data request for an empty capture points at: a valid address that
// holds nothing the caller may read (it asked for 0 bytes).
const unsigned char kEmptyCapture[1] = {0};

}  // namespace

CKOVeskMemoryLogger::CKOVeskMemoryLogger() = default;

CKOVeskMemoryLogger::~CKOVeskMemoryLogger() = default;

// --- building --------------------------------------------------------------

void CKOVeskMemoryLogger::Clear() {
    // The parameter slots, their name strings and byte vectors stay
    // allocated; AddParam resets a slot's content when it reuses it.
    m_count = 0;
    m_functionName.clear();
    m_functionId = -1;
    m_apiType = eKoVeskApiVisa;
    m_returnIndex = -1;
    m_success = true;
}

void CKOVeskMemoryLogger::SetFunction(const char* name, int functionId, int apiType) {
    m_functionName.assign(name ? name : "");
    m_functionId = functionId;
    m_apiType = apiType;
}

void CKOVeskMemoryLogger::SetReturnParamIndex(int index) { m_returnIndex = index; }

void CKOVeskMemoryLogger::SetSuccessStatus(bool success) { m_success = success; }

int CKOVeskMemoryLogger::AddParam(const char* name, int type) {
    return AddParam(name, name ? std::strlen(name) : 0, type);
}

int CKOVeskMemoryLogger::AddParam(const char* name, size_t nameLength, int type) {
    if (m_count == std::numeric_limits<int>::max()) {
        throw std::length_error("CKOVeskMemoryLogger: too many parameters");
    }
    if (static_cast<size_t>(m_count) == m_params.size()) m_params.emplace_back();
    tParam& param = m_params[static_cast<size_t>(m_count)];
    // Reset field by field: assign and clear keep the slot's capacity.
    param.hasName = name != nullptr;
    param.name.assign(name ? name : "", name ? nameLength : 0);
    param.type = type;
    param.bytes.clear();
    param.hasData = false;
    param.size = 0;
    param.truncated = false;
    param.fullSize = 0;
    param.elementSize = 1;
    return m_count++;
}

void CKOVeskMemoryLogger::SetParamBytes(int index, const void* data, size_t count) {
    tParam* param = find(index);
    if (!param) throw std::out_of_range("CKOVeskMemoryLogger: no such parameter");
    if (count > static_cast<size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("CKOVeskMemoryLogger: capture larger than 2 GiB");
    }
    if (count && !data) throw std::invalid_argument("CKOVeskMemoryLogger: null capture");
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    param->bytes.assign(bytes, bytes + count);
    param->hasData = true;
    param->size = static_cast<int>(count);
}

void CKOVeskMemoryLogger::TakeParamBytes(int index, std::vector<unsigned char>& bytes) {
    tParam* param = find(index);
    if (!param) throw std::out_of_range("CKOVeskMemoryLogger: no such parameter");
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("CKOVeskMemoryLogger: capture larger than 2 GiB");
    }
    param->bytes.swap(bytes);
    bytes.clear();
    param->hasData = true;
    param->size = static_cast<int>(param->bytes.size());
}

void CKOVeskMemoryLogger::SetParamSizeWithoutData(int index, int size) {
    tParam* param = find(index);
    if (!param) throw std::out_of_range("CKOVeskMemoryLogger: no such parameter");
    param->bytes.clear();
    param->hasData = false;
    param->size = size;
}

void CKOVeskMemoryLogger::SetParamTruncated(int index, bool truncated) {
    tParam* param = find(index);
    if (!param) throw std::out_of_range("CKOVeskMemoryLogger: no such parameter");
    param->truncated = truncated;
}

void CKOVeskMemoryLogger::SetParamFullSize(int index, int fullSize) {
    tParam* param = find(index);
    if (!param) throw std::out_of_range("CKOVeskMemoryLogger: no such parameter");
    param->fullSize = fullSize;
}

void CKOVeskMemoryLogger::SetParamElementSize(int index, int elementSize) {
    tParam* param = find(index);
    if (!param) throw std::out_of_range("CKOVeskMemoryLogger: no such parameter");
    param->elementSize = elementSize;
}

// --- reading ---------------------------------------------------------------

void CKOVeskMemoryLogger::readLittleEndian(int index, void* out, size_t width) const {
    const tParam* param = find(index);
    const size_t available = (param && param->hasData) ? param->bytes.size() : 0;
    const size_t used = available < width ? available : width;
    // `out` is an integer or real of `width` bytes; on this little-endian
    // host the captured bytes, zero-extended, are its value.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the host is little-endian");
    uint64_t value = 0;
    if (used) std::memcpy(&value, param->bytes.data(), used);
    std::memcpy(out, &value, width);
}

void CKOVeskMemoryLogger::GetParamType(int index, int* type) const {
    if (!type) return;
    const tParam* param = find(index);
    *type = param ? param->type : 0;
}

void CKOVeskMemoryLogger::GetParamName(int index, const char** name) const {
    if (!name) return;
    const tParam* param = find(index);
    if (param && param->hasName) *name = param->name.c_str();
}

void CKOVeskMemoryLogger::GetParamSize(int index, int* size) const {
    if (!size) return;
    const tParam* param = find(index);
    *size = param ? param->size : 0;
}

void CKOVeskMemoryLogger::GetParamTruncated(int index, bool* truncated) const {
    if (!truncated) return;
    const tParam* param = find(index);
    *truncated = param ? param->truncated : false;
}

void CKOVeskMemoryLogger::GetParamFullSize(int index, int* fullSize) const {
    if (!fullSize) return;
    const tParam* param = find(index);
    *fullSize = param ? param->fullSize : 0;
}

void CKOVeskMemoryLogger::GetParamInt32(int index, int32_t* value) const {
    if (value) readLittleEndian(index, value, sizeof(*value));
}

void CKOVeskMemoryLogger::GetParamUInt8(int index, uint8_t* value) const {
    if (value) readLittleEndian(index, value, sizeof(*value));
}

void CKOVeskMemoryLogger::GetParamUInt16(int index, uint16_t* value) const {
    if (value) readLittleEndian(index, value, sizeof(*value));
}

void CKOVeskMemoryLogger::GetParamUInt32(int index, uint32_t* value) const {
    if (value) readLittleEndian(index, value, sizeof(*value));
}

void CKOVeskMemoryLogger::GetParamFloat(int index, float* value) const {
    static_assert(sizeof(float) == 4, "a captured float is 4 bytes");
    if (value) readLittleEndian(index, value, sizeof(*value));
}

void CKOVeskMemoryLogger::GetParamDouble(int index, double* value) const {
    static_assert(sizeof(double) == 8, "a captured double is 8 bytes");
    if (value) readLittleEndian(index, value, sizeof(*value));
}

void CKOVeskMemoryLogger::GetParamBuffer(int index, const char** data, int byteCount) const {
    if (!data) return;
    const void* bytes = nullptr;
    GetParamData(index, &bytes, 1, byteCount);
    *data = static_cast<const char*>(bytes);
}

void CKOVeskMemoryLogger::GetParamData(int index, const void** data, int /*elementSize*/,
                                       int byteCount) const {
    if (!data) return;
    *data = nullptr;
    const tParam* param = find(index);
    if (!param || !param->hasData || byteCount < 0) return;
    if (static_cast<size_t>(byteCount) > param->bytes.size()) return;
    *data = param->bytes.empty() ? kEmptyCapture : param->bytes.data();
}

void CKOVeskMemoryLogger::GetParamElementSize(int index, int* elementSize) const {
    if (!elementSize) return;
    const tParam* param = find(index);
    *elementSize = param ? param->elementSize : 0;
}

int CKOVeskMemoryLogger::GetReturnParamIndex() const { return m_returnIndex; }

bool CKOVeskMemoryLogger::IsSuccessStatus() const { return m_success; }

int CKOVeskMemoryLogger::GetApiType() const { return m_apiType; }

int CKOVeskMemoryLogger::GetFunctionId() const { return m_functionId; }

const char* CKOVeskMemoryLogger::GetFunctionName() const { return m_functionName.c_str(); }

int CKOVeskMemoryLogger::GetParamCount() const { return m_count; }
