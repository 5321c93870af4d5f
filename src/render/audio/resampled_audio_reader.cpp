#include "render/audio/resampled_audio_reader.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

#include "platform/media/audio_sample_reader.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace sprocket {

namespace {

constexpr std::int64_t kInputChunkFrames = 4096;
// Input frames converted before a repositioned read, beyond the filter's reach.
constexpr std::int64_t kPrerollFrames = 256;
// Input frames the resampler holds back before its output catches up.
constexpr std::int64_t kFilterReachFrames = 64;

struct ResamplerDeleter {
  void operator()(SwrContext* context) const { swr_free(&context); }
};
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerDeleter>;

}  // namespace

// Decoded (and resampled) frames are kept from the last read's start on, so
// that reads which overlap the previous one or follow it continue decoding
// where it stopped instead of repositioning the file.
struct ResampledAudioReader::State {
  AudioSampleReader reader;
  DecodedAudioFormat format;
  int sourceRate = 0;
  int sourceBits = 0;
  bool resampling = false;
  std::string error;

  ResamplerPtr resampler;
  std::vector<std::uint8_t> input;
  std::vector<std::uint8_t> pending;  // delivered frames from pendingStart on
  std::int64_t pendingStart = 0;
  std::int64_t nextInput = 0;  // the next source frame to decode
  bool positioned = false;
  bool ended = false;

  std::size_t Block() const { return static_cast<std::size_t>(format.BlockAlign()); }
  std::int64_t PendingEnd() const { return pendingStart + static_cast<std::int64_t>(pending.size() / Block()); }

  bool Fail(std::string text) {
    error = std::move(text);
    return false;
  }

  bool Reposition(std::int64_t start);
  bool Convert(const std::uint8_t* data, int frames);
  bool Fill(std::int64_t end);
  std::int64_t InputChunk(std::int64_t end) const;
};

bool ResampledAudioReader::State::Reposition(std::int64_t start) {
  pending.clear();
  positioned = true;
  ended = false;
  if (!resampling) {
    pendingStart = start;
    nextInput = start;
    return true;
  }
  AVChannelLayout layout{};
  av_channel_layout_default(&layout, format.channels);
  SwrContext* raw = nullptr;
  const AVSampleFormat inFormat = sourceBits == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
  const int result =
      swr_alloc_set_opts2(&raw, &layout, AV_SAMPLE_FMT_S16, format.rate, &layout, inFormat, sourceRate, 0, nullptr);
  av_channel_layout_uninit(&layout);
  resampler.reset(raw);
  if (result < 0 || swr_init(resampler.get()) < 0) {
    resampler.reset();
    positioned = false;
    return Fail("The sound's rate cannot be converted.");
  }
  // The resampler starts afresh some way before `start`, at an input frame
  // whose output frame is whole, so that the samples from `start` on are the
  // same as those of a read from the beginning.
  const std::int64_t common = std::gcd(sourceRate, format.rate);
  const std::int64_t inputStep = sourceRate / common;
  const std::int64_t outputStep = format.rate / common;
  const std::int64_t wanted = std::max<std::int64_t>(0, start * sourceRate / format.rate - kPrerollFrames);
  nextInput = wanted / inputStep * inputStep;
  pendingStart = nextInput / inputStep * outputStep;
  return true;
}

bool ResampledAudioReader::State::Convert(const std::uint8_t* data, int frames) {
  if (!resampling) {
    pending.insert(pending.end(), data, data + static_cast<std::size_t>(frames) * Block());
    return true;
  }
  const int room = swr_get_out_samples(resampler.get(), frames);
  if (room < 0) return Fail("The sound's rate cannot be converted.");
  const std::size_t used = pending.size();
  pending.resize(used + static_cast<std::size_t>(room) * Block());
  std::uint8_t* out = pending.data() + used;
  const std::uint8_t* in = data;
  const int converted = swr_convert(resampler.get(), &out, room, data != nullptr ? &in : nullptr, frames);
  if (converted < 0) {
    pending.resize(used);
    return Fail("The sound's rate could not be converted.");
  }
  pending.resize(used + static_cast<std::size_t>(converted) * Block());
  return true;
}

// Source frames to convert towards `end`: about what the missing output
// needs, so that a source at a very low rate converted to a high one does
// not make millions of frames nobody reads.
std::int64_t ResampledAudioReader::State::InputChunk(std::int64_t end) const {
  if (!resampling) return kInputChunkFrames;
  const std::int64_t missing = std::max<std::int64_t>(0, end - PendingEnd());
  const std::int64_t needed = missing * sourceRate / format.rate + kFilterReachFrames;
  return std::clamp<std::int64_t>(needed, 1, kInputChunkFrames);
}

bool ResampledAudioReader::State::Fill(std::int64_t end) {
  const std::size_t inputBlock = static_cast<std::size_t>(format.channels * sourceBits / 8);
  input.resize(static_cast<std::size_t>(kInputChunkFrames) * inputBlock);
  while (PendingEnd() < end && !ended) {
    const std::int64_t got = reader.Read(nextInput, InputChunk(end), input.data(), input.size());
    if (got < 0) return Fail(reader.ErrorText());
    if (got == 0) {
      ended = true;
      // What the resampler still holds.
      if (resampling && !Convert(nullptr, 0)) return false;
      break;
    }
    if (!Convert(input.data(), static_cast<int>(got))) return false;
    nextInput += got;
  }
  return true;
}

ResampledAudioReader::ResampledAudioReader() : state_(std::make_unique<State>()) {}
ResampledAudioReader::~ResampledAudioReader() = default;
ResampledAudioReader::ResampledAudioReader(ResampledAudioReader&&) noexcept = default;
ResampledAudioReader& ResampledAudioReader::operator=(ResampledAudioReader&&) noexcept = default;

bool ResampledAudioReader::Open(const std::string& path, int rate) {
  state_ = std::make_unique<State>();
  State& s = *state_;
  if (!s.reader.Open(path)) return s.Fail(s.reader.ErrorText());
  const auto& delivered = s.reader.DeliveredFormat();
  s.sourceRate = static_cast<int>(delivered.nSamplesPerSec);
  s.sourceBits = delivered.wBitsPerSample;
  s.format.channels = delivered.nChannels;
  s.format.rate = s.sourceRate;
  s.format.bits = s.sourceBits;
  if (s.format.channels < 1 || s.format.channels > 2 || (s.sourceBits != 8 && s.sourceBits != 16) || s.sourceRate < 1) {
    s.format = {};
    return s.Fail("The sound has no usable format.");
  }
  if (rate > 0 && rate != s.sourceRate) {
    s.resampling = true;
    s.format.rate = rate;
    s.format.bits = 16;
  }
  return true;
}

bool ResampledAudioReader::IsOpen() const { return state_->reader.IsOpen() && state_->format.channels > 0; }
const std::string& ResampledAudioReader::ErrorText() const { return state_->error; }
const DecodedAudioFormat& ResampledAudioReader::Format() const { return state_->format; }
int ResampledAudioReader::SourceRate() const { return state_->sourceRate; }

std::int64_t ResampledAudioReader::Read(std::int64_t start, std::int64_t frames, void* buffer, std::size_t capacity) {
  State& s = *state_;
  if (!IsOpen() || start < 0 || frames < 0) return -1;
  const auto block = static_cast<std::int64_t>(s.Block());
  frames = std::min<std::int64_t>(frames, static_cast<std::int64_t>(capacity) / block);
  // A read that does not start within or shortly after the kept frames
  // repositions the file.
  const bool near = s.positioned && start >= s.pendingStart && start <= s.PendingEnd() + s.format.rate;
  if (!near && !s.Reposition(start)) return -1;
  if (!s.Fill(start + frames)) return -1;
  const std::int64_t available = std::clamp<std::int64_t>(s.PendingEnd() - start, 0, frames);
  if (available > 0) {
    std::memcpy(buffer, s.pending.data() + (start - s.pendingStart) * block,
                static_cast<std::size_t>(available * block));
  }
  // Frames before this read's start are not needed again.
  const std::int64_t drop = std::min(start, s.PendingEnd()) - s.pendingStart;
  s.pending.erase(s.pending.begin(), s.pending.begin() + static_cast<std::ptrdiff_t>(drop * block));
  s.pendingStart += drop;
  return available;
}

}  // namespace sprocket
