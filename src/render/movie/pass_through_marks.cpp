#include "render/movie/pass_through_marks.h"

#include <cmath>

#include "platform/media/fourcc.h"
#include "render/compose/sample_copy.h"
#include "timeline/basics/media_type.h"

namespace sprocket {

namespace {

inline constexpr double kRateTolerance = 0.005;  // frames a second

bool IsCopyable(const TLEvent& clip, const TLEvent& head, const MovieSettings& output, bool doubleSize) {
  if (doubleSize || output.VbRecompress != 0 || head.cropMargins.Any()) return false;
  if (clip.trackType != kTrackVideo || clip.mediaType != kMediaAvi || !clip.header) return false;
  if (!clip.filters.empty() || clip.intermediateMovie || clip.speed != kNormalSpeed || clip.reverse != 0) return false;
  if (clip.crop != ClipCropWords{}) return false;
  const AviClipHeader* avi = clip.header->Avi();
  if (avi == nullptr || avi->video.scale == 0) return false;
  // A header that names no compressor (a rendered segment's file) leaves the
  // check to the movie join, which compares every sample's format.
  if (avi->video.handler != 0 && !FourCCEqualsNoCase(avi->video.handler, output.CompressionFourcc())) return false;
  if (avi->picture.width != (output.VResWidth & ~3) || std::abs(avi->picture.height) != (output.VResHeight & ~3)) {
    return false;
  }
  const double clipRate = static_cast<double>(avi->video.rate) / avi->video.scale;
  return std::fabs(clipRate - output.VFramesPerSec) < kRateTolerance;
}

}  // namespace

void MarkPassThroughClips(TLEvent* head, const MovieSettings& output, bool doubleSize) {
  if (head == nullptr) return;
  const FourCC board = MakeFourCC("CFCC");
  for (TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (!event->IsClipIn()) continue;
    event->passThroughKind = IsCopyable(*event, *head, output, doubleSize) ? kPassThroughCopy : kPassThroughNone;
    const AviClipHeader* avi = event->header ? event->header->Avi() : nullptr;
    event->boardNative = avi != nullptr && FourCCEqualsNoCase(avi->video.handler, board);
  }
}

void ClearNativeClipFlags(TLEvent* head) {
  for (TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (event->IsClipIn()) event->boardNative = false;
  }
}

}  // namespace sprocket
