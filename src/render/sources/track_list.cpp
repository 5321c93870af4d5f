#include "render/sources/track_list.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/file_paths.h"
#include "platform/media/audio_sample_reader.h"
#include "platform/media/avi_index.h"
#include "platform/media/video_frame_reader.h"
#include "platform/worker_pool.h"
#include "render/flic/flic_reader.h"
#include "render/picture/picture_ops.h"
#include "render/sources/render_state.h"
#include "render/sources/scrub_block.h"

namespace sprocket {

namespace {

bool ExtensionIs(const std::string& path, std::string_view upper) {
  const std::string_view extension = FileExtension(path);
  return !extension.empty() && ToUpperAscii(extension) == upper;
}

bool IsBlankFrame(const std::string& path) {
  return FileNamePart(path).substr(0, std::string_view(kBlankFrameName).size()) == kBlankFrameName;
}

void FreeImage(ImageHandle& image) {
  if (image >= 0) ImageFiles().Free(image);
  image = kNoImage;
}

}  // namespace

TrackList::TrackList() = default;

TrackList::~TrackList() {
  ReleaseSource(true);
  ReleaseAlpha();
  // The nodes after this one go one by one rather than by recursion.
  std::unique_ptr<TrackList> node = std::move(next_);
  while (node) {
    std::unique_ptr<TrackList> after = std::move(node->next_);
    node.reset();
    node = std::move(after);
  }
}

void FreeTrackList(std::unique_ptr<TrackList>& head) { head.reset(); }

// --- The chain ---

void TrackList::BuildTrackList(std::int32_t n) {
  std::unique_ptr<TrackList> old = std::move(next_);
  while (old) old = std::move(old->next_);
  trackNumber_ = 1;
  flag_ = 0;
  TrackList* tail = this;
  for (std::int32_t number = 2; number <= n; ++number) {
    auto node = std::make_unique<TrackList>();
    node->trackNumber_ = number;
    node->prev_ = tail;
    tail->next_ = std::move(node);
    tail = tail->next_.get();
  }
}

TrackList* TrackList::Head() {
  TrackList* node = this;
  while (node->prev_ != nullptr) node = node->prev_;
  return node;
}

TrackList* TrackList::FindNode(std::int32_t trackNumber) {
  for (TrackList* node = this; node != nullptr; node = node->next_.get()) {
    if (node->trackNumber_ == trackNumber) return node;
  }
  return nullptr;
}

// --- File-type tests ---

bool TrackList::IsAviSource() const { return ExtensionIs(path_, ".AVI"); }
bool TrackList::IsFlicSource() const { return ExtensionIs(path_, ".FLC") || ExtensionIs(path_, ".FLI"); }
bool TrackList::IsSequenceSource() const { return ExtensionIs(path_, ".SEQ"); }
bool TrackList::IsStillSource() const {
  if (FileExtension(path_).empty()) return false;
  return !IsAviSource() && !IsFlicSource() && !IsSequenceSource() && !ExtensionIs(path_, ".WAV");
}

// --- Opening and closing ---

void TrackList::ReleaseStill() { FreeImage(image_); }
void TrackList::ReleaseAlpha() { FreeImage(alpha_); }

void TrackList::ReleaseSource(bool releaseAudio) {
  ahead_.Stop();
  takenFrames_ = {kNoFrameTaken, kNoFrameTaken};
  frameDecoder_.reset();
  frameCount_ = 0;
  videoStream_.reset();
  videoStreamFailed_ = false;
  if (releaseAudio) audioStream_.reset();
  ReleaseStill();
  flic_.reset();
  flicHeldFrame_ = -1;
  openFailed_ = false;
}

bool TrackList::OpenAviDecoder() {
  kind_ = SourceKind::kAvi;
  auto decoder = std::make_unique<VideoFrameReader>();
  if (!decoder->Open(path_)) {
    openFailed_ = true;
    return false;
  }
  frameCount_ = decoder->FrameCount();
  frameDecoder_ = std::move(decoder);
  return true;
}

bool TrackList::OpenFlic() {
  kind_ = SourceKind::kFlic;
  auto flic = std::make_unique<FlicFile>();
  if (FlicOpen(*flic, path_) != kFlicDone || FlicPlay(*flic, 0) != kFlicDone) {
    openFailed_ = true;
    return false;
  }
  flic_ = std::move(flic);
  flicHeldFrame_ = 0;
  return true;
}

void TrackList::OpenVideoSide(const RenderSide& side, const std::string& path, bool mainPicture, const CropBox* crop) {
  path_ = path;
  ++openCount_;
  ReleaseSource(true);
  // A new still brings its own alpha channel or none.
  ReleaseAlpha();
  if (IsAviSource()) {
    OpenAviDecoder();
  } else if (IsFlicSource()) {
    OpenFlic();
  } else if (IsStillSource() && !side.header) {
    kind_ = SourceKind::kStill;
    if (IsBlankFrame(path_)) return;
    if (mainPicture) {
      OpenImageWithMask(path_, &image_, &alpha_, true);
    } else {
      image_ = ImageFiles().Open(path_);
    }
    if (image_ < 0) openFailed_ = true;
    if (crop != nullptr && crop->Any()) {
      if (image_ >= 0) CropImageHandle(image_, *crop);
      if (alpha_ >= 0) CropImageHandle(alpha_, *crop);
    }
  } else {
    kind_ = IsSequenceSource() ? SourceKind::kSequence : SourceKind::kOther;
  }
}

void TrackList::OpenRenderSources(const RenderList& entries, const TLEvent* head, std::int32_t width,
                                  std::int32_t height, std::int32_t options) {
  RenderLockGuard lock;
  const CropBox crop = ReadCropMargins(head, options);
  for (const RenderEntry& entry : entries.entries) {
    TrackList* node = FindNode(entry.trackNumber);
    if (node == nullptr) continue;
    if (entry.trackLetter == kTrackVideo) {
      // The trailing effect is looked for on every frame: a clip may take it
      // up or drop it while its file continues.
      if (node->FindAccumulationFilter(entry.main.filters)) node->EnsureAccumulationBuffers(width, height);
      const std::string& path = entry.main.fileName;
      if (!path.empty() && path == node->path_) continue;
      node->OpenVideoSide(entry.main, path, true, &crop);
    } else if (entry.trackLetter == kTrackTransition) {
      const RenderSide* sides[2] = {&entry.sideA, &entry.sideB};
      for (int side = 0; side < 2; ++side) {
        TrackList* sideNode = node->SideNode(side);
        if (sideNode == nullptr || sides[side]->fileName == sideNode->path_) continue;
        sideNode->OpenVideoSide(*sides[side], sides[side]->fileName, false, &crop);
      }
      node->flag_ = 0;
    }
  }
}

void TrackList::CloseTrackSources() {
  for (TrackList* node = this; node != nullptr; node = node->next_.get()) {
    node->path_.clear();
    node->ReleaseSource(true);
    // The alpha channel belongs to the closed still.
    node->ReleaseAlpha();
    node->accumPicture_.reset();
    node->accumAlpha_.reset();
  }
}

// --- Frame fetchers ---

int TrackList::DecoderSeekCount() const {
  ahead_.Stop();
  return frameDecoder_ ? frameDecoder_->SeekCount() : 0;
}

void TrackList::MakeFrameAhead(std::int32_t frame, FrameSteps steps) {
  // Only while the clip is read frame after frame (other orders would waste
  // the work): after two frames in a row, or from the first frame taken since
  // the movie was opened, as a clip is mostly read on from where it starts.
  const bool firstTaken = takenFrames_[0] == kNoFrameTaken && takenFrames_[1] != kNoFrameTaken;
  const bool readingOn = frame == takenFrames_[1] + 1 && (takenFrames_[1] == takenFrames_[0] + 1 || firstTaken);
  if (!readingOn || !ParallelFrameWork() || !frameDecoder_ || frame >= frameCount_) return;
  if (ahead_.Continues(frame, steps.key)) return;
  // The movie decodes forward, one frame after the other; the conversions
  // and steps of several decoded frames run at once.
  ahead_.Start(
      frame, static_cast<std::int32_t>(std::min<std::int64_t>(frameCount_, INT32_MAX)), std::move(steps.key),
      [this](std::int32_t next) { return frameDecoder_->ReadDecodedFrame(next); },
      [make = std::move(steps.make)](DecodedVideoFrame decoded) {
        DibPicture picture = DibPicture::Adopt(decoded.ToDib24());
        return picture ? make(std::move(picture)) : DibPicture{};
      });
}

DibPicture TrackList::TakeFrameMadeAhead(std::int32_t frame, const std::vector<std::int32_t>& key) {
  takenFrames_ = {takenFrames_[1], frame};
  std::optional<DibPicture> made = ahead_.Take(frame, key);
  return made ? std::move(*made) : DibPicture{};
}

DibPicture TrackList::GetAviFrameDib(std::int32_t frame) {
  ahead_.Stop();
  if (!frameDecoder_ && (openFailed_ || !OpenAviDecoder())) return {};
  return DibPicture::Adopt(frameDecoder_->ReadFrame(frame));
}

DecodedVideoFrame TrackList::ReadDecodedAviFrame(std::int32_t frame) {
  ahead_.Stop();
  if (!frameDecoder_ && (openFailed_ || !OpenAviDecoder())) return {};
  return frameDecoder_->ReadDecodedFrame(frame);
}

DibPicture FlicFrameDib(const FlicFile& flic) {
  const std::int32_t height = flic.Height();
  const std::int32_t stride = flic.Stride();
  DibPicture picture = DibPicture::Grey8(flic.Width(), height);
  if (!picture || picture.Header().biSizeImage != static_cast<std::uint32_t>(stride * height)) return {};
  std::memcpy(picture.data() + kDibHeaderSize, flic.ColorTable(), kDibPaletteBytes);
  // The animation's picture is top line first; a DIB is bottom row first.
  std::uint8_t* rows = picture.data() + kDibMaskPixelOffset;
  for (std::int32_t y = 0; y < height; ++y) {
    std::memcpy(rows + static_cast<std::size_t>(height - 1 - y) * stride,
                flic.Pixels() + static_cast<std::size_t>(y) * stride, static_cast<std::size_t>(stride));
  }
  return picture;
}

DibPicture ReadFlicFrameDib(const std::string& path, std::int32_t frame) {
  FlicFile flic;
  if (FlicOpen(flic, path) != kFlicDone) {
    FlicClose(flic);
    return {};
  }
  frame = std::clamp<std::int32_t>(frame, 0, std::max<std::int32_t>(flic.header.frames, 1) - 1);
  DibPicture picture;
  bool decoded = FlicReadFrame(flic) == kFlicDone;
  for (std::int32_t held = 0; decoded && held < frame; ++held) decoded = FlicReadFrame(flic) == kFlicDone;
  if (decoded) picture = FlicFrameDib(flic);
  FlicClose(flic);
  return picture;
}

DibPicture TrackList::GetFlicFrameDib(std::int32_t frame) {
  if (!flic_ && (openFailed_ || !OpenFlic())) return {};
  FlicFile& flic = *flic_;
  frame = std::clamp<std::int32_t>(frame, 0, std::max<std::int32_t>(flic.header.frames, 1) - 1);
  if (flicHeldFrame_ < 0 || flicHeldFrame_ > frame) {
    // Back to the start: frame 0 is decoded again.
    if (FlicRewind(flic) != 0 || FlicReadFrame(flic) != kFlicDone) {
      flicHeldFrame_ = -1;
      return {};
    }
    flicHeldFrame_ = 0;
  }
  while (flicHeldFrame_ < frame) {
    if (FlicReadFrame(flic) != kFlicDone) {
      flicHeldFrame_ = -1;
      return {};
    }
    ++flicHeldFrame_;
  }

  return FlicFrameDib(flic);
}

ImageHandle TrackList::GetStillImage() {
  if (image_ == kNoImage && !openFailed_) {
    kind_ = SourceKind::kStill;
    image_ = ImageFiles().Open(path_);
    if (image_ < 0) openFailed_ = true;
  }
  return image_;
}

AviFileIndex* TrackList::RawVideoStream() {
  if (!IsAviSource()) return nullptr;
  if (!videoStream_ && !videoStreamFailed_) {
    auto index = std::make_unique<AviFileIndex>();
    if (index->Open(path_)) {
      videoStream_ = std::move(index);
    } else {
      videoStreamFailed_ = true;
    }
  }
  return videoStream_.get();
}

// --- Sound ---

bool TrackList::OpenTrackAudio(const std::string& path, std::int32_t track) {
  TrackList* node = FindNode(track);
  if (node == nullptr) return false;
  if (path == node->path_ && node->audioStream_) return true;
  node->path_ = path;
  node->audioStream_.reset();
  if (!node->IsAviSource()) return false;
  node->kind_ = SourceKind::kAvi;
  auto reader = std::make_unique<AudioSampleReader>();
  if (!reader->Open(path)) return false;
  node->audioStream_ = std::move(reader);
  return true;
}

int ReadAviSamples(AudioSampleReader* stream, std::int32_t start, void* buffer, std::int32_t bufferBytes,
                   std::int32_t samples) {
  if (stream == nullptr || buffer == nullptr || start < 0 || samples < 0 || bufferBytes < 0) return 0;
  return stream->Read(start, samples, buffer, static_cast<std::size_t>(bufferBytes)) >= 0 ? 1 : 0;
}

}  // namespace sprocket
