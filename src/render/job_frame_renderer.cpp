#include "render/job_frame_renderer.h"

#include "render/library_render_effects.h"

namespace sprocket {

JobFrameRenderer CompositorFrameRenderer() {
  return [](const RenderFrameArgs& args, std::int32_t* result) {
    if (args.effects != nullptr) return RenderFrame(args, result);
    RenderFrameArgs withEffects = args;
    withEffects.effects = &LibraryRenderEffects();
    return RenderFrame(withEffects, result);
  };
}

}  // namespace sprocket
