// The AVI movie output of the render job: the sound is mixed into the
// scratch file "recorder.wav", then the movie join library writes the
// movie, calling back for every frame's picture, for progress and for the
// message pump.

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "platform/application_state.h"
#include "platform/media/jpeg_chroma_layout.h"
#include "platform/message_pump.h"
#include "platform/prompts.h"
#include "render/audio/wav_file.h"
#include "render/compose/sample_copy.h"
#include "render/output/render_outputs.h"
#include "render/output/render_pump.h"
#include "render/sources/render_state.h"
#include "timeline/document/document.h"
#include "timeline/document/render_timelines.h"

namespace sprocket {

namespace {

// Puts a playback timeline of the rendered segments in place of the
// document's timeline for the life of the object.
class PlaybackTimeline {
public:
  PlaybackTimeline(RenderJobContext& job) : job_(job) {}
  ~PlaybackTimeline() { Restore(); }
  PlaybackTimeline(const PlaybackTimeline&) = delete;
  PlaybackTimeline& operator=(const PlaybackTimeline&) = delete;

  void Install() {
    // The movie's own frame grid: the rendered segments made for it hold its frames.
    const MovieFrameGrid grid{job_.format.framesPerSecond, job_.job.startMs};
    EventListSlot playback = BuildRenderedPlaybackTimeline(job_.doc.Head(), grid);
    if (!playback) return;
    job_.doc.savedHead = std::move(job_.doc.head);
    job_.doc.head = std::move(playback);
    job_.head = job_.doc.Head();
    TheRenderState().clipIndex = std::make_shared<const ClipTimeIndex>(job_.head);
    installed_ = true;
    job_.View().SetPlaybackTimelineFlag(true);
    job_.View().MarkPassThroughClips(job_.job.previewFlag != 0);
  }

  void Restore() {
    if (!installed_) return;
    FreeEventList(job_.doc.head);
    job_.doc.head = std::move(job_.doc.savedHead);
    job_.head = job_.doc.Head();
    TheRenderState().clipIndex = std::make_shared<const ClipTimeIndex>(job_.head);
    job_.View().SetPlaybackTimelineFlag(false);
    installed_ = false;
  }

private:
  RenderJobContext& job_;
  bool installed_ = false;
};

// Mixes the range's sound into the scratch WAV file. kMixdownDone, or the
// mixdown's failure (its message shown) or stop.
int MixSound(RenderJobContext& job, const std::string& path) {
  WaveOutputFile wave;
  if (!StartWaveFile(wave, path)) return kMixdownFailed;
  const int mixed =
      MixdownAudio(&job, &wave, nullptr, job.head, job.format.audioBits, job.format.audioChannels, job.format.audioRate,
                   static_cast<int>(job.format.framesPerSecond), 1, job.job.startMs, job.job.endMs);
  if (mixed == kMixdownStopped) job.stopped = true;
  return mixed;
}

std::vector<MovieJoinPiece> Pieces(const RenderSpanList& spans) {
  std::vector<MovieJoinPiece> pieces;
  for (const RenderSpan& span : spans) {
    pieces.push_back(MovieJoinPiece{span.pieceId, span.firstFrame, span.lastFrame, span.fileName});
  }
  return pieces;
}

MovieJoinJob MakeJoinJob(RenderJobContext& job, const std::string& soundPath, const TLEvent& ownHead) {
  const MovieSettings& settings = job.Settings();
  const RenderFormat& format = job.format;
  MovieJoinJob join;
  MovieJoinParams& p = join.params;
  p.width = format.width;
  p.height = format.height;
  p.frameCount = job.frameCount;
  if (!job.doc.firstSpans.empty()) {
    std::int64_t frames = 0;
    for (const RenderSpan& span : job.doc.firstSpans) frames += span.lastFrame - span.firstFrame + 1;
    p.frameCount = static_cast<std::int32_t>(frames);
  }
  p.startMs = job.job.startMs;
  p.endMs = job.job.endMs;
  p.paletteKind = format.paletteKind;
  p.framesPerSecond = format.framesPerSecond;
  p.bitDepth = format.bitDepth;
  p.doubleSize = format.doubleSize;
  p.fieldMode = format.fieldMode;
  p.diskBuffered = job.job.previewFlag != 0 ? job.doc.bufferedPreview : job.doc.bufferedMovie;
  p.outputKind = static_cast<std::int32_t>(OutputKind::kAvi);
  p.soundMode = settings.VReserved1 != 0 ? kJoinSoundMixed : kJoinSoundNone;
  p.compressor = FourccValue(NormalizeFourcc(format.codec));
  p.quality = format.quality;
  p.dataRate = format.dataRate;
  p.keyFrameEvery = format.keyFrameEvery;
  p.interleave = format.interleave;
  p.audioBits = format.audioBits;
  p.audioRate = format.audioRate;
  p.audioChannels = format.audioChannels;
  join.outputPath = job.job.outputPath;
  join.soundPath = soundPath;
  join.firstPieces = Pieces(job.doc.firstSpans);
  join.secondPieces = Pieces(job.doc.secondSpans);
  const TLEvent* end = TimelineEnd(&ownHead);
  join.recordInText = end != nullptr ? end->captureName : std::string();
  join.titleText = ownHead.captureName;
  return join;
}

// The chroma layout that the frames copied into the movie share: that of
// every clip of the range whose samples may be copied, when they have one
// (and their pictures are motion JPEG); 0 when they differ or none is copied.
int SharedCopiedLayout(const TLEvent* head, std::int32_t startMs, std::int32_t endMs) {
  std::map<std::string, int> layouts;  // by media file
  std::set<int> found;
  for (const TLEvent* clip = head; clip != nullptr; clip = GetNextEvent(clip)) {
    if (!clip->IsClipIn() || clip->trackType != kTrackVideo || clip->passThroughKind == kPassThroughNone) continue;
    if (clip->time >= endMs || clip->OutTime() <= startMs) continue;
    const auto [known, added] = layouts.emplace(clip->MediaPath(), kChromaLayoutUnknown);
    if (added) known->second = MovieChromaLayout(known->first);
    if (known->second != kChromaLayoutUnknown) found.insert(known->second);
  }
  return found.size() == 1 ? *found.begin() : kChromaLayoutUnknown;
}

// A copied sample handed from the compositor's picture to the library.
GlobalBlock TakeSample(DibPicture& sample) {
  std::uint8_t* locked = sample.ReleaseLocked();
  if (locked == nullptr) return {};
  HGLOBAL block = GlobalHandle(locked);
  GlobalUnlock(block);
  return GlobalBlock(block);
}

// Renders the frame the library asks for. 0, or -1 when the compositor failed.
int RenderJoinFrame(RenderJobContext& job, const JobFrameRenderer& renderer, MovieJoinFrame& frame) {
  // A segment of a longer movie is rendered at that movie's frame times.
  const double time = job.job.gridPart ? job.FrameTime(frame.index) : frame.timeMs;
  const double endTime = job.job.gridPart ? time : frame.endTimeMs;
  RenderFrameArgs args = job.FrameArgs(time, frame.picture, frame.width, frame.height, frame.renderMode);
  args.outFile = job.doc.tempDir;
  args.endTime = endTime;
  args.fieldMode = frame.fieldMode;
  args.field = frame.field;
  args.doubleSize = frame.doubleSize;
  args.frameArg = frame.index;
  DibPicture sample;
  args.rawSample = &sample;
  DecodedVideoFrame decoded;
  if (frame.takesDecoded) args.decoded = &decoded;
  std::int32_t result = kFrameRendered;
  if (renderer(args, &result) != kRenderDone) return -1;
  if (result == kFrameSampleCopied) {
    frame.result = kJoinFrameSample;
    frame.rawSample = TakeSample(sample);
  } else if (result == kFrameDecoded && decoded) {
    frame.result = kJoinFrameDecoded;
    if (job.ui.ShowsPictures()) frame.shownPicture = decoded.ToDib24();
    frame.decoded = std::move(decoded);
  } else {
    frame.result = kJoinFramePicture;
  }
  RenderState& state = TheRenderState();
  frame.keyFrame = state.outputKeyFrame;
  state.outputKeyFrame = false;
  return 0;
}

std::string CompletedText(long frames, const std::string& path) {
  char text[600];
  std::snprintf(text, sizeof text, "Movie/Preview completed! \n Frames compiled: %lu \nOutput File: %s",
                static_cast<unsigned long>(frames), path.c_str());
  return text;
}

std::string StoppedText(int frames, const std::string& path) {
  char text[600];
  std::snprintf(text, sizeof text, "Movie/Preview stopped! \n Frames compiled: %i \nOutput File: %s", frames,
                path.c_str());
  return text;
}

}  // namespace

int WriteAviOutput(RenderJobContext& job) {
  job.pictureArea = PictureAreaMode::kAudio;
  const MovieSettings& settings = job.Settings();
  const std::string soundPath = job.scratch.PathOf(kMixedSoundName);
  if (settings.VReserved1 != 0) {
    const int mixed = MixSound(job, soundPath);
    job.ui.SetWaitCursor(false);
    job.tracks->CloseTrackSources();
    if (mixed != kMixdownDone) return kRenderJobFailed;
  }
  if (!job.services.joinMovie) {
    ShowStopMessage("Error create AVI file! Make sure the drive you select is accessible.");
    return kRenderJobFailed;
  }

  TLEvent& ownHead = *job.head;
  MovieJoinJob join = MakeJoinJob(job, soundPath, ownHead);
  PlaybackTimeline playback(job);
  const bool preview = job.job.previewFlag != 0;
  if (job.singleUserPlatform && !job.View().IsBoardNativeFormat(false, preview) && TheApp().segmentRenderFlag == 0 &&
      job.View().SegmentSwitch() == 0) {
    playback.Install();
  }
  // Encoded pictures take the layout of the copied ones.
  join.params.pictureLayout = SharedCopiedLayout(job.head, job.job.startMs, job.job.endMs);

  const JobFrameRenderer& renderer = join.params.diskBuffered != 0 && job.services.renderFrameBuffered
                                         ? job.services.renderFrameBuffered
                                         : job.services.renderFrame;
  std::int64_t framesShown = 0;
  const std::int64_t total = join.params.frameCount;
  // A termination keeps nothing of the movie.
  MovieJoinFrameCallback frameCallback = [&](MovieJoinFrame& frame) {
    const int answer = RenderJoinFrame(job, renderer, frame);
    return IsTerminationRequested() ? kJoinStopDiscarding : answer;
  };
  // The library reports each frame and then the end once more: the count
  // stops at the movie's frames.
  MovieJoinProgressCallback progressCallback = [&](double timeMs, const std::uint8_t* picture) {
    framesShown = std::min(framesShown + 1, total);
    job.ui.ShowFrameCount(framesShown, total);
    job.ShowRenderProgress(timeMs, picture);
  };
  MovieJoinPumpCallback pumpCallback = [] {
    const int answer = PumpRenderMessages(nullptr);
    return IsTerminationRequested() ? kJoinStopDiscarding : answer;
  };
  job.pictureArea = PictureAreaMode::kJoin;
  MovieJoinOutcome outcome;
  const int r = job.services.joinMovie(join, frameCallback, progressCallback, pumpCallback, &outcome);
  playback.Restore();
  job.framesWritten = outcome.framesWritten;
  if (IsAbortRequested()) job.stopped = true;

  const bool showMessage = job.doc.noMessage == 0 && TheApp().segmentRenderFlag == 0;
  const std::string& path = job.job.outputPath;
  if (r == 0) {
    // The frames the library wrote; never fewer than the one frame of a
    // range shorter than a frame.
    const long frames = static_cast<long>(outcome.framesWritten > 0 ? outcome.framesWritten : total);
    if (showMessage) {
      ShowMessage(CompletedText(frames, path), MB_OK | MB_ICONINFORMATION);
    }
    return static_cast<int>(frames);
  }
  if (r > 0) {
    // A frame that failed stopped the movie: say why before how far it got.
    if (outcome.failure != MovieJoinFailure::kNone && !outcome.message.empty()) ShowStopMessage(outcome.message);
    if (showMessage) {
      ShowMessage(StoppedText(r, path), MB_OK | MB_ICONINFORMATION);
    }
    return r;
  }
  // Nothing was written: a failure, or a stop before the first frame.
  if (outcome.failure != MovieJoinFailure::kNone && !outcome.message.empty()) {
    ShowStopMessage(outcome.message);
  } else if (showMessage) {
    ShowMessage(StoppedText(0, path), MB_OK | MB_ICONINFORMATION);
  }
  return kRenderJobFailed;
}

}  // namespace sprocket
