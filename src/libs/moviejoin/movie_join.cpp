#include "libs/moviejoin/movie_join.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "imagelib/dib_header.h"
#include "libs/moviejoin/join_output_file.h"
#include "libs/moviejoin/join_video_output.h"
#include "libs/moviejoin/mixed_sound_file.h"
#include "libs/moviejoin/movie_join_block.h"
#include "libs/moviejoin/stored_frame_copier.h"
#include "platform/media/avi_writer.h"
#include "platform/media/codec_table.h"
#include "platform/media/jpeg_chroma_layout.h"

namespace sprocket {

namespace {

// The user's texts of each failure.
constexpr const char* kCreateFileText = "Error create AVI file! Make sure the drive you select is accessible.";
constexpr const char* kCompressorText = "Error open compressor!";
constexpr const char* kWriteText = "Error writing frames. You may have run out of disk space!";
constexpr const char* kSoundText = "Fail to open wave file!";
constexpr const char* kSourceText = "Fail to open video stream of source avi file!";
constexpr const char* kFrameText = "Processing stopped due to low/fragmented memory. Exit and restart Windows!";
constexpr const char* kRateText = "FrameRate equals zero!";
constexpr const char* kBadJobText = "The movie settings cannot be used to make a movie.";

constexpr int kLargestSide = 32768;
constexpr double kLowestFrameRate = 0.01;
constexpr double kHighestFrameRate = 1000.0;
// Sound is read and written at most this many seconds at a time.
constexpr std::int64_t kSoundSecondsPerWrite = 1;

const char* TextOf(MovieJoinFailure failure) {
  switch (failure) {
    case MovieJoinFailure::kNone:
      return "";
    case MovieJoinFailure::kBadJob:
      return kBadJobText;
    case MovieJoinFailure::kCreateFile:
      return kCreateFileText;
    case MovieJoinFailure::kCompressor:
      return kCompressorText;
    case MovieJoinFailure::kSound:
      return kSoundText;
    case MovieJoinFailure::kSource:
      return kSourceText;
    case MovieJoinFailure::kWrite:
      return kWriteText;
    case MovieJoinFailure::kFrame:
      return kFrameText;
  }
  return "";
}

// The user's text of a failure: the text that blames the disk is shown only
// when the file could not be written; any other refusal of the writer while
// frames are written (the compressor, memory) shows its own reason.
std::string MessageOf(MovieJoinFailure failure, const std::string& detail) {
  const bool fileFailed = detail.rfind("Cannot write", 0) == 0 || detail.rfind("Error writing", 0) == 0;
  if (failure == MovieJoinFailure::kWrite && !detail.empty() && !fileFailed) return detail;
  return TextOf(failure);
}

// The writer opens the compressor before it creates the file and writes the
// header last; its text tells which step refused.
MovieJoinFailure ClassifyOpenFailure(const std::string& writerError) {
  if (writerError.rfind("Cannot create", 0) == 0) return MovieJoinFailure::kCreateFile;
  if (writerError.rfind("Cannot write", 0) == 0) return MovieJoinFailure::kWrite;
  return MovieJoinFailure::kCompressor;
}

bool PaletteCapable(const VideoCompressor& compressor) {
  return compressor.Uncompressed() || compressor.encoder == "zmbv";
}

class MovieJoiner {
public:
  MovieJoiner(const MovieJoinJob& job, const MovieJoinFrameCallback& frameCallback,
              const MovieJoinProgressCallback& progressCallback, const MovieJoinPumpCallback& pumpCallback,
              MovieJoinOutcome* outcome)
      : job_(job),
        p_(job.params),
        frameCallback_(frameCallback),
        progress_(progressCallback),
        pump_(pumpCallback),
        outcome_(outcome) {}

  int Run();

private:
  enum class Step { kNext, kStop, kFail };

  bool CheckJob();
  bool OpenSound();
  bool OpenMovie();
  bool MakePicture();
  Step WritePieces();
  Step WriteRendered();
  Step RenderOne(std::int32_t k, const std::uint8_t** shown);
  bool RenderCall(MovieJoinFrame* frame, std::int32_t k, std::int32_t mode);
  Step FrameNotRendered(std::int32_t k);
  std::optional<bool> CopyHandedSample(const MovieJoinFrame& frame);
  Step AfterFrame(std::int32_t k, const std::uint8_t* shown);
  const std::uint8_t* ShownPicture(GlobalBlock picture);
  bool WriteSoundUpTo(std::int64_t sampleFrames);
  std::int64_t SoundFramesFor(std::int64_t videoFrames) const;
  double FrameTime(std::int32_t k) const;
  int Finish(bool stopped);
  int Fail(MovieJoinFailure failure, std::string detail);
  Step FailStep(MovieJoinFailure failure, std::string detail) {
    Fail(failure, std::move(detail));
    return Step::kFail;
  }
  Step StopStep(MovieJoinFailure reason, std::string detail) {
    outcome_->failure = reason;
    outcome_->detail = std::move(detail);
    return Step::kStop;
  }

  const MovieJoinJob& job_;
  const MovieJoinParams& p_;
  const MovieJoinFrameCallback& frameCallback_;
  const MovieJoinProgressCallback& progress_;
  const MovieJoinPumpCallback& pump_;
  MovieJoinOutcome* outcome_;

  double fps_ = 0.0;
  std::int32_t frames_ = 0;
  std::int32_t interleave_ = 1;
  AviVideoFormat video_;
  std::optional<MixedSoundFile> sound_;
  JoinOutputFile file_;
  AviWriter writer_;
  std::optional<JoinVideoOutput> output_;

  // Render mode: the picture handed to the frame callback, locked for the job.
  GlobalBlock picture_;
  std::optional<GlobalLockGuard<std::uint8_t>> pictureBytes_;
  DibInfoHeader pictureHeader_;
  // The movie's frame count right after the last sample the frame callback
  // handed over: a delta sample may only follow it.
  std::int64_t handedChainFrames_ = -1;
  // The picture a callback handed with a decoded frame, held for the progress callback.
  GlobalBlock shownPicture_;
  std::optional<GlobalLockGuard<std::uint8_t>> shownBytes_;
  // Decoded movie frames are asked for, until one cannot be compressed as it is.
  bool takesDecoded_ = false;
  // A callback asked for the stop that keeps nothing.
  bool discard_ = false;
};

int MovieJoiner::Fail(MovieJoinFailure failure, std::string detail) {
  writer_.Discard();
  file_.Discard();
  outcome_->failure = failure;
  outcome_->stopped = false;
  outcome_->framesWritten = 0;
  outcome_->message = MessageOf(failure, detail);
  outcome_->detail = std::move(detail);
  return -1;
}

bool MovieJoiner::CheckJob() {
  auto refuse = [this](std::string why, MovieJoinFailure failure = MovieJoinFailure::kBadJob) {
    Fail(failure, std::move(why));
    return false;
  };
  if (!job_.outputPath || job_.outputPath->empty()) return refuse("The job names no output file.");
  fps_ = p_.framesPerSecond;
  if (fps_ == 0.0) {
    Fail(MovieJoinFailure::kBadJob, "The frame rate is zero.");
    outcome_->message = kRateText;
    return false;
  }
  if (!std::isfinite(fps_) || fps_ < kLowestFrameRate || fps_ > kHighestFrameRate) {
    return refuse("The frame rate is not usable.");
  }
  if (p_.width < 1 || p_.height < 1 || p_.width > kLargestSide || p_.height > kLargestSide) {
    return refuse("The picture size is not usable.");
  }
  for (const MovieJoinPiece& piece : job_.firstPieces) {
    if (piece.firstFrame < 0 || piece.lastFrame < piece.firstFrame || piece.fileName.empty()) {
      return refuse("A piece of the job names no file or no frames.");
    }
  }
  if (!frameCallback_ && job_.firstPieces.empty()) return refuse("The job has neither pictures nor pieces.");
  std::int64_t frames = job_.firstPieces.empty() ? p_.frameCount : CountPieceFrames(job_.firstPieces);
  if (frames < 1 || frames > std::numeric_limits<std::int32_t>::max()) return refuse("The frame count is not usable.");
  frames_ = static_cast<std::int32_t>(frames);
  interleave_ = std::max(1, p_.interleave);

  auto compressor = FindVideoCompressor(p_.compressor);
  if (!compressor || !IsVideoCompressorAvailable(p_.compressor)) {
    return refuse("There is no compressor for \"" + FourCCText(p_.compressor) + "\".", MovieJoinFailure::kCompressor);
  }
  video_.width = p_.width;
  video_.height = p_.height;
  RateForFramesPerSecond(fps_, &video_.rate, &video_.scale);
  video_.compressor = p_.compressor;
  video_.quality = p_.quality < 0 ? -1 : std::min(p_.quality, 10000);
  video_.dataRateKb = p_.dataRate;
  video_.keyFrameEvery = std::max(0, p_.keyFrameEvery);
  video_.bitCount = p_.bitDepth == 8 && PaletteCapable(*compressor) ? 8 : 24;
  video_.fieldOrder = p_.fieldMode == 1 || p_.fieldMode == 2 ? p_.fieldMode : 0;
  if (compressor->encoder == "mjpeg") {
    const bool known = p_.pictureLayout == kChromaLayout420 || p_.pictureLayout == kChromaLayout444;
    video_.chromaLayout = known ? p_.pictureLayout : kChromaLayout422;
  }
  return true;
}

bool MovieJoiner::OpenSound() {
  if (p_.soundMode != kJoinSoundMixed) return true;
  if (!job_.soundPath || job_.soundPath->empty()) {
    Fail(MovieJoinFailure::kSound, "The job asks for sound but names no sound file.");
    return false;
  }
  std::string error;
  sound_.emplace();
  if (!sound_->Open(*job_.soundPath, &error)) {
    Fail(MovieJoinFailure::kSound, error);
    return false;
  }
  return true;
}

bool MovieJoiner::OpenMovie() {
  std::string error;
  if (!file_.Create(*job_.outputPath, &error)) {
    Fail(MovieJoinFailure::kCreateFile, error);
    return false;
  }
  std::optional<AviAudioFormat> audio;
  if (sound_) audio = sound_->Format();
  if (!writer_.Open(file_.WorkPath(), video_, audio)) {
    Fail(ClassifyOpenFailure(writer_.ErrorText()), writer_.ErrorText());
    return false;
  }
  auto compressor = FindVideoCompressor(p_.compressor);
  output_.emplace(&writer_, JoinVideoShape{p_.width, p_.height, compressor->tag, video_.bitCount, video_.chromaLayout});
  takesDecoded_ = output_->TakesDecodedFrames();
  return true;
}

double MovieJoiner::FrameTime(std::int32_t k) const {
  return static_cast<double>(p_.startMs + static_cast<std::int64_t>(k / fps_ * 1000.0));
}

std::int64_t MovieJoiner::SoundFramesFor(std::int64_t videoFrames) const {
  // videoFrames x scale / rate seconds of sound, rounded to whole sample frames.
  auto perSecond = static_cast<std::int64_t>(sound_->Format().rate);
  auto numerator = static_cast<std::int64_t>(video_.scale) * perSecond;
  auto rate = static_cast<std::int64_t>(video_.rate);
  return (videoFrames * numerator * 2 + rate) / (2 * rate);
}

bool MovieJoiner::WriteSoundUpTo(std::int64_t sampleFrames) {
  if (!sound_) return true;
  std::int64_t chunk = static_cast<std::int64_t>(sound_->Format().rate) * kSoundSecondsPerWrite;
  std::vector<std::uint8_t> bytes;
  std::string error;
  while (sound_->Position() < std::min(sampleFrames, sound_->SampleFrames())) {
    if (!sound_->Read(std::min(chunk, sampleFrames - sound_->Position()), &bytes, &error)) {
      Fail(MovieJoinFailure::kSound, error);
      return false;
    }
    if (!writer_.WriteAudio(bytes.data(), bytes.size())) {
      Fail(MovieJoinFailure::kWrite, writer_.ErrorText());
      return false;
    }
  }
  return true;
}

MovieJoiner::Step MovieJoiner::AfterFrame(std::int32_t k, const std::uint8_t* shown) {
  std::int32_t written = k + 1;
  if (sound_ && written % interleave_ == 0 && !WriteSoundUpTo(SoundFramesFor(written))) return Step::kFail;
  if (progress_) progress_(FrameTime(k), shown);
  if (written < frames_ && pump_) {
    const int answer = pump_();
    discard_ = answer == kJoinStopDiscarding;
    if (answer != 0) return StopStep(MovieJoinFailure::kNone, "Stopped by the user.");
  }
  return Step::kNext;
}

MovieJoiner::Step MovieJoiner::WritePieces() {
  PieceFrameCopier copier(&*output_);
  std::int32_t k = 0;
  for (const MovieJoinPiece& piece : job_.firstPieces) {
    for (std::int32_t frame = piece.firstFrame; frame <= piece.lastFrame; ++frame, ++k) {
      std::string error;
      const std::uint8_t* shown = nullptr;
      Step step = Step::kNext;
      switch (copier.WriteFrame(piece.fileName, frame, &error)) {
        case PieceFrameCopier::Status::kWritten:
          break;
        case PieceFrameCopier::Status::kSourceFailed:
          // Pieces follow each other through the range, so a render job
          // renders the frames of a piece it cannot read at their times.
          if (!frameCallback_) return FailStep(MovieJoinFailure::kSource, error);
          step = RenderOne(k, &shown);
          break;
        case PieceFrameCopier::Status::kWriteFailed:
          return FailStep(MovieJoinFailure::kWrite, writer_.ErrorText());
      }
      if (step == Step::kNext) step = AfterFrame(k, shown);
      if (step != Step::kNext) return step;
      if (frame == std::numeric_limits<std::int32_t>::max()) break;
    }
  }
  return Step::kNext;
}

bool MovieJoiner::RenderCall(MovieJoinFrame* frame, std::int32_t k, std::int32_t mode) {
  // Every call starts from a black picture with its header.
  std::uint8_t* bytes = pictureBytes_->get();
  std::memset(bytes, 0, picture_.size());
  WriteDibHeader(bytes, pictureHeader_);
  frame->index = k;
  frame->timeMs = FrameTime(k);
  frame->endTimeMs = frame->timeMs;
  frame->pictureBlock = picture_.get();
  frame->picture = bytes;
  frame->width = p_.width;
  frame->height = p_.height;
  frame->fieldMode = p_.fieldMode;
  frame->field = 0;
  frame->renderMode = mode;
  frame->doubleSize = p_.doubleSize;
  frame->takesDecoded = mode == kJoinRenderPassThrough && takesDecoded_;
  const int answer = frameCallback_(*frame);
  discard_ = answer == kJoinStopDiscarding;
  return answer == 0;
}

// Copies the sample a frame callback handed over when the movie can take it
// here. Nothing when it cannot (the frame is then rendered); false when the
// write failed.
std::optional<bool> MovieJoiner::CopyHandedSample(const MovieJoinFrame& frame) {
  if (!frame.rawSample) return std::nullopt;
  GlobalLockGuard<std::uint8_t> bytes(frame.rawSample.get());
  std::size_t size = frame.rawSample.size();
  if (!bytes || size < static_cast<std::size_t>(kDibHeaderSize)) return std::nullopt;
  std::size_t sampleBytes = ReadDibHeader(bytes.get()).biSizeImage;
  if (sampleBytes > size - kDibHeaderSize) return std::nullopt;
  std::span<const std::uint8_t> format(bytes.get(), size - sampleBytes);
  if (!output_->AcceptsSamplesOf(format)) return std::nullopt;
  std::span<const std::uint8_t> sample(bytes.get() + format.size(), sampleBytes);
  if (!output_->SampleFitsLayout(sample)) return std::nullopt;
  bool chained = handedChainFrames_ >= 0 && output_->Frames() == handedChainFrames_;
  if (!frame.keyFrame && !chained) return std::nullopt;
  if (!output_->WriteSample(sample, frame.keyFrame)) {
    return false;
  }
  handedChainFrames_ = output_->Frames();
  return true;
}

// The stop after a frame callback declined frame k: a failure of the frame,
// unless the callback asked for the stop that keeps nothing.
MovieJoiner::Step MovieJoiner::FrameNotRendered(std::int32_t k) {
  if (discard_) return StopStep(MovieJoinFailure::kNone, "Stopped; nothing is kept.");
  return StopStep(MovieJoinFailure::kFrame, "The frame at " + std::to_string(FrameTime(k)) + " ms was not rendered.");
}

MovieJoiner::Step MovieJoiner::RenderOne(std::int32_t k, const std::uint8_t** shown) {
  *shown = nullptr;
  bool samplesFit = output_->Shape().bitCount == 24;
  MovieJoinFrame frame;
  if (!RenderCall(&frame, k, samplesFit ? kJoinRenderPassThrough : kJoinRenderPlain)) return FrameNotRendered(k);
  if (frame.result == kJoinFrameSample) {
    std::optional<bool> copied = CopyHandedSample(frame);
    if (copied) return *copied ? Step::kNext : FailStep(MovieJoinFailure::kWrite, writer_.ErrorText());
    // The sample cannot stand here: the frame is rendered instead.
    frame = MovieJoinFrame();
    if (!RenderCall(&frame, k, kJoinRenderPlain) || frame.result != kJoinFramePicture) return FrameNotRendered(k);
  }
  if (frame.result == kJoinFrameDecoded) {
    if (frame.decoded && output_->TakesDecoded(frame.decoded)) {
      if (!output_->WriteDecoded(frame.decoded, frame.keyFrame)) {
        return FailStep(MovieJoinFailure::kWrite, writer_.ErrorText());
      }
      *shown = ShownPicture(std::move(frame.shownPicture));
      return Step::kNext;
    }
    // Frames of this movie are not compressed as decoded: rendered from now on.
    takesDecoded_ = false;
    frame = MovieJoinFrame();
    if (!RenderCall(&frame, k, kJoinRenderPlain) || frame.result != kJoinFramePicture) return FrameNotRendered(k);
  }
  DibInfoHeader header = ReadDibHeader(pictureBytes_->get());
  if (header.biWidth != p_.width || header.biHeight != p_.height || header.biBitCount != 24 ||
      CheckedDibStride(header, picture_.size()) == 0) {
    return StopStep(MovieJoinFailure::kFrame, "The rendered picture does not have the movie's size.");
  }
  if (!output_->WritePicture(pictureBytes_->get(), picture_.size(), frame.keyFrame)) {
    return FailStep(MovieJoinFailure::kWrite, writer_.ErrorText());
  }
  *shown = pictureBytes_->get();
  return Step::kNext;
}

// Holds the picture handed with a decoded frame until the next frame; its
// bytes, or null without one.
const std::uint8_t* MovieJoiner::ShownPicture(GlobalBlock picture) {
  shownBytes_.reset();
  shownPicture_ = std::move(picture);
  if (!shownPicture_ || shownPicture_.size() < static_cast<std::size_t>(kDibHeaderSize)) return nullptr;
  shownBytes_.emplace(shownPicture_.get());
  return shownBytes_->get();
}

bool MovieJoiner::MakePicture() {
  pictureHeader_ = MakeDib24Header(p_.width, p_.height);
  picture_ = GlobalBlock::Allocate(kDibHeaderSize + static_cast<std::size_t>(pictureHeader_.biSizeImage));
  if (!picture_) {
    Fail(MovieJoinFailure::kFrame, "No memory for the picture.");
    return false;
  }
  pictureBytes_.emplace(picture_.get());
  return true;
}

MovieJoiner::Step MovieJoiner::WriteRendered() {
  for (std::int32_t k = 0; k < frames_; ++k) {
    const std::uint8_t* shown = nullptr;
    Step step = RenderOne(k, &shown);
    if (step == Step::kNext) step = AfterFrame(k, shown);
    if (step != Step::kNext) return step;
  }
  return Step::kNext;
}

int MovieJoiner::Finish(bool stopped) {
  std::int64_t frames = output_->Frames();
  if (frames == 0 || discard_) {
    // Stopped before the first frame, or by a stop that keeps nothing.
    std::string why = outcome_->detail;
    MovieJoinFailure reason = outcome_->failure;
    Fail(reason, why);
    outcome_->stopped = true;
    return -1;
  }
  if (!WriteSoundUpTo(stopped ? SoundFramesFor(frames) : std::numeric_limits<std::int64_t>::max())) return -1;
  if (!writer_.Finish()) return Fail(MovieJoinFailure::kWrite, writer_.ErrorText());
  std::string error;
  if (!file_.Commit(&error)) return Fail(MovieJoinFailure::kCreateFile, error);
  outcome_->stopped = stopped;
  outcome_->framesWritten = frames;
  if (stopped) outcome_->message = TextOf(outcome_->failure);
  if (!stopped && progress_) progress_(p_.endMs, nullptr);
  return stopped ? static_cast<int>(frames) : 0;
}

int MovieJoiner::Run() {
  *outcome_ = MovieJoinOutcome();
  if (!CheckJob() || !OpenSound() || !OpenMovie()) return -1;
  if (frameCallback_ && !MakePicture()) return -1;
  Step step = job_.firstPieces.empty() ? WriteRendered() : WritePieces();
  if (step == Step::kFail) return -1;
  return Finish(step == Step::kStop);
}

}  // namespace

int WriteMovieFile(HGLOBAL job, const MovieJoinFrameCallback& frameCallback,
                   const MovieJoinProgressCallback& progressCallback, const MovieJoinPumpCallback& pumpCallback,
                   MovieJoinOutcome* outcome) {
  MovieJoinOutcome local;
  MovieJoinOutcome* result = outcome != nullptr ? outcome : &local;
  MovieJoinJob unpacked;
  std::string error;
  if (!UnpackMovieJoinJob(job, &unpacked, &error)) {
    *result = MovieJoinOutcome();
    result->failure = MovieJoinFailure::kBadJob;
    result->message = kBadJobText;
    result->detail = error;
    return -1;
  }
  MovieJoiner joiner(unpacked, frameCallback, progressCallback, pumpCallback, result);
  return joiner.Run();
}

}  // namespace sprocket
