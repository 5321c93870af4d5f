#include "render/compose/render_frame.h"

#include <array>
#include <cstring>
#include <utility>

#include "imagelib/drawing/mask_blend.h"
#include "platform/application_state.h"
#include "platform/file_paths.h"
#include "render/compose/effect_bridge.h"
#include "render/compose/entry_layers.h"
#include "render/compose/get_dib.h"
#include "render/compose/sample_copy.h"
#include "render/picture/picture_ops.h"
#include "render/sources/field_pictures.h"
#include "render/sources/render_state.h"
#include "render/sources/turbo_sources.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/render_list.h"

namespace sprocket {

namespace {

// True for names whose extension starts with ".avi", ".fli" or ".flc".
bool IsMovieName(const std::string& name) {
  const std::string extension = ToLowerAscii(FileExtension(name).substr(0, 4));
  return extension == ".avi" || extension == ".fli" || extension == ".flc";
}

// The picture the entries are laid into: the caller's, or a smaller scratch
// picture while the timeline's crop margins apply, padded back into the
// caller's picture (a black border) when the frame is finished.
class FrameTarget {
public:
  FrameTarget(std::uint8_t* dib, std::int32_t width, std::int32_t height)
      : callerDib_(dib), width_(width), height_(height) {}

  // Renders into a scratch picture of the size left inside the margins.
  // False without memory. When the margins leave nothing, nothing is
  // rendered (the size becomes 0 and the caller's picture stays black).
  bool CropTo(const CropBox& margins) {
    margins_ = margins;
    const std::int32_t width = width_ - margins.left - margins.right;
    const std::int32_t height = height_ - margins.bottom - margins.top;
    if (width < 1 || height < 1) {
      width_ = height_ = 0;
      return true;
    }
    scratch_ = DibPicture::Black24(width, height);
    if (!scratch_) return false;
    width_ = width;
    height_ = height;
    return true;
  }

  std::uint8_t* Output() const { return scratch_ ? scratch_.data() : callerDib_; }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

  // Clears the output block to zero and writes its header back: the frame
  // starts black. The caller's picture is cleared too.
  void Clear() {
    cleared_ = true;
    ClearBlock(callerDib_, &callerHeader_);
    if (scratch_) ClearBlock(scratch_.data(), &scratchHeader_);
  }

  // Puts the output's own header back (blends copy the work picture's) and
  // pads a scratch picture back into the caller's picture. Nothing when the
  // frame was never started.
  void Finish() {
    if (!cleared_) return;
    WriteDibHeader(callerDib_, callerHeader_);
    if (!scratch_) return;
    WriteDibHeader(scratch_.data(), scratchHeader_);
    const DibPicture padded = PadDib24(scratch_.data(), margins_);
    const std::optional<PictureGeometry> from = ReadPictureGeometry(padded.data());
    const std::optional<PictureGeometry> to = ReadPictureGeometry(callerDib_);
    if (!from || !to || from->width != to->width || from->height != to->height) return;
    for (std::int32_t y = 0; y < to->height; ++y) {
      std::memcpy(to->Row(y), from->Row(y), static_cast<std::size_t>(to->width) * 3);
    }
  }

private:
  static void ClearBlock(std::uint8_t* picture, DibInfoHeader* header) {
    *header = ReadDibHeader(picture);
    std::memset(picture, 0, GlobalSize(GlobalHandle(picture)));
    WriteDibHeader(picture, *header);
  }

  std::uint8_t* callerDib_;
  std::int32_t width_;
  std::int32_t height_;
  CropBox margins_;
  DibPicture scratch_;
  DibInfoHeader callerHeader_;
  DibInfoHeader scratchHeader_;
  bool cleared_ = false;
};

class FrameCompositor {
public:
  FrameCompositor(const RenderFrameArgs& args, std::int32_t& result)
      : args_(args), result_(result), target_(args.dib, args.width, args.height) {}

  int Run() {
    list_ = BuildRenderList(args_.frameTime, args_.endTime, args_.head, args_.preview, args_.doubleSize, 0, 0,
                            args_.effects->TurboTest(), TheRenderState().clipIndex.get());
    const CropBox margins = ReadCropMargins(args_.head, args_.options);
    params_.cropLeft = margins.left;
    params_.cropRight = margins.right;
    params_.cropBottom = margins.bottom;
    params_.cropTop = margins.top;
    const RenderEntry* first = list_.First();
    if (first != nullptr && first->passThroughKind != kPassThroughCopy && margins.Any() && !target_.CropTo(margins)) {
      return kRenderNoMemory;
    }
    const std::int32_t scale = args_.doubleSize != 0 ? 2 : 1;
    workingWidth_ = target_.Width() * scale;
    workingHeight_ = target_.Height() * scale;
    // A single clip's copied sample or decoded frame stands for the frame
    // and leaves the picture untouched.
    if (first != nullptr && list_.entries.size() == 1 && args_.mode == kRenderModePassThrough) {
      if (first->passThroughKind >= kPassThroughCopy && args_.rawSample != nullptr && CopySample(*first)) {
        return Finish(kRenderDone);
      }
      if (args_.decoded != nullptr && !margins.Any() && HandDecodedFrame(*first)) return Finish(kRenderDone);
    }
    target_.Clear();

    if (first == nullptr) {
      NothingUnderTheTime();
      return Finish(kRenderDone);
    }
    if (list_.entries.size() == 1 && first->passThroughKind != kPassThroughNone && args_.mode == kRenderModeReuse &&
        args_.reuse != nullptr) {
      ReuseSinglePicture(*first);
      return Finish(kRenderDone);
    }

    TheRenderState().keyFrameSeen = false;
    if (args_.tracks != nullptr) {
      args_.tracks->OpenRenderSources(list_, args_.head, target_.Width(), target_.Height(), args_.options);
    }
    if (FastPath(*first)) return Finish(kRenderDone);

    const int status = ComposeEntries();
    if (status != kRenderDone) return Finish(status);
    if (args_.mode == kRenderModePassThrough) result_ = kFrameRendered;
    if (args_.mode == kRenderModeReuse && args_.reuse != nullptr) NoteNewPicture();
    return Finish(kRenderDone);
  }

private:
  int Finish(int status) {
    target_.Finish();
    FreeRenderList(list_);
    return status;
  }

  bool HasWorkingSize() const { return workingWidth_ > 0 && workingHeight_ > 0; }

  GetDibArgs SourceArgs() const {
    GetDibArgs source;
    source.pump = args_.pump;
    source.outFile = args_.outFile;
    source.head = args_.head;
    source.width = workingWidth_;
    source.height = workingHeight_;
    source.preview = args_.preview;
    source.doubleSize = args_.doubleSize;
    source.fieldMode = args_.fieldMode;
    source.field = args_.field;
    source.options = args_.options;
    source.effects = args_.effects;
    source.depth = args_.depth;
    return source;
  }

  void NothingUnderTheTime() {
    if (args_.mode == kRenderModeReuse && args_.reuse != nullptr) {
      result_ = kFrameNothing;
      args_.reuse->name.reset();
      args_.reuse->newPicture = 1;
      args_.reuse->pictureNumber = 0;
    } else {
      result_ = kFrameRendered;
    }
  }

  // Mode 1: the compressed sample of a single copyable clip stands for the
  // frame. False when no sample was copied: the frame is then rendered, and
  // the copy starts again at the source's next key frame. (A copy that
  // fails once it has started is rendered too, rather than dropped.)
  bool CopySample(const RenderEntry& entry) {
    TrackList* node = nullptr;
    if (args_.tracks != nullptr) {
      args_.tracks->OpenRenderSources(list_, args_.head, target_.Width(), target_.Height(), args_.options);
      node = args_.tracks->FindNode(entry.trackNumber);
    }
    result_ = kFrameSampleCopied;
    RenderState& state = TheRenderState();
    if (entry.trackNumber != state.lastPassThroughTrack) {
      state.keyFrameSeen = false;
      state.lastPassThroughTrack = entry.trackNumber;
      state.lastSourceFile.reset();
    }
    *args_.rawSample = ReadRawVideoSample(entry.main.sourceFrame, entry.main.fileName, node, entry.passThroughKind);
    if (*args_.rawSample) return true;
    result_ = kFrameRendered;
    return false;
  }

  // Mode 1: a single movie clip shown as it is (no filter, mask, field step
  // or double size, no crop) hands back its decoded frame, which the movie's
  // writer scales into the movie at once, instead of a picture made here,
  // when the frame keeps its colours that way (DecodedVideoFrame::ScalesStraightToYuv).
  // False when the clip is not such a clip or its frame does not decode:
  // the frame is then rendered.
  bool HandDecodedFrame(const RenderEntry& entry) {
    const RenderSide& main = entry.main;
    const bool fieldStep =
        main.header && main.fieldSelector >= 0 && main.fieldSelector <= 2 &&
        FieldModeChangesPicture(main.header->FieldOrder(), (args_.options & kRenderOptionNoFieldStep) != 0);
    if (entry.trackLetter != kTrackVideo || !main.filters.empty() || main.maskFlag != 0 || entry.fastPath != 0 ||
        fieldStep || args_.fieldMode != 0 || args_.doubleSize != 0 || args_.tracks == nullptr || !HasWorkingSize() ||
        !IsVideoFileExt(FileExtension(main.fileName))) {
      return false;
    }
    args_.tracks->OpenRenderSources(list_, args_.head, target_.Width(), target_.Height(), args_.options);
    TrackList* node = args_.tracks->FindNode(entry.trackNumber);
    if (node == nullptr || node->Path() != main.fileName || !node->IsAviSource() || node->AccumulationActive()) {
      return false;
    }
    // A picture that would change colour on the way is made here (from the
    // frame now decoded, which the node's decoder still holds).
    DecodedVideoFrame decoded = node->ReadDecodedAviFrame(main.sourceFrame);
    if (!decoded || !decoded.ScalesStraightToYuv()) return false;
    // A frame compressed anew: copied samples start again at a key frame.
    TheRenderState().keyFrameSeen = false;
    *args_.decoded = std::move(decoded);
    result_ = kFrameDecoded;
    return true;
  }

  // Mode 2: tells through the reuse record whether the single clip's
  // picture changed; a still that changed is fetched into the output.
  void ReuseSinglePicture(const RenderEntry& entry) {
    result_ = kFrameReused;
    RenderState& state = TheRenderState();
    SequenceReuse& reuse = *args_.reuse;
    const std::string& name = entry.main.fileName;
    if (state.IsLastSourceFile(name)) {
      reuse.newPicture = 0;
    } else {
      state.StoreLastSourceFile(name);
      reuse.name = name;
      reuse.newPicture = 1;
    }
    reuse.pictureNumber = entry.main.sourceFrame;
    if (IsMovieName(name)) return;
    if (reuse.newPicture == 0) {
      reuse.pictureNumber = state.outputPictureCounter - 1;
      return;
    }
    if (HasWorkingSize()) CopyStill(entry);
    result_ = kFrameRendered;
    reuse.pictureNumber = state.outputPictureCounter++;
    reuse.name = args_.outFile;
  }

  void CopyStill(const RenderEntry& entry) {
    GetDibArgs source = SourceArgs();
    source.entry = &entry;
    std::array<DibPicture, 2> pictures;
    if (GetDIB(source, pictures) == 0 || !pictures[0]) return;
    DibPicture picture = std::move(pictures[0]);
    if (args_.doubleSize != 0) picture = ScaleDib24(picture.data(), target_.Width(), target_.Height());
    if (picture) BlendUnderMask(picture.data(), target_.Output(), nullptr);
  }

  // After a rendered frame of mode 2: the record names the output file and
  // the next output picture number.
  void NoteNewPicture() {
    RenderState& state = TheRenderState();
    SequenceReuse& reuse = *args_.reuse;
    if (state.IsLastSourceFile(args_.outFile)) {
      reuse.newPicture = 0;
    } else {
      state.StoreLastSourceFile(args_.outFile);
      reuse.name = args_.outFile;
      reuse.newPicture = 1;
    }
    reuse.pictureNumber = state.outputPictureCounter++;
    result_ = kFrameRendered;
  }

  // Offers the frame to the fast path. A clip whose still turns out to
  // carry an alpha channel (which the fast path does not lay under its
  // mask) is rendered again by the general road.
  bool FastPath(const RenderEntry& first) {
    if (args_.tracks == nullptr || first.fastPath == 0 || args_.doubleSize != 0 || !HasWorkingSize()) return false;
    GetDibArgs source = SourceArgs();
    source.entry = &first;
    source.node = args_.tracks->FindNode(first.trackNumber);
    bool alphaSeen = false;
    DibPicture sideB;
    PictureTurboSources sources([&](int side, std::int32_t width, std::int32_t height) -> DibPicture {
      GetDibArgs fetch = source;
      fetch.width = width;
      fetch.height = height;
      std::array<DibPicture, 2> pictures;
      if (side == kTurboSideClip) {
        DibPicture mask;
        GetDIB(fetch, pictures, &mask);
        alphaSeen = alphaSeen || static_cast<bool>(mask);
        return std::move(pictures[0]);
      }
      if (side == kTurboSideB) return std::move(sideB);
      GetDIB(fetch, pictures);
      sideB = std::move(pictures[1]);
      return std::move(pictures[0]);
    });
    const EffectFilterList filters(EntryEffectFilters(first));
    const TurboEntry entry =
        MakeTurboEntry(first, filters.span(), static_cast<std::int32_t>(list_.entries.size()), false);
    if (args_.effects->TurboProcess(&sources, entry, target_.Output(), &params_, RenderLock()) == 0) return false;
    if (!alphaSeen) return true;
    target_.Clear();
    return false;
  }

  int ComposeEntries() {
    if (!HasWorkingSize()) return kRenderDone;
    LayerContext context;
    context.effects = args_.effects;
    context.pump = args_.pump;
    context.source = SourceArgs();
    context.output = target_.Output();
    context.width = target_.Width();
    context.height = target_.Height();
    context.logSwitch = TheApp().logSwitch;
    context.effectArg = args_.effectArg;
    context.params = &params_;
    context.tracks = args_.tracks;
    for (const RenderEntry& entry : list_.entries) {
      switch (LayEntry(context, entry)) {
        case LayerResult::kLaid:
          break;
        case LayerResult::kStopped:
          return kRenderStopped;
        case LayerResult::kNoMemory:
          return kRenderNoMemory;
      }
    }
    return kRenderDone;
  }

  const RenderFrameArgs& args_;
  std::int32_t& result_;
  FrameTarget target_;
  RenderList list_;
  EffectFrameParams params_;
  std::int32_t workingWidth_ = 0;
  std::int32_t workingHeight_ = 0;
};

}  // namespace

int RenderFrame(const RenderFrameArgs& args, std::int32_t* result) {
  std::int32_t ignored = kFrameRendered;
  std::int32_t& produced = result != nullptr ? *result : ignored;
  produced = kFrameRendered;
  if (args.effects == nullptr) return kRenderNoMemory;
  const std::optional<PictureGeometry> output = ReadPictureGeometry(args.dib);
  if (!output || output->bitCount != 24 || output->width != args.width || output->height != args.height) {
    return kRenderNoMemory;
  }
  return FrameCompositor(args, produced).Run();
}

}  // namespace sprocket
