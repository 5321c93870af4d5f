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
// Clips narrower than this are drawn as lines, without pictures.
constexpr int kNarrowClipWidth = 3;
// A movie clip's picture shows only in a clip at least this wide.
constexpr int kSmallestPictureClipWidth = 4;
// First pictures of movie files kept for clips of the same file.
constexpr std::size_t kMaxFirstPictures = 256;
constexpr dc::Rgb kWaveColour{150, 235, 200};

bool IsMovieClip(const TLEvent& clip) { return IsVideoFileExt(clip.extension) || clip.mediaType == kMediaOther; }

bool IsStillClip(const TLEvent& clip) { return clip.trackType == kTrackVideo && IsImageMediaType(clip.mediaType); }

// The columns of a clip's waveform that a bitmap holds, from the clip's
// left edge.
struct ColumnWindow {
  std::int64_t first = 0;
  std::int64_t count = 1;
};

// Draws a row of waveform values into a bitmap, one column a pixel, at the
// scale of the view: the columns of `window` out of the clip's width.
class WaveformBitmapPainter final : public WaveformPainter {
public:
  WaveformBitmapPainter(int height, ColumnWindow window, ClipPictureCache::MessageSink report)
      : height_(height), window_(window), report_(std::move(report)) {}
  void DrawWaveformBitmap(const TLEvent& clip, std::int64_t first, std::int64_t last, std::int32_t width,
                          std::span<const std::uint16_t> values, int) override {
    width = std::max(width, 1);
    const std::int64_t firstColumn = std::clamp<std::int64_t>(window_.first, 0, width - 1);
    const int columns = static_cast<int>(std::clamp<std::int64_t>(window_.count, 1, width - firstColumn));
    QImage image(columns, std::max(height_, 1), QImage::Format_RGB32);
    image.fill(kAudioBody.ToQRgb());
    const bool eightBit = clip.header && clip.header->Wav()
                              ? clip.header->Wav()->bitsPerSample == 8
                              : clip.header && clip.header->Avi() && clip.header->Avi()->wave.bitsPerSample == 8;
    const int middle = image.height() / 2;
    auto amplitude = [&](std::int64_t index) {
      return eightBit ? std::abs(int(values[index] & 0xFF) - 128) * 256
                      : std::abs(int(static_cast<std::int16_t>(values[index])));
    };
    auto indexAt = [&](std::int64_t x) {
      return std::clamp<std::int64_t>(first + (last - first) * x / width, 0, std::int64_t(values.size()) - 1);
    };
    // Scaled to the loudest value of the whole clip, so quiet sound is seen
    // too and every window of a long clip has the same scale.
    int peak = 1;
    for (std::int64_t x = 0; x < width && !values.empty(); ++x) peak = std::max(peak, amplitude(indexAt(x)));
    for (int x = 0; x < columns && !values.empty(); ++x) {
      const int reach = amplitude(indexAt(firstColumn + x)) * middle / peak;
      for (int y = middle - reach; y <= middle + reach; ++y) {
        if (y >= 0 && y < image.height()) image.setPixel(x, y, kWaveColour.ToQRgb());
      }
    }
    result = dc::Bitmap(std::move(image));
    resultFirstColumn = static_cast<std::int32_t>(firstColumn);
  }
  void ReportWaveformMessage(int stringId, const std::string& mediaPath) override {
    if (report_) report_(stringId, mediaPath);
  }

  dc::Bitmap result;
  std::int32_t resultFirstColumn = 0;

private:
  int height_;
  ColumnWindow window_;
  ClipPictureCache::MessageSink report_;
};

// The width a clip's waveform spans at the current scale.
std::int64_t WaveformWidth(const TLEvent& clip, const ViewLayout& layout) {
  return std::max<std::int64_t>(std::int64_t{layout.TimeToX(clip.OutTime())} - layout.TimeToX(clip.time), 1);
}

// The columns of the clip in view, from its left edge (empty when none is).
ColumnWindow ShownColumns(const TLEvent& clip, const ViewLayout& layout) {
  const std::int64_t left = layout.TimeToX(clip.time);
  const std::int64_t width = WaveformWidth(clip, layout);
  const std::int64_t first = std::clamp<std::int64_t>(layout.TrackAreaLeft() - left, 0, width);
  const std::int64_t end = std::clamp<std::int64_t>(std::int64_t{layout.Client().right} - left, first, width);
  return ColumnWindow{first, end - first};
}

// The columns to make: the whole clip, or for a clip wider than a bitmap
// may be, a bitmap's width around the part in view.
ColumnWindow WaveformWindow(const TLEvent& clip, const ViewLayout& layout) {
  const std::int64_t width = WaveformWidth(clip, layout);
  if (width <= kMaxWaveformWidth) return ColumnWindow{0, width};
  const ColumnWindow shown = ShownColumns(clip, layout);
  const std::int64_t first =
      std::clamp<std::int64_t>(shown.first - (kMaxWaveformWidth - shown.count) / 2, 0, width - kMaxWaveformWidth);
  return ColumnWindow{first, kMaxWaveformWidth};
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
  // A clip too narrow to show a picture gets none.
  const int width = layout.TimeToX(clip.OutTime()) - layout.TimeToX(clip.time);
  if (width < (clip.mediaType == kMediaOther ? kNarrowClipWidth : kSmallestPictureClipWidth)) return;
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
    const dc::Bitmap frame = span.first == 0 && clip.mediaType != kMediaOther
                                 ? FirstPicture(clip, stamp, doc.rate, pw, ph)
                                 : BitmapFromDib(frames_->FrameAt(clip, doc.rate, time, pw, ph));
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

// A movie clip's first picture is the same for every clip of the file that
// starts at the same place in it: it is made once per file, place and size.
dc::Bitmap ClipPictureCache::FirstPicture(const TLEvent& clip, const FileStamp& stamp, std::int32_t rate, int width,
                                          int height) {
  const std::string key = clip.MediaPath() + "|" + std::to_string(stamp.size) + "," + std::to_string(stamp.modified) +
                          "|" + std::to_string(clip.playIn) + "," + std::to_string(clip.playOut) + "," +
                          std::to_string(clip.speed) + "," + std::to_string(clip.reverse) + "|" +
                          std::to_string(width) + "x" + std::to_string(height) + "@" + std::to_string(rate);
  if (const auto found = firstPictures_.find(key); found != firstPictures_.end()) return found->second;
  dc::Bitmap picture = BitmapFromDib(frames_->FrameAt(clip, rate, clip.time, width, height));
  if (picture.IsNull()) return picture;
  if (firstPictureOrder_.size() >= kMaxFirstPictures) {
    firstPictures_.erase(firstPictureOrder_.front());
    firstPictureOrder_.pop_front();
  }
  firstPictureOrder_.push_back(key);
  firstPictures_.emplace(key, picture);
  return picture;
}

// --- Waveforms ---

void ClipPictureCache::BuildMissingWaveforms(TLEvent& clip, std::int32_t status, const ViewLayout& layout) {
  if (!(clip.header && clip.header->HasAudio())) return;
  if (status != kTrackViewWaveform && status != kTrackViewStereo) return;
  // A clip drawn as a line shows no waveform.
  if (WaveformWidth(clip, layout) < kNarrowClipWidth) return;
  const FileStamp stamp = StampOf(clip.MediaPath());
  const ColumnWindow wanted = WaveformWindow(clip, layout);
  const ColumnWindow shown = ShownColumns(clip, layout);
  const int height = WaveformHeight(layout);
  // A waveform of another size or file state, or one that leaves out a part
  // of the clip in view, is made again.
  auto stale = [&](const ClonePtr<ClipBitmap>& slot) {
    const ViewClipBitmap* wave = ViewBitmapOf(slot);
    if (wave == nullptr || wave->stamp != stamp || wave->bitmap.Height() != height) return true;
    if (wanted.first == 0 && wanted.count < kMaxWaveformWidth)
      return wave->firstColumn != 0 || wave->bitmap.Width() != wanted.count;
    return wave->bitmap.Width() != wanted.count || wave->firstColumn > shown.first ||
           wave->firstColumn + wave->bitmap.Width() < shown.first + shown.count;
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
                              std::to_string(WaveformHeight(layout)) + "|" + std::to_string(doc.scaleIndex) + "@" +
                              std::to_string(WaveformWindow(clip, layout).first);
  if (failedWaveforms_.contains(request)) return 0;
  WaveformBitmapPainter painter(WaveformHeight(layout), WaveformWindow(clip, layout), messages_);
  if (!makeWaveform || makeWaveform(doc, painter, clip, channel) == 0 || painter.result.IsNull()) {
    failedWaveforms_.insert(request);
    return 0;
  }
  auto made = std::make_unique<ViewClipBitmap>(std::move(painter.result), stamp);
  made->firstColumn = painter.resultFirstColumn;
  slot = std::unique_ptr<ClipBitmap>(std::move(made));
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
