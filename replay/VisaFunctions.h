// The function identifiers of the VISA operations, by name, from the table
// replay/VisaFunctions.tsv (built into the program). A capture line without
// "id" gets the identifier of its function name from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vesk::replay {

struct tVisaFunction {
    std::string_view name;
    int32_t id;
};

// The identifier of the VISA operation `name` (exact, case-sensitive), or
// -1 when it is none.
int32_t FindVisaFunctionId(std::string_view name);

// Every operation, sorted by name.
const tVisaFunction* VisaFunctionsBegin();
const tVisaFunction* VisaFunctionsEnd();

}  // namespace vesk::replay
