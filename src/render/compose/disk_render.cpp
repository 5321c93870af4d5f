#include "render/compose/disk_render.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>

#include "imagelib/dib_image.h"
#include "imagelib/drawing/mask_blend.h"
#include "libs/clipmedia/clip_media_lib.h"
#include "platform/application_state.h"
#include "platform/file_paths.h"
#include "platform/imagefile/image_file_library.h"
#include "render/compose/disk_picture_files.h"
#include "render/compose/effect_bridge.h"
#include "render/compose/entry_layers.h"
#include "render/compose/get_dib.h"
#include "render/compose/sample_copy.h"
#include "render/picture/picture_ops.h"
#include "render/sources/field_pictures.h"
#include "render/sources/render_state.h"
#include "render/sources/sequence_frames.h"
#include "render/sources/turbo_sources.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/render_list.h"

namespace sprocket {

namespace {

constexpr const char* kFailToAllocate = "Fail to allocate memory!";
constexpr int kDiskFailed = -1;

std::int32_t FrameWidth(const DiskRenderArgs& args) { return args.width * (args.fieldDoubling != 0 ? 2 : 1); }
std::int32_t FrameHeight(const DiskRenderArgs& args) { return args.height * (args.fieldDoubling != 0 ? 2 : 1); }

bool IsFramePicture(const std::uint8_t* picture, std::int32_t width, std::int32_t height) {
  const std::optional<PictureGeometry> geometry = ReadPictureGeometry(picture);
  return geometry && geometry->bitCount == 24 && geometry->width == width && geometry->height == height;
}

// Sets every pixel byte (row padding included) of a picture.
void FillPixels(std::uint8_t* picture, std::uint8_t value) {
  const std::optional<PictureGeometry> geometry = ReadPictureGeometry(picture);
  if (geometry) {
    std::memset(geometry->pixels, value,
                static_cast<std::size_t>(geometry->stride) * static_cast<std::size_t>(geometry->height));
  }
}

// Copies the pixels of a picture into another of the same layout.
void CopyPicturePixels(const std::uint8_t* from, std::uint8_t* to) {
  const std::optional<PictureGeometry> source = ReadPictureGeometry(from);
  const std::optional<PictureGeometry> target = ReadPictureGeometry(to);
  if (!source || !target || source->height != target->height || source->stride != target->stride) return;
  std::memcpy(target->pixels, source->pixels,
              static_cast<std::size_t>(target->stride) * static_cast<std::size_t>(target->height));
}

// Tells pictures this renderer had made ahead from the compositor's.
constexpr std::int32_t kMadeAheadForDisk = -2;

// A decoded movie frame at 24 bits with the field step (field 0 or 1, -1
// for none): empty when memory is short.
DibPicture DepthAndField(DibPicture frame, std::int32_t field, std::int32_t order) {
  if (frame && frame.BitCount() == 32) frame = Dib32To24(frame.data());
  if (frame && field >= 0) ApplyFieldMode(frame, order, field, false);
  return frame;
}

// The picture at 24 bits and width x height, scaled as ScaleInto scales it.
DibPicture ToSize(DibPicture picture, std::int32_t width, std::int32_t height, bool quality) {
  picture = PromoteTo24(std::move(picture));
  if (!picture || (picture.Width() == width && picture.Height() == height)) return picture;
  HGLOBAL variable = GlobalHandle(picture.ReleaseLocked());
  GlobalUnlock(variable);
  const DibResult resized = CDibImage(&variable).Resize(width, height, quality ? kFilterMitchell : kFilterNearest);
  picture = DibPicture::Adopt(GlobalBlock(variable));
  return resized == kDibDone ? std::move(picture) : DibPicture{};
}

// Scales a 24-bit picture into the destination, whole onto whole: with the
// filtered rescaler (Mitchell, as the image-file library resizes) or by the
// nearest pixel. A picture of the destination's size is copied.
bool ScaleInto(DibPicture picture, std::uint8_t* destination, bool quality) {
  const std::optional<PictureGeometry> target = ReadPictureGeometry(destination);
  if (!picture || !target) return false;
  picture = ToSize(std::move(picture), target->width, target->height, quality);
  const std::optional<PictureGeometry> source = ReadPictureGeometry(picture.data());
  if (!source || source->bitCount != 24) return false;
  for (std::int32_t y = 0; y < target->height; ++y) {
    std::memcpy(target->Row(y), source->Row(y), static_cast<std::size_t>(target->width) * 3);
  }
  return true;
}

// A still's picture at its own size, 24-bit: an image-sequence frame for a
// side with a header copy, else the file through the image-file library.
DibPicture StillPicture(const RenderSide& side) {
  if (side.header) {
    if (const SequenceClipHeader* sequence = side.header->Sequence()) {
      return LoadSequenceFrameFromFile(side.fileName, *sequence, side.sourceFrame);
    }
    return DibPicture::AdoptLocked(ScaleClipFrame(side.fileName, side.sourceFrame, &*side.header));
  }
  const ImageHandle image = ImageFiles().Open(side.fileName);
  if (image < 0) return {};
  DibPicture picture = CopyImageDib(image);
  ImageFiles().Free(image);
  return picture;
}

class EntryPictureMaker {
public:
  EntryPictureMaker(const DiskRenderArgs& args, const RenderEntry& entry, int side)
      : args_(args), entry_(entry), kind_(side), side_(SideOf(entry, side)) {}

  int Make(std::uint8_t* destination) {
    const std::string& name = side_.fileName;
    if (IsBlankFrameName(name)) {
      FillPixels(destination, 0);
      return 1;
    }
    const std::string_view extension = FileExtension(name);
    DibPicture picture;
    if (IsVideoFileExt(extension)) {
      picture = MovingPictureAtSize(destination);
    } else if (IsImageFileExt(extension)) {
      picture = StillPicture(side_);
    } else {
      return name.empty() ? Nested(destination) : 0;
    }
    picture = PromoteTo24(std::move(picture));
    return ScaleInto(std::move(picture), destination, args_.quality) ? 1 : 0;
  }

private:
  static const RenderSide& SideOf(const RenderEntry& entry, int side) {
    if (side == kEntrySideA) return entry.sideA;
    if (side == kEntrySideB) return entry.sideB;
    return entry.main;
  }

  TrackList* Node() const {
    if (args_.tracks == nullptr) return nullptr;
    TrackList* node = args_.tracks->FindNode(entry_.trackNumber);
    if (node != nullptr && kind_ != kEntryVideo) node = node->SideNode(kind_);
    // The node serves the side only while it holds the side's file.
    return node != nullptr && node->Path() == side_.fileName ? node : nullptr;
  }

  // A movie frame at the destination's size. The side's node makes the
  // pictures of the clip's next frames the same way while this one is
  // composed and written.
  DibPicture MovingPictureAtSize(const std::uint8_t* destination) const {
    TrackList* node = Node();
    const std::optional<PictureGeometry> target = ReadPictureGeometry(destination);
    if (node == nullptr || !node->IsAviSource() || !target) return MovingPicture();
    const std::int32_t field = side_.header ? (args_.fieldSelector != 0 ? 1 : 0) : -1;
    const std::int32_t order = side_.header ? side_.header->FieldOrder() : 0;
    const std::vector<std::int32_t> key = {kMadeAheadForDisk, field,          order,
                                           target->width,     target->height, args_.quality ? 1 : 0};
    DibPicture picture = node->TakeFrameMadeAhead(side_.sourceFrame, key);
    if (!picture) picture = ToSize(MovingPicture(), target->width, target->height, args_.quality);
    if (picture) {
      const bool quality = args_.quality;
      const std::int32_t width = target->width;
      const std::int32_t height = target->height;
      node->MakeFrameAhead(side_.sourceFrame + 1,
                           TrackList::FrameSteps{key, [field, order, width, height, quality](DibPicture frame) {
                                                   frame = DepthAndField(std::move(frame), field, order);
                                                   return ToSize(std::move(frame), width, height, quality);
                                                 }});
    }
    return picture;
  }

  DibPicture MovingPicture() const {
    TrackList* node = Node();
    DibPicture frame;
    if (node != nullptr) {
      frame = node->IsAviSource() ? node->GetAviFrameDib(side_.sourceFrame) : node->GetFlicFrameDib(side_.sourceFrame);
    } else {
      frame = DibPicture::AdoptLocked(ScaleClipFrame(side_.fileName, side_.sourceFrame, nullptr));
    }
    if (!frame) return {};
    const bool deep = frame.BitCount() == 32;
    // Modes 1 and 2 take the field the render window asks for.
    frame = DepthAndField(std::move(frame), side_.header ? (args_.fieldSelector != 0 ? 1 : 0) : -1,
                          side_.header ? side_.header->FieldOrder() : 0);
    if (!frame && deep && kind_ == kEntryVideo) ShowRenderMessageOnce(kFailToAllocate, "RenderFrameToDisk");
    return frame;
  }

  // A clip without a file: the timeline itself at the side's time, rendered
  // by this renderer into a file of its own.
  int Nested(std::uint8_t* destination) const {
    if (args_.depth + 1 > kMaxNestedRenders) return 0;
    const std::optional<std::string> path =
        DiskRenderFileName(args_.tempDir, "~cltmp2" + std::to_string(args_.depth + 1));
    if (!path) return 0;
    std::array<DibPicture, 4> pictures;
    for (DibPicture& picture : pictures) {
      picture = DibPicture::Black24(FrameWidth(args_), FrameHeight(args_));
      if (!picture) return 0;
    }
    DiskRenderArgs nested = args_;
    nested.outPath = *path;
    nested.time = static_cast<double>(side_.sourceTime);
    nested.frame = pictures[0].data();
    nested.destination = pictures[1].data();
    nested.pictureA = pictures[2].data();
    nested.mask = pictures[3].data();
    // The nested frame opens its own sources: the caller's nodes hold the
    // clips of the outer frame.
    nested.tracks = nullptr;
    nested.copiedFlag = nullptr;
    nested.rawResult = nullptr;
    nested.depth = args_.depth + 1;
    const bool made = RenderFrameToDisk(nested) == 0 && ReadPictureFile(*path, destination);
    DeleteDiskRenderFile(*path);
    return made ? 1 : 0;
  }

  const DiskRenderArgs& args_;
  const RenderEntry& entry_;
  int kind_;
  const RenderSide& side_;
};

// Files of the frame, deleted when the frame is done.
class FrameFiles {
public:
  ~FrameFiles() {
    if (composite) DeleteDiskRenderFile(*composite);
    if (sideA) DeleteDiskRenderFile(*sideA);
  }
  std::optional<std::string> composite;
  std::optional<std::string> sideA;
};

class DiskFrame {
public:
  explicit DiskFrame(const DiskRenderArgs& args) : args_(args) {}

  int Run() {
    const std::int32_t width = FrameWidth(args_);
    const std::int32_t height = FrameHeight(args_);
    if (args_.effects == nullptr) return kDiskFailed;
    for (const std::uint8_t* picture : {args_.frame, args_.destination, args_.pictureA, args_.mask}) {
      if (!IsFramePicture(picture, width, height)) return kDiskFailed;
    }
    if (args_.copiedFlag != nullptr) *args_.copiedFlag = 0;
    const std::string depth = std::to_string(args_.depth);
    files_.sideA = DiskRenderFileName(args_.tempDir, "~ctmp0" + depth);
    files_.composite = DiskRenderFileName(args_.tempDir, "~ctmp1" + depth);
    if (!files_.sideA || !files_.composite) return kDiskFailed;
    DeleteDiskRenderFile(*files_.sideA);
    DeleteDiskRenderFile(*files_.composite);
    FillPixels(args_.frame, 0);

    list_ = BuildRenderList(args_.time, args_.time, args_.head, args_.preview, 0, 0, 0, args_.effects->TurboTest(),
                            TheRenderState().clipIndex.get());
    const RenderEntry* first = list_.First();
    if (first == nullptr) return WriteOutput();
    if (!WritePictureFile(*files_.composite, args_.frame)) return kDiskFailed;

    if (list_.entries.size() == 1 && first->passThroughKind == kPassThroughCopy && args_.rawResult != nullptr &&
        CopySample(*first)) {
      return 0;
    }
    if (args_.tracks != nullptr) args_.tracks->OpenRenderSources(list_, args_.head, width, height, 0);
    if (first->fastPath != 0 && FastPath(*first)) return WriteOutput();

    for (const RenderEntry& entry : list_.entries) {
      if (!LayEntry(entry)) return kDiskFailed;
    }
    return WriteOutput();
  }

private:
  int WriteOutput() const {
    if (args_.outPath.empty()) return 0;
    return WritePictureFile(args_.outPath, args_.frame) ? 0 : kDiskFailed;
  }

  bool CopySample(const RenderEntry& entry) {
    TrackList* node = nullptr;
    if (args_.tracks != nullptr) {
      args_.tracks->OpenRenderSources(list_, args_.head, FrameWidth(args_), FrameHeight(args_), 0);
      node = args_.tracks->FindNode(entry.trackNumber);
    }
    *args_.rawResult = ReadRawVideoSampleNext(entry.main.sourceFrame, entry.main.fileName, node);
    if (!*args_.rawResult) return false;
    if (args_.copiedFlag != nullptr) *args_.copiedFlag = 1;
    return true;
  }

  bool FastPath(const RenderEntry& first) {
    PictureTurboSources sources([&](int side, std::int32_t width, std::int32_t height) -> DibPicture {
      DibPicture picture = DibPicture::Black24(width, height);
      if (!picture || GetEntryPicture(args_, first, side, picture.data()) == 0) return {};
      return picture;
    });
    const EffectFilterList filters(EntryEffectFilters(first));
    const TurboEntry entry =
        MakeTurboEntry(first, filters.span(), static_cast<std::int32_t>(list_.entries.size()), false);
    return args_.effects->TurboProcess(&sources, entry, args_.frame, nullptr, nullptr) != 0;
  }

  EffectFileWorkBlock WorkBlock(std::int32_t maskFlag) const {
    EffectFileWorkBlock block;
    block.drive = args_.tempDir.empty() ? '\0' : args_.tempDir.front();
    const std::size_t length = std::min(files_.composite->size(), sizeof block.compositePath - 1);
    std::memcpy(block.compositePath, files_.composite->data(), length);
    block.hasMask = maskFlag != 0 ? 1 : 0;
    return block;
  }

  // Runs filters from `source` into the destination, or copies the source
  // there when there are none. False when the user stopped.
  bool Filter(const FilterList& filters, std::size_t first, const RenderSide& group, float percent,
              const std::uint8_t* source) {
    FillPixels(args_.pictureA, 128);
    FillPixels(args_.mask, 128);
    if (filters.size() <= first) {
      CopyPicturePixels(source, args_.destination);
      return true;
    }
    const EffectFilterList list(filters, first);
    const EffectFileWorkBlock block = WorkBlock(group.maskFlag);
    return args_.effects->ApplyFilterFrameToFile(TheApp().logSwitch, list.FirstId(), percent, source, args_.destination,
                                                 args_.pictureA, args_.mask, 0, list.span(), group.rate,
                                                 group.sourceTime, &block, 1, args_.pump) != kEffectStopped;
  }

  // Makes a transition side into the destination, with its filters.
  bool MakeSide(const RenderEntry& entry, int side) {
    if (GetEntryPicture(args_, entry, side, args_.frame) == 0) FillPixels(args_.frame, 0);
    const RenderSide& group = side == kEntrySideA ? entry.sideA : entry.sideB;
    return Filter(group.filters, 0, group, group.effectPercent, args_.frame);
  }

  // The entry's picture in the destination and its mask in `mask`. 0 done,
  // 1 nothing to lay (no picture), -1 failed.
  int MakeEntry(const RenderEntry& entry) {
    if (entry.trackLetter == kTrackVideo) {
      if (GetEntryPicture(args_, entry, kEntryVideo, args_.frame) == 0) return 1;
      return Filter(entry.main.filters, 0, entry.main, entry.main.effectPercent, args_.frame) ? 0 : -1;
    }
    if (entry.trackLetter != kTrackTransition) return 1;
    if (!MakeSide(entry, kEntrySideA) || !WritePictureFile(*files_.sideA, args_.destination)) return -1;
    if (!MakeSide(entry, kEntrySideB)) return -1;
    const bool readA = ReadPictureFile(*files_.sideA, args_.pictureA);
    DeleteDiskRenderFile(*files_.sideA);
    if (!readA) return -1;
    // B moves to the frame picture, so that the result has a block of its own.
    CopyPicturePixels(args_.destination, args_.frame);
    FillPixels(args_.mask, 128);
    const RenderSide& own = entry.main;
    int answer = 0;
    {
      const EffectFilterList transition(entry.transitionFilters);
      const EffectFileWorkBlock block = WorkBlock(own.maskFlag);
      answer = args_.effects->RenderTransitionFrameToFile(
          TheApp().logSwitch, transition.FirstId(), entry.transitionPercent, args_.pictureA, args_.frame,
          args_.destination, args_.mask, transition.span(), own.effectPercent, own.sourceTime,
          static_cast<std::int32_t>(own.rate), &block, 1, args_.pump);
    }
    if (answer == kEffectStopped) return -1;
    if (answer == kEffectDone && RunsSecondFilter(entry.transitionFilters)) {
      CopyPicturePixels(args_.destination, args_.frame);
      if (!Filter(entry.transitionFilters, 1, own, entry.transitionPercent, args_.frame)) return -1;
    }
    return 0;
  }

  // The trailing effect of the entry, kept in the two accumulation files:
  // lays the destination into the accumulated picture under the entry's
  // mask and hands back the 8-bit mask to blend with. Empty when the entry
  // has no active trailing effect. False when the files cannot be written.
  bool Accumulate(const RenderEntry& entry, DibPicture& mask8) const {
    if (entry.trackLetter != kTrackVideo) return true;
    const std::int32_t width = FrameWidth(args_);
    const std::int32_t height = FrameHeight(args_);
    TrackList node;
    node.BuildTrackList(1);
    RenderList one;
    RenderEntry carrier;
    carrier.trackNumber = 1;
    carrier.main.filters = entry.main.filters;
    one.entries.push_back(std::move(carrier));
    node.OpenRenderSources(one, nullptr, width, height, kRenderOptionNoCrop);
    if (!node.AccumulationActive()) return true;

    const std::optional<std::string> pictureFile = DiskRenderFileName(args_.tempDir, "~zkbtr00");
    const std::optional<std::string> alphaFile = DiskRenderFileName(args_.tempDir, "~zkbtr11");
    if (!pictureFile || !alphaFile) return false;
    // Files of another size (or none) start the trail afresh.
    if (!ReadPictureFile(*pictureFile, node.AccumulatedPicture().data()) ||
        !ReadPictureFile(*alphaFile, node.AccumulatedAlpha().data())) {
      FillPixels(node.AccumulatedPicture().data(), 0);
      FillPixels(node.AccumulatedAlpha().data(), 0);
    }
    mask8 = MakeMask8(args_.mask);
    if (!mask8) return false;
    RenderEffects* effects = args_.effects;
    node.ApplyAccumulationPass(
        args_.destination, mask8.data(), [effects](const TLFilter& filter, const std::uint8_t* from, std::uint8_t* to) {
          const EffectFilterList list(std::span<const TLFilter>(&filter, 1));
          return effects->ApplyFilterFrame(TheApp().logSwitch, filter.id, 0.0f, from, 0, to, nullptr, nullptr,
                                           list.span(), 0.0f, 0, 1, nullptr, nullptr, RenderPumpCallback{}, 0, 0);
        });
    return WritePictureFile(*pictureFile, node.AccumulatedPicture().data()) &&
           WritePictureFile(*alphaFile, node.AccumulatedAlpha().data());
  }

  bool LayEntry(const RenderEntry& entry) {
    const int made = MakeEntry(entry);
    if (made != 0) return made > 0;
    DibPicture mask8;
    if (!Accumulate(entry, mask8)) return false;
    if (!ReadPictureFile(*files_.composite, args_.frame)) return false;
    if (mask8) {
      BlendUnderMask(args_.destination, args_.frame, mask8.data());
    } else {
      BlendUnderMask24(args_.destination, args_.frame, args_.mask);
    }
    return WritePictureFile(*files_.composite, args_.frame);
  }

  const DiskRenderArgs& args_;
  FrameFiles files_;
  RenderList list_;
};

}  // namespace

int GetEntryPicture(const DiskRenderArgs& args, const RenderEntry& entry, int side, std::uint8_t* destination) {
  if (side != kEntrySideA && side != kEntrySideB && side != kEntryVideo) return 0;
  if (ReadPictureGeometry(destination) == std::nullopt) return 0;
  return EntryPictureMaker(args, entry, side).Make(destination);
}

int RenderFrameToDisk(const DiskRenderArgs& args) { return DiskFrame(args).Run(); }

void ClearDiskAccumulation(const std::string& tempDir) {
  const std::string folder = WithTrailingSlash(tempDir);
  DeleteDiskRenderFile(folder + "~zkbtr00.tmp");
  DeleteDiskRenderFile(folder + "~zkbtr11.tmp");
}

}  // namespace sprocket
