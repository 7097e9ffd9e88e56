// --export[=USE]: the call's text export lines, as the host writes them for
// the export use USE; an empty line after each call.
#pragma once

#include <vector>

#include "replay/Renderer.h"

namespace vesk::replay {

class ExportRenderer : public Renderer {
public:
    explicit ExportRenderer(IKoVeskCall::eCallExportUse use) : m_use(use) {}

    void Render(uint64_t number, IKoVeskCall* record, const CapturedCall& call,
                OutputBuffer& out) override;

private:
    // Lines kept from call to call; after a call that needed more, all are
    // released (a long dump's lines would hold hundreds of megabytes).
    static constexpr size_t kKeptLines = 4096;

    IKoVeskCall::eCallExportUse m_use;
    std::vector<StringBase> m_lines;  // reused, with their buffers
};

}  // namespace vesk::replay
