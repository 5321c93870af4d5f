// Clips in the timeline view: their drawing by kind, zoom and track status,
// the pictures kept per clip, the scroll repaint and the drag feedback.
// Pixels are read from the view's back buffer without a window.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <filesystem>
#include <fstream>

#include "audio_test_media.h"
#include "platform/application_state.h"
#include "platform/media/video_frame_reader.h"
#include "platform/settings/profile.h"
#include "render/picture/picture_ops.h"
#include "temp_dir.h"
#include "timeline/document/clip_factory.h"
#include "timeline/edit/clip_edits.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/timeline_file.h"
#include "tleview/clip_drawing.h"
#include "tleview/tle_view.h"
#include "view_test_support.h"

namespace sprocket {
namespace {

using dc::Rgb;

// A view shows an edit by repainting what its report names, and the mark
// bands with it: a new timeline's movie range follows its content.
TEST_F(ClipView, AnEditShownFromItsReportLeavesTheViewAsAFreshPaint) {
  AddDemoClip(1, 1000, "shot-a.avi");
  Paint();
  const EditResult result = MoveClips(doc(), {{FindClipAtTime(doc().Head(), 1000, 1), 1}}, 2000);
  ASSERT_TRUE(result.Ok() && result.report.changed);
  view->ShowEdit(result.report);
  view->UpdateNow();
  const QImage shown = view->BackBuffer().Image().copy();
  EXPECT_EQ(Differences(shown, Paint()), 0);
}

TEST_F(ClipView, NarrowClipsAreOneOrTwoLinesAlsoInTheirAudioRows) {
  Track(1)->viewStatus = kTrackViewVolume;  // two rows
  for (int width : {1, 2}) {
    Reset();
    Track(1)->viewStatus = kTrackViewVolume;
    TLEvent* clip = InsertClip(doc().Head(), 1, 1000, 1000 + 25 * width);
    clip->mediaType = kMediaAvi;
    clip->extension = ".avi";
    Paint();
    const int top = Top(1);
    const int h = doc().RowHeight();
    for (int row : {0, 1}) {
      const int y = top + row * (h + 1) + h / 2;
      EXPECT_EQ(At(110, y), kBlack) << width << " row " << row;
      EXPECT_EQ(At(111, y) == kBlack, width == 2) << width << " row " << row;
      EXPECT_NE(At(112, y), kBlack);
    }
  }
}

TEST_F(ClipView, FilmStripsShowTheClipsFramesWithEdgesByZoom) {
  struct Case {
    int zoom;
    bool doubleEdges;
    bool sprockets;
  };
  for (const Case c : {Case{0, true, true}, Case{2, false, false}}) {
    Reset();
    view->SetZoomLevel(c.zoom);
    doc().clipViewOption = 0;
    TLEvent* clip = AddFileClip(1, 1000, 6000, WriteFile("strip.mov"), kMediaOther);
    Paint();
    const int top = Top(1);
    const int pw = doc().pictureWidths[c.zoom];
    const int y = top + 2 + doc().sprocketHeights[c.zoom] + pw * 3 / 8;  // the frames' middle
    const int left = clip->drawnRect.left;
    EXPECT_EQ(At(left, y), kBlack) << c.zoom;
    EXPECT_EQ(At(left + 1, y) == kBlack, c.doubleEdges) << c.zoom;
    EXPECT_EQ(At(left + pw / 2, y), kFrameGreen) << c.zoom;
    EXPECT_EQ(At(left + pw - 1, y), kBlack) << c.zoom;  // the frame's closing edge
    EXPECT_EQ(At(left + pw / 2, top + 5) != kClipBody && At(left + pw / 2, top + 5) != kFrameGreen, c.sprockets);
    // Made once when the clip came into view, never again while it stays.
    const int made = frames->calls;
    EXPECT_GT(made, 0);
    Paint();
    EXPECT_EQ(frames->calls, made);
  }
}

TEST_F(ClipView, MovieClipsShowTheirFirstFrameAndChangedFilesGetNewPictures) {
  const std::string path = WriteFile("shot.avi", "one");
  AddFileClip(1, 1000, 4000, path, kMediaAvi);
  Paint();
  dc::Rect picture;
  ASSERT_EQ(view->GetClipPictureRect(FindClipAtTime(doc().Head(), 2000, 1), picture), 1);
  const int cx = (picture.left + picture.right) / 2;
  const int cy = (picture.top + picture.bottom) / 2;
  EXPECT_EQ(At(cx, cy), kFrameGreen);
  frames->colour = Rgb{200, 20, 20};
  WriteFile("shot.avi", "two, longer");
  Paint();
  EXPECT_EQ(At(cx, cy), (Rgb{200, 20, 20}));
}

// Movie pictures are decoded at about the size shown: each is the frame the
// clip shows at that time, as the full-size frame scaled down looks.
TEST_F(ClipView, MoviePicturesAreTheClipsFramesDecodedSmall) {
  TLEvent* clip = AddDemoClip(1, 0, "shot-a.avi");
  ASSERT_NE(clip, nullptr);
  VideoFrameReader full;
  ASSERT_TRUE(full.Open(clip->MediaPath()));
  auto scaledFrame = [&](int frame) { return ScaleDib24(DibPicture::Adopt(full.ReadFrame(frame)).data(), 40, 30); };
  auto meanDifference = [](const DibPicture& a, const DibPicture& b) {
    double sum = 0;
    const std::size_t bytes = 40 * 3 * 30;  // rows of 120 bytes, no padding
    for (std::size_t i = 0; i < bytes; ++i) sum += std::abs(int(a.data()[40 + i]) - int(b.data()[40 + i]));
    return sum / bytes;
  };
  const std::vector<int> frames{0, 37, 74};
  CompositorFrameSource source;
  for (int frame : frames) {
    SCOPED_TRACE(frame);
    clip->playIn = frame * 40;  // 25 frames a second
    clip->playOut = clip->playIn + 1000;
    clip->ClipOut()->time = clip->time + 1000;
    const DibPicture shown = source.FrameAt(*clip, doc().rate, clip->time, 40, 30);
    ASSERT_TRUE(shown);
    const double own = meanDifference(shown, scaledFrame(frame));
    EXPECT_LT(own, 4.0);
    for (int other : frames) {
      if (other != frame) {
        EXPECT_LT(own, meanDifference(shown, scaledFrame(other)));
      }
    }
  }
}

TEST_F(ClipView, MissingAndUnreadableFilesShowTheUnknownPictureAndTheirName) {
  for (const std::string& path : {(dir / "gone.avi").string(), WriteFile("broken.avi", "not a movie")}) {
    Reset();
    frames->fail = true;
    TLEvent* clip = AddFileClip(1, 1000, 4000, path, kMediaAvi);
    Paint();
    Paint();  // no prompt, no second attempt while the file stays as it is
    dc::Rect picture;
    ASSERT_EQ(view->GetClipPictureRect(clip, picture), 1);
    const dc::Bitmap& unknown = view->Resources().clipKindPictures[static_cast<int>(ClipKind::kOther)];
    EXPECT_EQ(At((picture.left + picture.right) / 2, (picture.top + picture.bottom) / 2),
              unknown.Pixel(unknown.Width() / 2, unknown.Height() / 2))
        << path;
    EXPECT_GT(Count(dc::Rect{clip->drawnRect.left, Top(1) + 2, picture.left, Top(1) + doc().RowHeight()}, kWhite), 0)
        << "label of " << path;
    EXPECT_LE(frames->calls, 1);
  }
}

TEST_F(ClipView, AudioRowsFollowTheTrackStatus) {
  struct Case {
    std::int32_t status;
    bool wave;
    bool middleLine;
  };
  for (const Case c : {Case{kTrackViewVolume, false, true}, Case{kTrackViewWaveform, true, true},
                       Case{kTrackViewStereo, true, true}}) {
    Reset();
    Track(6)->viewStatus = c.status;
    TLEvent* clip = AddDemoClip(6, 1000, "tone.wav");
    ASSERT_NE(clip, nullptr);
    Paint();
    const dc::Rect body{clip->drawnRect.left + 1, Top(6) + 3, clip->drawnRect.right - 1,
                        Top(6) + doc().RowHeight() - 2};
    EXPECT_EQ(Count(body, kWaveGreen) > 0, c.wave) << c.status;
    EXPECT_EQ(At(body.left + 3, Top(6) + 2 + (doc().RowHeight() - 3) / 2), kRed) << c.status;
    EXPECT_EQ(static_cast<bool>(clip->waveform0), c.wave);
  }
}

TEST_F(ClipView, StereoRowsShowEachChannel) {
  // A silent left channel and a loud right one.
  const std::filesystem::path path = dir / "stereo.wav";
  testing::WriteTestWave(path, 2, 22050, 16, 22050 * 3,
                         [](std::int64_t i, int c) { return c == 0 ? 0 : (i % 50 < 25 ? 20000 : -20000); });
  Track(6)->viewStatus = kTrackViewStereo;
  TLEvent* clip = InsertClip(doc().Head(), 6, 1000, 4000, testing::MediaClipFields(path, 0, 3000));
  ASSERT_NE(clip, nullptr);
  Paint();
  ASSERT_TRUE(clip->waveform0 && clip->waveform1);
  const int h = doc().RowHeight();
  auto waveIn = [&](int row) {
    const int top = Top(6) + row * (h + 1);
    return Count(dc::Rect{clip->drawnRect.left + 1, top + 2, clip->drawnRect.right - 1, top + h - 2}, kWaveGreen);
  };
  const int width = clip->drawnRect.right - clip->drawnRect.left;
  EXPECT_LE(waveIn(0), width);          // the middle line of silence
  EXPECT_GT(waveIn(1), width * h / 2);  // the loud channel fills its row
}

TEST_F(ClipView, ChannelLabelsOnlyWithBalanceTwoChannelsAndRoom) {
  struct Case {
    std::int32_t end;
    std::int32_t status;
    bool labels;
  };
  for (const Case c : {Case{4000, kTrackViewBalance, true}, Case{1800, kTrackViewBalance, false},
                       Case{4000, kTrackViewVolume, false}}) {
    Reset();
    Track(1)->viewStatus = c.status;
    TLEvent* clip = AddDemoClip(1, 1000, "shot-a.avi");
    ASSERT_NE(clip, nullptr);
    clip->ClipOut()->time = c.end;
    Paint();
    const int h = doc().RowHeight();
    const dc::Rect row{clip->drawnRect.left + 1, Top(1) + h + 2, clip->drawnRect.right - 1, Top(1) + 2 * h};
    EXPECT_EQ(Count(row, kWhite) > 0, c.labels) << c.end << " " << c.status;
  }
}

TEST_F(ClipView, PictureRectanglesAreCentredOrSpanTheMiddleHalf) {
  struct Case {
    dc::Rect area;
    int w, h;
    bool transition;
    int pw;
    dc::Rect expected;
  };
  const Case cases[] = {
      {{100, 50, 200, 80}, 35, 28, true, 40, {132, 51, 167, 79}},    // an icon that fits: centred
      {{100, 50, 200, 80}, 32, 24, false, 40, {130, 50, 170, 80}},   // a video picture: pw wide, 4:3
      {{100, 50, 170, 80}, 32, 24, false, 40, {117, 50, 156, 80}},   // 2 x pw does not fit: quarters
      {{100, 50, 300, 80}, 120, 90, false, 40, {180, 50, 220, 80}},  // too high: scaled, centred
  };
  for (const Case& c : cases) {
    const dc::Rect got = FitClipPicture(c.area, c.w, c.h, c.transition, c.pw);
    EXPECT_EQ(got.left, c.expected.left);
    EXPECT_EQ(got.right, c.expected.right);
    EXPECT_GE(got.top, c.area.top - 1);
  }
}

TEST_F(ClipView, IndexMarksLieInsideTheClip) {
  TLEvent* clip = InsertClip(doc().Head(), 3, 1000, 3000);
  clip->directory = dir.path().string() + "/";
  clip->name = "m";
  clip->extension = ".avi";
  clip->playIn = 0;
  clip->playOut = 2000;
  doc().clipMarkSets.push_back(ClipMarkSet{clip->MediaPath(), 1000, 3, {{"a", "", 0}, {"b", "", 1000}}});
  Paint();
  const int top = Top(3) + 2;
  // The mark at the clip's very edge is drawn 4 pixels inside; the middle one where it is.
  EXPECT_EQ(At(114, top + 4), kYellow);
  EXPECT_EQ(At(150, top + 4), kYellow);
  EXPECT_EQ(ClipIndexMarkX(doc(), *clip, 2001), std::nullopt);
  clip->speed = 0;  // damaged: counts as normal speed
  EXPECT_EQ(ClipIndexMarkX(doc(), *clip, 1000), std::optional<int>(150));
}

TEST_F(ClipView, EnvelopeRulesSkipPairsLinesAndHandles) {
  const dc::Rect area{0, 0, 101, 21};
  struct Case {
    VolumePoint p, q;
    bool skipPair, skipLine, handle;
  };
  const Case cases[] = {
      {{20000, 0}, {20000, 5000}, true, true, false},  // both at the top level
      {{0, 1000}, {0, 5000}, true, true, false},       // both silent
      {{5000, 0}, {7000, 0}, true, false, false},      // both at the start
      {{10000, 0}, {10000, 5000}, false, true, true},  // flat at 100 %
      {{10000, 0}, {5000, 5000}, false, false, true},
      {{5000, 2000}, {5000, 10000}, false, false, false},  // no handle at the end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SkipEnvelopePair(c.p, c.q), c.skipPair);
    if (!c.skipPair) {
      EXPECT_EQ(SkipEnvelopeLine(c.p, c.q, EnvelopeScreenPoint(area, c.p), EnvelopeScreenPoint(area, c.q), area),
                c.skipLine);
      EXPECT_EQ(!HasNoHandle(c.q), c.handle);
    }
  }
  EXPECT_EQ(EnvelopeScreenPoint(area, {10000, 5000}), (dc::Point{50, 10}));
  EXPECT_EQ(EnvelopeScreenPoint(area, {20000, 10000}), (dc::Point{101, 0}));
}

TEST_F(ClipView, EnvelopeHandlesAreDrawnAtTheirPoints) {
  Track(6)->viewStatus = kTrackViewVolume;
  TLEvent* clip = AddDemoClip(6, 1000, "tone.wav");
  ASSERT_NE(clip, nullptr);
  clip->volume = {{10000, 0}, {15000, 5000}, {10000, 10000}};
  clip->selectedPoint = 2;  // the last: no red handle
  const QImage before = Paint();
  dc::Point p;
  view->EnvelopePointToScreen(p, clip, clip->volume[1], -1);
  const QImage& after = view->BackBuffer().Image();
  EXPECT_NE(Rgb::FromQRgb(after.pixel(p.x + 2, p.y - 2)), kAudioBody);  // inverted body under the handle
  EXPECT_EQ(Rgb::FromQRgb(after.pixel(p.x, p.y - 5)), kAudioBody);
  (void)before;
}

TEST_F(ClipView, PicturesFollowTheTrackStatusAndTheView) {
  Track(1)->viewStatus = kTrackViewWaveform;
  TLEvent* clip = AddDemoClip(1, 1000, "shot-a.avi");
  ASSERT_NE(clip, nullptr);
  Paint();
  ASSERT_TRUE(clip->waveform0 && clip->thumbnail);
  // "Volume" instead of the waveform: the waveform goes at once.
  Track(1)->viewStatus = kTrackViewVolume;
  view->UpdateTrackClipBitmaps(1);
  EXPECT_FALSE(clip->waveform0);
  // Scrolled across the view's left edge, a reversed clip keeps its strip,
  // a forward one gets a new one; scrolled out of view, it keeps nothing.
  // (The strip kept is told by a mark on it: a new one may be allocated
  // where the old one was.)
  constexpr std::int64_t kMarked = -4242;
  for (int reverse : {1, 0}) {
    clip->reverse = reverse;
    ASSERT_TRUE(clip->thumbnail);
    static_cast<ViewClipBitmap*>(clip->thumbnail.get())->stamp.size = kMarked;
    view->ShiftClip(clip, -(clip->drawnRect.left - kX0) - 10);
    ASSERT_TRUE(clip->thumbnail);
    EXPECT_EQ(ViewBitmapOf(clip->thumbnail)->stamp.size == kMarked, reverse == 1) << reverse;
    GetClipRect(doc(), *clip, clip->drawnRect);
  }
  view->ScrollHorizontally(400);
  view->UpdateNow();
  EXPECT_FALSE(clip->thumbnail);
  view->ScrollHorizontally(0);
  view->UpdateNow();
  EXPECT_TRUE(clip->thumbnail);
}

TEST_F(ClipView, RefreshingAClipWhoseFileWentAwayOffersAReplacement) {
  TLEvent* clip = AddDemoClip(1, 1000, "shot-a.avi");
  ASSERT_NE(clip, nullptr);
  const std::filesystem::path gone = dir / "gone.avi";
  std::filesystem::copy_file(clip->MediaPath(), gone);
  clip->directory = dir.path().string() + "/";
  clip->name = "gone";
  std::filesystem::remove(gone);
  struct Resolver : MissingFileResolver {
    std::optional<std::string> AskReplacement(const std::string& missing, const TLEvent&) override {
      asked.push_back(missing);
      return (ExamplesDir() / "media" / "shot-b.avi").string();
    }
    std::vector<std::string> asked;
  } resolver;
  view->missingFileResolver = &resolver;
  view->RefreshClipThumbnails(clip);
  EXPECT_EQ(resolver.asked, std::vector<std::string>{gone.string()});
  EXPECT_EQ(FindClipAtTime(doc().Head(), 2000, 1)->name, "shot-b");
}

// --- Scrolling ---

// The demo timeline with marks and bars whose labels follow the view's edges.
class ScrolledView : public ClipView {
protected:
  static constexpr int kScrolledHeight = 120;  // the tracks reach below the view's bottom
  void AddMarkedDemoTimeline() {
    AddDemoTimeline();
    doc().intermediateMovies = {IntermediateMovie{1, 200, 700, "Intro"}};
    doc().indexMarks = {IndexMark{300, "A", ""}, IndexMark{900, "", ""}, IndexMark{1000, "B", ""}};
    doc().movieRange = TimeRange{100, 800};
    view->BackBuffer().Resize(kWidth, kScrolledHeight);
    Paint();
  }
};

TEST_F(ScrolledView, AScrolledViewEqualsAFreshlyPaintedOne) {
  struct Case {
    int horizontal, vertical;
  };
  const Case cases[] = {{37, 0}, {300, 0}, {120, 0}, {120, 13}, {120, 61}, {120, 2}, {300, 40}, {0, 0}};
  AddMarkedDemoTimeline();
  ASSERT_GE(doc().TrackAreaTop() + view->GetTotalTrackHeight() + 1 - kScrolledHeight, 61);
  for (const Case c : cases) {
    view->ScrollHorizontally(c.horizontal);
    view->ScrollVertically(c.vertical);
    view->UpdateNow();
    const QImage scrolled = view->BackBuffer().Image().copy();
    CTLEView fresh(document, app, profile);
    fresh.frameSource = std::make_unique<FakeFrames>();
    fresh.BackBuffer().Resize(kWidth, kScrolledHeight);
    fresh.verticalScroll = c.vertical;
    fresh.InvalidateAll();
    fresh.UpdateNow();
    EXPECT_EQ(Differences(scrolled, fresh.BackBuffer().Image()), 0) << c.horizontal << "," << c.vertical;
  }
}

TEST_F(ScrolledView, AScrollRepaintsOnlyWhatDoesNotSimplyMove) {
  AddMarkedDemoTimeline();
  view->ScrollHorizontally(40);
  const QRegion repainted = view->BackBuffer().UpdateRegion();
  const int m = doc().margin, b = doc().bandHeight;
  struct Case {
    const char* what;
    int x, y;
    bool repainted;
  };
  const Case cases[] = {
      {"intermediate movie bar", doc().TimeToX(500), m + b + 3, true},
      {"index mark box", doc().TimeToX(300) + 7, m + 3 * b + 2, true},
      {"movie range bar", doc().TimeToX(600), m + 2 * b + 3, true},
      {"segment band", doc().TimeToX(500), m + 3, false},
      {"movie band past the range", doc().TimeToX(1000), m + 2 * b + 3, false},
      {"ruler between marks", doc().TimeToX(600), m + 3 * b + 2, false},
      {"strip the scroll uncovered", kWidth - 10, m + 3, true},
  };
  for (const Case& c : cases) EXPECT_EQ(repainted.contains(QPoint(c.x, c.y)), c.repainted) << c.what;
}

// --- Drag feedback ---

TEST_F(ClipView, EachInvertedFeedbackIsTakenAwayByItsSecondDrawing) {
  Track(6)->viewStatus = kTrackViewVolume;
  TLEvent* clip = AddDemoClip(6, 1000, "tone.wav");
  ASSERT_NE(clip, nullptr);
  clip->volume = {{10000, 0}, {15000, 5000}, {5000, 8000}, {10000, 10000}};
  Paint();
  doc().AddSelection(clip).rect = clip->drawnRect;
  const QImage painted = Paint().copy();
  struct Case {
    const char* name;
    std::function<void()> draw;
  };
  const Case cases[] = {
      {"outline",
       [&] {
         view->drag.dragRect = ClipRect{40, Top(6) + 1, 200, Top(6) + 20};
         view->DrawDragOutline();
       }},
      {"selection outlines",
       [&] {
         view->drag.alternateDrag = 1;
         view->DrawDragOutline();
         view->drag.alternateDrag = 0;
       }},
      {"rubber band",
       [&] {
         view->drag.rubberBandRect = ClipRect{150, 40, 260, 300};
         view->DrawRangeRubberBand();
       }},
      {"yellow band",
       [&] {
         view->drag.alternateDrag = 1;
         view->drag.rubberBandRect = ClipRect{150, 40, 260, 300};
         view->DrawRangeRubberBand();
         view->drag.alternateDrag = 0;
       }},
      {"envelope", [&] { view->DrawEnvelopeDragFeedback(clip, -1); }},
  };
  for (const Case& c : cases) {
    c.draw();
    EXPECT_GT(Differences(painted, view->BackBuffer().Image()), 0) << c.name;
    c.draw();
    EXPECT_EQ(Differences(painted, view->BackBuffer().Image()), 0) << c.name;
  }
  // The outline is cut at the track area's left edge.
  view->drag.dragRect = ClipRect{0, Top(6) + 1, 60, Top(6) + 20};
  view->DrawDragOutline();
  EXPECT_EQ(Count(dc::Rect{0, Top(6), kX0 + 1, Top(6) + 21}, kBlack),
            Count(dc::Rect{0, Top(6), kX0 + 1, Top(6) + 21}, kBlack, &painted));
}

TEST_F(ClipView, TrimBandColoursAndErase) {
  TLEvent* clip = AddDemoClip(1, 1000, "shot-a.avi");
  ASSERT_NE(clip, nullptr);
  const QImage painted = Paint().copy();
  struct Case {
    int inEdge;
    int p, q;
    Rgb colour;
  };
  for (const Case c : {Case{1, 110, 150, kClipBody}, Case{1, 150, 110, kWhite}, Case{0, 150, 110, kClipBody},
                       Case{0, 110, 110, kWhite}}) {
    view->drag.trimmedClip = clip;
    view->drag.trimLeftA = c.inEdge;
    view->drag.trimRightB = 1 - c.inEdge;
    view->drag.draggedEdgeX1 = c.p;
    view->drag.draggedEdgeX2 = c.q;
    view->drag.trimBandRect = ClipRect{300, Top(1) + 2, 320, Top(1) + 20};
    view->DrawTrimBand();
    EXPECT_EQ(At(310, Top(1) + 10), c.colour);
    view->EraseTrimBand();
    EXPECT_EQ(Differences(painted, view->BackBuffer().Image()), 0);
  }
}

TEST_F(ClipView, SyncGuideMarksTheLinkedPartnerAndGoesAwayAgain) {
  TLEvent* picture = AddDemoClip(1, 1000, "shot-a.avi");
  TLEvent* sound = AddDemoClip(6, 1000, "tone.wav");
  ASSERT_TRUE(picture && sound);
  picture->linkNumber = sound->linkNumber = 7;
  sound->mediaType = kMediaAvi;
  doc().AddSelection(picture);
  const QImage painted = Paint().copy();
  view->drag.dragRect = ClipRect{110, Top(1) + 1, 185, Top(1) + 20};
  view->DrawDragOutline();
  const int x = doc().TimeToX(2500);
  EXPECT_EQ(view->drag.syncGuideRect.left, x - 1);
  view->DrawDragOutline();
  EXPECT_EQ(Differences(painted, view->BackBuffer().Image()), 0);
}

}  // namespace
}  // namespace sprocket
