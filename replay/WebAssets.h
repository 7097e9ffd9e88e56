// The browser view's files (replay/web/), embedded into the program when it
// is built: the page, its style sheet and its scripts.
#pragma once

#include <cstddef>
#include <string_view>

namespace vesk::replay {

struct tWebAsset {
    const char* name;         // the file name, as the page refers to it
    const char* contentType;  // for the HTTP answer
    const unsigned char* data;
    size_t size;

    std::string_view Text() const { return {reinterpret_cast<const char*>(data), size}; }
};

// The asset named `name`; null when there is none.
const tWebAsset* FindWebAsset(std::string_view name);

}  // namespace vesk::replay
