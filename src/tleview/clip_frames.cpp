// A clip's frames through the compositor's source pictures.

#include "tleview/clip_frames.h"

#include <algorithm>

#include "render/compose/get_dib.h"
#include "render/picture/dib_picture.h"
#include "render/picture/picture_ops.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/render_list.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {

DibPicture CompositorFrameSource::OtherFileFrame(const TLEvent& clip, std::int32_t ms, int width, int height) {
  const std::string path = clip.MediaPath();
  if (path != openPath_) {
    openPath_.clear();
    if (!reader_.Open(path)) return {};
    openPath_ = path;
  }
  const double fps = reader_.FramesPerSecond();
  if (!(fps > 0.0) || reader_.FrameCount() <= 0) return {};
  const std::int32_t speed = clip.speed > 0 ? clip.speed : kNormalSpeed;
  const double offset = static_cast<double>(std::max(ms - clip.time, 0)) * speed / 100.0;
  const double mediaMs = clip.reverse != 0 ? clip.playOut - offset - 1000.0 / fps : clip.playIn + offset;
  const auto frame =
      std::clamp<std::int64_t>(static_cast<std::int64_t>(mediaMs * fps / 1000.0), 0, reader_.FrameCount() - 1);
  DibPicture picture = DibPicture::Adopt(reader_.ReadFrame(frame));
  if (!picture) return {};
  return ScaleDib24(picture.data(), width, height);
}

DibPicture CompositorFrameSource::FrameAt(const TLEvent& clip, std::int32_t rate, std::int32_t ms, int width,
                                          int height) {
  if (width <= 0 || height <= 0 || clip.intermediateMovie) return {};
  if (clip.mediaType == kMediaOther) return OtherFileFrame(clip, ms, width, height);
  // The clip alone, without effects: the entry then names only its media.
  const std::int32_t out = clip.OutTime();
  EventListSlot timeline = NewTimeline(rate, std::max(out, clip.time + 1));
  if (AppendTrack(timeline.get(), kTrackVideo) == nullptr) return {};
  TLEventFields fields = static_cast<const TLEventFields&>(clip);
  fields.filters.clear();
  fields.thumbnail = nullptr;
  fields.waveform0 = nullptr;
  fields.waveform1 = nullptr;
  fields.transitionIcon = nullptr;
  if (InsertClip(timeline.get(), 1, clip.time, out, fields) == nullptr) return {};
  const double t = std::clamp(ms, clip.time, std::max(clip.time, out - 1));
  RenderList list = BuildRenderList(t, t, timeline.get(), 1, 0, width, height);
  DibPicture picture;
  if (const RenderEntry* entry = list.First(); entry != nullptr && entry->trackLetter == 'V') {
    GetDibArgs args;
    args.head = timeline.get();
    args.entry = entry;
    args.width = width;
    args.height = height;
    args.preview = 1;
    args.options = kRenderOptionNoCrop;
    std::array<DibPicture, 2> pictures;
    if (GetDIB(args, pictures) != 0) picture = std::move(pictures[0]);
  }
  FreeRenderList(list);
  return picture;
}

}  // namespace sprocket
