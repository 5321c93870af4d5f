#include "render/audio/clip_audio.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "imagelib/pcm_speed.h"
#include "libs/audiopreview/audio_preview_lib.h"
#include "platform/file_paths.h"
#include "platform/prompts.h"
#include "render/audio/pcm_convert.h"
#include "render/audio/resampled_audio_reader.h"
#include "render/audio/wav_file.h"

namespace sprocket {

namespace {

PcmWaveFormat MakeFormat(int channels, int rate, int bits) {
  PcmWaveFormat format{};
  format.formatTag = 1;
  format.channels = static_cast<std::uint16_t>(channels);
  format.samplesPerSec = static_cast<std::uint32_t>(rate);
  format.blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
  format.avgBytesPerSec = static_cast<std::uint32_t>(rate) * format.blockAlign;
  format.bitsPerSample = static_cast<std::uint16_t>(bits);
  return format;
}

std::uint8_t SilenceByte(int bits) { return bits == 8 ? 0x80 : 0; }

}  // namespace

bool IsMixableRate(int rate, int outRate) {
  if (rate <= 0 || outRate <= 0) return false;
  const std::int64_t in = rate;
  const std::int64_t out = outRate;
  return in == out || in == 2 * out || in == 4 * out || out == 2 * in || out == 4 * in;
}

// The open sound of one track: the samples of a plain PCM WAV file read
// from its "data" chunk, or a decoded sound.
struct ClipAudioReaders::TrackSound {
  std::string path;
  bool usable = false;
  PcmWaveFormat format{};
  int fd = -1;
  std::uint64_t dataOffset = 0;
  std::uint64_t dataSize = 0;
  ResampledAudioReader decoded;

  ~TrackSound() {
    if (fd >= 0) ::close(fd);
  }

  bool ReadRaw(std::int64_t start, std::int64_t frames, std::uint8_t* out) const {
    const std::uint64_t block = format.blockAlign;
    const std::uint64_t from = static_cast<std::uint64_t>(start) * block;
    if (from >= dataSize) return true;
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(dataSize - from, frames * block));
    std::size_t done = 0;
    while (done < want) {
      const ssize_t got = ::pread(fd, out + done, want - done, static_cast<off_t>(dataOffset + from + done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return false;
      if (got == 0) break;  // the file is shorter than its header says: silence
      done += static_cast<std::size_t>(got);
    }
    return true;
  }
};

ClipAudioReaders::ClipAudioReaders(int outRate) : outRate_(outRate) {}
ClipAudioReaders::~ClipAudioReaders() = default;

void ClipAudioReaders::CloseAll() { tracks_.clear(); }

void ClipAudioReaders::Report(const std::string& path, const std::string& message) {
  if (reported_.insert(path).second) ShowMessage(message, MB_OK);
}

std::optional<PcmWaveFormat> ClipAudioReaders::OpenTrackAudio(int track, const std::string& path) {
  std::unique_ptr<TrackSound>& slot = tracks_[track];
  if (slot && slot->path == path) {
    if (!slot->usable) return std::nullopt;
    return slot->format;
  }
  slot = std::make_unique<TrackSound>();
  TrackSound& sound = *slot;
  sound.path = path;

  const bool wave = HasExtension(path, ".wav");
  if (!wave && !HasExtension(path, ".avi")) return std::nullopt;
  int fileRate = 0;
  if (wave) {
    WaveFileInfo info;
    const WaveReadStatus status = ReadWaveFileInfo(path, &info);
    if (status != WaveReadStatus::kOk) {
      Report(path, WaveReadMessage(status));
      return std::nullopt;
    }
    fileRate = static_cast<int>(info.format.samplesPerSec);
    if (IsPlainPcm(info.format) && IsMixableRate(fileRate, outRate_)) {
      sound.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      if (sound.fd < 0) return std::nullopt;
      sound.dataOffset = info.dataOffset;
      sound.dataSize = info.dataSize;
      sound.format = MakeFormat(info.format.channels, fileRate, info.format.bitsPerSample);
      sound.usable = true;
      return sound.format;
    }
  }
  // Decoded by the media layer, at the file's rate when the mixdown can
  // convert it, else resampled to the output rate.
  bool opened = sound.decoded.Open(path, 0);
  if (opened && !IsMixableRate(sound.decoded.SourceRate(), outRate_)) opened = sound.decoded.Open(path, outRate_);
  if (!opened) {
    if (wave) Report(path, "Unsupported wave format!");
    return std::nullopt;
  }
  const DecodedAudioFormat& decoded = sound.decoded.Format();
  if (decoded.rate < 1 || static_cast<std::uint32_t>(decoded.rate) > kMaxSoundSampleRate) return std::nullopt;
  sound.format = MakeFormat(decoded.channels, decoded.rate, decoded.bits);
  sound.usable = true;
  return sound.format;
}

bool ClipAudioReaders::ReadTrackAudio(int track, std::int64_t start, std::int64_t frames,
                                      std::span<std::uint8_t> buffer) {
  const auto found = tracks_.find(track);
  if (found == tracks_.end() || !found->second->usable || frames <= 0) return false;
  TrackSound& sound = *found->second;
  const std::int64_t block = sound.format.blockAlign;
  frames = std::min<std::int64_t>(frames, static_cast<std::int64_t>(buffer.size()) / block);
  std::fill_n(buffer.begin(), frames * block, SilenceByte(sound.format.bitsPerSample));
  // Frames before the start of the sound stay silent.
  const std::int64_t skip = std::clamp<std::int64_t>(-start, 0, frames);
  start += skip;
  std::uint8_t* out = buffer.data() + skip * block;
  const std::int64_t wanted = frames - skip;
  if (wanted == 0) return true;
  if (sound.fd >= 0) return sound.ReadRaw(start, wanted, out);
  return sound.decoded.Read(start, wanted, out, static_cast<std::size_t>(wanted * block)) >= 0;
}

std::int64_t ReadClipAudio(MixBufferSet& buffers, ClipAudioReaders& readers, int track, std::int64_t position,
                           std::int64_t count, const AudioClipSource& source, std::int64_t normalFrames,
                           const ClipReadGains& gains) {
  const PcmWaveFormat& format = source.format;
  const int channels = format.channels;
  const int sourceBits = format.bitsPerSample;
  const int bits = buffers.Bits();
  if (channels < 1 || channels > 2 || (sourceBits != 8 && sourceBits != 16) || count < 1) return 0;

  const std::int64_t capacity = buffers.WorkSamples() / channels - kPcmSpeedSlackFrames;
  const std::int64_t total = std::min(count + kClipReadAheadFrames, capacity);
  const std::int64_t samples = total * channels;
  std::span<std::uint8_t> raw =
      sourceBits == 8 ? buffers.Source8().first(static_cast<std::size_t>(samples))
                      : std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(buffers.Source16().data()),
                                                static_cast<std::size_t>(samples) * 2);
  if (!readers.ReadTrackAudio(track, position, total, raw)) return 0;

  ApplyChannelMode(raw, format, gains.channelMode);
  if (channels == 2) ApplyBalanceGains(raw, format, gains.leftGain, gains.rightGain);
  ApplyClipVolume(raw, format, gains.volume);

  if (bits == 8) {
    if (sourceBits == 8) {
      std::copy_n(buffers.Source8().begin(), samples, buffers.Work8().begin());
    } else {
      ConvertPcm16To8(buffers.Source16(), buffers.Work8(), samples);
    }
  } else if (sourceBits == 16) {
    std::copy_n(buffers.Source16().begin(), samples, buffers.Work16().begin());
  } else {
    ConvertPcm8To16(buffers.Source8(), buffers.Work16(), samples);
  }
  if (source.speed == 100) return total;

  // The stretch reads and writes a little past its frames: what lies there
  // beyond the frames read is silence.
  const std::int64_t normal = std::clamp<std::int64_t>(normalFrames, 1, capacity);
  std::span<std::uint8_t> work = buffers.WorkBytes();
  const std::int64_t bytesPerSample = bits / 8;
  const auto from = static_cast<std::size_t>(samples * bytesPerSample);
  const auto to =
      std::min(work.size(), static_cast<std::size_t>((normal + kPcmSpeedSlackFrames) * channels * bytesPerSample));
  if (to > from)
    std::fill(work.begin() + static_cast<std::ptrdiff_t>(from), work.begin() + static_cast<std::ptrdiff_t>(to),
              SilenceByte(bits));
  ChangeWaveSpeed(bits, source.speed, std::min(count, total) * channels, work, channels,
                  normal * channels * bytesPerSample, bits);
  return normal + 1;
}

}  // namespace sprocket
