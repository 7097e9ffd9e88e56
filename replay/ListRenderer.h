// --list: one line per call, as the host's call list shows it:
// number, tab, status column, tab, description.
#pragma once

#include "replay/Renderer.h"

namespace vesk::replay {

class ListRenderer : public Renderer {
public:
    void Render(uint64_t number, IKoVeskCall& record, const CapturedCall& call,
                OutputBuffer& out) override;
};

}  // namespace vesk::replay
