#include "render/compose/get_dib.h"

#include <cstring>
#include <utility>
#include <vector>

#include "libs/clipmedia/clip_media_lib.h"
#include "platform/file_paths.h"
#include "platform/imagefile/image_file_library.h"
#include "render/compose/render_frame.h"
#include "render/compose/render_log.h"
#include "render/picture/picture_ops.h"
#include "render/sources/field_pictures.h"
#include "render/sources/render_state.h"
#include "timeline/basics/media_type.h"

namespace sprocket {

namespace {

constexpr const char* kLogGetDib = "logged in GetDIB()";
constexpr const char* kLogFormat = "logged in GetDIB(), File format NOT supported";
constexpr const char* kLogNested = "logged in GetDIB(), recursive call NOT successful";
constexpr const char* kLogNestedSideA = "logged in GetDIB(), recursive call NOT secussful";
constexpr const char* kNotEnoughMemory = "Not enough memory!";
constexpr const char* kFailToAllocate = "Fail to allocate memory!";

void Log(const char* text) { WriteRenderLog(text, 0, nullptr); }

enum class Role { kMain, kSideA, kSideB };

// An image handle that is freed unless it belongs to a TrackList node.
class ImageRef {
public:
  ImageRef() = default;
  ImageRef(ImageHandle handle, bool owned) : handle_(handle), owned_(owned) {}
  ImageRef(const ImageRef&) = delete;
  ImageRef& operator=(const ImageRef&) = delete;
  ImageRef(ImageRef&& other) noexcept : handle_(std::exchange(other.handle_, kNoImage)), owned_(other.owned_) {}
  ImageRef& operator=(ImageRef&& other) noexcept {
    if (this != &other) {
      Release();
      handle_ = std::exchange(other.handle_, kNoImage);
      owned_ = other.owned_;
    }
    return *this;
  }
  ~ImageRef() { Release(); }

  ImageHandle& handle() { return handle_; }
  bool valid() const { return handle_ >= 0; }
  bool owned() const { return owned_; }

private:
  void Release() {
    if (owned_ && handle_ >= 0) ImageFiles().Free(handle_);
    handle_ = kNoImage;
  }
  ImageHandle handle_ = kNoImage;
  bool owned_ = true;
};

// Makes an image of 8 bits or fewer 24-bit in place.
void PromoteImage(ImageHandle image) {
  int bits = 0;
  if (ImageFiles().GetDib(image, nullptr, nullptr, &bits) != nullptr && bits <= 8) ImageFiles().ToTrueColor(image);
}

// The steps that turn a decoded movie frame into the picture at the working
// size: the field step, the crop, the scale.
struct VideoSteps {
  std::int32_t fieldFlag = -1;  // 0 or 1; -1: no field step
  std::int32_t fieldOrder = 0;
  bool skipFieldStep = false;
  CropBox crop;  // none: no crop
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool doubleSize = false;

  // Everything the steps depend on, to tell whether a picture made ahead
  // was made the same way.
  std::vector<std::int32_t> Key() const {
    return {fieldFlag,   fieldOrder, skipFieldStep, crop.left, crop.right,
            crop.bottom, crop.top,   width,         height,    doubleSize};
  }
};

enum class VideoFailure { kNone, kNoMemoryForDepth, kFailed };

// The scale step of movie frames: to the working size with the image-file
// library's rescaler, or with the filtered rescaler at double size.
DibPicture ScaleToWorkingSize(DibPicture picture, const VideoSteps& steps) {
  if (!steps.doubleSize && picture.BitCount() == 24 && picture.Width() == steps.width &&
      picture.Height() == steps.height &&
      picture.Header().biSizeImage ==
          static_cast<std::uint32_t>(DibRowBytes(steps.width, 24)) * static_cast<std::uint32_t>(steps.height)) {
    // Already what the library would hand back: no round trip.
    DibInfoHeader header = picture.Header();
    header.biClrUsed = 0;
    WriteDibHeader(picture.data(), header);
    return picture;
  }
  if (!steps.doubleSize) return ResizedDib24(std::move(picture), steps.width, steps.height);
  ImageHandle image = ImageFiles().DibToHandle(picture.data(), picture.size());
  picture.reset();
  if (image < 0) return {};
  PromoteImage(image);
  DibPicture scaled;
  return ImageToDibScaled(image, &scaled, steps.width, steps.height, true) != 0 ? std::move(scaled) : DibPicture{};
}

// Runs the steps on a decoded frame, without messages or logs (it may run
// on a node's own thread): the picture, or empty with the failure.
DibPicture MakeVideoPicture(DibPicture frame, const VideoSteps& steps, VideoFailure* failure) {
  *failure = VideoFailure::kFailed;
  if (!frame) return {};
  if (frame.BitCount() == 32) {
    frame = Dib32To24(frame.data());
    if (!frame) {
      *failure = VideoFailure::kNoMemoryForDepth;
      return {};
    }
  }
  if (steps.fieldFlag >= 0) ApplyFieldMode(frame, steps.fieldOrder, steps.fieldFlag, steps.skipFieldStep);
  if (steps.crop.Any()) {
    frame = CropDib24(PromoteTo24(std::move(frame)).data(), steps.crop);
    if (!frame) return {};
  }
  DibPicture picture = ScaleToWorkingSize(std::move(frame), steps);
  if (picture) *failure = VideoFailure::kNone;
  return picture;
}

class SourcePictures {
public:
  explicit SourcePictures(const GetDibArgs& args) : args_(args), crop_(ReadCropMargins(args.head, args.options)) {}

  // One picture of the entry at the working size; `alpha` (masked form of
  // a 'V' entry only) receives a still's alpha mask. Empty on failure.
  // `decoding`, when valid, delivers the side's movie frame (PrefetchFrame).
  DibPicture Make(const RenderSide& side, Role role, TrackList* node, std::int32_t passThroughKind, DibPicture* alpha) {
    const std::string& name = side.fileName;
    if (IsBlankFrameName(name)) return Blank();
    const std::string_view extension = FileExtension(name);
    if (IsVideoFileExt(extension)) {
      TrackList* source = UsableNode(node, name);
      const VideoSteps steps = StepsFor(side, passThroughKind);
      if (source == nullptr || !source->IsAviSource()) return Video(ReadFrame(side, source), steps, role);
      // The node makes the picture of the clip's next frame while this one is
      // composed and written.
      DibPicture picture = source->TakeFrameMadeAhead(side.sourceFrame, steps.Key());
      if (!picture) picture = Video(ReadFrame(side, source), steps, role);
      if (picture) {
        source->MakeFrameAhead(side.sourceFrame + 1, TrackList::FrameSteps{steps.Key(), [steps](DibPicture frame) {
                                                                             VideoFailure failure;
                                                                             return MakeVideoPicture(std::move(frame),
                                                                                                     steps, &failure);
                                                                           }});
      }
      return picture;
    }
    if (IsImageFileExt(extension)) return Still(side, UsableNode(node, name), alpha);
    if (name.empty()) return Timeline(side, role);
    Log(kLogFormat);
    return {};
  }

private:
  // The node serves the side only while it holds the side's file.
  static TrackList* UsableNode(TrackList* node, const std::string& name) {
    return node != nullptr && !name.empty() && node->Path() == name ? node : nullptr;
  }

  DibPicture Blank() const {
    DibPicture picture = DibPicture::Black24(args_.width, args_.height);
    if (!picture) ShowRenderMessageOnce(kNotEnoughMemory, "GetDIB");
    return picture;
  }

  // 0 or 1 for the field step, -1 for none.
  std::int32_t FieldFlag(const RenderSide& side) const {
    switch (side.fieldSelector) {
      case 0:
        return args_.field;
      case 1:
        return 0;
      case 2:
        return 1;
      default:
        return -1;
    }
  }

  // A movie frame as decoded: through the node, or from the file.
  static DibPicture ReadFrame(const RenderSide& side, TrackList* node) {
    if (node != nullptr) {
      return node->IsAviSource() ? node->GetAviFrameDib(side.sourceFrame) : node->GetFlicFrameDib(side.sourceFrame);
    }
    // The clip media library reads movies; animations have our own reader.
    if (HasExtension(side.fileName, ".flc") || HasExtension(side.fileName, ".fli")) {
      return ReadFlicFrameDib(side.fileName, side.sourceFrame);
    }
    return DibPicture::AdoptLocked(ScaleClipFrame(side.fileName, side.sourceFrame, nullptr));
  }

  VideoSteps StepsFor(const RenderSide& side, std::int32_t passThroughKind) const {
    VideoSteps steps;
    if (side.header && FieldFlag(side) >= 0) {
      steps.fieldFlag = FieldFlag(side);
      steps.fieldOrder = side.header->FieldOrder();
      steps.skipFieldStep = (args_.options & kRenderOptionNoFieldStep) != 0;
    }
    if (passThroughKind != 2) steps.crop = crop_;
    steps.width = args_.width;
    steps.height = args_.height;
    steps.doubleSize = args_.doubleSize;
    return steps;
  }

  DibPicture Video(DibPicture frame, const VideoSteps& steps, Role role) const {
    VideoFailure failure;
    DibPicture picture = MakeVideoPicture(std::move(frame), steps, &failure);
    if (failure == VideoFailure::kNoMemoryForDepth) {
      if (role == Role::kMain) ShowRenderMessageOnce(kFailToAllocate, "GetDIB");
    } else if (failure == VideoFailure::kFailed) {
      Log(kLogGetDib);
    }
    return picture;
  }

  // The picture and alpha handles of a still, cropped unless they belong
  // to the node (which cropped them when it opened the still).
  bool OpenStill(const RenderSide& side, TrackList* node, bool wantAlpha, ImageRef& image, ImageRef& alpha) const {
    if (side.header) {
      // An image sequence (or a still with a header copy): through the clip
      // frame readers, which choose its field.
      const std::int32_t flag = FieldFlag(side) >= 0 ? FieldFlag(side) : args_.field;
      DibPicture alphaPicture;
      DibPicture picture =
          wantAlpha ? ReadSequenceFieldFrame(side.fileName, side.sourceFrame, &*side.header, args_.fieldMode, flag,
                                             &alphaPicture)
                    : ReadClipFieldFrame(side.fileName, side.sourceFrame, &*side.header, args_.fieldMode, flag);
      if (!picture) return false;
      image = ImageRef(CropDibToImage(std::move(picture), crop_), true);
      if (alphaPicture) alpha = ImageRef(CropDibToImage(std::move(alphaPicture), crop_), true);
      return image.valid();
    }
    if (node != nullptr) {
      image = ImageRef(node->GetStillImage(), false);
      if (wantAlpha) alpha = ImageRef(node->GetAlphaImage(), false);
      return image.valid();
    }
    ImageHandle picture = kNoImage;
    ImageHandle mask = kNoImage;
    if (wantAlpha) {
      OpenImageWithMask(side.fileName, &picture, &mask, true);
    } else {
      picture = ImageFiles().Open(side.fileName);
    }
    image = ImageRef(picture, true);
    alpha = ImageRef(mask, true);
    if (!image.valid()) return false;
    CropImageHandle(image.handle(), crop_);
    if (alpha.valid()) CropImageHandle(alpha.handle(), crop_);
    return true;
  }

  DibPicture ToWorkingSize(ImageRef& image) const {
    DibPicture picture;
    PromoteImage(image.handle());
    if (args_.doubleSize) {
      const int done = ImageToDibScaled(image.handle(), &picture, args_.width, args_.height, image.owned());
      return done != 0 ? std::move(picture) : DibPicture{};
    }
    int width = 0;
    int height = 0;
    ImageFiles().GetDib(image.handle(), &width, &height, nullptr);
    ImageRef copy;
    ImageRef* resized = &image;
    if (!image.owned() && (width != args_.width || height != args_.height)) {
      // The library resizes in place: a node's picture is resized as a copy,
      // so that it stays as it was opened for frames of other sizes.
      const DibPicture own = CopyImageDib(image.handle());
      copy = ImageRef(ImageFiles().DibToHandle(own.data(), own.size()), true);
      resized = &copy;
    }
    const int done = ImageToDibResized(resized->handle(), &picture, args_.width, args_.height, resized->owned());
    return done != 0 ? std::move(picture) : DibPicture{};
  }

  DibPicture Still(const RenderSide& side, TrackList* node, DibPicture* alpha) {
    ImageRef image;
    ImageRef alphaImage;
    if (!OpenStill(side, node, alpha != nullptr, image, alphaImage)) {
      Log(kLogGetDib);
      return {};
    }
    DibPicture picture = ToWorkingSize(image);
    DibPicture mask;
    if (picture && alphaImage.valid()) {
      mask = ToWorkingSize(alphaImage);
      if (!mask) picture.reset();
    }
    if (!picture) {
      if (args_.doubleSize) ShowRenderMessageOnce(kNotEnoughMemory, "GetDIB");
      Log(kLogGetDib);
      return {};
    }
    if (alpha != nullptr) *alpha = std::move(mask);
    return picture;
  }

  DibPicture Timeline(const RenderSide& side, Role role) const {
    const char* failure = role == Role::kSideA ? kLogNestedSideA : kLogNested;
    if (args_.depth + 1 > kMaxNestedRenders) {
      Log(failure);
      return {};
    }
    DibPicture picture = DibPicture::Black24(args_.width, args_.height);
    if (!picture) {
      Log(kLogGetDib);
      return {};
    }
    RenderFrameArgs nested;
    nested.pump = args_.pump;
    nested.outFile = args_.outFile;
    nested.frameTime = static_cast<double>(side.sourceTime);
    nested.endTime = nested.frameTime;
    nested.dib = picture.data();
    nested.head = args_.head;
    nested.fieldMode = args_.fieldMode;
    nested.field = args_.field;
    nested.width = args_.width;
    nested.height = args_.height;
    nested.mode = kRenderModePlain;
    nested.preview = args_.preview;
    // The nested frame opens its own sources: the caller's nodes hold the
    // clips of the outer frame, which it goes on reading.
    nested.tracks = nullptr;
    nested.effects = args_.effects;
    nested.depth = args_.depth + 1;
    std::int32_t produced = 0;
    if (RenderFrame(nested, &produced) != kRenderDone) {
      Log(failure);
      return {};
    }
    return picture;
  }

  const GetDibArgs& args_;
  CropBox crop_;
};

void NoteOutputKeyFrame(const RenderEntry& entry) {
  RenderState& state = TheRenderState();
  if (state.outputBitDepth != 8) return;
  if (state.IsLastSourceFile(entry.main.fileName)) return;
  state.StoreLastSourceFile(entry.main.fileName);
  state.outputKeyFrame = true;
}

}  // namespace

int GetDIB(const GetDibArgs& args, std::array<DibPicture, 2>& pictures, DibPicture* mask) {
  RenderLockGuard lock;
  if (args.entry == nullptr) return 0;
  const RenderEntry& entry = *args.entry;
  NoteOutputKeyFrame(entry);
  SourcePictures sources(args);

  if (entry.trackLetter == kTrackVideo) {
    pictures[1].reset();
    DibPicture alpha;
    pictures[0] =
        sources.Make(entry.main, Role::kMain, args.node, entry.passThroughKind, mask != nullptr ? &alpha : nullptr);
    if (!pictures[0]) {
      if (mask != nullptr) mask->reset();
      return 0;
    }
    // Only a still answers the mask.
    if (mask != nullptr && IsImageFileExt(FileExtension(entry.main.fileName))) *mask = std::move(alpha);
    return 1;
  }
  if (entry.trackLetter == kTrackTransition) {
    TrackList* sideA = args.node != nullptr ? args.node->SideNode(0) : nullptr;
    TrackList* sideB = args.node != nullptr ? args.node->SideNode(1) : nullptr;
    // Each side's node makes its next picture ahead (see Make).
    pictures[0] = sources.Make(entry.sideA, Role::kSideA, sideA, 0, nullptr);
    if (pictures[0]) pictures[1] = sources.Make(entry.sideB, Role::kSideB, sideB, 0, nullptr);
    if (!pictures[0] || !pictures[1]) {
      pictures[0].reset();
      pictures[1].reset();
      return 0;
    }
    return 1;
  }
  return 1;
}

int GetDIB(const GetDibArgs& args, std::array<DibPicture, 2>& pictures) { return GetDIB(args, pictures, nullptr); }

bool IsBlankFrameName(const std::string& name) {
  const std::string_view blank = kBlankFrameName;
  return FileNamePart(name).substr(0, blank.size()) == blank;
}

}  // namespace sprocket
