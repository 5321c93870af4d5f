#include "render/output/job_frame_renderer.h"

#include "render/compose/disk_render.h"
#include "render/compose/library_render_effects.h"

namespace sprocket {

JobFrameRenderer CompositorFrameRenderer() {
  return [](const RenderFrameArgs& args, std::int32_t* result) {
    if (args.effects != nullptr) return RenderFrame(args, result);
    RenderFrameArgs withEffects = args;
    withEffects.effects = &LibraryRenderEffects();
    return RenderFrame(withEffects, result);
  };
}

JobFrameRenderer BufferedFrameRenderer() {
  return [](const RenderFrameArgs& args, std::int32_t* result) {
    *result = kFrameRendered;
    // The renderer's three work pictures of the frame's size.
    DibPicture destination = DibPicture::Black24(args.width, args.height);
    DibPicture pictureA = DibPicture::Black24(args.width, args.height);
    DibPicture mask = DibPicture::Black24(args.width, args.height);
    if (!destination || !pictureA || !mask) return kRenderNoMemory;
    DiskRenderArgs disk;
    disk.pump = args.pump;
    disk.tempDir = args.outFile;
    disk.time = args.frameTime;
    disk.head = args.head;
    disk.preview = args.preview;
    disk.frame = args.dib;
    disk.destination = destination.data();
    disk.pictureA = pictureA.data();
    disk.mask = mask.data();
    disk.width = args.width;
    disk.height = args.height;
    disk.fieldSelector = args.field;
    disk.quality = true;
    disk.tracks = args.tracks;
    std::int32_t copied = 0;
    disk.copiedFlag = &copied;
    disk.rawResult = args.mode == kRenderModePassThrough ? args.rawSample : nullptr;
    disk.effects = args.effects != nullptr ? args.effects : &LibraryRenderEffects();
    if (RenderFrameToDisk(disk) != 0) return kRenderNoMemory;
    if (copied != 0 && disk.rawResult != nullptr && *disk.rawResult) *result = kFrameSampleCopied;
    return kRenderDone;
  };
}

}  // namespace sprocket
