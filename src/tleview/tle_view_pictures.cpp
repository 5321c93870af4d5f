// The pictures the view keeps per clip (thumbnails and film strips,
// waveforms, transition icons): made when a clip comes into view, dropped
// when it leaves, made again when its media file changes; and the repaint
// after a scroll.

#include <QTimer>
#include <algorithm>

#include "platform/prompts.h"
#include "render/audio/waveform_file.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/track_rows.h"
#include "timeline/records/event_queries.h"
#include "tleview/clip_bitmaps.h"
#include "tleview/clip_drawing.h"
#include "tleview/tle_view.h"

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
  WaveformBitmapPainter(int height, std::function<void(int, const std::string&)> report)
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
  void ReportWaveformMessage(int stringId, const std::string& mediaPath) override { report_(stringId, mediaPath); }

  dc::Bitmap result;

private:
  int height_;
  std::function<void(int, const std::string&)> report_;
};

}  // namespace

// --- Media state ---

bool CTLEView::IsMediaMissing(const TLEvent& clip) const {
  const std::string path = clip.MediaPath();
  if (path.empty()) return false;
  const FileStamp stamp = StampOf(path);
  if (stamp.size < 0) return true;
  const auto failed = unreadableMedia_.find(path);
  return failed != unreadableMedia_.end() && failed->second == stamp;
}

void CTLEView::ReleaseClipBitmaps(TLEvent& clip) {
  clip.thumbnail = nullptr;
  clip.waveform0 = nullptr;
  clip.waveform1 = nullptr;
}

void CTLEView::QueueMessage(int stringId, const std::string& path) {
  // Each file's message once, after the paint that met it.
  if (!reportedMessages_.insert(std::to_string(stringId) + path).second) return;
  QTimer::singleShot(0, this, [stringId] { ShowMessage(stringId, MB_OK | MB_ICONEXCLAMATION); });
}

// --- Thumbnails ---

void CTLEView::BuildMissingThumbnail(TLEvent& clip) {
  if (!(IsMovieClip(clip) || (ownPictureSwitch_ && IsStillClip(clip))) || clip.intermediateMovie) return;
  const CTestDoc& doc = GetDocument();
  if (clip.mediaType == kMediaOther && (doc.clipViewOption == 2 || doc.clipViewOption == 4)) return;
  const std::string path = clip.MediaPath();
  const FileStamp stamp = StampOf(path);
  if (stamp.size < 0 || IsMediaMissing(clip)) return;
  const ViewClipBitmap* have = ViewBitmapOf(clip.thumbnail);
  const StripSpan wanted = WantedStrip(clip);
  const int pw = doc.pictureWidths[std::clamp(doc.zoom, 0, 3)];
  if (have != nullptr && have->stamp == stamp && have->firstFrame == wanted.first &&
      have->bitmap.Width() >= wanted.count * pw && have->bitmap.Height() == pw * 3 / 4) {
    return;
  }
  MakeThumbnail(clip, stamp, wanted);
}

CTLEView::StripSpan CTLEView::WantedStrip(const TLEvent& clip) const {
  const CTestDoc& doc = GetDocument();
  const int pw = doc.pictureWidths[std::clamp(doc.zoom, 0, 3)];
  const int left = doc.TimeToX(clip.time);
  const int right = doc.TimeToX(clip.OutTime());
  if (clip.mediaType != kMediaOther) return StripSpan{0, 1};                        // a movie file's first picture
  if (doc.clipViewOption == 1 || doc.clipViewOption == 3) return StripSpan{-1, 2};  // head and tail
  const int frames = std::max(1, (right - left + pw - 1) / pw);
  const int first = std::clamp((doc.TrackAreaLeft() - left) / pw, 0, frames - 1);
  const int last = std::clamp((ClientRect().right - left) / pw, first, frames - 1);
  return StripSpan{first, std::min(last - first + 1, kMaxStripFrames)};
}

void CTLEView::MakeThumbnail(TLEvent& clip, const FileStamp& stamp, const StripSpan& span) {
  const CTestDoc& doc = GetDocument();
  const int pw = doc.pictureWidths[std::clamp(doc.zoom, 0, 3)];
  const int ph = pw * 3 / 4;
  const int left = doc.TimeToX(clip.time);
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
    const dc::Bitmap frame = BitmapFromDib(frameSource->FrameAt(clip, doc.rate, time, pw, ph));
    if (frame.IsNull()) continue;
    painter.drawImage(QRect(k * pw, 0, pw, ph), frame.Image());
    any = true;
  }
  painter.end();
  if (!any) {
    // Unreadable: the unknown-file picture until the file changes.
    unreadableMedia_[clip.MediaPath()] = stamp;
    clip.thumbnail = nullptr;
    return;
  }
  clip.thumbnail = MakeClipBitmap(dc::Bitmap(std::move(strip)), stamp, span.first);
}

// --- Waveforms ---

void CTLEView::BuildMissingWaveforms(TLEvent& clip, std::int32_t status) {
  if (!(clip.header && clip.header->HasAudio())) return;
  if (status != kTrackViewWaveform && status != kTrackViewStereo) return;
  const CTestDoc& doc = GetDocument();
  const FileStamp stamp = StampOf(clip.MediaPath());
  // A waveform spans its clip at the current scale and row height.
  const int width = std::clamp(doc.TimeToX(clip.OutTime()) - doc.TimeToX(clip.time), 1, kMaxWaveformWidth);
  auto stale = [&](const ClonePtr<ClipBitmap>& slot) {
    const ViewClipBitmap* wave = ViewBitmapOf(slot);
    return wave == nullptr || wave->stamp != stamp || wave->bitmap.Width() != width ||
           wave->bitmap.Height() != std::max(doc.RowHeight() - 3, 1);
  };
  if (stale(clip.waveform0)) DrawClipWaveform(&clip, 0);
  if (status == kTrackViewStereo && clip.header->AudioChannels() == 2 && stale(clip.waveform1)) {
    DrawClipWaveform(&clip, 1);
  }
}

int CTLEView::DrawClipWaveform(TLEvent* clip, int channel) {
  const std::string path = clip->MediaPath();
  const FileStamp stamp = StampOf(path);
  const std::string key = path + (channel == 0 ? "#0" : "#1");
  if (stamp.size < 0) return 0;
  if (const auto failed = failedWaveforms_.find(key); failed != failedWaveforms_.end() && failed->second == stamp) {
    return 0;
  }
  WaveformBitmapPainter painter(GetDocument().RowHeight() - 3,
                                [this](int id, const std::string& file) { QueueMessage(id, file); });
  if (sprocket::DrawClipWaveform(GetDocument(), painter, *clip, channel) == 0 || painter.result.IsNull()) {
    failedWaveforms_[key] = stamp;
    return 0;
  }
  (channel == 0 ? clip->waveform0 : clip->waveform1) = MakeClipBitmap(std::move(painter.result), stamp);
  return 1;
}

TransitionIconLoader& CTLEView::IconLoader() {
  if (iconLoader_ == nullptr) {
    iconLoader_ = std::make_unique<TransitionIconLoader>(
        stockBitmaps_, [](const DibPicture& picture) { return MakeClipBitmap(BitmapFromDib(picture)); });
  }
  return *iconLoader_;
}

int CTLEView::LoadTransitionIcon(TLEvent* clip) {
  if (clip->trackType != kTrackTransition) return 1;
  return IconLoader().LoadTransitionIcon(*clip);
}

void CTLEView::LoadTransitionIconWhilePainting(TLEvent& clip) {
  if (clip.intermediateMovie) return;
  DibPicture picture = IconLoader().IconPicture(clip);
  if (picture) {
    clip.transitionIcon = MakeClipBitmap(BitmapFromDib(picture));
    return;
  }
  // A transition without a picture is reported after the paint, once.
  if (iconCheckQueued_) return;
  iconCheckQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    iconCheckQueued_ = false;
    for (TLEvent* e = GetDocument().Head(); e != nullptr; e = GetNextEvent(e)) {
      if (e->IsClipIn() && e->trackType == kTrackTransition && !e->transitionIcon) LoadTransitionIcon(e);
    }
  });
}

// --- The cache kept in step with the view ---

bool CTLEView::IsClipInView(const TLEvent& clip) const {
  const CTestDoc& doc = GetDocument();
  return doc.TimeToX(clip.time) <= ClientRect().right && doc.TimeToX(clip.OutTime()) >= doc.TrackAreaLeft();
}

std::int32_t CTLEView::TrackStatusOf(const TLEvent& clip) const {
  const TLEvent* track = FindTrack(GetDocument().Head(), clip.trackNumber);
  return track != nullptr ? track->viewStatus : kTrackViewVideoOnly;
}

void CTLEView::UpdateClipBitmapsForStatus(TLEvent* clip) {
  const CTestDoc& doc = GetDocument();
  const std::int32_t x = doc.TimeToX(clip->time);
  if (x < doc.TrackAreaLeft() || x > ClientRect().right) return;
  const std::int32_t status = TrackStatusOf(*clip);
  if (status == kTrackViewBalance) return;
  const bool sound = clip->header && clip->header->HasAudio();
  if (clip->trackType == kTrackVideo && IsMovieClip(*clip)) BuildMissingThumbnail(*clip);
  if (!sound || (clip->trackType == kTrackVideo && !IsVideoFileExt(clip->extension))) return;
  if (status == kTrackViewVideoOnly || status == kTrackViewVolume) {
    clip->waveform0 = nullptr;
    clip->waveform1 = nullptr;
    return;
  }
  if (status == kTrackViewWaveform) clip->waveform1 = nullptr;
  BuildMissingWaveforms(*clip, status);
}

void CTLEView::UpdateTrackClipBitmaps(std::int32_t trackNumber) {
  for (TLEvent* e = GetDocument().Head(); e != nullptr; e = GetNextEvent(e)) {
    if (e->IsClipIn() && e->trackNumber == trackNumber) UpdateClipBitmapsForStatus(e);
  }
}

void CTLEView::RefreshAllClipBitmaps() {
  CTestDoc& doc = GetDocument();
  for (TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn()) continue;
    GetClipRect(doc, *e, e->drawnRect);
    if (!IsClipInView(*e)) {
      ReleaseClipBitmaps(*e);
      continue;
    }
    e->waveform0 = nullptr;
    e->waveform1 = nullptr;
    if (e->trackType != kTrackTransition) BuildMissingWaveforms(*e, TrackStatusOf(*e));
  }
}

void CTLEView::FillMissingClipBitmaps() {
  CTestDoc& doc = GetDocument();
  for (TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn()) continue;
    if (!IsClipInView(*e)) {
      ReleaseClipBitmaps(*e);
      GetClipRect(doc, *e, e->drawnRect);
      continue;
    }
    if (e->trackType == kTrackTransition) {
      if (!e->transitionIcon) LoadTransitionIcon(e);
      continue;
    }
    if (e->trackType == kTrackVideo) BuildMissingThumbnail(*e);
    BuildMissingWaveforms(*e, TrackStatusOf(*e));
  }
}

void CTLEView::RefreshClipThumbnails(TLEvent* clip) {
  if (clip->trackType == kTrackVideo && IsMovieClip(*clip)) {
    clip->thumbnail = nullptr;
    clip->cachedFrames = OwnedBlock();
    clip->waveform0 = nullptr;
    clip->waveform1 = nullptr;
  }
  RebuildClipBitmaps(clip);
}

void CTLEView::RebuildClipBitmaps(TLEvent* clip) {
  CTestDoc& doc = GetDocument();
  const std::string path = clip->MediaPath();
  if (!path.empty() && StampOf(path).size < 0) {
    if (missingFileResolver != nullptr) {
      CheckMissingClipFiles(doc, *missingFileResolver, &declinedMissingPaths_);
      const dc::Rect timeline = GetTimelineRect();
      InvalidateRect(dc::Rect{doc.TrackAreaLeft(), doc.TrackAreaTop(), timeline.right, timeline.bottom});
      UpdateOtherViews(doc.TrackAreaLeft(), doc.TrackAreaTop(), timeline.right, timeline.bottom);
    }
    return;
  }
  unreadableMedia_.erase(path);
  if (clip->trackType == kTrackTransition) {
    LoadTransitionIcon(clip);
    return;
  }
  if (clip->trackType == kTrackVideo) BuildMissingThumbnail(*clip);
  BuildMissingWaveforms(*clip, TrackStatusOf(*clip));
}

void CTLEView::ShiftAllClips(int dx) {
  CTestDoc& doc = GetDocument();
  for (TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn()) continue;
    if (e->thumbnail || e->waveform0 || e->waveform1) ShiftClip(e, dx);
    ClipSelection* entry = nullptr;
    if (doc.FindSelection(e, &entry) != 0 && entry != nullptr) {
      entry->rect.left += dx;
      entry->rect.right += dx;
    }
  }
}

void CTLEView::ShiftClip(TLEvent* clip, int dx) {
  const CTestDoc& doc = GetDocument();
  clip->drawnRect.left += dx;
  clip->drawnRect.right += dx;
  const std::int32_t x0 = doc.TrackAreaLeft();
  const std::int32_t clientRight = ClientRect().right;
  const bool cutByLeft = clip->drawnRect.left < x0 && x0 < clip->drawnRect.right;
  const bool cutByRight =
      clip->drawnRect.left > x0 && clip->drawnRect.left < clientRight && clientRight < clip->drawnRect.right;
  // A clip cut by an edge of the view shows another part of its strip.
  if (clip->reverse == 0 && (cutByLeft || cutByRight)) RefreshClipThumbnails(clip);
}

void CTLEView::InvalidateScrollSensitiveAreas() {
  CTestDoc& doc = GetDocument();
  auto widened = [](const ClipRect& r) { return dc::Rect{r.left - 3, r.top - 1, r.right + 3, r.bottom + 1}; };
  for (const MovingClipRect& moving : doc.movingClipRects) {
    if (moving.rect.left != moving.rect.right) InvalidateRect(widened(moving.rect));
  }
  if (doc.inClipPictureRect.left != doc.inClipPictureRect.right) {
    ClipRect r = doc.inClipPictureRect;
    r.top -= verticalScroll;
    r.bottom -= verticalScroll;
    InvalidateRect(widened(r));
  }
  for (TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn() || (e->trackType != kTrackTransition && doc.clipViewOption != 2)) continue;
    dc::Rect picture;
    if (GetClipPictureRect(e, picture) != 0) {
      InvalidateRect(dc::Rect{picture.left - 2, picture.top, picture.right + 2, picture.bottom});
    }
  }
  // The bars and marks over the ruler whose labels and clamps follow the
  // track area's edges.
  const std::int32_t m = doc.margin;
  const std::int32_t b = doc.bandHeight;
  for (const IntermediateMovie& movie : doc.intermediateMovies) {
    InvalidateRect(BandBarRect(movie.start, movie.end, m + b, m + 2 * b));
  }
  for (const IndexMark& mark : doc.indexMarks) {
    const std::int32_t x = std::clamp(doc.TimeToX(mark.time), doc.TrackAreaLeft(), 32760);
    InvalidateRect(dc::Rect{x - 8, m + 3 * b, x + 8, m + 3 * b + doc.rulerHeight});
  }
  InvalidateRect(BandBarRect(doc.movieRange.start, doc.movieRange.end, m + 2 * b, m + 3 * b));
}

// A bar of a mark band from its start to its end time, cut at the track
// area's left edge and at the timeline's visible right end.
dc::Rect CTLEView::BandBarRect(std::int32_t start, std::int32_t end, std::int32_t top, std::int32_t bottom) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t left = std::min(std::max(doc.TimeToX(start), doc.TrackAreaLeft()), 32767);
  const std::int32_t right = std::min({std::max(doc.TimeToX(end), doc.TrackAreaLeft()), 32767, TimelineRight()});
  return dc::Rect{left, top, right, bottom};
}

void CTLEView::InvalidatePicturesAndWaveforms() {
  CTestDoc& doc = GetDocument();
  const std::int32_t h = doc.RowHeight();
  for (TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn()) continue;
    dc::Rect picture;
    if ((e->trackType == kTrackTransition ||
         (e->trackType == kTrackVideo && !e->intermediateMovie && doc.clipViewOption == 2)) &&
        GetClipPictureRect(e, picture) != 0) {
      InvalidateRect(picture);
    }
    if (TrackStatusOf(*e) != kTrackViewWaveform) continue;
    const std::int32_t top = TrackTop(e->trackNumber);
    const std::int32_t left = std::max(doc.TimeToX(e->time), doc.TrackAreaLeft());
    const std::int32_t right = std::min(doc.TimeToX(e->OutTime()), doc.extent - doc.horizontalScroll);
    if (e->mediaType == kMediaWav) InvalidateRect(dc::Rect{left, top, right, top + h + 1});
    if (e->mediaType == kMediaAvi && e->header && e->header->HasAudio()) {
      InvalidateRect(dc::Rect{left, top + h + 1, right, top + 2 * h + 2});
    }
  }
}

// Clips that an edge of the track area cuts, before or after a scroll,
// show their labels and pictures against that edge: they are repainted.
void CTLEView::InvalidateClipsAtEdges(int dx) {
  CTestDoc& doc = GetDocument();
  const std::int32_t x0 = doc.TrackAreaLeft();
  const std::int32_t clientRight = ClientRect().right;
  for (TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn()) continue;
    const std::int32_t left = doc.TimeToX(e->time);
    const std::int32_t right = doc.TimeToX(e->OutTime());
    auto cut = [&](std::int32_t l, std::int32_t r) {
      return (l < x0 + 6 && r > x0) || (l < clientRight && r > clientRight);
    };
    if (!cut(left, right) && !cut(left - dx, right - dx)) continue;
    const TLEvent* track = FindTrack(doc.Head(), e->trackNumber);
    const std::int32_t top = TrackTop(e->trackNumber);
    const std::int32_t rows = track != nullptr ? TrackRowCount(*track) : 1;
    InvalidateRect(dc::Rect{x0, top, clientRight, top + rows * (doc.RowHeight() + 1) + 1});
  }
}

void CTLEView::ScrollHorizontally(int newScroll) {
  CTestDoc& doc = GetDocument();
  const int dx = doc.horizontalScroll - newScroll;
  if (dx == 0) return;
  doc.horizontalScroll = newScroll;
  const dc::Rect client = ClientRect();
  backBuffer_.Scroll(dx, 0, dc::Rect{doc.TrackAreaLeft() + 1, doc.margin, client.right, client.bottom});
  ShiftAllClips(dx);
  InvalidateScrollSensitiveAreas();
  InvalidatePicturesAndWaveforms();
  InvalidateClipsAtEdges(dx);
  // What the scroll brought in at the far edge of the timeline.
  InvalidateRect(
      dc::Rect{std::min(doc.extent - doc.horizontalScroll, client.right) - 2, 0, client.right, client.bottom});
  FillMissingClipBitmaps();
}

// Tracks that the top of the track area cuts, before or after a vertical
// scroll: their headers are left out and their pictures centred in what
// shows, so they are repainted.
void CTLEView::InvalidateTracksAtTop(int dy) {
  const CTestDoc& doc = GetDocument();
  const std::int32_t t0 = doc.TrackAreaTop();
  for (const TLEvent* track = GetNextEvent(doc.Head()); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    const std::int32_t top = TrackTop(track->trackNumber);
    const std::int32_t bottom = top + TrackRowCount(*track) * (doc.RowHeight() + 1) + 1;
    auto cut = [t0](std::int32_t upper, std::int32_t lower) { return upper < t0 && lower > t0; };
    if (cut(top, bottom) || cut(top - dy, bottom - dy)) {
      InvalidateRect(dc::Rect{0, std::max(top, t0), ClientRect().right, bottom});
    }
  }
}

void CTLEView::ScrollVertically(int newScroll) {
  const CTestDoc& doc = GetDocument();
  const int dy = verticalScroll - newScroll;
  if (dy == 0) return;
  verticalScroll = newScroll;
  const dc::Rect client = ClientRect();
  // The rows and their headers move; the track patterns stay in place,
  // which a move cannot show only because their tiles are alike row by row.
  backBuffer_.Scroll(0, dy, dc::Rect{0, doc.TrackAreaTop(), client.right, client.bottom});
  InvalidateScrollSensitiveAreas();
  InvalidatePicturesAndWaveforms();
  InvalidateTracksAtTop(dy);
}

}  // namespace sprocket
