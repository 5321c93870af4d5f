// Pixels of the painted timeline view, read from its back buffer without a
// window. Geometry at the defaults: M 5, B 10, R 17, W 65, X0 70, T0 52.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include "platform/application_state.h"
#include "platform/settings/profile.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/event_edits.h"
#include "timeline/document/track_rows.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/timeline_backup.h"
#include "timeline/tlefile/timeline_file.h"
#include "tleview/ruler_scale.h"
#include "tleview/tle_view.h"

namespace sprocket {
namespace {

using dc::Rgb;
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr int kX0 = 70;
constexpr int kT0 = 52;

Rgb NotXor(Rgb pen, Rgb below) {
  return Rgb{std::uint8_t(~(pen.r ^ below.r)), std::uint8_t(~(pen.g ^ below.g)), std::uint8_t(~(pen.b ^ below.b))};
}
Rgb Inverted(Rgb c) { return Rgb{std::uint8_t(255 - c.r), std::uint8_t(255 - c.g), std::uint8_t(255 - c.b)}; }

int Count(const QImage& image, const dc::Rect& area, Rgb colour) {
  int count = 0;
  for (int y = std::max(area.top, 0); y < std::min(area.bottom, image.height()); ++y)
    for (int x = std::max(area.left, 0); x < std::min(area.right, image.width()); ++x)
      if (Rgb::FromQRgb(image.pixel(x, y)) == colour) ++count;
  return count;
}

class ViewPainting : public ::testing::Test {
protected:
  ViewPainting() : profile(dir / "RODUVER.INI") {
    document->doc.rate = 2500;
    document->doc.SetDuration(60000);
    view = std::make_unique<CTLEView>(document, app, profile);
    view->BackBuffer().Resize(640, 420);
  }
  CTestDoc& doc() { return document->doc; }
  const QImage& Paint() {
    view->InvalidateAll();
    view->UpdateNow();
    return view->BackBuffer().Image();
  }
  Rgb At(int x, int y) { return view->BackBuffer().Pixel(x, y); }
  TLEvent* Track(int n) { return FindTrack(doc().Head(), n); }
  int Top(int n) { return view->TrackTop(n); }

  testing::TempDir dir;
  Profile profile;
  ApplicationState app;
  std::shared_ptr<ViewedDocument> document = std::make_shared<ViewedDocument>();
  std::unique_ptr<CTLEView> view;
};

TEST_F(ViewPainting, RowsAreFilledWithTheirZoomLevelsBrushPinnedToTheTrackArea) {
  for (int zoom = 0; zoom < 4; ++zoom) {
    view->SetZoomLevel(zoom);
    const int h = doc().RowHeight();
    view->verticalScroll = zoom * 3;  // rows scroll, the pattern stays
    Paint();
    struct Row {
      int track;
      const dc::Brush* brush;
    };
    const ZoomResources& z = view->Resources().zoom[zoom];
    for (const Row& row : {Row{1, &z.videoBrush1}, Row{2, &z.transitionBrush}, Row{6, &z.audioBrush1}}) {
      const int top = Top(row.track);
      EXPECT_EQ(top, kT0 + GetTrackTop(doc(), row.track - 1) - zoom * 3);
      if (top + h >= 420) continue;
      for (int dy = std::max(1, kT0 + 2 - top); dy < h; dy += 5) {
        const int x = kX0 + 13 + dy;
        const QRgb expected = row.brush->pattern->pixel((x - kX0) % 8, (top + dy - kT0 + 64) % 8);
        EXPECT_EQ(At(x, top + dy), Rgb::FromQRgb(expected)) << "zoom " << zoom << " track " << row.track;
      }
      EXPECT_EQ(At(kX0 + 20, top + h), kBlack) << "separator below track " << row.track;
    }
  }
}

TEST_F(ViewPainting, ExtraRowsFollowTheViewStatus) {
  const int h = doc().RowHeight();  // 34
  struct Case {
    char type;
    int track;
    int status;
    int separatorOffset;
    int audioRowFilled;
    int thirdRowWhite;
  };
  const Case cases[] = {
      {'V', 1, 0, h, 0, 0}, {'V', 1, 1, 2 * h + 1, 1, 0}, {'V', 1, 3, 3 * h + 2, 1, 1}, {'A', 6, 3, 2 * h + 1, 1, 0}};
  for (const Case& c : cases) {
    Track(c.track)->viewStatus = c.status;
    Paint();
    const int top = Top(c.track);
    EXPECT_EQ(At(kX0 + 30, top + c.separatorOffset), kBlack) << c.status;
    EXPECT_NE(At(kX0 + 30, top + c.separatorOffset - (c.thirdRowWhite ? h + 2 : 1)), kWhite) << c.status;
    if (c.audioRowFilled) {
      EXPECT_NE(At(kX0 + 30, top + h + 5), kWhite);
    }
    if (c.thirdRowWhite) {
      EXPECT_EQ(At(kX0 + 30, top + 2 * h + 8), kWhite);
    }
    Track(c.track)->viewStatus = 0;
  }
}

TEST_F(ViewPainting, TrackOneDrawsTheBordersAndTracksAboveTheRulerGetNoHeader) {
  Paint();
  const int h = doc().RowHeight();
  EXPECT_EQ(At(200, kT0), kBlack);       // top border of track 1
  EXPECT_EQ(At(kX0, kT0 + 10), kBlack);  // left edge of the track area
  EXPECT_NE(At(kX0, Top(3) + 10), kWhite);
  EXPECT_EQ(At(5, Top(2) + h / 2), kBlack);  // header frame's left edge
  view->verticalScroll = h + 5;              // track 1 is partly above T0
  Paint();
  EXPECT_NE(At(12, Top(1) + 20), Rgb::FromQRgb(view->Resources().zoom[2].videoHeader.Image().pixel(6, 20)));
  EXPECT_EQ(At(200, Top(1)), kWhite);    // no top border, the ruler covers it
  EXPECT_EQ(At(2, Top(2) + 5), kWhite);  // the margin strip
}

TEST_F(ViewPainting, HeadersShowBitmapLabelAndIcons) {
  const int h = doc().RowHeight();
  Track(3)->statusCode = 1;
  Track(6)->audioPreviewSelection = 1;
  Paint();
  const dc::Bitmap& header = view->Resources().zoom[2].videoHeader;
  EXPECT_EQ(At(5 + 1 + 3, Top(1) + 1 + 3), header.Pixel(3, 3));
  // Labels are white, right and bottom aligned at (M + W, top + (h + 1) / 2 + 8).
  for (int track : {1, 2, 6}) {
    const int y = Top(track) + (h + 1) / 2 + 8;
    const dc::Rect left{5, y - 16, 70, y};
    EXPECT_GT(Count(view->BackBuffer().Image(), left, kWhite), 8) << track;
    EXPECT_EQ(Count(view->BackBuffer().Image(), dc::Rect{70, y - 16, 71, y}, kWhite), 0) << track;
  }
  const dc::Icon& status = view->Resources().trackStatusIcon;
  const int sx = 5 + 5 + 65 / 2;
  const int sy = Top(3) + 5 + (h - 15) / 2;
  EXPECT_EQ(At(sx + 7, sy + 7), Rgb::FromQRgb(status.Image().pixel(7, 7)));
  const QImage before = view->BackBuffer().Image().copy();
  const int ax = 5 - 17 + 65 / 2;
  const int ay = Top(6) + 8 + (h - 15) / 2;
  SharedValueStore values;
  values.Set(kSharedKeyBoardAudio, 1);
  view->sharedValues = &values;
  Paint();
  EXPECT_NE(view->BackBuffer().Image().copy(ax, ay, 16, 16), before.copy(ax, ay, 16, 16));  // icon 382, not 380
}

TEST_F(ViewPainting, TrackLabelsCountTracksOfTheirType) {
  for (int i = 0; i < 8; ++i) AppendTrack(doc().Head(), kTrackVideo);  // V5..V12 after the default tracks
  EXPECT_EQ(GetTrackOrdinal(Track(17)), 12);
  view->verticalScroll = Top(9) - kT0;
  const QImage& image = Paint();
  // "V12" reaches further left than "A4" (the same right edge).
  auto leftmostWhite = [&](int track) {
    const int y = Top(track) + (doc().RowHeight() + 1) / 2 + 8;
    for (int x = 6; x < 70; ++x)
      for (int yy = y - 14; yy < y; ++yy)
        if (Rgb::FromQRgb(image.pixel(x, yy)) == kWhite) return x;
    return 70;
  };
  EXPECT_LT(leftmostWhite(17), leftmostWhite(9) - 4);
  EXPECT_LT(leftmostWhite(9), 70);
}

TEST_F(ViewPainting, PositionLineInvertsWithRedAndCarriesTheMarker) {
  doc().currentPosition = 1000;  // x = 70 + 40
  view->markerOnly = 1;
  const QImage withoutLine = Paint().copy();
  view->markerOnly = 0;
  Paint();
  const int x = 110;
  EXPECT_EQ(At(x, kT0 + 10), NotXor(kRed, Rgb::FromQRgb(withoutLine.pixel(x, kT0 + 10))));
  EXPECT_EQ(At(x, 36 + 1), kRed);  // marker head, top row
  EXPECT_EQ(At(x - 3, 36 + 1), kRed);
  EXPECT_EQ(At(x - 3, 36 + 12), kWhite);  // marker stem is one pixel
  EXPECT_EQ(view->lastPositionX, x);
  // The same line drawn again outside painting gives the picture without it.
  {
    auto dc = view->BackBuffer().WindowContext();
    dc->SelectPen(dc::Pen::Solid(kRed));
    dc->SetRop2(dc::Rop2::kNotXorPen);
    dc->MoveTo(x, 36 + 16);
    dc->LineTo(x, kT0 + GetTotalTrackHeight(doc()));
  }
  EXPECT_EQ(view->BackBuffer().Image().copy(x, 52, 1, 300), withoutLine.copy(x, 52, 1, 300));

  doc().currentPosition = 0;  // x = X0: neither line nor marker
  Paint();
  EXPECT_EQ(At(kX0 + 1, 37), kWhite);
}

TEST_F(ViewPainting, RangeIsInvertedInPlaceOfThePositionLine) {
  const QImage plain = Paint().copy();
  doc().rangeFlag = 1;
  struct Case {
    int start, end;
    bool inverted;
  };
  for (const Case& c : {Case{500, 2000, true}, Case{-5000, 1000, true}, Case{2000, 1000, false}}) {
    doc().shownRange = TimeRange{c.start, c.end};
    Paint();
    EXPECT_EQ(At(100, kT0 + 20) == Inverted(Rgb::FromQRgb(plain.pixel(100, kT0 + 20))), c.inverted) << c.start;
    EXPECT_EQ(At(kX0, kT0 + 20), Rgb::FromQRgb(plain.pixel(kX0, kT0 + 20)));  // never left of X0 + 1
  }
  doc().shownRange = TimeRange{500, 2000};
  Paint();
  {
    auto dc = view->BackBuffer().WindowContext();  // inverted again: the plain picture
    dc->PatBlt(dc::Rect{kX0 + 20, 35, kX0 + 80, kT0 + GetTotalTrackHeight(doc())}, dc::PatOp::kDstInvert);
  }
  EXPECT_EQ(view->BackBuffer().Image(), plain);
}

TEST_F(ViewPainting, WideViewsDrawSeparatorsRulerAndTicksToTheirEdge) {
  doc().SetDuration(120000);  // extent 70 + 4800
  view->BackBuffer().Resize(2600, 200);
  EXPECT_EQ(view->GetTimelineRect(), (dc::Rect{5, 5, 2600, 200}));
  EXPECT_EQ(view->GetMarkBandRect(), (dc::Rect{kX0, 5, 2600, 15}));
  Paint();
  const int far = 2599;  // beyond X0 + 2000
  EXPECT_EQ(At(far, Top(1) + doc().RowHeight()), kBlack) << "separator";
  EXPECT_EQ(At(far - 100, 5), kBlack) << "top border of the bands";
  EXPECT_EQ(At(kX0 + 63 * 40, 36 + 3), kBlack) << "major tick 63";
  EXPECT_EQ(At(far - 100, 20), kWhite) << "ruler background";
}

TEST_F(ViewPainting, BlankAreasRightOfTheEndAndBelowTheTracks) {
  doc().SetDuration(5000);  // extent 70 + 200
  const QImage& image = Paint();
  EXPECT_EQ(Count(image, dc::Rect{271, 0, 640, 420}, kWhite), (640 - 271) * 420);
  EXPECT_EQ(At(270, 30), kBlack);
  EXPECT_EQ(At(270, 4), kWhite);
  const int bottom = kT0 + GetTotalTrackHeight(doc());
  EXPECT_EQ(Count(image, dc::Rect{5, bottom + 1, 270, 420}, kWhite), 265 * (420 - bottom - 1));
  EXPECT_EQ(At(150, bottom), kBlack);
}

TEST_F(ViewPainting, RulerTicksLabelsAndScaleControl) {
  struct Case {
    int zoom, scale;
    int labelled, unlabelled;
    int minorStep;
  };
  for (const Case& c : {Case{0, 3, 2, 1, 4}, Case{2, 4, 2, -1, 20}, Case{3, 3, 4, 2, 0}}) {
    view->SetZoomLevel(c.zoom);
    view->SetScaleIndex(c.scale);
    const QImage& image = Paint();
    const int ppu = doc().pixelsPerUnit;
    EXPECT_EQ(At(kX0 + ppu, 36 + 5), kBlack) << "major tick";
    if (c.unlabelled >= 0) {
      EXPECT_EQ(At(kX0 + c.unlabelled * ppu, 36 + 6), kWhite);
    }
    if (c.minorStep != 0) {
      EXPECT_EQ(At(kX0 + c.minorStep, 36 + 2), kBlack) << "minor tick";
      EXPECT_EQ(At(kX0 + c.minorStep, 36 + 3), kWhite);
    }
    auto labelled = [&](int tick) {
      return Count(image, dc::Rect{kX0 + tick * ppu - 3, kT0 - 10, kX0 + tick * ppu + 3, kT0}, kBlack) > 0;
    };
    EXPECT_TRUE(labelled(c.labelled)) << c.zoom;
    if (c.unlabelled >= 0) {
      EXPECT_FALSE(labelled(c.unlabelled)) << c.zoom;
    }
    const int knob = KnobLeft(5, c.scale);
    EXPECT_EQ(At(knob + 4, 5 + 10 - 2 + 5), view->Resources().scaleKnob.Pixel(4, 5));
    EXPECT_GT(Count(image, dc::Rect{6, 37, 70, kT0}, kBlack), 10) << "scale name";
  }
  view->SetScaleIndex(11);
  Paint();
  EXPECT_EQ(KnobLeft(5, 11), 5 + 56);
  EXPECT_EQ(At(61 + 4, 5 + 8 + 5), view->Resources().scaleKnob.Pixel(4, 5));
}

TEST_F(ViewPainting, BandsShowSegmentsMoviesAndMarks) {
  doc().movieRange = TimeRange{1000, 4000};                                       // x 110..230
  doc().intermediateMovies.push_back(IntermediateMovie{1, 5000, 8000, "Intro"});  // x 270..390
  doc().snapshotMarks.push_back(SnapshotMark{10000});                             // x 470
  doc().indexMarks.push_back(IndexMark{12000, "A", ""});                          // x 550
  doc().Head()->segments.resize(2);
  doc().Head()->segments[0] = TLFilter{};
  doc().Head()->segments[0].end = 2000;
  doc().Head()->segments[0].fileName = "seg.avi";
  doc().Head()->segments[1].start = 2000;
  doc().Head()->segments[1].end = 60000;
  doc().Head()->segments[1].fileName = "seg2.avi";
  doc().Head()->segments[1].count = 1;
  const QImage& image = Paint();
  EXPECT_EQ(At(150, 5 + 20 + 5), (Rgb{255, 255, 0}));
  EXPECT_EQ(At(300, 5 + 10 + 5), (Rgb{125, 255, 255}));
  EXPECT_GT(Count(image, dc::Rect{110, 26, 230, 37}, kRed), 5) << "Movie";
  EXPECT_GT(Count(image, dc::Rect{274, 16, 386, 27}, kRed), 5) << "Intro";
  EXPECT_EQ(At(90, 5 + 5), (Rgb{0, 200, 0}));
  EXPECT_EQ(At(300, 5 + 5), (Rgb{0, 250, 0}));
  EXPECT_EQ(At(149, 5 + 5), kBlack) << "segment frame";
  EXPECT_EQ(At(470, 5 + 8), kBlack) << "snapshot";
  const QImage withoutUnnamed = image.copy();
  doc().indexMarks.push_back(IndexMark{9000, "", ""});  // x 430: a triangle, no box
  Paint();
  EXPECT_EQ(At(430, kT0 - 4), (Rgb{255, 255, 0}));
  EXPECT_EQ(view->BackBuffer().Image().copy(422, 36, 17, 10), withoutUnnamed.copy(422, 36, 17, 10));
  EXPECT_GT(Count(withoutUnnamed, dc::Rect{542, kT0 - 16, 558, kT0 - 6}, kRed), 0);

  doc().Head()->segments[0].fileName.clear();  // unrendered: white
  Paint();
  EXPECT_EQ(At(90, 5 + 5), kWhite);
  profile.WriteProfileInt("Inc Comp", "Disable", 1);
  view->incCompDisable = 1;  // no segments shown at all
  Paint();
  EXPECT_EQ(At(300, 5 + 5), kWhite);
}

TEST_F(ViewPainting, BoardNativeOutputShowsSegmentsByTheirRenderedFlag) {
  profile.WriteProfileInt("Platform", "Family", 2);
  app.preview.VCompressionType = "CFCC";  // 720 x 480 at 29.97: the board's own format
  app.preview.VResWidth = 720;
  app.preview.VResHeight = 480;
  app.preview.VFramesPerSec = 29.97f;
  view->incCompDisable = 1;  // hides segments of other output only
  doc().Head()->segments.resize(2);
  doc().Head()->segments[0].end = 2000;
  doc().Head()->segments[0].rendered = 1;  // no file: rendered on the board
  doc().Head()->segments[1].start = 2000;
  doc().Head()->segments[1].end = 60000;
  doc().Head()->segments[1].fileName = "gone.avi";  // a file, but not rendered
  Paint();
  EXPECT_EQ(At(90, 10), (Rgb{0, 200, 0}));
  EXPECT_EQ(At(300, 10), kWhite);
  app.preview.VCompressionType = "MJPG";  // not native, and the workstation family shows nothing else
  Paint();
  EXPECT_EQ(At(149, 10), kWhite);
}

TEST(ViewResources, PicturesHaveTheSizesTheDrawingCountsOn) {
  const ViewResources r = MakeViewResources(65, {110, 57, 34, 22});
  struct Size {
    const dc::Bitmap* bitmap;
    int width, height;
  };
  const Size sizes[] = {{&r.positionMarker, 7, 15},        {&r.intermediateStartHandle, 4, 9},
                        {&r.intermediateEndHandle, 4, 9},  {&r.movieStartHandle, 4, 9},
                        {&r.movieEndHandle, 4, 9},         {&r.scaleKnob, 9, 10},
                        {&r.zoom[0].videoHeader, 65, 332}, {&r.zoom[3].transitionHeader, 65, 68},
                        {&r.sprocketPatterns[2], 8, 8},    {&r.clipKindPictures[3], 32, 24}};
  for (const Size& s : sizes) {
    EXPECT_EQ(s.bitmap->Width(), s.width);
    EXPECT_EQ(s.bitmap->Height(), s.height);
  }
  EXPECT_EQ(r.positionMarker.Pixel(3, 14), (Rgb{255, 0, 0}));  // the stem on the line's column
  EXPECT_EQ(r.positionMarker.Pixel(2, 14), kWhite);
  for (int id : {kIconTrackStatus, kIconAudioPreview, kIconAudioPreviewBoard})
    EXPECT_EQ(r.IconById(id)->Image().size(), QSize(16, 16)) << id;
  EXPECT_EQ(r.BitmapById(kBitmapPositionMarker), &r.positionMarker);
  EXPECT_EQ(r.BitmapById(1), nullptr);
  for (const ZoomResources& z : r.zoom)
    for (const dc::Brush* b : {&z.videoBrush1, &z.videoBrush2, &z.transitionBrush, &z.audioBrush1, &z.audioBrush2})
      EXPECT_FALSE(b->IsNull());
  EXPECT_NE(r.zoom[0].videoBrush1.pattern->pixel(1, 1), r.zoom[3].videoBrush1.pattern->pixel(1, 1));
}

TEST(RulerLabels, FramesRollOverIntoTheNextSecond) {
  struct Case {
    int tick;
    double unitMs;
    int origin;
    int rate;
    const char* text;
  };
  const Case cases[] = {{0, 1000, 0, 2500, "00:00:00:00"},         {3, 1000, 0, 2500, "00:00:03:00"},
                        {1, 999, 0, 3040, "00:00:01:00"},          {1, 978, 0, 2500, "00:00:00:24"},
                        {1, 3599999, 0, 3040, "01:00:00:00"},      {2, 40, 20, 2500, "00:00:00:03"},
                        {5, 600000, 0, 2997, "00:50:00:00"},       {1, 1000, 0, 0, ""},
                        {8, 1000 / 29.97, 0, 2997, "00:00:00:08"}, {451, 1000 / 29.97, 0, 2997, "00:00:15:01"}};
  for (const Case& c : cases) EXPECT_EQ(FormatRulerLabel(c.tick, c.unitMs, c.origin, c.rate), c.text) << c.unitMs;
  // At the frame scale the label of frame k is the time code that the status
  // bar and the preview window show for a position on that frame.
  for (int rate : {2997, 2500}) {
    const double fps = rate * 0.01;
    for (int k = 0; k < 3000; ++k) {
      const std::int32_t position = SnapToFrame(static_cast<std::int32_t>(k * 1000 / fps) + 1, rate);
      ASSERT_EQ(FormatRulerLabel(k, 1000 / fps, 0, rate), FormatTimeCode(position, fps)) << k << " at " << rate;
    }
  }
  EXPECT_EQ(ScaleName(0), "one frame");
  EXPECT_EQ(ScaleName(7), "twenty secs");
  EXPECT_EQ(ScaleName(12), "");
  EXPECT_EQ(LabelPeriod(3), 4);
  EXPECT_EQ(ClampBandX(-7), 0);
  EXPECT_EQ(ClampBandX(99999), 32767);
  EXPECT_EQ(BandRight(0, 32767), 32766);
}

TEST_F(ViewPainting, AnOverlongTimelineIsPaintedAsItIsAndRefusedOnlyByEdits) {
  testing::ScriptedPrompts prompts;
  doc().SaveUndoState(165);
  InsertClip(doc().Head(), 1, 0, kLongestTimelineMs + 1000);
  Paint();
  QCoreApplication::processEvents();
  EXPECT_TRUE(prompts.shown().empty()) << "no prompt from painting";
  EXPECT_NE(FindClipAtTime(doc().Head(), 10, 1), nullptr) << "painting takes no edit back";
  EXPECT_EQ(At(100, Top(1) + 10), (Rgb{79, 82, 142}));
}

TEST_F(ViewPainting, AnEmptyDocumentPaintsNothingAndKeepsItsUndoCopy) {
  EventListSlot list = doc().ReplaceTimeline(nullptr);
  const QImage& blank = Paint();
  EXPECT_EQ(Count(blank, dc::Rect{0, 0, 640, 420}, kWhite), 640 * 420);
  doc().ReplaceTimeline(std::move(list));
  doc().SaveUndoState(165);
  doc().ReplaceTimeline(nullptr);
  Paint();
  EXPECT_EQ(doc().Head(), nullptr) << "painting changes no document";
  EXPECT_EQ(Count(view->BackBuffer().Image(), dc::Rect{0, 0, 640, 420}, kWhite), 640 * 420);
}

TEST_F(ViewPainting, AutoSaveWritesTheBackupAndLeavesTheDocumentAsItWas) {
  doc().tempDir = dir.path().string() + "/";
  doc().pathName = "/somewhere/else.tle";
  doc().SetModifiedFlag();
  InsertClip(doc().Head(), 1, 1000, 2000);
  view->AutoSaveTimeline();
  CTestDoc backup;
  ASSERT_TRUE(ReadTimelineFile(TimelineBackupPath(doc()), backup));
  EXPECT_NE(FindClipAtTime(backup.Head(), 1500, 1), nullptr);
  EXPECT_TRUE(doc().IsModified());
  EXPECT_EQ(doc().pathName, "/somewhere/else.tle");
}

TEST_F(ViewPainting, ClipsAreFramedInTheirFirstRowAndKeepTheirRectangle) {
  TLEvent* clip = InsertClip(doc().Head(), 3, 1000, 3000);
  Paint();
  const int top = Top(3);
  EXPECT_EQ(At(110, top + 10), kBlack);
  EXPECT_EQ(At(189, top + 10), kBlack);
  EXPECT_EQ(At(150, top + 2), kBlack);
  EXPECT_EQ(At(115, top + 10), (Rgb{79, 82, 142}));
  ClipRect row;
  view->GetClipRowRect(row, clip);
  EXPECT_EQ(row, (ClipRect{110, top, 190, top + doc().RowHeight() + 1}));
}

}  // namespace
}  // namespace sprocket

namespace sprocket {
namespace {

void Click(CTLEView& view, int x, int y) {
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, y), QPointF(x, y), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(view.viewport(), &press);
}

TEST_F(ViewPainting, ClicksInTheRulerMoveThePositionAndInTheControlPickTheScale) {
  view->resize(640, 420);
  struct Case {
    int x, y;
    std::int32_t position;
    int scale;
  };
  const Case cases[] = {{110, 40, 1000, 3},  // the ruler at 1 s
                        {70 + 400, 50, 10000, 3},
                        {110, 60, 10000, 3},                 // a track: not the ruler
                        {KnobLeft(5, 7) + 4, 12, 10000, 7},  // the scale control
                        {KnobLeft(5, 0) + 1, 20, 10000, 0}};
  for (const Case& c : cases) {
    Click(*view, c.x, c.y);
    EXPECT_EQ(doc().scaleIndex, c.scale) << c.x << "," << c.y;
    if (c.scale == 3) {
      EXPECT_EQ(doc().currentPosition, c.position) << c.x << "," << c.y;
    }
  }
}

TEST_F(ViewPainting, ScrollBarsCoverTheTimelineAndScrollTheView) {
  view->resize(640, 420);
  const int width = view->viewport()->width();
  EXPECT_EQ(view->horizontalScrollBar()->maximum(), doc().extent - width);
  view->horizontalScrollBar()->setValue(400);  // 10 s
  EXPECT_EQ(doc().horizontalScroll, 400);
  EXPECT_EQ(doc().TimeToX(10000), kX0);
  view->SetScaleIndex(11);  // ten minutes a unit: the timeline fits
  EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
  EXPECT_EQ(doc().horizontalScroll, 0);
}

TEST_F(ViewPainting, InvalidateSelectionClearsTheDrawnMarksAndRepaintsTheEdges) {
  TLEvent* clip = InsertClip(doc().Head(), 1, 1000, 3000);
  Paint();
  doc().AddSelection(clip).drawn = 1;
  view->BackBuffer().Validate();
  view->InvalidateSelection();
  EXPECT_EQ(doc().selection.front().drawn, 0);
  EXPECT_TRUE(view->BackBuffer().UpdateRegion().contains(QPoint(110, Top(1) + 5)));
  EXPECT_TRUE(view->BackBuffer().UpdateRegion().contains(QPoint(189, Top(1) + 5)));
  EXPECT_FALSE(view->BackBuffer().UpdateRegion().contains(QPoint(150, Top(1) + 5)));
}

}  // namespace
}  // namespace sprocket
