#include "app/preview_window.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "app/dib_qimage.h"
#include "app/picture_area.h"
#include "platform/qt/qt_audio_out.h"
#include "timeline/basics/time_code.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

namespace {
constexpr int kPictureWidth = 320;
constexpr int kPictureHeight = 240;
constexpr int kTickMs = 10;
}  // namespace

CPreviewWnd::CPreviewWnd(AudioOut* audio, const PlaybackClock* clock, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      ownAudio_(audio == nullptr ? std::make_unique<QtAudioOut>() : nullptr),
      ownClock_(clock == nullptr ? std::make_unique<SteadyPlaybackClock>() : nullptr),
      player_(audio != nullptr ? *audio : *ownAudio_, clock != nullptr ? *clock : *ownClock_) {
  audio_ = audio != nullptr ? audio : ownAudio_.get();
  setWindowTitle(tr("Preview"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  pictureArea_ = new PictureArea(this, kPictureWidth, kPictureHeight);
  timeCode_ = new QLabel(this);
  timeCode_->setAlignment(Qt::AlignCenter);
  layout->addWidget(pictureArea_);
  layout->addWidget(timeCode_);
  timer_ = new QTimer(this);
  timer_->setInterval(kTickMs);
  connect(timer_, &QTimer::timeout, this, &CPreviewWnd::Tick);
  player_.SetFrameHandler([this](const std::uint8_t* dib, std::int64_t) {
    picture_ = DibToQImage(dib);
    pictureArea_->SetImage(picture_);
  });
  player_.SetProgressHandler([this](std::int32_t positionMs) { ShowPosition(positionMs); });
  ShowPosition(0);
}

CPreviewWnd::~CPreviewWnd() {
  // The board's progress callback must not reach a view after the window.
  boardProgress_ = nullptr;
  player_.Stop();
}

QRect CPreviewWnd::PictureRect() const { return pictureArea_->geometry(); }

QString CPreviewWnd::TimeCodeText() const { return timeCode_->text(); }

void CPreviewWnd::ShowPosition(std::int32_t positionMs) {
  const double fps = player_.FramesPerSecond() > 0.0 ? player_.FramesPerSecond() : 30.0;
  timeCode_->setText(QString::fromStdString(FormatTimeCode(positionMs, fps)));
  if (boardProgress_) boardProgress_(positionMs, player_.IsPlaying());
}

bool CPreviewWnd::Start(const std::string& path, std::int32_t fromMs, std::int32_t toMs) {
  EndScrubSound();
  if (!player_.Open(path)) {
    error_ = player_.ErrorText();
    return false;
  }
  picture_ = QImage();
  pictureArea_->SetImage(picture_);
  if (!player_.Play(fromMs, toMs)) {
    error_ = "Nothing to play in " + path;
    player_.Close();
    return false;
  }
  error_.clear();
  if (!isVisible()) show();
  if (player_.IsPlaying()) timer_->start();
  return true;
}

bool CPreviewWnd::Monitor(const std::string& path, std::int32_t fromMs, std::int32_t toMs) {
  StopPlay();
  StopMonitor();
  monitorRunning_ = Start(path, fromMs, toMs);
  if (monitorRunning_ && !player_.IsPlaying()) EndPlayback();
  return monitorRunning_;
}

bool CPreviewWnd::PlayClip(const TLEvent* clip) {
  StopMonitor();
  StopPlay();
  if (clip == nullptr) return false;
  playing_ = Start(clip->MediaPath(), clip->playIn, clip->playOut > clip->playIn ? clip->playOut : -1);
  if (!playing_) return false;
  playingClip_ = clip;
  if (!player_.IsPlaying()) EndPlayback();
  return true;
}

bool CPreviewWnd::PlayBoardFile(const std::string& path, Progress progress) {
  StopMonitor();
  StopPlay();
  boardProgress_ = std::move(progress);
  playing_ = Start(path, 0, -1);
  if (!playing_) {
    boardProgress_ = nullptr;
    return false;
  }
  if (!player_.IsPlaying()) EndPlayback();
  return true;
}

void CPreviewWnd::ShowScrubPicture(const std::uint8_t* dib, std::int32_t timeMs, double fps) {
  if (playing_ || monitorRunning_) return;
  if (!isVisible()) show();
  scrubShown_ = true;
  picture_ = DibToQImage(dib);
  pictureArea_->SetImage(picture_);
  timeCode_->setText(QString::fromStdString(FormatTimeCode(timeMs, fps)));
}

void CPreviewWnd::Tick() {
  if (!player_.Tick()) EndPlayback();
}

void CPreviewWnd::EndPlayback() {
  timer_->stop();
  // A playback that reached its end leaves its last picture and time code.
  if (playing_ || monitorRunning_) {
    if (boardProgress_) boardProgress_(player_.PositionMs(), false);
    boardProgress_ = nullptr;
    playing_ = false;
    playingClip_ = nullptr;
    monitorRunning_ = false;
  }
}

void CPreviewWnd::StopMonitor() {
  if (!monitorRunning_) return;
  player_.Stop();
  EndPlayback();
  update();
}

void CPreviewWnd::StopPlay() {
  if (!playing_ && !scrubShown_) return;
  if (playing_) {
    player_.Stop();
    EndPlayback();
  }
  EndScrubSound();
  update();
}

void CPreviewWnd::EndScrubSound() {
  if (!scrubShown_) return;
  // What a scrub queued is dropped; its picture stays until the next one.
  scrubShown_ = false;
  audio_->Stop();
}

}  // namespace sprocket
