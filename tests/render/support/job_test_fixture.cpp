#include "job_test_fixture.h"

#include <cstring>

#include "platform/message_pump.h"
#include "render/picture/picture_ops.h"
#include "render/sources/render_state.h"

namespace sprocket::testing {

FrameColour ColourFor(double timeMs, std::int32_t field) {
  return FrameColour{static_cast<int>(timeMs / 40.0) & 255, field != 0 ? 200 : 0, 90};
}

namespace {

void Paint(std::uint8_t* dib, FrameColour colour) {
  std::optional<PictureGeometry> geometry = ReadPictureGeometry(dib);
  if (!geometry) return;
  for (std::int32_t y = 0; y < geometry->height; ++y) {
    std::uint8_t* row = geometry->Row(y);
    for (std::int32_t x = 0; x < geometry->width; ++x) {
      row[x * 3] = static_cast<std::uint8_t>(colour.blue);
      row[x * 3 + 1] = static_cast<std::uint8_t>(colour.green);
      row[x * 3 + 2] = static_cast<std::uint8_t>(colour.red);
    }
  }
}

// The bookkeeping of the compositor's reuse mode for a new picture.
void RecordNewPicture(const RenderFrameArgs& args) {
  RenderState& state = TheRenderState();
  SequenceReuse& record = *args.reuse;
  const bool same = state.IsLastSourceFile(args.outFile);
  if (!same) state.StoreLastSourceFile(args.outFile);
  record.name = args.outFile;
  record.newPicture = same ? 0 : 1;
  record.pictureNumber = state.outputPictureCounter++;
}

}  // namespace

RenderJobTest::RenderJobTest()
    : savedMovie_(TheApp().movie),
      savedPreview_(TheApp().preview),
      savedBasePath_(TheApp().imageSequenceBasePath),
      savedSegmentFlag_(TheApp().segmentRenderFlag) {
  ClearAbort();
  SetPumpHook({});
  doc.tempDir = temp.path().string() + "/";
  MovieSettings& movie = TheApp().movie;
  movie = MovieSettings::Defaults(MovieSettingsKind::kMovie);
  movie.VFramesPerSec = 25.0f;
  movie.VResWidth = movie.IResWidth = movie.FResWidth = 32;
  movie.VResHeight = movie.IResHeight = movie.FResHeight = 24;
  movie.VCompressionType = "DIB ";
  movie.VReserved1 = 0;
  movie.ASamplesPerSec = 22050;
  TheApp().segmentRenderFlag = 0;
  TheApp().imageSequenceBasePath.clear();
}

RenderJobTest::~RenderJobTest() {
  runner.reset();
  TheApp().movie = savedMovie_;
  TheApp().preview = savedPreview_;
  TheApp().imageSequenceBasePath = savedBasePath_;
  TheApp().segmentRenderFlag = savedSegmentFlag_;
  SetPumpHook({});
  ClearAbort();
}

RenderJobServices RenderJobTest::Services() {
  RenderJobServices services;
  services.renderFrame = [this](const RenderFrameArgs& args, std::int32_t* result) {
    FrameCall call{args.frameTime,
                   args.endTime,
                   args.width,
                   args.height,
                   args.mode,
                   args.fieldMode,
                   args.field,
                   args.frameArg,
                   args.outFile,
                   args.tracks != nullptr,
                   static_cast<bool>(args.pump)};
    calls.push_back(call);
    if (failAtCall > 0 && static_cast<int>(calls.size()) == failAtCall) return failStatus;
    *result = kFrameRendered;
    if (args.mode == kRenderModePassThrough && copySamples && args.rawSample != nullptr) {
      *args.rawSample = DibPicture::Allocate(64);
      *result = kFrameSampleCopied;
      return kRenderDone;
    }
    Paint(args.dib, ColourFor(args.frameTime, args.field));
    if (args.mode == kRenderModeReuse && args.reuse != nullptr) RecordNewPicture(args);
    return kRenderDone;
  };
  services.joinMovie = join;
  return services;
}

int RenderJobTest::Run(const RenderJob& job) {
  runner = std::make_unique<RenderJobRunner>(doc, ui, Services());
  return runner->Run(job);
}

}  // namespace sprocket::testing
