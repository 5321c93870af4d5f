#pragma once
// How the render job has its frames rendered: one call per frame or field,
// with the compositor's arguments and result code. The job takes the
// renderer as a function so that tests can hand it pictures of their own.

#include <cstdint>
#include <functional>

#include "render/compose/render_frame.h"

namespace sprocket {

// Renders one frame as RenderFrame does (same arguments, return value and
// result code).
using JobFrameRenderer = std::function<int(const RenderFrameArgs& args, std::int32_t* result)>;

// RenderFrame with the effect libraries (LibraryRenderEffects) when the
// arguments name none.
JobFrameRenderer CompositorFrameRenderer();

// The same frames through the disk-buffered renderer (RenderFrameToDisk),
// for documents that ask for it: the temporary folder is the arguments'
// output file, and a copied sample answers kFrameSampleCopied. Answers 0, or
// -1 when the renderer failed.
JobFrameRenderer BufferedFrameRenderer();

}  // namespace sprocket
