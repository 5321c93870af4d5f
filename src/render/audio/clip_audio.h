#pragma once
// Reading one frame's worth of a clip's sound for the mixdown.
//
// ClipAudioReaders keeps one open sound per track for the length of a
// mixdown run (a track that moves on to another file reopens). WAV clips of
// plain 8-bit or 16-bit PCM are read straight from their "data" chunk; every
// other sound (AVI clips, WAV files of other depths or encodings) is decoded
// by the media layer. A sound whose rate the mixdown cannot reach by the
// factors 2 and 4 is resampled to the output rate on the way.
//
// ReadClipAudio then does what the mixdown needs with one frame of it: the
// channel mode, balance and volume on the samples as read, the conversion to
// the output depth into the work buffer, and the speed change.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>

#include "render/audio/mix_buffers.h"
#include "timeline/records/clip_media_header.h"

namespace sprocket {

// Frames read past the asked ones, for the interpolation of the speed and
// rate conversions.
inline constexpr std::int64_t kClipReadAheadFrames = 8;

// The clip being mixed on a track.
struct AudioClipSource {
  std::string path;               // directory + name + extension of the media file
  PcmWaveFormat format{};         // the format in which the track's reader delivers the samples
  std::int64_t readPosition = 0;  // sample frame where the next read starts
  std::int32_t speed = 100;       // percent; 100 is never stretched
};

// What ReadClipAudio applies to the samples as read.
struct ClipReadGains {
  std::int32_t volume = 10000;    // the clip's volume value
  std::int32_t leftGain = 10000;  // balance, stereo sources only
  std::int32_t rightGain = 10000;
  std::int32_t channelMode = 0;  // 0, or 1000..1006
};

// True when the mixdown can bring `rate` to `outRate` by itself: equal, or
// one of them 2 or 4 times the other.
bool IsMixableRate(int rate, int outRate);

class ClipAudioReaders {
public:
  explicit ClipAudioReaders(int outRate);
  ~ClipAudioReaders();
  ClipAudioReaders(const ClipAudioReaders&) = delete;
  ClipAudioReaders& operator=(const ClipAudioReaders&) = delete;

  // Opens the sound of `path` on the track, or keeps it when the track
  // already reads that file. Returns the format the samples are delivered
  // in (8-bit or 16-bit PCM, one or two channels, at a rate IsMixableRate
  // accepts), or nothing when the file's sound cannot be read. A WAV file
  // that cannot be read is reported once per file with its message; other
  // files fail silently. A path that is neither ".wav" nor ".avi" reads
  // nothing.
  std::optional<PcmWaveFormat> OpenTrackAudio(int track, const std::string& path);

  // Reads `frames` sample frames from `start` of the track's open sound
  // into `buffer` (whole frames). Frames before the sound's start or after
  // its end are silence. False when the track has no open sound or the read
  // failed (the buffer then holds silence for the frames).
  bool ReadTrackAudio(int track, std::int64_t start, std::int64_t frames, std::span<std::uint8_t> buffer);

  // Closes every track's sound.
  void CloseAll();

private:
  struct TrackSound;
  void Report(const std::string& path, const std::string& message);

  int outRate_;
  std::map<int, std::unique_ptr<TrackSound>> tracks_;
  std::set<std::string> reported_;
};

// Reads `count` frames of the clip on `track` from `position` (sample frames
// of the source's format) plus kClipReadAheadFrames, applies the channel
// mode, the balance gains (stereo sources) and the volume to the samples as
// read, and converts them to the output depth into the work buffer. At a
// speed other than 100 they are then stretched from `count` to
// `normalFrames` frames (the clip's frames for one frame at normal speed)
// by ChangeWaveSpeed; a stretch that fails leaves silence past the frames
// read. Returns the number of valid frames now at the start of the work
// buffer, or 0 when nothing was read (the work buffer is then untouched).
std::int64_t ReadClipAudio(MixBufferSet& buffers, ClipAudioReaders& readers, int track, std::int64_t position,
                           std::int64_t count, const AudioClipSource& source, std::int64_t normalFrames,
                           const ClipReadGains& gains);

}  // namespace sprocket
