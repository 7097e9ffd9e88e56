#include "replay/Renderer.h"

namespace vesk::replay {

// Key function: the table of Renderer lives here.
Renderer::~Renderer() = default;

void Renderer::Begin(OutputBuffer&) {}

void Renderer::End(OutputBuffer&) {}

bool Renderer::UsesRecord() const { return true; }

}  // namespace vesk::replay
