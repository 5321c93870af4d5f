// A clip's frames for the view: the compositor's choice of frame, decoded
// at about the size shown.

#include "tleview/clip_frames.h"

#include <algorithm>

#include "platform/file_paths.h"
#include "render/compose/get_dib.h"
#include "render/picture/dib_picture.h"
#include "render/picture/picture_ops.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/render_list.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {

namespace {

// Files kept open: the strips and thumbnails in view mostly come from a few.
constexpr std::size_t kOpenReaders = 8;

bool IsAnimationFile(const std::string& path) { return HasExtension(path, ".flc") || HasExtension(path, ".fli"); }

// Frame `frame` of the reader's movie (clamped to its frames) at width x
// height; empty when it cannot be read.
DibPicture ScaledFrame(VideoFrameReader& reader, std::int64_t frame, int width, int height) {
  if (reader.FrameCount() <= 0) return {};
  DibPicture picture = DibPicture::Adopt(reader.ReadFrame(std::clamp<std::int64_t>(frame, 0, reader.FrameCount() - 1)));
  if (!picture) return {};
  return ScaleDib24(picture.data(), width, height);
}

}  // namespace

VideoFrameReader* SmallPictureReaders::For(const std::string& path, DecodeSize size) {
  const auto found = std::find_if(open_.begin(), open_.end(), [&](const OpenReader& open) {
    return open.path == path && open.size.width == size.width && open.size.height == size.height;
  });
  if (found != open_.end()) {
    std::rotate(open_.begin(), found, found + 1);
    return open_.front().reader.get();
  }
  auto reader = std::make_unique<VideoFrameReader>();
  if (!reader->Open(path, size)) return nullptr;
  if (open_.size() >= kOpenReaders) open_.pop_back();
  open_.push_front(OpenReader{path, size, std::move(reader)});
  return open_.front().reader.get();
}

DibPicture CompositorFrameSource::SmallMovieFrame(const std::string& path, std::int64_t frame, int width, int height) {
  VideoFrameReader* reader = readers_.For(path, DecodeSize{width, height});
  return reader != nullptr ? ScaledFrame(*reader, frame, width, height) : DibPicture{};
}

DibPicture CompositorFrameSource::OtherFileFrame(const TLEvent& clip, std::int32_t ms, int width, int height) {
  VideoFrameReader* reader = readers_.For(clip.MediaPath(), DecodeSize{width, height});
  if (reader == nullptr) return {};
  const double fps = reader->FramesPerSecond();
  if (!(fps > 0.0)) return {};
  const std::int32_t speed = clip.speed > 0 ? clip.speed : kNormalSpeed;
  const double offset = static_cast<double>(std::max(ms - clip.time, 0)) * speed / 100.0;
  const double mediaMs = clip.reverse != 0 ? clip.playOut - offset - 1000.0 / fps : clip.playIn + offset;
  return ScaledFrame(*reader, static_cast<std::int64_t>(mediaMs * fps / 1000.0), width, height);
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
    const RenderSide& side = entry->main;
    if (IsVideoFileExt(FileExtension(side.fileName)) && !IsAnimationFile(side.fileName)) {
      picture = SmallMovieFrame(side.fileName, side.sourceFrame, width, height);
    }
    if (!picture) {
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
  }
  FreeRenderList(list);
  return picture;
}

}  // namespace sprocket
