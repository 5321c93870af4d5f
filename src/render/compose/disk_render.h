#pragma once
// The disk-buffered frame renderer: frames rendered with their intermediate
// pictures kept in temporary files, so that only the caller's four
// frame-sized pictures are in memory at once.
//
// Each clip's picture is made (GetEntryPicture), filtered by the filter
// renderer's "to file" call, transitions are rendered by the transition
// renderer's "to file" call, and the running composite of the frame lives in
// a temporary file between the entries. A clip that stands for a stretch of
// the timeline is rendered by the same renderer, nested, into a temporary
// file. The trailing effect (filter 9000) keeps its accumulated picture and
// alpha in two temporary files.
//
// Temporary files, all with the extension "tmp", in the temporary folder
// given by the caller (the document's): "~ctmp0<n>" the A side of a
// transition while the B side is made, "~ctmp1<n>" the frame's running
// composite, "~cltmp2<n>" the result of a nested render, where n is the
// nesting depth; "~zkbtr00" and "~zkbtr11" the trailing effect's
// accumulated picture (24-bit) and alpha (8-bit). Every write and read of a
// picture file is checked: a short one ends the render with -1.

#include <cstdint>
#include <string>

#include "libs/effectcatalog/effect_stop.h"
#include "render/compose/render_effects.h"
#include "render/picture/dib_picture.h"
#include "render/sources/track_list.h"
#include "timeline/records/render_entry.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// Sides of GetEntryPicture.
inline constexpr int kEntrySideA = 0;
inline constexpr int kEntrySideB = 1;
inline constexpr int kEntryVideo = 2;

struct DiskRenderArgs {
  RenderPumpCallback pump;
  std::string tempDir;  // the temporary folder (ending in '/' or not)
  std::string outPath;  // when not empty, the frame is also written to this picture file
  double time = 0.0;    // ms
  const TLEvent* head = nullptr;
  std::int32_t preview = 0;  // 1 the preview settings apply, 0 the movie settings
  // The caller's locked 24-bit pictures, all of the frame size: the frame
  // (receives the result), a destination and two work pictures.
  std::uint8_t* frame = nullptr;
  std::uint8_t* destination = nullptr;
  std::uint8_t* pictureA = nullptr;
  std::uint8_t* mask = nullptr;
  std::int32_t width = 0;  // the output size
  std::int32_t height = 0;
  std::int32_t fieldDoubling = 0;      // the frame size is twice the output size
  std::int32_t fieldSelector = 0;      // the field of interlaced clips the render window asks for
  bool quality = false;                // scale pictures with the filtered rescaler instead of the nearest pixel
  TrackList* tracks = nullptr;         // the chain of open sources, or null
  std::int32_t* copiedFlag = nullptr;  // set to 1 when the frame was copied as stored video, else 0
  DibPicture* rawResult = nullptr;     // receives the copied sample; when null no sample is copied
  RenderEffects* effects = nullptr;    // required
  int depth = 0;                       // nesting depth (0 for callers outside the renderer)
};

// Renders the frame at `time` into `frame`. 0 on success, -1 when a
// temporary file cannot be made, written or read whole, a picture does not
// have the frame size, or an effect call was stopped by the user.
int RenderFrameToDisk(const DiskRenderArgs& args);

// Makes one picture of an entry (side kEntrySideA or kEntrySideB of an 'X'
// entry, kEntryVideo for a 'V' entry) into `destination` at the frame size.
// 1 when a picture was made, 0 otherwise (a nested render that failed
// writing its files also gives 0).
int GetEntryPicture(const DiskRenderArgs& args, const RenderEntry& entry, int side, std::uint8_t* destination);

// Deletes the trailing effect's two accumulation files of a temporary
// folder; the render job calls it when it starts and when it ends, so that
// a trail never outlives its job.
void ClearDiskAccumulation(const std::string& tempDir);

}  // namespace sprocket
