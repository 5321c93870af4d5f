#pragma once
// The effect libraries bound to the renderers' interface: the filter,
// transition and fast-path libraries of src/libs. Programs that render link
// those libraries and pass LibraryRenderEffects() to RenderFrame and
// RenderFrameToDisk.

#include <cstdint>

#include "render/compose/render_effects.h"

namespace sprocket {

// The one binding (it holds no state of its own).
RenderEffects& LibraryRenderEffects();

// The fast path's test of a render entry for the render-list builder: the
// entry as the fast path would be told of it, for a compressor `codec`.
bool IsTurboRenderEntry(const RenderEntry& entry, std::uint32_t codec);

}  // namespace sprocket
