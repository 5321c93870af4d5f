#pragma once
// The frame compositor: one output picture of the timeline at a time.
//
// RenderFrame asks the timeline for the render entries under the time
// (BuildRenderList), fetches each entry's pictures through GetDIB, runs the
// entry's filters and its transition through the effect libraries, and lays
// the results one over the other into the caller's picture, each under its
// own mask (the first entry at the bottom). Before that it offers the whole
// frame to the fast path. For AVI output (mode 1) a single clip whose
// compressed samples may be copied hands back a sample instead of a
// picture, and a single movie clip shown as it is (no filter, mask, field
// step or double size) hands back its decoded frame, which the movie's
// writer scales itself; for the display-only preview (mode 2) a single clip answers
// through the reuse record whether the previous picture stands.
//
//   RenderFrameArgs args;
//   args.dib = picture.data();  args.width = w;  args.height = h;
//   args.head = head;  args.frameTime = args.endTime = t;  args.effects = &effects;
//   std::int32_t produced = 0;
//   int status = RenderFrame(args, &produced);   // 0, -1 out of memory, -2 stopped

#include <cstdint>
#include <optional>
#include <string>

#include "libs/effectcatalog/effect_stop.h"
#include "render/compose/render_effects.h"
#include "render/picture/dib_picture.h"
#include "render/sources/track_list.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// Render modes.
inline constexpr std::int32_t kRenderModePassThrough = 1;  // AVI output, compressed samples may be copied
inline constexpr std::int32_t kRenderModeReuse = 2;        // display-only preview, pictures reused
inline constexpr std::int32_t kRenderModePlain = 3;

// What a call produced (the result code).
inline constexpr std::int32_t kFrameRendered = 0;      // a picture is in the output
inline constexpr std::int32_t kFrameSampleCopied = 1;  // mode 1: the raw sample stands for the frame
inline constexpr std::int32_t kFrameReused = 2;        // mode 2: answered through the reuse record
inline constexpr std::int32_t kFrameNothing = 3;       // mode 2: nothing lies under the time
inline constexpr std::int32_t kFrameDecoded = 4;       // mode 1: the decoded movie frame stands for the frame

// Return values.
inline constexpr int kRenderDone = 0;
inline constexpr int kRenderNoMemory = -1;
inline constexpr int kRenderStopped = -2;

// The reuse record of the display-only preview (mode 2).
struct SequenceReuse {
  std::int32_t link = 0;            // the caller's own use; not read
  std::optional<std::string> name;  // a source file's or the output file's name
  std::int32_t newPicture = 0;      // 1 a new picture was produced, 0 the previous one stands
  std::int32_t pictureNumber = 0;
};

struct RenderFrameArgs {
  RenderPumpCallback pump;      // handed to the effect libraries (may be empty)
  std::string outFile;          // the output file (mode 2)
  double frameTime = 0.0;       // ms
  std::uint8_t* dib = nullptr;  // the locked output picture: 24-bit, width x height
  const TLEvent* head = nullptr;
  std::int32_t fieldMode = 0;  // the output's field mode (0 whole frames)
  std::int32_t field = 0;      // which field of the frame is rendered, 0 or 1
  double endTime = 0.0;        // the effect percentages take their values at this time
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t mode = kRenderModePlain;
  std::int32_t preview = 0;              // 1 the preview settings apply, 0 the movie settings
  std::int32_t doubleSize = 0;           // compose at twice the width and height and reduce
  DibPicture* rawSample = nullptr;       // mode 1: receives the copied sample or nothing
  DecodedVideoFrame* decoded = nullptr;  // mode 1: receives the decoded frame or nothing (may be null)
  SequenceReuse* reuse = nullptr;        // mode 2
  TrackList* tracks = nullptr;           // the chain of open sources, or null: sources are opened for this frame
  std::int32_t effectArg = 0;            // the last value of every filter call
  std::int32_t frameArg = 0;             // the caller's frame value (not read)
  std::int32_t options = 0;              // kRenderOptionNoFieldStep, kRenderOptionNoCrop
  RenderEffects* effects = nullptr;      // required
  int depth = 0;                         // nesting depth (0 for callers outside the renderer)
};

// Renders the frame at `frameTime`. Returns kRenderDone, kRenderNoMemory
// (also for an output picture that is not 24-bit of width x height, or no
// effects) or kRenderStopped (an effect call was stopped by the user).
// `result` (may be null) receives what was produced.
int RenderFrame(const RenderFrameArgs& args, std::int32_t* result);

}  // namespace sprocket
