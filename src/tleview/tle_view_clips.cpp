// Drawing of the clips: bodies by track and media, pictures, film strips,
// audio rows with waveforms, envelopes, the "Sync" mark and index marks.

#include <algorithm>
#include <cstdio>

#include "timeline/basics/media_type.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/track_rows.h"
#include "timeline/records/event_queries.h"
#include "tleview/clip_bitmaps.h"
#include "tleview/clip_drawing.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

void VerticalLine(dc::Context& dc, int x, int top, int bottom) {
  dc.MoveTo(x, top);
  dc.LineTo(x, bottom);
}

void HorizontalLine(dc::Context& dc, int left, int right, int y) {
  dc.MoveTo(left, y);
  dc.LineTo(right, y);
}

// A body rectangle with the black pen.
void Body(dc::Context& dc, const dc::Rect& rect, dc::Rgb colour) {
  dc::StateSaver saved(dc);
  dc.SetRop2(dc::Rop2::kCopyPen);
  dc.SelectPen(dc::Pen::Solid(dc::kBlack));
  dc.SelectBrush(dc::Brush::Solid(colour));
  dc.Rectangle(rect);
}

// White transparent text at a reference point, clipped.
// A waveform where its columns lie: from the clip's true left x (kept
// rectangles are cut to 16 bits), inside the row.
void BlitWaveform(dc::Context& dc, const dc::Rect& row, const ViewClipBitmap& wave, std::int32_t clipLeft) {
  const std::int64_t x = std::int64_t{clipLeft} + wave.firstColumn;
  const std::int64_t from = std::max<std::int64_t>(x, row.left);
  const std::int64_t to = std::min<std::int64_t>(x + wave.bitmap.Width(), row.right);
  if (to <= from) return;
  dc.BitBlt(static_cast<int>(from), row.top, static_cast<int>(to - from), row.Height() - 3, wave.bitmap,
            static_cast<int>(from - x), 0);
}

void ClippedText(dc::Context& dc, int x, int y, unsigned alignment, const dc::Rect& clip, const std::string& text) {
  if (text.empty() || clip.IsEmpty()) return;
  dc::StateSaver saved(dc);
  dc.SetTextColor(dc::kWhite);
  dc.SetBkMode(dc::BkMode::kTransparent);
  dc.SetTextAlign(alignment);
  dc.ExtTextOut(x, y, clip, text);
}

// A red line across the middle of a row.
void MiddleLine(dc::Context& dc, const dc::Rect& row) {
  dc::StateSaver saved(dc);
  dc.SelectPen(dc::Pen::Solid(kEnvelopeRed));
  dc.SetRop2(dc::Rop2::kCopyPen);
  HorizontalLine(dc, row.left, row.right, row.top + row.Height() / 2);
}

}  // namespace

// --- Dispatch ---

void CTLEView::DrawClip(dc::Context& dc, const TLEvent* clip) const {
  const ViewLayout layout = Layout();
  const TLEvent* track = FindTrack(layout.Doc().Head(), clip->trackNumber);
  if (track == nullptr) return;
  const std::int32_t h = layout.RowHeight();
  const ClipRect kept = layout.KeptClipRect(*clip);
  const std::int32_t top = layout.TrackTop(clip->trackNumber);
  const std::int32_t bottom = top + h + 1 + (TrackRowCount(*track) - 1) * (h + 1);
  const dc::Rect client = layout.Client();
  if (client.right < kept.left || kept.right < layout.TrackAreaLeft()) return;
  // A row taller than the visible area is drawn too.
  const bool rowVisible = bottom - 2 >= layout.TrackAreaTop() && top < client.bottom;
  if (rowVisible) {
    const std::int32_t status = track->viewStatus;
    const int envelopeMode = (status == kTrackViewVideoOnly || status == kTrackViewBalance) ? 1 : -1;
    const bool wide = kept.right - kept.left > 3;
    switch (track->trackType) {
      case kTrackVideo:
        if (IsVideoFileExt(clip->extension)) {
          DrawVideoFileClip(dc, clip);
          if (clip->header && clip->header->HasAudio() && wide) DrawClipEnvelope(dc, clip, envelopeMode);
        } else if (clip->mediaType == kMediaOther) {
          DrawFilmStripClip(dc, clip);
        } else {
          DrawStillOrTransitionClip(dc, clip);
        }
        break;
      case kTrackAudio:
        DrawAudioClip(dc, clip);
        if (wide) DrawClipEnvelope(dc, clip, envelopeMode);
        break;
      case kTrackTransition:
        DrawStillOrTransitionClip(dc, clip);
        break;
      default:
        break;
    }
  }
  if (track->trackType != kTrackTransition && !clip->intermediateMovie) {
    if (kept.bottom > layout.TrackAreaTop() && kept.top < client.bottom) {
      DrawClipIndexMarks(dc, kept.left, kept.top, kept.right, kept.bottom, clip);
    }
  }
}

// --- Shared pieces ---

ClipRect CTLEView::RowRectOf(const TLEvent& clip) const {
  const ViewLayout layout = Layout();
  const ClipRect kept = layout.KeptClipRect(clip);
  const std::int32_t top = layout.TrackTop(clip.trackNumber);
  return ClipRect{kept.left, top, kept.right, top + layout.RowHeight() + 1};
}

void CTLEView::DrawNarrowClip(dc::Context& dc, const ClipRect& r, int rows) const {
  const std::int32_t h = GetDocument().RowHeight();
  dc::StateSaver saved(dc);
  dc.SelectPen(dc::Pen::Solid(dc::kBlack));
  dc.SetRop2(dc::Rop2::kCopyPen);
  for (int row = 0; row < rows; ++row) {
    const int top = r.top + row * (h + 1);
    VerticalLine(dc, r.left, top + 2, top + h - 1);
    if (r.right - r.left == 2) VerticalLine(dc, r.left + 1, top + 2, top + h - 1);
  }
}

void CTLEView::DrawLabelAndEffects(dc::Context& dc, const TLEvent& clip, const dc::Rect& body, int textLeft) const {
  ClippedText(dc, textLeft, body.bottom, dc::align::kLeft | dc::align::kBottom, body, ClipLabel(clip));
  ClippedText(dc, textLeft, body.top, dc::align::kLeft | dc::align::kTop, body, EffectCountLabel(clip));
}

void CTLEView::DrawKindPicture(dc::Context& dc, const TLEvent& clip, ClipKind kind) const {
  dc::Rect picture;
  if (GetClipPictureRect(&clip, picture) == 0 || picture.Width() <= 3) return;
  const dc::Rect inset{picture.left + 1, picture.top + 1, picture.right - 1, picture.bottom - 1};
  const ViewClipBitmap* thumbnail = ViewBitmapOf(clip.thumbnail);
  if (IsMediaMissing(clip)) kind = ClipKind::kOther;  // the unknown-file picture
  const dc::Bitmap& source = (thumbnail != nullptr && kind != ClipKind::kOther && kind != ClipKind::kStill)
                                 ? thumbnail->bitmap
                                 : resources_.clipKindPictures[static_cast<int>(kind)];
  if (source.IsNull()) return;
  const int frameHeight = std::min(source.Height(), source.Width() * 3 / 4 + 1);
  dc.StretchBlt(inset, source, dc::Rect{0, 0, std::min(source.Width(), frameHeight * 4 / 3), frameHeight});
}

// Fills an audio row (status 1 with its red middle line, -1/2/3 with the
// channel's waveform) and labels the channels of a balance view.
void CTLEView::DrawAudioRow(dc::Context& dc, const TLEvent& clip, const dc::Rect& row, std::int32_t status, int channel,
                            bool hasSound) const {
  dc.FillRect(row, dc::Brush::Solid(hasSound ? kAudioBody : kSilentAudioRow));
  if (status == kTrackViewVolume) {
    if (hasSound) MiddleLine(dc, row);
    return;
  }
  if (status == kTrackViewBalance && clip.header && clip.header->AudioChannels() == 2) {
    DrawChannelLabels(dc, row);
  }
  const ViewClipBitmap* wave = ViewBitmapOf(channel == 0 ? clip.waveform0 : clip.waveform1);
  if (wave != nullptr) {
    dc::StateSaver saved(dc);
    BlitWaveform(dc, row, *wave, GetDocument().TimeToX(clip.time));
    dc.SelectPen(dc::Pen::Solid(dc::kBlack));
    HorizontalLine(dc, row.left, row.right, row.top);
    HorizontalLine(dc, row.left, row.right, row.bottom - 3);
    dc.SelectBrush(dc::Brush::Null());
    dc.Rectangle(row);
  } else if (hasSound) {
    MiddleLine(dc, row);
  }
}

void CTLEView::DrawChannelLabels(dc::Context& dc, const dc::Rect& row) const {
  const CTestDoc& doc = GetDocument();
  const dc::Rect area{std::max(row.left + 5, doc.TrackAreaLeft()), row.top, std::min(row.right, ClientRect().right),
                      row.bottom};
  if (area.Width() <= 2 * area.Height()) return;
  ClippedText(dc, area.right, area.top, dc::align::kRight | dc::align::kTop, area, "R Ch.");
  ClippedText(dc, area.right, area.bottom, dc::align::kRight | dc::align::kBottom, area, "L Ch.");
}

// --- Video files ---

void CTLEView::DrawVideoFileClip(dc::Context& dc, const TLEvent* clip) const {
  const CTestDoc& doc = GetDocument();
  const TLEvent* track = FindTrack(doc.Head(), clip->trackNumber);
  const std::int32_t h = doc.RowHeight();
  const std::int32_t status = track != nullptr ? track->viewStatus : kTrackViewVideoOnly;
  const int rows = track != nullptr ? TrackRowCount(*track) : 1;
  const ClipRect r = RowRectOf(*clip);
  if (r.right - r.left < 3) {
    DrawNarrowClip(dc, r, rows);
    return;
  }
  const dc::Rect body{r.left, r.top + 2, r.right, r.top + h - 1};
  Body(dc, body, kClipBody);
  DrawLabelAndEffects(dc, *clip, body, std::max(r.left + 5, doc.TrackAreaLeft()));
  const std::string ext = LowerExtension(*clip);
  DrawKindPicture(dc, *clip, ext == ".avi" ? ClipKind::kAvi : ClipKind::kFlic);
  DrawSyncLabel(dc, clip, dc::Rect{r.left, r.top, r.right, r.top + h + 1});
  if (status == kTrackViewVideoOnly) return;
  const bool hasSound = clip->header && clip->header->HasAudio();
  DrawAudioRow(dc, *clip, dc::Rect{r.left, r.top + h + 2, r.right, r.top + 2 * h}, status, 0, hasSound);
  if (status == kTrackViewStereo) {
    const int third = r.top + 2 * (h + 1);
    DrawAudioRow(dc, *clip, dc::Rect{r.left, third + 1, r.right, third + h - 1}, status, 1, hasSound);
  }
}

// --- Film strips (media type 501) ---

void CTLEView::DrawSprocketBand(dc::Context& dc, int left, int right, int top) const {
  const int z = GetDocument().zoom;
  if (z > 1) return;
  dc::StateSaver saved(dc);
  dc.SetRop2(dc::Rop2::kCopyPen);
  // The holes stay fixed to the clip: each pattern starts at its rectangle.
  dc.SetBrushOrg(dc::Point{left, top + 2});
  dc.SelectBrush(dc::Brush::Pattern(resources_.sprocketPatterns[z == 0 ? 0 : 2]));
  dc.SelectPen(dc::Pen::Solid(dc::kBlack));
  dc.Rectangle(left, top + 2, right, top + 20);
  if (z == 0) {
    dc.SetBrushOrg(dc::Point{left, top + 10});
    dc.SelectBrush(dc::Brush::Pattern(resources_.sprocketPatterns[1]));
    dc.SelectPen(dc::Pen::Null());
    dc.Rectangle(left, top + 10, right, top + 20);
  }
}

void CTLEView::DrawFilmStripClip(dc::Context& dc, const TLEvent* clip) const {
  const CTestDoc& doc = GetDocument();
  const TLEvent* track = FindTrack(doc.Head(), clip->trackNumber);
  const std::int32_t h = doc.RowHeight();
  const int z = std::clamp(doc.zoom, 0, 3);
  const int rows = track != nullptr ? TrackRowCount(*track) : 1;
  const ClipRect r = RowRectOf(*clip);
  const int width = r.right - r.left;
  if (width <= 2) {
    DrawNarrowClip(dc, r, rows);
    return;
  }
  const int bottom = r.top + h + 1;
  const int option = doc.clipViewOption;
  if (option == 2 || option == 4) {
    const dc::Rect body{r.left, r.top + 2, r.right, bottom - 2};
    Body(dc, body, kClipBody);
    DrawLabelAndEffects(dc, *clip, body, std::max(r.left + 5, doc.TrackAreaLeft()));
    DrawKindPicture(dc, *clip, ClipKind::kOther);
  } else if (option == 1 || option == 3) {
    DrawHeadFrameClip(dc, *clip, r, option);
  } else {
    DrawFilmStrip(dc, *clip, r);
  }
  // Extra rows of the track.
  for (int row = 1; row < rows; ++row) {
    const int rowTop = r.top + row * (h + 1);
    const dc::Rect extra{r.left, rowTop + 1, r.right, rowTop + h - 1};
    dc.FillRect(extra, dc::Brush::Solid(kSilentAudioRow));
    if (option != 0) DrawLabelAndEffects(dc, *clip, extra, std::max(r.left + 5, doc.TrackAreaLeft()));
  }
  (void)z;
}

void CTLEView::DrawFilmStrip(dc::Context& dc, const TLEvent& clip, const ClipRect& r) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t h = doc.RowHeight();
  const int z = std::clamp(doc.zoom, 0, 3);
  const int pw = doc.pictureWidths[z];
  const int bottom = r.top + h + 1;
  const int width = r.right - r.left;
  if (z <= 1) {
    DrawSprocketBand(dc, r.left, r.right, r.top);
  } else {
    Body(dc, dc::Rect{r.left, r.top + 2, r.right, bottom - 3}, kClipBody);
  }
  const int y0 = r.top + 2 + doc.sprocketHeights[z];
  const int y1 = bottom - 3;
  const bool doubleEdges = z <= 1;
  dc::StateSaver saved(dc);
  dc.SetRop2(dc::Rop2::kCopyPen);
  dc.SelectPen(dc::Pen::Solid(dc::kBlack));
  auto edge = [&](int x, bool opening) {
    VerticalLine(dc, x, y0, y1);
    if (doubleEdges) VerticalLine(dc, opening ? x + 1 : x - 1, y0, y1);
  };
  const ViewClipBitmap* strip = ViewBitmapOf(clip.thumbnail);
  if (strip != nullptr && !IsMediaMissing(clip)) {
    if (pw < width) {
      const int stripLeft = r.left + strip->firstFrame * pw;
      dc.BitBlt(stripLeft, y0, std::min(strip->bitmap.Width(), r.right - stripLeft), y1 - y0, strip->bitmap);
      const int whole = width / pw;
      for (int k = 0; k < whole; ++k) {
        const int x = r.left + k * pw;
        edge(x, true);
        if (k + 1 < whole) edge(x + pw - 1, false);
      }
      edge(r.right - pw, true);
      edge(r.right - 1, false);
    } else {
      const int frameHeight = std::min(strip->bitmap.Height(), pw * 3 / 4);
      dc.StretchBlt(dc::Rect{r.left, y0, r.right, y1}, strip->bitmap,
                    dc::Rect{0, 0, std::min(pw, strip->bitmap.Width()), frameHeight});
      VerticalLine(dc, r.left, y0, y1);
      VerticalLine(dc, r.right - 1, y0, y1);
    }
  } else {
    // No pictures (yet, or the file cannot be read): the unknown-file picture and the name.
    Body(dc, dc::Rect{r.left, y0, r.right, y1}, kClipBody);
    DrawKindPicture(dc, clip, ClipKind::kOther);
    ClippedText(dc, std::max(r.left + 5, doc.TrackAreaLeft()), y1, dc::align::kLeft | dc::align::kBottom,
                dc::Rect{r.left, y0, r.right, y1}, ClipLabel(clip));
  }
  HorizontalLine(dc, r.left, r.right, y0);
  HorizontalLine(dc, r.left, r.right, y1);
}

void CTLEView::DrawHeadFrameClip(dc::Context& dc, const TLEvent& clip, const ClipRect& r, int option) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t h = doc.RowHeight();
  const int z = std::clamp(doc.zoom, 0, 3);
  const int top = r.top;
  const int bottom = r.top + h + 1;
  const int width = r.right - r.left;
  const dc::Rect body{r.left, top + 2, r.right, bottom - 2};
  Body(dc, body, kClipBody);
  const int band = doc.sprocketHeights[z];
  const int fw = std::min(((bottom - band - (top + 2)) * 4 - 12) / 3, width);
  const bool tail = option == 1 && 2 * fw < width;
  if (z <= 1) {
    DrawSprocketBand(dc, r.left, r.left + fw, top);
    if (tail) DrawSprocketBand(dc, r.right - fw, r.right, top);
  }
  const ViewClipBitmap* frames = ViewBitmapOf(clip.thumbnail);
  const int y0 = top + 2 + band;
  if (frames != nullptr && !IsMediaMissing(clip) && frames->bitmap.Width() > 0) {
    const int pw = doc.pictureWidths[z];
    const int fh = std::min(frames->bitmap.Height(), pw * 3 / 4);
    dc.StretchBlt(dc::Rect{r.left, y0, r.left + fw, bottom - 3}, frames->bitmap, dc::Rect{0, 0, pw, fh});
    if (tail && frames->bitmap.Width() >= 2 * pw) {
      dc.StretchBlt(dc::Rect{r.right - fw, y0, r.right, bottom - 3}, frames->bitmap, dc::Rect{pw, 0, 2 * pw, fh});
    }
  } else {
    DrawKindPicture(dc, clip, ClipKind::kOther);
  }
  dc::StateSaver saved(dc);
  dc.SetRop2(dc::Rop2::kCopyPen);
  dc.SelectPen(dc::Pen::Solid(dc::kBlack));
  VerticalLine(dc, r.left, top + 2, bottom - 3);
  VerticalLine(dc, r.right - 1, top + 2, bottom - 3);
  if (option == 1) {
    const dc::Rect textClip = tail ? dc::Rect{r.left + fw, top + 2, r.right - fw, bottom - 2} : body;
    ClippedText(dc, r.left + 3, bottom - 4, dc::align::kLeft | dc::align::kBottom, textClip, ClipLabel(clip));
    if (fw < width) {
      VerticalLine(dc, r.left + fw, top + 2, bottom - 3);
      if (tail) VerticalLine(dc, r.right - fw - 1, top + 2, bottom - 3);
    }
  } else {
    const dc::Rect textClip{r.left + fw + 1, top + 2, r.right - 1, bottom - 2};
    const int x = std::max(r.left + fw + 1 + 5, doc.TrackAreaLeft());
    ClippedText(dc, x, bottom - 3, dc::align::kLeft | dc::align::kBottom, textClip, ClipLabel(clip));
    ClippedText(dc, x, top + 2, dc::align::kLeft | dc::align::kTop, textClip, EffectCountLabel(clip));
    VerticalLine(dc, r.left + fw, top + 2, bottom - 3);
  }
  HorizontalLine(dc, r.left, r.right, top + 2);
  HorizontalLine(dc, r.left, r.right, bottom - 3);
}

// --- Stills and transitions ---

void CTLEView::DrawStillOrTransitionClip(dc::Context& dc, const TLEvent* clip) const {
  const CTestDoc& doc = GetDocument();
  const TLEvent* track = FindTrack(doc.Head(), clip->trackNumber);
  const std::int32_t h = doc.RowHeight();
  const int rows = track != nullptr ? TrackRowCount(*track) : 1;
  const ClipRect r = RowRectOf(*clip);
  if (r.right - r.left < 3) {
    DrawNarrowClip(dc, r, rows);
    return;
  }
  const bool transition = track != nullptr && track->trackType == kTrackTransition;
  const dc::Rect body{r.left, r.top + 2, r.right, r.top + h - 1};
  Body(dc, body, transition ? kTransitionBody : kClipBody);
  dc::Rect picture;
  const int textLeft = std::max(r.left + 5, doc.TrackAreaLeft());
  if (transition) {
    const ViewClipBitmap* icon = ViewBitmapOf(clip->transitionIcon);
    if (!clip->filters.empty() && icon != nullptr && GetClipPictureRect(clip, picture) != 0 && picture.Width() > 3) {
      dc.StretchBlt(picture, icon->bitmap, dc::Rect{0, 0, icon->bitmap.Width(), icon->bitmap.Height()});
    }
  } else {
    DrawLabelAndEffects(dc, *clip, body, textLeft);
    const ViewClipBitmap* own = ViewBitmapOf(clip->thumbnail);
    if (pictures_.OwnPictureSwitch() && own != nullptr && GetClipPictureRect(clip, picture) != 0 &&
        picture.Width() > 3) {
      dc.StretchBlt(picture, own->bitmap, dc::Rect{0, 0, own->bitmap.Width(), own->bitmap.Height()});
    } else {
      DrawKindPicture(dc, *clip, ClipKind::kStill);
    }
  }
  if (rows > 1) {
    const int second = r.top + h + 1;
    const dc::Rect row2{r.left, second + 1, r.right, second + h - 1};
    dc.FillRect(row2, dc::Brush::Solid(kSilentAudioRow));
    if (doc.clipViewOption != 0) ClippedText(dc, textLeft, row2.bottom, dc::align::kBottom, row2, ClipLabel(*clip));
  }
  if (rows > 2) {
    const int third = r.top + 2 * (h + 1);
    const dc::Rect row3{r.left, third + 1, r.right, third + h - 1};
    dc.FillRect(row3, dc::Brush::Solid(kStillThirdRow));
    DrawLabelAndEffects(dc, *clip, row3, textLeft);
  }
}

// --- Audio clips ---

void CTLEView::DrawAudioClip(dc::Context& dc, const TLEvent* clip) const {
  const CTestDoc& doc = GetDocument();
  const TLEvent* track = FindTrack(doc.Head(), clip->trackNumber);
  const std::int32_t h = doc.RowHeight();
  const std::int32_t status = track != nullptr ? track->viewStatus : kTrackViewVolume;
  const ClipRect r = RowRectOf(*clip);
  if (r.right - r.left < 3) {
    DrawNarrowClip(dc, r, status == kTrackViewStereo ? 2 : 1);
    return;
  }
  std::string label = ClipLabel(*clip);
  if (LowerExtension(*clip) == ".avi") label += "(Audio)";
  const dc::Rect body{r.left, r.top + 2, r.right, r.top + h - 1};
  auto drawRow = [&](const dc::Rect& row, int channel) {
    dc.FillRect(row, dc::Brush::Solid(kAudioBody));
    if (status == kTrackViewBalance && clip->header && clip->header->AudioChannels() == 2) DrawChannelLabels(dc, row);
    const ViewClipBitmap* wave = ViewBitmapOf(channel == 0 ? clip->waveform0 : clip->waveform1);
    dc::StateSaver saved(dc);
    dc.SetRop2(dc::Rop2::kCopyPen);
    dc.SelectPen(dc::Pen::Solid(dc::kBlack));
    if (status != kTrackViewVolume && wave != nullptr) {
      BlitWaveform(dc, row, *wave, doc.TimeToX(clip->time));
      HorizontalLine(dc, row.left, row.right, row.top);
      HorizontalLine(dc, row.left, row.right, row.bottom - 3);
    }
    MiddleLine(dc, row);
    VerticalLine(dc, row.left, row.top, row.bottom);
    VerticalLine(dc, row.right - 1, row.top, row.bottom);
  };
  if (status == kTrackViewVideoOnly) {
    // The clip's box without its sound.
    dc.FillRect(body, dc::Brush::Solid(kAudioBody));
    dc::StateSaver saved(dc);
    dc.SetRop2(dc::Rop2::kCopyPen);
    dc.SelectPen(dc::Pen::Solid(dc::kBlack));
    VerticalLine(dc, body.left, body.top, body.bottom);
    VerticalLine(dc, body.right - 1, body.top, body.bottom);
  } else {
    drawRow(body, 0);
    DrawSyncLabel(dc, clip, dc::Rect{r.left, r.top + 4, r.right, r.top + h - 1});
    if (status == kTrackViewStereo) {
      const int second = r.top + h + 1;
      drawRow(dc::Rect{r.left, second + 2, r.right, second + h - 1}, 1);
    }
  }
  ClippedText(dc, std::max(r.left + 5, doc.TrackAreaLeft()), body.bottom, dc::align::kLeft | dc::align::kBottom, body,
              label);
}

// --- Picture rectangle ---

int CTLEView::GetClipPictureRect(const TLEvent* clip, dc::Rect& rect) const {
  const CTestDoc& doc = GetDocument();
  const TLEvent* track = FindTrack(doc.Head(), clip->trackNumber);
  if (track == nullptr) return 0;
  const int z = std::clamp(doc.zoom, 0, 3);
  int pictureWidth = 0;
  int pictureHeight = 0;
  if (track->trackType == kTrackVideo && !clip->intermediateMovie) {
    if (z == 0) {
      pictureWidth = doc.pictureWidths[0];
      pictureHeight = pictureWidth * 3 / 4;
    } else {
      const dc::Bitmap& kind = resources_.clipKindPictures[static_cast<int>(KindOf(*clip))];
      pictureWidth = kind.Width();
      pictureHeight = kind.Height();
    }
  } else if (track->trackType == kTrackTransition) {
    if (const ViewClipBitmap* icon = ViewBitmapOf(clip->transitionIcon)) {
      pictureWidth = icon->bitmap.Width();
      pictureHeight = icon->bitmap.Height();
    }
  }
  if (pictureWidth <= 0 || pictureHeight <= 0) return 0;
  const ClipRect row = RowRectOf(*clip);
  const dc::Rect client = ClientRect();
  const dc::Rect area = dc::Rect{row.left, row.top + 2, row.right, row.top + doc.RowHeight() - 1}.Intersected(
      dc::Rect{doc.TrackAreaLeft(), doc.TrackAreaTop(), client.right, client.bottom});
  if (area.IsEmpty()) return 0;
  rect = FitClipPicture(area, pictureWidth, pictureHeight, track->trackType == kTrackTransition, doc.pictureWidths[z]);
  return 1;
}

// --- Sync mark and index marks ---

void CTLEView::DrawSyncLabel(dc::Context& dc, const TLEvent* clip, const dc::Rect& rect) const {
  if (FindSyncPartner(clip) == nullptr) return;
  dc::StateSaver saved(dc);
  dc.SelectFont(dc::Font{12, "Arial", 0});
  const dc::TextMetrics metrics = dc.GetTextMetrics();
  const dc::Rect area{rect.left, rect.top, rect.right - 2, rect.bottom};
  ClippedText(dc, area.right, area.top + (area.Height() - metrics.Height()) / 2, dc::align::kRight | dc::align::kTop,
              area, "Sync");
}

void CTLEView::DrawClipIndexMarks(dc::Context& dc, int left, int top, int right, int bottom,
                                  const TLEvent* clip) const {
  CTestDoc& doc = GetDocument();
  int count = 0;
  const ClipIndexMark* marks = doc.GetClipIndexMarks(clip->MediaPath(), clip->time, clip->trackNumber, &count);
  if (marks == nullptr || count <= 0) return;
  (void)bottom;
  dc::StateSaver saved(dc);
  dc.SetRop2(dc::Rop2::kCopyPen);
  dc.SelectBrush(dc::Brush::Solid(dc::Rgb{255, 255, 0}));
  dc.SelectPen(dc::Pen::Solid(dc::kBlack));
  dc.SelectFont(dc::Font{11, "Arial", 0});
  for (int i = 0; i < count; ++i) {
    const std::optional<int> markX = ClipIndexMarkX(doc, *clip, marks[i].time);
    if (!markX || *markX < left || *markX >= right) continue;
    const int x = std::clamp(*markX, left + 4, right - 4);
    const std::array<dc::Point, 3> triangle{dc::Point{x - 4, top + 5}, dc::Point{x, top + 1},
                                            dc::Point{x + 4, top + 5}};
    dc.Polygon(triangle);
    const int clipLeft = std::max(x - 8, left);
    ClippedText(dc, x, top + 16, dc::align::kCenter | dc::align::kBottom,
                dc::Rect{clipLeft, top + 6, std::min(clipLeft + 16, right), top + 16}, marks[i].name);
  }
}

}  // namespace sprocket
