#include "tleview/clip_picture_cache.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

#include "timeline/basics/media_type.h"
#include "tleview/clip_drawing.h"

namespace sprocket {

namespace {

constexpr int kMaxStripFrames = 64;
constexpr int kMaxWaveformWidth = 16384;
constexpr dc::Rgb kWaveColour{150, 235, 200};

bool IsMovieClip(const TLEvent& clip) { return IsVideoFileExt(clip.extension) || clip.mediaType == kMediaOther; }

bool IsStillClip(const TLEvent& clip) { return clip.trackType == kTrackVideo && IsImageMediaType(clip.mediaType); }

// Draws a row of waveform values into a bitmap, one column a pixel.
class WaveformBitmapPainter final : public WaveformPainter {
public:
  WaveformBitmapPainter(int height, ClipPictureCache::MessageSink report)
      : height_(height), report_(std::move(report)) {}
  void DrawWaveformBitmap(const TLEvent& clip, std::int64_t first, std::int64_t last, std::int32_t width,
                          std::span<const std::uint16_t> values, int) override {
    width = std::clamp(width, 1, kMaxWaveformWidth);
    QImage image(width, std::max(height_, 1), QImage::Format_RGB32);
    image.fill(kAudioBody.ToQRgb());
    const bool eightBit = clip.header && clip.header->Wav()
                              ? clip.header->Wav()->bitsPerSample == 8
                              : clip.header && clip.header->Avi() && clip.header->Avi()->wave.bitsPerSample == 8;
    const int middle = image.height() / 2;
    auto amplitude = [&](std::int64_t index) {
      return eightBit ? std::abs(int(values[index] & 0xFF) - 128) * 256
                      : std::abs(int(static_cast<std::int16_t>(values[index])));
    };
    auto indexAt = [&](int x) {
      return std::clamp<std::int64_t>(first + (last - first) * x / width, 0, std::int64_t(values.size()) - 1);
    };
    // Scaled to the loudest value shown, so quiet sound is seen too.
    int peak = 1;
    for (int x = 0; x < width && !values.empty(); ++x) peak = std::max(peak, amplitude(indexAt(x)));
    for (int x = 0; x < width && !values.empty(); ++x) {
      const int reach = amplitude(indexAt(x)) * middle / peak;
      for (int y = middle - reach; y <= middle + reach; ++y) {
        if (y >= 0 && y < image.height()) image.setPixel(x, y, kWaveColour.ToQRgb());
      }
    }
    result = dc::Bitmap(std::move(image));
  }
  void ReportWaveformMessage(int stringId, const std::string& mediaPath) override {
    if (report_) report_(stringId, mediaPath);
  }

  dc::Bitmap result;

private:
  int height_;
  ClipPictureCache::MessageSink report_;
};

// The width a clip's waveform spans at the current scale.
int WaveformWidth(const TLEvent& clip, const ViewLayout& layout) {
  return std::clamp(layout.TimeToX(clip.OutTime()) - layout.TimeToX(clip.time), 1, kMaxWaveformWidth);
}

int WaveformHeight(const ViewLayout& layout) { return std::max(layout.RowHeight() - 3, 1); }

}  // namespace

ClipPictureCache::ClipPictureCache(const std::unique_ptr<ClipFrameSource>& frames, MessageSink messages)
    : frames_(frames), messages_(std::move(messages)) {}

ClipPictureCache::~ClipPictureCache() = default;

void ClipPictureCache::Release(TLEvent& clip) {
  clip.thumbnail = nullptr;
  clip.waveform0 = nullptr;
  clip.waveform1 = nullptr;
}

bool ClipPictureCache::IsMediaMissing(const TLEvent& clip) const {
  const std::string path = clip.MediaPath();
  if (path.empty()) return false;
  const FileStamp stamp = StampOf(path);
  if (stamp.size < 0) return true;
  const auto failed = unreadableMedia_.find(path);
  return failed != unreadableMedia_.end() && failed->second == stamp;
}

void ClipPictureCache::ForgetFailures() {
  unreadableMedia_.clear();
  failedWaveforms_.clear();
}

void ClipPictureCache::ForgetFailuresOf(const std::string& path) {
  unreadableMedia_.erase(path);
  std::erase_if(failedWaveforms_, [&](const std::string& key) { return key.starts_with(path + "#"); });
}

// --- Thumbnails ---

void ClipPictureCache::BuildMissingThumbnail(TLEvent& clip, const ViewLayout& layout) {
  if (!(IsMovieClip(clip) || (ownPictures_ && IsStillClip(clip))) || clip.intermediateMovie) return;
  const CTestDoc& doc = layout.Doc();
  if (clip.mediaType == kMediaOther && (doc.clipViewOption == 2 || doc.clipViewOption == 4)) return;
  const FileStamp stamp = StampOf(clip.MediaPath());
  if (stamp.size < 0 || IsMediaMissing(clip)) return;
  const ViewClipBitmap* have = ViewBitmapOf(clip.thumbnail);
  const StripSpan wanted = WantedStrip(clip, layout);
  const int pw = layout.PictureWidth();
  if (have != nullptr && have->stamp == stamp && have->firstFrame == wanted.first &&
      have->bitmap.Width() >= wanted.count * pw && have->bitmap.Height() == pw * 3 / 4) {
    return;
  }
  MakeThumbnail(clip, stamp, wanted, layout);
}

ClipPictureCache::StripSpan ClipPictureCache::WantedStrip(const TLEvent& clip, const ViewLayout& layout) const {
  const CTestDoc& doc = layout.Doc();
  const int pw = layout.PictureWidth();
  const int left = layout.TimeToX(clip.time);
  const int right = layout.TimeToX(clip.OutTime());
  if (clip.mediaType != kMediaOther) return StripSpan{0, 1};                        // a movie file's first picture
  if (doc.clipViewOption == 1 || doc.clipViewOption == 3) return StripSpan{-1, 2};  // head and tail
  const int frames = std::max(1, (right - left + pw - 1) / pw);
  const int first = std::clamp((layout.TrackAreaLeft() - left) / pw, 0, frames - 1);
  const int last = std::clamp((layout.Client().right - left) / pw, first, frames - 1);
  return StripSpan{first, std::min(last - first + 1, kMaxStripFrames)};
}

void ClipPictureCache::MakeThumbnail(TLEvent& clip, const FileStamp& stamp, const StripSpan& span,
                                     const ViewLayout& layout) {
  const CTestDoc& doc = layout.Doc();
  const int pw = layout.PictureWidth();
  const int ph = pw * 3 / 4;
  const int left = layout.TimeToX(clip.time);
  QImage strip(pw * span.count, ph, QImage::Format_RGB32);
  strip.fill(kClipBody.ToQRgb());
  QPainter painter(&strip);
  bool any = false;
  for (int k = 0; k < span.count; ++k) {
    std::int32_t time = clip.time;
    if (span.first < 0) {
      time = k == 0 ? clip.time : clip.OutTime() - 1;
    } else if (clip.mediaType == kMediaOther) {
      time = doc.XToTime(left + (span.first + k) * pw + doc.horizontalScroll);
    }
    const dc::Bitmap frame = BitmapFromDib(frames_->FrameAt(clip, doc.rate, time, pw, ph));
    if (frame.IsNull()) continue;
    painter.drawImage(QRect(k * pw, 0, pw, ph), frame.Image());
    any = true;
  }
  painter.end();
  if (!any) {
    // Unreadable: the unknown-file picture until the file changes or the
    // view asks again.
    unreadableMedia_[clip.MediaPath()] = stamp;
    clip.thumbnail = nullptr;
    return;
  }
  clip.thumbnail = MakeClipBitmap(dc::Bitmap(std::move(strip)), stamp, span.first);
}

// --- Waveforms ---

void ClipPictureCache::BuildMissingWaveforms(TLEvent& clip, std::int32_t status, const ViewLayout& layout) {
  if (!(clip.header && clip.header->HasAudio())) return;
  if (status != kTrackViewWaveform && status != kTrackViewStereo) return;
  const FileStamp stamp = StampOf(clip.MediaPath());
  const int width = WaveformWidth(clip, layout);
  const int height = WaveformHeight(layout);
  auto stale = [&](const ClonePtr<ClipBitmap>& slot) {
    const ViewClipBitmap* wave = ViewBitmapOf(slot);
    return wave == nullptr || wave->stamp != stamp || wave->bitmap.Width() != width || wave->bitmap.Height() != height;
  };
  if (stale(clip.waveform0)) BuildWaveform(clip, 0, layout);
  if (status == kTrackViewStereo && clip.header->AudioChannels() == 2 && stale(clip.waveform1)) {
    BuildWaveform(clip, 1, layout);
  }
}

int ClipPictureCache::BuildWaveform(TLEvent& clip, int channel, const ViewLayout& layout) {
  ClonePtr<ClipBitmap>& slot = channel == 0 ? clip.waveform0 : clip.waveform1;
  // A picture made for another width or file state would be drawn wrong:
  // until a new one is made the clip shows none.
  slot = nullptr;
  const std::string path = clip.MediaPath();
  const FileStamp stamp = StampOf(path);
  if (stamp.size < 0) return 0;
  const CTestDoc& doc = layout.Doc();
  const std::string request = path + "#" + std::to_string(channel) + "|" + std::to_string(stamp.size) + "," +
                              std::to_string(stamp.modified) + "|" + std::to_string(WaveformWidth(clip, layout)) + "x" +
                              std::to_string(WaveformHeight(layout)) + "|" + std::to_string(doc.scaleIndex);
  if (failedWaveforms_.contains(request)) return 0;
  WaveformBitmapPainter painter(WaveformHeight(layout), messages_);
  if (!makeWaveform || makeWaveform(doc, painter, clip, channel) == 0 || painter.result.IsNull()) {
    failedWaveforms_.insert(request);
    return 0;
  }
  slot = MakeClipBitmap(std::move(painter.result), stamp);
  return 1;
}

// --- Transition icons ---

TransitionIconLoader& ClipPictureCache::IconLoader() {
  if (iconLoader_ == nullptr) {
    iconLoader_ = std::make_unique<TransitionIconLoader>(
        stockBitmaps_, [](const DibPicture& picture) { return MakeClipBitmap(BitmapFromDib(picture)); });
  }
  return *iconLoader_;
}

int ClipPictureCache::LoadTransitionIcon(TLEvent& clip) {
  if (clip.trackType != kTrackTransition) return 1;
  return IconLoader().LoadTransitionIcon(clip);
}

bool ClipPictureCache::BuildTransitionIconQuietly(TLEvent& clip) {
  if (clip.intermediateMovie) return true;
  DibPicture picture = IconLoader().IconPicture(clip);
  if (!picture) return false;
  clip.transitionIcon = MakeClipBitmap(BitmapFromDib(picture));
  return true;
}

}  // namespace sprocket
