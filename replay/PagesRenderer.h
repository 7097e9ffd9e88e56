// --pages[=N]: the property pages of each call (or of call N) as text, in
// the order the host's page files pull them (PropertyPageReader).
#pragma once

#include "replay/PluginLoader.h"
#include "replay/PropertyPageReader.h"
#include "replay/Renderer.h"

namespace vesk::replay {

class PagesRenderer : public Renderer {
public:
    explicit PagesRenderer(const PluginEntryPoints& entryPoints) : m_reader(entryPoints) {}

    void Render(uint64_t number, IKoVeskCall* record, const CapturedCall& call,
                OutputBuffer& out) override;

private:
    PropertyPageReader m_reader;
};

}  // namespace vesk::replay
