// --pages[=N]: the property pages of each call (or of call N), as the
// host's page files pull them: the record's ShowProperties, then the
// plug-in's VeskVV_* entry points with the host's current property call
// set to the record.
#pragma once

#include "replay/PluginLoader.h"
#include "replay/Renderer.h"

namespace vesk::replay {

class PagesRenderer : public Renderer {
public:
    explicit PagesRenderer(const PluginEntryPoints& entryPoints) : m_entryPoints(entryPoints) {}

    void Render(uint64_t number, IKoVeskCall* record, const CapturedCall& call,
                OutputBuffer& out) override;

private:
    void renderInputPage(OutputBuffer& out);
    void renderOutputPage(OutputBuffer& out);
    void renderBufferPage(OutputBuffer& out);

    const PluginEntryPoints& m_entryPoints;
};

}  // namespace vesk::replay
