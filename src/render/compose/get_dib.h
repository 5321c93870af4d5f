#pragma once
// The source pictures of one render entry, as the frame compositor takes
// them: for a video-track entry ('V') its picture and, in the masked form,
// the alpha mask of a still with an alpha channel; for a transition entry
// ('X') the A and the B picture.
//
// Every picture comes out cropped by the timeline's crop margins, 24 bits a
// pixel and scaled to the working size. Sources: AVI, FLI and FLC clips
// (through the track's TrackList node when the caller keeps sources open,
// else through the clip media library), stills of the image-file library's
// formats, 32-bit TGA files with alpha, image sequences, interlaced clips (a
// single field stretched back to full height), the blank frame
// "~zkbblnk.bmp", and clips without a file, which stand for a stretch of the
// timeline itself and are rendered by RenderFrame again, at most
// kMaxNestedRenders deep.
//
// Failures are written to the render log ("logged in GetDIB()" and its
// variants) and answered with 0 and empty pictures: the compositor then
// skips a 'V' entry and shows black for both sides of an 'X' entry.

#include <array>
#include <cstdint>
#include <string>

#include "libs/effectcatalog/effect_stop.h"
#include "render/compose/render_effects.h"
#include "render/picture/dib_picture.h"
#include "render/sources/track_list.h"
#include "timeline/records/render_entry.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// How many renders of the timeline may lie inside one another (a clip that
// stands for a stretch of the timeline showing such a clip, and so on).
inline constexpr int kMaxNestedRenders = 8;

struct GetDibArgs {
  RenderPumpCallback pump;        // handed to nested renders
  std::string outFile;            // the output file of the frame
  const TLEvent* head = nullptr;  // the timeline
  const RenderEntry* entry = nullptr;
  std::int32_t width = 0;  // the working size
  std::int32_t height = 0;
  std::int32_t preview = 0;          // 1 the preview settings apply, 0 the movie settings
  std::int32_t doubleSize = 0;       // composed at twice the size: scale with the filtered rescaler
  std::int32_t fieldMode = 0;        // the output's field mode (0 whole frames)
  std::int32_t field = 0;            // the output's field flag, 0 or 1
  TrackList* node = nullptr;         // the entry's node of the caller's chain, or null
  std::int32_t options = 0;          // kRenderOptionNoFieldStep, kRenderOptionNoCrop
  RenderEffects* effects = nullptr;  // for nested renders
  int depth = 0;                     // how deep the frame asking lies in nested renders
};

// Masked form: `pictures[0]` receives the 'V' picture or the A picture,
// `pictures[1]` the B picture (empty for 'V'); `mask` (may be null) the
// alpha mask of a 'V' entry's still (a 24-bit picture of weights in its blue
// bytes, 0..128), or an empty picture when the still has none; it is left
// alone for other sources. 1 on success, 0 on failure (all outputs empty).
// An entry of another track letter succeeds and leaves the pictures alone.
int GetDIB(const GetDibArgs& args, std::array<DibPicture, 2>& pictures, DibPicture* mask);
// Plain form: the same without a mask.
int GetDIB(const GetDibArgs& args, std::array<DibPicture, 2>& pictures);

// True when a side's file name is the blank frame (its file-name part
// starts with "~zkbblnk.bmp"): a black picture that needs no file.
bool IsBlankFrameName(const std::string& name);

}  // namespace sprocket
