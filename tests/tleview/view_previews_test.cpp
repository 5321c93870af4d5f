// The timeline view's previews on the real view without a window: what each
// kind of preview, feedback and scrub leaves in the back buffer once
// stopped, scrubbing from the ruler, and segment preview over the board's
// stand-in moving the play line.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

#include <cstring>
#include <functional>

#include "board_test_movie.h"
#include "frame_test_timelines.h"
#include "platform/board/simulated_board.h"
#include "platform/settings/settings_keys.h"
#include "render/compose/render_frame.h"
#include "render/output/job_frame_renderer.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/render_segments.h"
#include "tleview/clip_bitmaps.h"
#include "tleview/tip_window.h"
#include "tleview/tle_view.h"
#include "tleview/view_previews.h"

namespace sprocket {
namespace {

constexpr int kWidth = 32;
constexpr int kHeight = 24;

// The preview window as the view sees it, keeping what reaches it.
class FakePreviewWindow final : public PreviewWindowLink, public BoardPlayScreen {
public:
  bool IsMonitorRunning() const override { return monitorRunning; }
  void StopMonitor() override {
    monitorRunning = false;
    ++monitorStops;
  }
  const TLEvent* PlayingClip() const override { return nullptr; }
  void StopPlay() override {}
  BoardPlayScreen& BoardScreen() override { return *this; }
  void ShowScrubPicture(const std::uint8_t* dib, std::int32_t timeMs, double) override {
    const auto* header = reinterpret_cast<const std::int32_t*>(dib);
    DibPicture copy = DibPicture::Black24(header[1], header[2]);
    std::memcpy(copy.data(), dib, DibImageBytes(dib));
    scrubFrames.push_back(std::move(copy));
    scrubTimes.push_back(timeMs);
  }
  AudioOut* ScrubSound() override { return &sound; }
  bool PlayBoardFile(const std::string& path, Progress onProgress) override {
    boardFiles.push_back(path);
    progress = std::move(onProgress);
    progress(0, true);
    return true;
  }
  void StopBoardFile() override {
    if (progress) progress(lastPosition, false);
    progress = nullptr;
  }
  void Report(std::int32_t positionMs) {
    lastPosition = positionMs;
    progress(positionMs, true);
  }

  static std::size_t DibImageBytes(const std::uint8_t* dib) {
    const auto* header = reinterpret_cast<const std::int32_t*>(dib);
    return 40 + static_cast<std::size_t>((header[1] * 3 + 3) / 4 * 4) * header[2];
  }

  bool monitorRunning = false;
  int monitorStops = 0;
  std::vector<DibPicture> scrubFrames;
  std::vector<std::int32_t> scrubTimes;
  RecordingAudioOut sound;
  std::vector<std::string> boardFiles;
  Progress progress;
  std::int32_t lastPosition = 0;
};

class ViewPreviewsTest : public ::testing::Test {
protected:
  ViewPreviewsTest() : profile(dir / "RODUVER.INI") {
    movie = (dir / "cards.avi").string();
    testing::WriteIndexedAvi(movie, 20, kWidth, kHeight, 10);
    EventListSlot head = testing::MakeFrameTimeline();
    testing::PlaceClip(head.get(), testing::ClipPlacement(movie, 1, 400, 1200));
    document->doc.ReplaceTimeline(std::move(head));
    document->doc.rate = 2500;
    document->doc.SetDuration(20000);
    document->doc.tempDir = dir.path().string() + "/";
    app.preview.VResWidth = kWidth;
    app.preview.VResHeight = kHeight;
    view = std::make_unique<CTLEView>(document, app, profile);
    view->BackBuffer().Resize(480, 260);
    view->SetPreviewWindow(&window);
    view->SetScaleIndex(3);
  }
  CTestDoc& doc() { return document->doc; }
  QImage Painted() {
    view->UpdateNow();
    return view->BackBuffer().Image().copy();
  }
  QImage PaintedFresh() {
    view->InvalidateAll();
    return Painted();
  }
  void Mouse(QEvent::Type type, int x, int y) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(x, y), QPointF(x, y), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &event);
  }
  // What the mouse handlers draw: an inverted rectangle outside painting.
  void Invert(int left, int top, int right, int bottom) {
    auto dc = view->BackBuffer().WindowContext();
    dc->SetRop2(dc::Rop2::kNot);
    for (int x = left; x < right; ++x) {
      dc->MoveTo(x, top);
      dc->LineTo(x, bottom);
    }
  }
  int RulerY() const { return document->doc.TrackAreaTop() - 4; }

  testing::TempDir dir;
  testing::ScriptedPrompts prompts;
  Profile profile;
  ApplicationState app;
  FakePreviewWindow window;
  std::shared_ptr<ViewedDocument> document = std::make_shared<ViewedDocument>();
  std::string movie;
  std::unique_ptr<CTLEView> view;
};

TEST_F(ViewPreviewsTest, StoppingLeavesThePictureOfAFreshPaintAndASecondStopChangesNothing) {
  struct Case {
    const char* name;
    std::function<void()> start;
    bool draws;  // the kind leaves something in the picture
  };
  RunningPreviews& running = view->Previews().Running();
  const std::vector<Case> cases = {
      {"position marker",
       [&] {
         running.markerShown = true;
         running.markerX = 200;
         Invert(195, 38, 205, 120);
       },
       true},
      {"selection rectangle",
       [&] {
         running.selectionRect = ClipRect{100, 60, 180, 90};
         running.selectionDrag = true;
         Invert(100, 60, 180, 90);
       },
       true},
      {"feedback line",
       [&] {
         running.feedbackX = 300;
         Invert(300, 40, 301, 150);
       },
       true},
      {"board play line",
       [&] {
         running.boardPlayback = true;
         view->MovePlayLine(1000, 1);
         view->MovePlayLine(1500, 1);
       },
       true},
      {"ruler scrub",
       [&] {
         Mouse(QEvent::MouseButtonPress, 150, RulerY());
         Mouse(QEvent::MouseMove, 250, RulerY());
       },
       false},
      {"preview monitor", [&] { window.monitorRunning = true; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QImage clean = PaintedFresh();
    c.start();
    EXPECT_TRUE(view->Previews().AnyRunning());
    if (c.draws) EXPECT_NE(Painted(), clean) << "the kind drew nothing";
    view->StopPreview();
    const QImage stopped = Painted();
    EXPECT_EQ(stopped, PaintedFresh());
    EXPECT_FALSE(view->Previews().AnyRunning());
    const int monitorStops = window.monitorStops;
    view->StopPreview();
    EXPECT_EQ(Painted(), stopped);
    EXPECT_EQ(window.monitorStops, monitorStops);
    Mouse(QEvent::MouseButtonRelease, 250, RulerY());
  }
  EXPECT_EQ(running.selectionDrag, false);
  EXPECT_EQ(running.feedbackX, -1);
}

TEST_F(ViewPreviewsTest, TheRenderLineInvertsOneColumnSurvivesRepaintsAndLeavesNothingBehind) {
  const QImage clean = PaintedFresh();
  const int top = doc().margin + 3 * doc().bandHeight;
  const int bottom = doc().TrackAreaTop() + view->GetTotalTrackHeight();
  // Only the column of the line, from the ruler's top to the tracks' bottom, is inverted.
  const auto onlyLineAt = [&](int lineX) {
    const QImage now = view->BackBuffer().Image();
    for (int y = 0; y < clean.height(); ++y)
      for (int x = 0; x < clean.width(); ++x) {
        const bool inverted = x == lineX && y >= top && y < bottom;
        if ((now.pixel(x, y) & 0xffffff) != ((inverted ? ~clean.pixel(x, y) : clean.pixel(x, y)) & 0xffffff)) {
          return false;
        }
      }
    return true;
  };
  const std::int32_t x1 = view->DrawRenderPositionLine(1000);
  EXPECT_EQ(x1, doc().TimeToX(1000));
  EXPECT_TRUE(onlyLineAt(x1));
  // The job's start reported twice (an image sequence does) keeps one line.
  EXPECT_EQ(view->DrawRenderPositionLine(1000), x1);
  EXPECT_TRUE(onlyLineAt(x1));
  // A repaint under the line keeps it where it is.
  view->InvalidateRect(dc::Rect{x1 - 5, 0, x1 + 5, 200});
  view->UpdateNow();
  EXPECT_TRUE(onlyLineAt(x1));
  const std::int32_t x2 = view->DrawRenderPositionLine(3000);
  EXPECT_EQ(view->RenderPositionLineX(), x2);
  EXPECT_TRUE(onlyLineAt(x2));
  // Outside the track area no line is drawn and the old one is gone.
  EXPECT_EQ(view->DrawRenderPositionLine(0), doc().TrackAreaLeft());
  EXPECT_FALSE(view->RenderPositionLineX().has_value());
  EXPECT_EQ(view->BackBuffer().Image(), clean);
  view->DrawRenderPositionLine(2000);
  view->EraseRenderPositionLine();
  EXPECT_EQ(view->BackBuffer().Image(), clean);
  view->EraseRenderPositionLine();  // nothing left to erase
  EXPECT_EQ(Painted(), clean);
}

TEST_F(ViewPreviewsTest, DraggingInTheRulerShowsTheComposedFrameUnderTheMouseWithItsSound) {
  app.preview.VReserved1 = 1;
  app.preview.ASamplesPerSec = 11025;
  app.preview.AChannels = 1;
  app.preview.ABitsPerSample = 8;
  const int left = doc().TrackAreaLeft();
  const std::vector<int> xs = {left + 20, left + 45, left + 70, left + 5};
  Mouse(QEvent::MouseButtonPress, xs[0], RulerY());
  for (std::size_t i = 1; i < xs.size(); ++i) Mouse(QEvent::MouseMove, xs[i], RulerY());
  Mouse(QEvent::MouseButtonRelease, xs.back(), RulerY());
  EXPECT_FALSE(view->Previews().Running().scrubbing);
  ASSERT_EQ(window.scrubTimes.size(), xs.size());

  JobFrameRenderer compositor = CompositorFrameRenderer();
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const std::int32_t underMouse = doc().XToTime(xs[i] + doc().horizontalScroll);
    EXPECT_EQ(window.scrubTimes[i], SnapToFrame(underMouse, doc().rate)) << i;
    DibPicture expected = DibPicture::Black24(kWidth, kHeight);
    RenderFrameArgs args;
    args.frameTime = args.endTime = window.scrubTimes[i];
    args.dib = expected.data();
    args.head = doc().Head();
    args.width = kWidth;
    args.height = kHeight;
    args.mode = kRenderModePlain;
    args.preview = 1;
    std::int32_t produced = kFrameRendered;
    ASSERT_EQ(compositor(args, &produced), kRenderDone);
    EXPECT_TRUE(testing::SamePixels(window.scrubFrames[i].data(), expected.data())) << i;
  }
  EXPECT_EQ(doc().currentPosition, SnapToFrame(doc().XToTime(xs.back() + doc().horizontalScroll), doc().rate))
      << "the position line follows, on the frame the window shows";
  EXPECT_EQ(window.sound.format(), (AudioOutFormat{11025, 1, 8}));
  EXPECT_EQ(window.sound.starts(), static_cast<int>(xs.size()));
  EXPECT_FALSE(window.sound.samples().empty());
  view->StopPreview();
  EXPECT_EQ(view->Previews().Running().scrub, nullptr);
  EXPECT_FALSE(window.sound.IsStarted());
}

TEST_F(ViewPreviewsTest, EditsByMouseOrKeyStopARunningScrubFirst) {
  struct Case {
    const char* name;
    std::function<void()> edit;
  };
  const std::vector<Case> cases = {
      {"press in the track area",
       [&] {
         Mouse(QEvent::MouseButtonPress, 300, doc().TrackAreaTop() + 5);
         Mouse(QEvent::MouseButtonRelease, 300, doc().TrackAreaTop() + 5);
       }},
      {"Delete key",
       [&] {
         QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
         QCoreApplication::sendEvent(view.get(), &key);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Mouse(QEvent::MouseButtonPress, 150, RulerY());
    Mouse(QEvent::MouseButtonRelease, 150, RulerY());
    ASSERT_NE(view->Previews().Running().scrub, nullptr);
    c.edit();
    EXPECT_EQ(view->Previews().Running().scrub, nullptr);
  }
}

TEST_F(ViewPreviewsTest, RestingOnAClipShowsItsFrameInTheTipWindowUntilTheMouseLeavesOrPreviewsStop) {
  CTipWnd tip;
  view->Previews().SetTipWindow(&tip);
  const TLEvent* clip = FindClipAtTime(doc().Head(), 800, 1);
  ASSERT_NE(clip, nullptr);
  const int onClip = doc().TimeToX(800);
  const int y = view->TrackTop(1) + doc().RowHeight() / 2;
  const auto hover = [&](int x, int atY) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, atY), QPointF(x, atY), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &move);
  };
  const QImage clean = PaintedFresh();

  hover(onClip, y);
  ASSERT_TRUE(QTest::qWaitFor([&] { return tip.isVisible(); }, 5000)) << "resting on the clip showed no tip";
  const std::int32_t time = doc().XToTime(onClip + doc().horizontalScroll);
  DibPicture expected = view->frameSource->FrameAt(*clip, doc().rate, time, 160, 120);
  ASSERT_TRUE(expected);
  EXPECT_EQ(tip.Picture(), BitmapFromDib(expected).Image());
  EXPECT_EQ(tip.Caption().toStdString(), clip->name + "  " + FormatTimeCode(time, RateToFps(doc().rate)));
  EXPECT_TRUE(view->Previews().AnyRunning());
  hover(onClip + 3, y);
  EXPECT_TRUE(tip.isVisible()) << "a move on the same clip keeps the tip";
  hover(doc().TimeToX(3000), y);
  EXPECT_FALSE(tip.isVisible()) << "moving off the clip hides the tip";
  EXPECT_FALSE(view->Previews().ShowClipTip(QPoint(doc().TimeToX(3000), y))) << "no clip there";
  EXPECT_FALSE(view->Previews().ShowClipTip(QPoint(onClip, RulerY()))) << "the ruler is no clip";

  ASSERT_TRUE(view->Previews().ShowClipTip(QPoint(onClip, y)));
  view->StopPreview();
  EXPECT_FALSE(tip.isVisible());
  EXPECT_FALSE(view->Previews().AnyRunning());
  const QImage stopped = Painted();
  EXPECT_EQ(stopped, clean);
  view->StopPreview();
  EXPECT_EQ(Painted(), stopped);
  // A press hides it too.
  ASSERT_TRUE(view->Previews().ShowClipTip(QPoint(onClip, y)));
  Mouse(QEvent::MouseButtonPress, onClip, RulerY());
  Mouse(QEvent::MouseButtonRelease, onClip, RulerY());
  EXPECT_FALSE(tip.isVisible());
  // A tip still waiting for the mouse to rest does not show after a press or a stop.
  for (const bool press : {true, false}) {
    hover(onClip, y);
    if (press) {
      Mouse(QEvent::MouseButtonPress, onClip, y);
    } else {
      view->StopPreview();
    }
    QTest::qWait(ViewPreviews::kTipDelayMs + 300);
    EXPECT_FALSE(tip.isVisible()) << (press ? "after a press" : "after a stop");
    if (press) Mouse(QEvent::MouseButtonRelease, onClip, y);
  }
}

// Segment preview over the board's stand-in: board-native settings, a board
// clip on track 1 and the stand-in switched on.
class ViewSegmentPreviewTest : public ViewPreviewsTest {
protected:
  void SetUp() override {
    const std::string boardMovie = (dir / "take.avi").string();
    testing::WriteBoardMovie(boardMovie, 10);
    auto board = std::make_unique<SimulatedBoard>(dir / "disk", false);
    ASSERT_EQ(board->dudWriteChunk(boardMovie, 0, 1), 0);
    view->Previews().SetBoard(std::move(board));
    view->Previews().SetScreenSize({1920, 1080});
    EventListSlot head = testing::MakeFrameTimeline();
    testing::PlaceClip(head.get(), testing::ClipPlacement(boardMovie, 1, 1000, 1400));
    doc().ReplaceTimeline(std::move(head));
    doc().rate = doc().Head()->rate;
    doc().SplitSegmentsAtClips();
    profile.WriteProfileInt(settings::kPlatform, settings::kPlatformFamily, 2);
    profile.WriteProfileInt(settings::kBoard, settings::kBoardSimulate, 1);
    testing::SetBoardNativeSettings(app);
  }
  // The pixels of column x that differ from `clean`.
  int ChangedInColumn(const QImage& clean, int x) {
    int changed = 0;
    for (int y = 0; y < clean.height(); ++y) changed += view->BackBuffer().Image().pixel(x, y) != clean.pixel(x, y);
    return changed;
  }
};

TEST_F(ViewSegmentPreviewTest, TheStandInPlaysTheJoinedFileAndItsProgressMovesThePlayLine) {
  struct Case {
    const char* name;
    std::function<bool()> run;
  };
  const std::vector<Case> cases = {
      {"mode 0", [&] { return view->PreviewSegment(true, 0, 1100, 1400); }},
      {"mixing console (mode 1)", [&] { return view->Previews().PlayConsoleRange(1100, 1400); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window.boardFiles.clear();
    const QImage clean = PaintedFresh();
    ASSERT_TRUE(c.run());
    ASSERT_EQ(window.boardFiles, std::vector<std::string>{doc().tempDir + "preview.avi"});
    EXPECT_TRUE(view->Previews().Running().boardPlayback);
    EXPECT_EQ(view->boardPlayback, 1);
    window.Report(200);
    const int x = doc().TimeToX(1300);
    EXPECT_EQ(view->Previews().PlayLineX(), x);
    EXPECT_GT(ChangedInColumn(clean, x), 20);
    EXPECT_EQ(ChangedInColumn(clean, doc().TimeToX(1100)), 0) << "the line at the start was erased";
    view->StopPreview();
    EXPECT_FALSE(view->Previews().Running().boardPlayback);
    EXPECT_EQ(view->boardPlayback, 0);
    EXPECT_EQ(view->Previews().PlayLineX(), -1);
    const QImage stopped = Painted();
    EXPECT_EQ(stopped, clean);
    EXPECT_EQ(stopped, PaintedFresh());
  }
}

// The view's keys: 'P' plays the preview range with the preview settings,
// 'M' the movie range with the movie settings, as a mode 0 segment preview
// while "Real Time Mixing" is off and as the mixing console's playback
// while it is on; a sound job that fails or is stopped plays nothing.
TEST_F(ViewSegmentPreviewTest, KeysPAndMStartTheSegmentPreviewOfTheirRange) {
  doc().previewRange = {1100, 1400};
  doc().movieRange = {1000, 1400};
  std::vector<RenderJob> soundJobs;
  view->Previews().SetRenderWindow([&](const RenderJob& job) {
    soundJobs.push_back(job);
    return -1;  // the render window failed or was stopped by ESC
  });
  int refusals = 0;
  QObject::connect(view.get(), &CTLEView::boardPreviewRefused, [&] { ++refusals; });
  struct Case {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    int realTimeMixing;
    int sound;  // VReserved1 of both records
    bool native;
    std::int32_t playsFrom;  // -1: nothing plays
    bool soundJob;
  };
  const Case cases[] = {
      {"P: the preview range", Qt::Key_P, Qt::NoModifier, 0, 0, true, 1100, false},
      {"M: the movie range", Qt::Key_M, Qt::NoModifier, 0, 0, true, 1000, false},
      {"shift+P", Qt::Key_P, Qt::ShiftModifier, 0, 0, true, 1100, false},
      {"P with real-time mixing: the console's file", Qt::Key_P, Qt::NoModifier, 1, 1, true, 1100, false},
      {"P with sound, the sound job stopped", Qt::Key_P, Qt::NoModifier, 0, 1, true, -1, true},
      {"ctrl+P is not the key", Qt::Key_P, Qt::ControlModifier, 0, 0, true, -1, false},
      {"P without the board's format", Qt::Key_P, Qt::NoModifier, 0, 0, false, -1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view->StopPreview();
    window.boardFiles.clear();
    soundJobs.clear();
    refusals = 0;
    profile.WriteProfileInt(settings::kRealTimeMixing, settings::kRealTimeMixingEnable, c.realTimeMixing);
    testing::SetBoardNativeSettings(app);
    for (MovieSettings* record : {&app.movie, &app.preview}) {
      record->VReserved1 = c.sound;
      record->ASamplesPerSec = 11025;
      record->AChannels = 1;
      record->ABitsPerSample = 8;
      if (!c.native) record->VCompressionType = "MJPG";
    }
    QKeyEvent key(QEvent::KeyPress, c.key, c.modifiers);
    QCoreApplication::sendEvent(view.get(), &key);
    if (c.playsFrom >= 0) {
      EXPECT_EQ(window.boardFiles, std::vector<std::string>{doc().tempDir + "preview.avi"});
      EXPECT_EQ(view->boardPlayback, 1);
      EXPECT_EQ(view->Previews().PlayLineX(), doc().TimeToX(c.playsFrom));
    } else {
      EXPECT_TRUE(window.boardFiles.empty());
      EXPECT_EQ(view->boardPlayback, 0);
    }
    ASSERT_EQ(soundJobs.size(), c.soundJob ? 1u : 0u);
    if (c.soundJob) {
      EXPECT_EQ(soundJobs[0].outputKind, OutputKind::kWav);
      EXPECT_EQ(soundJobs[0].previewFlag, 1);
      EXPECT_EQ(soundJobs[0].startMs, 1100);
      EXPECT_EQ(soundJobs[0].endMs, 1400);
      EXPECT_EQ(soundJobs[0].outputPath, doc().tempDir + "recorder.wav");
    }
    EXPECT_EQ(refusals, c.native ? 0 : 1);
  }
}

TEST_F(ViewSegmentPreviewTest, WithoutTheBoardsFormatNothingPlaysAndThePictureStays) {
  app.preview.VCompressionType = "MJPG";
  app.movie.VCompressionType = "MJPG";
  const QImage clean = PaintedFresh();
  EXPECT_FALSE(view->PreviewSegment(true, 0, 1100, 1400));
  EXPECT_FALSE(view->OnBoardPreview(true));
  EXPECT_TRUE(window.boardFiles.empty());
  EXPECT_FALSE(view->Previews().Running().boardPlayback);
  EXPECT_EQ(Painted(), clean);
}

}  // namespace
}  // namespace sprocket
