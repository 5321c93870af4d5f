// When the view's clip pictures (clip_picture_cache.h) are made and let go:
// when clips come into view, after a scroll, zoom, scale or view option
// change, a track's view status or a clip's media change; and the repaint
// after a scroll, which moves what it can and invalidates the rest.

#include <QTimer>
#include <algorithm>

#include "platform/prompts.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/track_rows.h"
#include "timeline/records/event_queries.h"
#include "tleview/clip_bitmaps.h"
#include "tleview/clip_drawing.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

bool IsMovieClip(const TLEvent& clip) { return IsVideoFileExt(clip.extension) || clip.mediaType == kMediaOther; }

}  // namespace

void CTLEView::QueueMessage(int stringId, const std::string& path) {
  // Each file's message once, after the paint or scroll that met it.
  if (!reportedMessages_.insert(std::to_string(stringId) + path).second) return;
  QTimer::singleShot(0, this, [stringId] { ShowMessage(stringId, MB_OK | MB_ICONEXCLAMATION); });
}

int CTLEView::DrawClipWaveform(TLEvent* clip, int channel) { return pictures_.BuildWaveform(*clip, channel, Layout()); }

int CTLEView::LoadTransitionIcon(TLEvent* clip) { return pictures_.LoadTransitionIcon(*clip); }

void CTLEView::BuildMissingTransitionIcon(TLEvent& clip) {
  if (clip.transitionIcon || pictures_.BuildTransitionIconQuietly(clip)) return;
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

std::int32_t CTLEView::TrackStatusOf(const TLEvent& clip) const {
  const TLEvent* track = FindTrack(GetDocument().Head(), clip.trackNumber);
  return track != nullptr ? track->viewStatus : kTrackViewVideoOnly;
}

void CTLEView::UpdateClipBitmapsForStatus(TLEvent* clip) {
  const ViewLayout layout = Layout();
  const std::int32_t x = layout.TimeToX(clip->time);
  if (x < layout.TrackAreaLeft() || x > layout.Client().right) return;
  const std::int32_t status = TrackStatusOf(*clip);
  if (status == kTrackViewBalance) return;
  const bool sound = clip->header && clip->header->HasAudio();
  if (clip->trackType == kTrackVideo && IsMovieClip(*clip)) pictures_.BuildMissingThumbnail(*clip, layout);
  if (!sound || (clip->trackType == kTrackVideo && !IsVideoFileExt(clip->extension))) return;
  if (status == kTrackViewVideoOnly || status == kTrackViewVolume) {
    clip->waveform0 = nullptr;
    clip->waveform1 = nullptr;
    return;
  }
  if (status == kTrackViewWaveform) clip->waveform1 = nullptr;
  pictures_.BuildMissingWaveforms(*clip, status, layout);
}

void CTLEView::UpdateTrackClipBitmaps(std::int32_t trackNumber) {
  for (TLEvent* e = GetDocument().Head(); e != nullptr; e = GetNextEvent(e)) {
    if (e->IsClipIn() && e->trackNumber == trackNumber) UpdateClipBitmapsForStatus(e);
  }
}

// After a zoom, a change of scale or of the view option: every clip in view
// gets its waveforms made anew, and what failed before is tried again.
void CTLEView::RefreshAllClipBitmaps() {
  CTestDoc& doc = GetDocument();
  const ViewLayout layout = Layout();
  pictures_.ForgetFailures();
  for (TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn()) continue;
    e->drawnRect = layout.KeptClipRect(*e);
    if (!layout.IsClipInView(*e)) {
      ClipPictureCache::Release(*e);
      continue;
    }
    e->waveform0 = nullptr;
    e->waveform1 = nullptr;
    if (e->trackType != kTrackTransition) pictures_.BuildMissingWaveforms(*e, TrackStatusOf(*e), layout);
  }
}

void CTLEView::FillMissingClipBitmaps() {
  CTestDoc& doc = GetDocument();
  const ViewLayout layout = Layout();
  for (TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn()) continue;
    if (!layout.IsClipInView(*e)) {
      ClipPictureCache::Release(*e);
      e->drawnRect = layout.KeptClipRect(*e);
      continue;
    }
    FillClipPictures(*e, layout);
  }
}

void CTLEView::FillClipPictures(TLEvent& clip, const ViewLayout& layout) {
  if (clip.trackType == kTrackTransition) {
    BuildMissingTransitionIcon(clip);
    return;
  }
  if (clip.trackType == kTrackVideo) pictures_.BuildMissingThumbnail(clip, layout);
  pictures_.BuildMissingWaveforms(clip, TrackStatusOf(clip), layout);
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
  pictures_.ForgetFailuresOf(path);
  if (clip->trackType == kTrackTransition) {
    LoadTransitionIcon(clip);
    return;
  }
  const ViewLayout layout = Layout();
  if (clip->trackType == kTrackVideo) pictures_.BuildMissingThumbnail(*clip, layout);
  pictures_.BuildMissingWaveforms(*clip, TrackStatusOf(*clip), layout);
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
  for (const dc::Rect& picture : PictureAreas()) InvalidateRect(picture);
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

// Where clips' pictures are drawn, with a pixel to spare. Pictures are
// placed in the part of a clip that shows and rounded, in every clip view,
// so a scroll does not simply move them: where they were and where they go
// are both repainted.
std::vector<dc::Rect> CTLEView::PictureAreas() const {
  std::vector<dc::Rect> areas;
  const dc::Rect client = ClientRect();
  for (const TLEvent* e = GetDocument().Head(); e != nullptr; e = GetNextEvent(e)) {
    dc::Rect picture;
    if (!e->IsClipIn() || GetClipPictureRect(e, picture) == 0) continue;
    const dc::Rect area{picture.left - 2, picture.top - 1, picture.right + 2, picture.bottom + 1};
    if (!area.Intersected(client).IsEmpty()) areas.push_back(area);
  }
  return areas;
}

void CTLEView::InvalidateMoved(const std::vector<dc::Rect>& areas, int dx, int dy) {
  for (const dc::Rect& r : areas) InvalidateRect(dc::Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy});
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
  const std::vector<dc::Rect> picturesBefore = PictureAreas();
  doc.horizontalScroll = newScroll;
  const dc::Rect client = ClientRect();
  backBuffer_.Scroll(dx, 0, dc::Rect{doc.TrackAreaLeft() + 1, doc.margin, client.right, client.bottom});
  ShiftAllClips(dx);
  InvalidateMoved(picturesBefore, dx, 0);
  InvalidateScrollSensitiveAreas();
  InvalidatePicturesAndWaveforms();
  InvalidateClipsAtEdges(dx);
  // The track area's first column is not moved: where track 1's border
  // line is scrolled away it shows the rows' pattern, which moves.
  InvalidateRect(dc::Rect{doc.TrackAreaLeft(), doc.TrackAreaTop(), doc.TrackAreaLeft() + 1, client.bottom});
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
  const std::vector<dc::Rect> picturesBefore = PictureAreas();
  verticalScroll = newScroll;
  const dc::Rect client = ClientRect();
  // The rows and their headers move; the track patterns stay in place,
  // which a move cannot show only because their tiles are alike row by row.
  backBuffer_.Scroll(0, dy, dc::Rect{0, doc.TrackAreaTop(), client.right, client.bottom});
  InvalidateMoved(picturesBefore, 0, dy);
  InvalidateScrollSensitiveAreas();
  InvalidatePicturesAndWaveforms();
  InvalidateTracksAtTop(dy);
}

}  // namespace sprocket
