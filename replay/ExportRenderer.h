// --export[=USE]: the call's text export lines, as the host writes them for
// the export use USE; an empty line after each call.
#pragma once

#include <vector>

#include "replay/Renderer.h"

namespace vesk::replay {

class ExportRenderer : public Renderer {
public:
    explicit ExportRenderer(IKoVeskCall::eCallExportUse use) : m_use(use) {}

    void Render(uint64_t number, IKoVeskCall& record, const CapturedCall& call,
                OutputBuffer& out) override;

private:
    IKoVeskCall::eCallExportUse m_use;
    std::vector<StringBase> m_lines;  // reused: keeps its capacity
};

}  // namespace vesk::replay
