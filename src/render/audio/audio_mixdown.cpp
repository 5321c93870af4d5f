#include "render/audio/audio_mixdown.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "libs/audiopreview/audio_preview_lib.h"
#include "platform/application_state.h"
#include "platform/file_paths.h"
#include "platform/message_pump.h"
#include "platform/prompts.h"
#include "platform/settings/settings_keys.h"
#include "platform/settings_store.h"
#include "render/audio/clip_audio.h"
#include "render/audio/mix_buffers.h"
#include "render/audio/pcm_convert.h"
#include "timeline/basics/media_type.h"
#include "timeline/basics/pcm_gain.h"
#include "timeline/records/clip_time_index.h"
#include "timeline/records/event_queries.h"

namespace sprocket {

namespace {

constexpr std::int32_t kMinMixRate = 100;  // one frame per second
constexpr int kMinSpeed = 50;
constexpr int kMaxSpeed = 200;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Milliseconds of a whole number of frames, rounded.
std::int64_t FramesToMsRounded(std::int64_t frames, std::int32_t rate) {
  return FloorDiv(frames * 200000 + rate, 2 * static_cast<std::int64_t>(rate));
}

const char kWriteFailed[] = "Error writing frames!";

// Where the clip on one track is being read.
struct TrackReadState {
  const TLEvent* clip = nullptr;
  std::int64_t lastFrame = -1;
  std::int64_t position = 0;     // source frame of the last read
  std::int64_t count = 0;        // source frames of the last read
  std::int64_t firstSource = 0;  // source frame at the clip's first output sample (normal speed)
  std::int64_t firstOutput = 0;  // the clip's first output sample
};

// One run's fixed values.
struct MixRun {
  std::int32_t rate = 0;  // hundredths of a frame per second
  int bits = 16;
  int channels = 2;
  int outRate = 44100;
  bool oldAudio = false;
  MixBufferSet buffers;
  ClipAudioReaders* readers = nullptr;
  std::map<int, TrackReadState> tracks;
  ClipTimeIndex clips;  // of the timeline being mixed

  std::int64_t Frame(double ms) const { return MixFrameOfTime(ms, rate); }
  std::int64_t SampleStart(std::int64_t frame) const { return FrameSampleStart(frame, rate, outRate); }
};

bool IsClipWithSound(const TLEvent& clip) {
  if (clip.trackType == kTrackAudio) return true;
  if (clip.trackType != kTrackVideo || !HasExtension(clip.MediaPath(), ".avi") || !clip.header) return false;
  const AviClipHeader* avi = clip.header->Avi();
  return avi != nullptr && (avi->wave.bitsPerSample == 8 || avi->wave.bitsPerSample == 16);
}

// Says once a run which clips of the range have sound at a speed outside
// what the speed change follows: they are left silent. Not while a segment
// renders: a segment file's sound is not what the movie plays.
void ReportUnmixableSpeeds(const TLEvent* head, std::int32_t startMs, std::int32_t endMs) {
  if (head->segmentRenderActive != 0) return;
  std::string clips;
  for (const TLEvent* clip = head; clip != nullptr; clip = GetNextEvent(clip)) {
    if (!clip->IsClipIn() || clip->time >= endMs || clip->OutTime() <= startMs || !IsClipWithSound(*clip)) continue;
    if (clip->speed >= kMinSpeed && clip->speed <= kMaxSpeed) continue;
    const std::string name = clip->name.empty() ? std::string(FileNamePart(clip->MediaPath())) : clip->name;
    if (!clips.empty()) clips += ", ";
    clips += "\"" + name + "\" (" + std::to_string(clip->speed) + " %)";
  }
  if (clips.empty()) return;
  std::vector<char> text(clips.size() + std::char_traits<char>::length(kUnmixableSpeedText) + 1);
  std::snprintf(text.data(), text.size(), kUnmixableSpeedText, clips.c_str());
  ShowMessage(std::string(text.data()), MB_OK | MB_ICONINFORMATION);
}

// The first clip of the track's chain that plays at `frame` and may have sound.
const TLEvent* ClipAtFrame(const MixRun& run, const TLEvent* trackHeader, std::int64_t frame) {
  return run.clips.FirstClip(
      trackHeader, [&](double in) { return run.Frame(in) <= frame; },
      [&](double out) { return frame < run.Frame(out); }, IsClipWithSound);
}

// Source frames from which `count` output frames are made (with `phase`
// output frames of the first source frame skipped).
std::int64_t SourceFramesFor(std::int64_t count, int sourceRate, int outRate, int phase) {
  if (sourceRate < outRate) {
    const int factor = outRate / sourceRate;
    return (phase + count + factor - 1) / factor;
  }
  return count * (sourceRate / outRate);
}

struct ReadPlan {
  std::int64_t position = 0;
  std::int64_t count = 0;
  std::int64_t normal = 0;
  int phase = 0;
  int speed = 100;
};

// Where the clip is read at normal speed: the media frame under the clip's
// first frame, then sample for sample with the output.
void PlanNormalSpeed(const MixRun& run, const TLEvent& clip, TrackReadState& track, bool continuing, std::int64_t frame,
                     std::int64_t count, int sourceRate, ReadPlan& plan) {
  if (!continuing) {
    const std::int64_t firstFrame = run.Frame(clip.time);
    const std::int64_t mediaFrames = run.Frame(static_cast<double>(clip.playIn) + clip.time) - firstFrame;
    const std::int64_t mediaMs = FramesToMsRounded(mediaFrames, run.rate);
    track.firstSource = FloorDiv(mediaMs * sourceRate, 1000);
    track.firstOutput = run.SampleStart(firstFrame);
  }
  const std::int64_t offset = run.SampleStart(frame) - track.firstOutput;
  if (sourceRate < run.outRate) {
    const int factor = run.outRate / sourceRate;
    plan.position = track.firstSource + FloorDiv(offset, factor);
    plan.phase = static_cast<int>(offset - FloorDiv(offset, factor) * factor);
  } else {
    plan.position = track.firstSource + offset * (sourceRate / run.outRate);
  }
  plan.normal = SourceFramesFor(count, sourceRate, run.outRate, plan.phase);
  plan.count = plan.normal;
}

// The source frame under the start of `frame` when the clip's play span is
// mapped onto its span on the timeline: play-in + (time into the clip) x
// (play-out - play-in) / (out - in), in exact integer arithmetic.
std::int64_t MappedSourceFrame(const MixRun& run, const TLEvent& clip, std::int64_t frame, int sourceRate) {
  using Wide = __int128;
  const Wide span = std::max(1, clip.OutTime() - clip.time);
  const Wide played = run.SampleStart(frame) - run.SampleStart(run.Frame(clip.time));
  const Wide numerator = Wide{sourceRate} * clip.playIn * run.outRate * span +
                         Wide{1000} * sourceRate * played * (clip.playOut - clip.playIn);
  const Wide denominator = Wide{1000} * run.outRate * span;
  Wide quotient = numerator / denominator;
  if (numerator % denominator != 0 && numerator < 0) --quotient;
  return static_cast<std::int64_t>(quotient);
}

// Where the clip is read at another speed: the clip's play span mapped onto
// its span on the timeline.
void PlanOtherSpeed(const MixRun& run, const TLEvent& clip, TrackReadState& track, bool continuing, std::int64_t frame,
                    std::int64_t count, int sourceRate, double ratio, ReadPlan& plan) {
  plan.normal = SourceFramesFor(count, sourceRate, run.outRate, 0);
  const double mappedMs = static_cast<double>(MappedSourceFrame(run, clip, frame, sourceRate)) * 1000.0 / sourceRate;
  if (continuing) {
    plan.position = track.position + track.count;
  } else if (run.Frame(clip.playOut) <= run.Frame(mappedMs)) {
    PlanNormalSpeed(run, clip, track, false, frame, count, sourceRate, plan);
    plan.phase = 0;
    plan.normal = SourceFramesFor(count, sourceRate, run.outRate, 0);
  } else {
    plan.position = MappedSourceFrame(run, clip, frame, sourceRate);
  }
  const std::int64_t target = MappedSourceFrame(run, clip, frame + 1, sourceRate) - plan.position;
  plan.count = AlignedByteCount(plan.normal, target, ratio);
}

std::optional<std::int32_t> FirstLevel(const VolumeEnvelope& envelope) {
  if (envelope.empty()) return std::nullopt;
  return envelope.front().level;
}

// Reads, converts and adds one clip's sound for a frame.
void MixClip(MixRun& run, const TLEvent& clip, std::int64_t frame, std::int64_t count) {
  const int track = clip.trackNumber;
  if (clip.speed < kMinSpeed || clip.speed > kMaxSpeed || !clip.header) return;
  const double mediaMs = clip.header->MediaLengthMs();
  const std::optional<FrameLevels> levels = EnvelopeFrameLevels(clip, frame, run.rate);
  if (!levels || !(mediaMs > 0.0)) return;
  const std::optional<PcmWaveFormat> format = run.readers->OpenTrackAudio(track, clip.MediaPath());
  if (!format) return;
  const int sourceRate = static_cast<int>(format->samplesPerSec);

  TrackReadState& state = run.tracks[track];
  const bool continuing = state.clip == &clip && state.lastFrame == frame - 1;
  ReadPlan plan;
  plan.speed = clip.speed;
  double ratio = clip.speed * 0.01;
  if (clip.speed == 100) {
    // A play span longer than the clip's span by more than a frame is
    // squeezed into it.
    const std::int64_t excess = run.Frame(static_cast<double>(clip.playOut) - clip.OutTime() - clip.playIn + clip.time);
    if (excess > 1) {
      ratio = 1.001;
      plan.speed = 101;
    }
  }
  if (plan.speed == 100) {
    PlanNormalSpeed(run, clip, state, continuing, frame, count, sourceRate, plan);
  } else {
    PlanOtherSpeed(run, clip, state, continuing, frame, count, sourceRate, ratio, plan);
  }
  state.clip = &clip;
  state.lastFrame = frame;
  state.position = plan.position;
  state.count = plan.count;

  ClipReadGains gains;
  gains.volume = clip.clipVolume;
  gains.channelMode = clip.channelMode;
  if (format->channels == 2) {
    const double played = static_cast<double>(plan.position) / (sourceRate * mediaMs * 0.001);
    if (run.oldAudio) {
      GetPreviewBalanceGains(clip, played, &gains.leftGain, &gains.rightGain);
    } else {
      BalanceGains(clip, played, &gains.leftGain, &gains.rightGain);
    }
  }
  const AudioClipSource source{clip.MediaPath(), *format, plan.position, plan.speed};
  const std::int64_t frames =
      ReadClipAudio(run.buffers, *run.readers, track, plan.position, plan.count, source, plan.normal, gains);
  if (frames == 0) return;

  if (run.bits == 8) {
    ConvertClipPcm(run.buffers.Work8(), run.buffers.Scratch8(), frames, count, run.outRate, run.channels,
                   format->channels, sourceRate, plan.phase);
  } else {
    ConvertClipPcm(run.buffers.Work16(), run.buffers.Scratch16(), frames, count, run.outRate, run.channels,
                   format->channels, sourceRate, plan.phase);
  }
  RampPcmGain(run.buffers.WorkBytes(), run.bits, 0, count * run.channels, levels->start, levels->end);
  run.buffers.AccumulatePcm(count * run.channels);
}

void MixFrame(MixRun& run, const TLEvent* head, std::int64_t frame, std::int64_t count) {
  run.buffers.ClearMixBuffers();
  for (const TLEvent* header = GetNextEvent(head); header != nullptr && header->kind == kEventTrackBegin;
       header = GetNextEvent(header)) {
    if (const TLEvent* clip = ClipAtFrame(run, header, frame)) MixClip(run, *clip, frame, count);
  }
  run.buffers.FinishMixFrame(count * run.channels, run.channels, FirstLevel(head->volume), FirstLevel(head->balance));
}

// The level of an envelope at a position, by the balance rule (MulDiv
// between the points around it).
std::int32_t LevelAt(const VolumeEnvelope& envelope, std::int32_t position) {
  return BalanceLevelAt(envelope, position);
}

void InsertPoint(VolumeEnvelope& envelope, VolumePoint point) {
  auto at = std::upper_bound(envelope.begin(), envelope.end(), point.position,
                             [](std::int32_t position, const VolumePoint& p) { return position < p.position; });
  envelope.insert(at, point);
}

std::int32_t EnvelopePosition(double ms, double mediaMs) {
  return static_cast<std::int32_t>(std::clamp(ms / mediaMs * 10000.0, 1.0, 9999.0));
}

void FadeIn(TLEvent& clip, const TLEvent& other, double mediaMs) {
  VolumeEnvelope& envelope = clip.volume;
  const double mediaStart = static_cast<double>(clip.time) - clip.playIn;
  const std::int32_t t = EnvelopePosition(other.OutTime() - mediaStart, mediaMs);
  const std::int32_t level = LevelAt(envelope, t);
  envelope.erase(
      std::remove_if(envelope.begin() + 1, envelope.end() - 1, [&](const VolumePoint& p) { return p.position <= t; }),
      envelope.end() - 1);
  envelope.insert(envelope.begin() + 1, VolumePoint{level, t});
  envelope.front().level = 0;
  // The fade starts at the clip's first sound, not at its media's start.
  if (clip.playIn > 61) {
    const std::int32_t in = EnvelopePosition(clip.playIn, mediaMs);
    if (in < t) InsertPoint(envelope, VolumePoint{0, in});
  }
}

void FadeOut(TLEvent& clip, const TLEvent& other, double mediaMs) {
  VolumeEnvelope& envelope = clip.volume;
  const double mediaStart = static_cast<double>(clip.time) - clip.playIn;
  const std::int32_t t = EnvelopePosition(other.time - mediaStart, mediaMs);
  const std::int32_t level = LevelAt(envelope, t);
  envelope.erase(
      std::remove_if(envelope.begin() + 1, envelope.end() - 1, [&](const VolumePoint& p) { return p.position >= t; }),
      envelope.end() - 1);
  InsertPoint(envelope, VolumePoint{level, t});
  envelope.back().level = 0;
  if (clip.playOut + 61 < mediaMs) {
    const std::int32_t out = EnvelopePosition(clip.playOut, mediaMs);
    if (out > t) envelope.insert(envelope.end() - 1, VolumePoint{0, out});
  }
}

}  // namespace

std::int64_t MixFrameOfTime(double ms, std::int32_t rate) {
  return static_cast<std::int64_t>(std::floor(ms * rate / 100000.0 + 0.5));
}

std::int64_t FrameSampleStart(std::int64_t frame, std::int32_t rate, int outRate) {
  if (rate <= 0) return 0;
  return FloorDiv(frame * outRate * 100, rate);
}

std::int64_t FrameSampleCount(std::int64_t frame, std::int32_t rate, int outRate) {
  return FrameSampleStart(frame + 1, rate, outRate) - FrameSampleStart(frame, rate, outRate);
}

std::int64_t AlignedByteCount(std::int64_t normal, std::int64_t target, double ratio) {
  normal = std::max<std::int64_t>(normal, 1);
  std::int64_t count = std::max<std::int64_t>(target, 1);
  if (normal / count > 2) count = normal / 3 + 1;
  if (count / normal > 2) count = 3 * normal - 1;
  if (ratio > 1.0) count = std::max(count, normal);
  if (ratio < 1.0) count = std::min(count, normal);
  return count;
}

std::optional<FrameLevels> EnvelopeFrameLevels(const TLEvent& clip, std::int64_t frame, std::int32_t rate) {
  const VolumeEnvelope& envelope = clip.volume;
  if (envelope.empty()) return FrameLevels{};
  if (envelope.size() < 2 || clip.speed <= 0 || !clip.header || rate <= 0) return std::nullopt;
  const double mediaMs = clip.header->MediaLengthMs();
  if (!(mediaMs > 0.0)) return std::nullopt;
  const double timelineMs = mediaMs * 100.0 / clip.speed;
  const std::int64_t mediaStart = MixFrameOfTime(clip.time - clip.playIn * 100.0 / clip.speed, rate);
  const std::int64_t first = MixFrameOfTime(clip.time, rate);
  const std::int64_t last = MixFrameOfTime(clip.OutTime(), rate);
  auto pointFrame = [&](const VolumePoint& point) {
    return std::clamp(MixFrameOfTime(point.position * timelineMs * 0.0001, rate) + mediaStart, first, last);
  };
  auto startLevel = [](std::int32_t level) { return level < 300 ? 0 : level / 100; };
  for (std::size_t i = 0; i + 1 < envelope.size(); ++i) {
    const std::int64_t segmentStart = pointFrame(envelope[i]);
    const std::int64_t segmentEnd = pointFrame(envelope[i + 1]);
    if (frame < segmentStart || frame >= segmentEnd) continue;
    const std::int64_t l0 = startLevel(envelope[i].level);
    const std::int64_t l1 = envelope[i + 1].level < 200 ? 0 : envelope[i + 1].level / 100;
    const std::int64_t into = FramesToMsRounded(frame - segmentStart, rate);
    const std::int64_t length = std::max<std::int64_t>(1, FramesToMsRounded(segmentEnd - segmentStart, rate));
    FrameLevels levels;
    levels.start = static_cast<int>(std::clamp<std::int64_t>(into * (l1 - l0) / length + l0, 0, 200));
    std::int64_t end = levels.start + (l1 - l0) / (segmentEnd - segmentStart);
    end = std::max<std::int64_t>(end, 0);
    end = l1 >= l0 ? std::min(end, l1) : std::max(end, l1);
    levels.end = static_cast<int>(end);
    return levels;
  }
  // Outside every segment the nearest end of the envelope holds.
  const VolumePoint& nearest = frame < pointFrame(envelope.front()) ? envelope.front() : envelope.back();
  const int level = startLevel(nearest.level);
  return FrameLevels{level, level};
}

bool WriteMixedAudio(WaveOutputFile* waveFile, MixedAudioStream* stream, std::span<const std::uint8_t> frame,
                     std::uint64_t bytesWrittenSoFar, int blockAlign) {
  if (waveFile != nullptr) return waveFile->Write(frame.data(), frame.size());
  if (stream != nullptr && blockAlign > 0) {
    return stream->WriteSamples(static_cast<std::int64_t>(bytesWrittenSoFar / static_cast<std::uint64_t>(blockAlign)),
                                static_cast<std::int64_t>(frame.size()) / blockAlign, frame.data(), frame.size());
  }
  return true;
}

void ApplyAutoCrossfades(TLEvent* head) {
  for (TLEvent* clip = GetNextEvent(head); clip != nullptr; clip = GetNextEvent(clip)) {
    if (!clip->IsClipIn() || clip->trackType != kTrackVideo || (clip->trackNumber != 1 && clip->trackNumber != 3)) {
      continue;
    }
    if (!IsVideoMediaType(clip->mediaType) || !clip->header || !clip->header->HasAudio() || clip->speed != 100)
      continue;
    if (clip->volume.size() < 2) continue;
    const double mediaMs = clip->header->MediaLengthMs();
    if (!(mediaMs > 0.0)) continue;
    const int otherTrack = clip->trackNumber == 1 ? 3 : 1;
    const TLEvent* otherHeader = FindTrack(head, otherTrack);
    if (otherHeader == nullptr || otherHeader->trackType != kTrackVideo) continue;
    const std::int32_t in = clip->time;
    const std::int32_t out = clip->OutTime();
    if (const TLEvent* before = FindClipCovering(head, otherTrack, in);
        before != nullptr && before->speed == 100 && before->time < in && before->OutTime() < out) {
      FadeIn(*clip, *before, mediaMs);
    }
    if (const TLEvent* after = FindClipCovering(head, otherTrack, out);
        after != nullptr && after->time > in && after->time < out && after->OutTime() > out) {
      FadeOut(*clip, *after, mediaMs);
    }
  }
}

int MixdownAudio(MixdownProgress* progress, WaveOutputFile* waveFile, MixedAudioStream* stream, const TLEvent* timeline,
                 int bits, int channels, int rate, int /*fpsHint*/, int /*bufferFrames*/, std::int32_t startMs,
                 std::int32_t endMs) {
  auto fail = [&](const std::string& message) {
    ShowMessage(message, MB_OK | MB_ICONSTOP);
    if (waveFile != nullptr) waveFile->Discard();
    return kMixdownFailed;
  };
  if (timeline == nullptr || (bits != 8 && bits != 16) || (channels != 1 && channels != 2) || rate < 1000 ||
      static_cast<std::uint32_t>(rate) > kMaxSoundSampleRate) {
    return fail("The sound format of the output is not supported.");
  }
  if (timeline->rate < kMinMixRate) return fail("The timeline's frame rate is too low to mix its sound.");

  // The cross-fades go into a copy that only this run reads.
  EventListSlot copy = CopyEventList(timeline);
  if (TheApp().autoCrossFade != 0) ApplyAutoCrossfades(copy.get());
  const TLEvent* head = copy.get();

  ClipAudioReaders readers(rate);
  MixRun run;
  run.rate = head->rate;
  run.bits = bits;
  run.channels = channels;
  run.outRate = rate;
  run.oldAudio = GetProfileInt(settings::kOldAudio, settings::kOldAudioEnable, 0) != 0;
  run.readers = &readers;
  run.clips = ClipTimeIndex(head);

  const std::int64_t firstFrame = run.Frame(startMs);
  const std::int64_t endFrame = run.Frame(endMs);
  const int blockAlign = channels * bits / 8;
  if (endFrame > firstFrame) {
    const std::int64_t samples = run.SampleStart(endFrame) - run.SampleStart(firstFrame);
    if (waveFile != nullptr && static_cast<std::uint64_t>(samples) * blockAlign > kMaxWaveDataBytes) {
      return fail("The sound of this range is too long for a WAV file.");
    }
    run.buffers.AllocMixBuffers(bits, FrameSampleCount(0, run.rate, rate) + 1);
  }

  std::uint64_t written = 0;
  auto finish = [&]() {
    if (waveFile == nullptr) return true;
    return waveFile->WriteWaveHeader(1, written, rate, channels, bits, waveFile->Path()) == 1;
  };
  if (endFrame > firstFrame) ReportUnmixableSpeeds(timeline, startMs, endMs);
  for (std::int64_t frame = firstFrame; frame < endFrame; ++frame) {
    const std::int64_t count = FrameSampleCount(frame, run.rate, rate);
    MixFrame(run, head, frame, count);
    if (!WriteMixedAudio(waveFile, stream, run.buffers.OutputBytes(count * blockAlign), written, blockAlign)) {
      return fail(kWriteFailed);
    }
    written += static_cast<std::uint64_t>(count * blockAlign);
    const auto ms = static_cast<std::int32_t>(FloorDiv(frame * 100000, run.rate));
    if (progress != nullptr) {
      progress->ShowTimeCode(ms);
      progress->ShowRenderProgress(ms);
    }
    PumpMessages();
    if (IsAbortRequested()) {
      // A stop keeps the sound mixed so far; a termination keeps nothing.
      if (IsTerminationRequested()) {
        if (waveFile != nullptr) waveFile->Discard();
      } else if (!finish()) {
        return fail(kWriteFailed);
      }
      return kMixdownStopped;
    }
  }
  if (progress != nullptr) progress->ShowRenderProgress(endMs);
  if (!finish()) return fail(kWriteFailed);
  return kMixdownDone;
}

}  // namespace sprocket
