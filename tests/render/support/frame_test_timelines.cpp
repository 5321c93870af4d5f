#include "frame_test_timelines.h"

#include <gtest/gtest.h>

#include <cstring>

#include "render/picture/picture_ops.h"
#include "source_test_media.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_factory.h"
#include "timeline/document/clip_header_reader.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket::testing {

EventListSlot MakeFrameTimeline(std::int32_t duration) { return MakeDefaultTimeline(2500, duration); }

TLEvent* PlaceClip(TLEvent* head, const ClipPlacement& placement) {
  MediaPathParts parts;
  EXPECT_TRUE(SplitMediaPath(placement.path, &parts)) << placement.path;
  TLEventFields fields;
  fields.directory = parts.directory;
  fields.name = parts.name;
  fields.extension = parts.extension;
  fields.mediaType = GetMediaTypeCode(placement.path);
  fields.playIn = placement.playIn;
  fields.playOut = placement.playIn + (placement.out - placement.in) * placement.speed / 100;
  fields.speed = placement.speed;
  fields.reverse = placement.reverse;
  fields.passThroughKind = placement.passThroughKind;
  fields.filters = placement.filters;
  TLEvent* clip = InsertClip(head, placement.track, placement.in, placement.out, fields);
  EXPECT_NE(clip, nullptr);
  if (clip == nullptr) return nullptr;
  if (!IsImageMediaType(fields.mediaType)) {
    std::string error;
    EXPECT_EQ(ReadClipHeader(clip, &error), 1) << error;
  }
  return clip;
}

TLEvent* PlaceTimelineClip(TLEvent* head, std::int32_t track, std::int32_t in, std::int32_t out, std::int32_t start) {
  TLEventFields fields;
  fields.playOut = out - in;
  fields.intermediateMovie = IntermediateMovie{1, start, start + out - in, "stretch"};
  TLEvent* clip = InsertClip(head, track, in, out, fields);
  EXPECT_NE(clip, nullptr);
  return clip;
}

TLEvent* PlaceTransition(TLEvent* head, std::int32_t track, std::int32_t in, std::int32_t out,
                         const FilterList& filters) {
  TLEventFields fields;
  fields.filters = filters;
  fields.transitionId = filters.empty() ? 0 : filters.front().id;
  TLEvent* clip = InsertClip(head, track, in, out, fields);
  EXPECT_NE(clip, nullptr);
  return clip;
}

TLFilter MakeTestFilter(std::int32_t id, std::int32_t value) {
  TLFilter filter;
  InitFilter(filter);
  filter.id = id;
  if (value != 0) {
    TLFilterParam param;
    InitFilterParam(param);
    param.values[0] = value;
    param.enable = 1;
    filter.params.push_back(param);
  }
  return filter;
}

TLFilter MakeTrailingFilter(std::int32_t mode, std::int32_t count, std::int32_t level) {
  TLFilter filter = MakeTestFilter(9000, mode);
  filter.params.front().values[1] = count;
  filter.params.front().values[2] = level;
  return filter;
}

void WriteIndexedAvi(const std::filesystem::path& path, int frames, int width, int height, int base) {
  ASSERT_EQ(WritePictureAvi(path, frames, [&](int i) { return MakeCard(base + i, width, height); }), "");
}

DibPicture NewPicture(std::int32_t width, std::int32_t height) {
  DibPicture picture = DibPicture::Black24(width, height);
  EXPECT_TRUE(picture);
  return picture;
}

DibPicture CardPicture(int index, int width, int height) { return DibPicture::Adopt(MakeCard(index, width, height)); }

std::size_t DifferentBytes(const std::uint8_t* a, const std::uint8_t* b) {
  const std::optional<PictureGeometry> first = ReadPictureGeometry(a);
  const std::optional<PictureGeometry> second = ReadPictureGeometry(b);
  if (!first || !second || first->width != second->width || first->height != second->height) {
    return static_cast<std::size_t>(-1);
  }
  std::size_t different = 0;
  for (std::int32_t y = 0; y < first->height; ++y) {
    for (std::int32_t x = 0; x < first->width * 3; ++x) {
      if (first->Row(y)[x] != second->Row(y)[x]) ++different;
    }
  }
  return different;
}

bool SamePixels(const std::uint8_t* a, const std::uint8_t* b) { return DifferentBytes(a, b) == 0; }

}  // namespace sprocket::testing
