#include "platform/media/audio_sample_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/file_paths.h"
#include "platform/media/avi_index.h"
#include "platform/media/ffmpeg_handles.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace sprocket {

using namespace media_detail;

namespace {

constexpr int kMaxBadPackets = 64;

}  // namespace

struct AudioSampleReader::State {
  InputContextPtr input;
  CodecContextPtr decoder;
  AVStream* stream = nullptr;
  ResampleContextPtr resampler;
  // What the resampler was made for: decoders may change these between frames.
  int resamplerFormat = AV_SAMPLE_FMT_NONE;
  int resamplerRate = 0;
  int resamplerChannels = 0;
  PCMWAVEFORMAT format;
  AVSampleFormat outputFormat = AV_SAMPLE_FMT_S16;
  std::int64_t sampleCount = 0;
  std::int64_t startTs = 0;
  std::string error;

  // Delivered samples decoded so far: frames bufferStart .. bufferStart + size / block.
  std::vector<std::uint8_t> buffer;
  std::int64_t bufferStart = 0;
  bool positioned = false;  // the buffer's start is known (after the first frame)
  bool ended = false;
  int seeks = 0;

  PacketPtr packet{av_packet_alloc()};
  FramePtr frame{av_frame_alloc()};

  std::size_t Block() const { return format.nBlockAlign; }
  std::int64_t BufferEnd() const { return bufferStart + static_cast<std::int64_t>(buffer.size() / Block()); }
  std::int64_t IndexOfTimestamp(std::int64_t ts) const {
    return av_rescale_q(ts - startTs, stream->time_base, AVRational{1, static_cast<int>(format.nSamplesPerSec)});
  }

  bool Fail(std::string text) {
    error = std::move(text);
    return false;
  }

  bool MakeResampler(const AVFrame* decoded);
  bool ResamplerFits(const AVFrame* decoded) const;
  void Seek(std::int64_t start);
  bool Append(const AVFrame* decoded);
  bool DecodeMore();
};

bool AudioSampleReader::State::ResamplerFits(const AVFrame* decoded) const {
  return resampler && decoded->format == resamplerFormat && decoded->sample_rate == resamplerRate &&
         decoded->ch_layout.nb_channels == resamplerChannels;
}

bool AudioSampleReader::State::MakeResampler(const AVFrame* decoded) {
  AVChannelLayout in{};
  if (decoded->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || decoded->ch_layout.nb_channels < 1) {
    av_channel_layout_default(&in, std::max(decoded->ch_layout.nb_channels, 1));
  } else {
    av_channel_layout_copy(&in, &decoded->ch_layout);
  }
  AVChannelLayout out{};
  av_channel_layout_default(&out, format.nChannels);
  SwrContext* raw = nullptr;
  int result = swr_alloc_set_opts2(&raw, &out, outputFormat, static_cast<int>(format.nSamplesPerSec), &in,
                                   static_cast<AVSampleFormat>(decoded->format), decoded->sample_rate, 0, nullptr);
  av_channel_layout_uninit(&in);
  av_channel_layout_uninit(&out);
  resampler.reset(raw);
  if (result < 0 || swr_init(resampler.get()) < 0) {
    resampler.reset();
    return Fail("The sound's format cannot be converted.");
  }
  resamplerFormat = decoded->format;
  resamplerRate = decoded->sample_rate;
  resamplerChannels = decoded->ch_layout.nb_channels;
  return true;
}

void AudioSampleReader::State::Seek(std::int64_t start) {
  ++seeks;
  std::int64_t ts =
      startTs + av_rescale_q(start, AVRational{1, static_cast<int>(format.nSamplesPerSec)}, stream->time_base);
  if (av_seek_frame(input.get(), stream->index, ts, AVSEEK_FLAG_BACKWARD) < 0) {
    av_seek_frame(input.get(), stream->index, startTs, AVSEEK_FLAG_BACKWARD);
  }
  avcodec_flush_buffers(decoder.get());
  resampler.reset();
  buffer.clear();
  positioned = false;
  ended = false;
}

bool AudioSampleReader::State::Append(const AVFrame* decoded) {
  if (decoded->nb_samples <= 0) return true;
  if (!positioned) {
    std::int64_t ts = decoded->best_effort_timestamp;
    bufferStart = ts == AV_NOPTS_VALUE ? 0 : std::max<std::int64_t>(0, IndexOfTimestamp(ts));
    positioned = true;
  }
  // A frame in another format than the one before it (a damaged or odd
  // stream) gets a resampler of its own: the old one would read planes the
  // frame does not have.
  if (!ResamplerFits(decoded) && !MakeResampler(decoded)) return false;
  int room = swr_get_out_samples(resampler.get(), decoded->nb_samples);
  if (room < 0) return Fail("The sound's format cannot be converted.");
  std::size_t used = buffer.size();
  buffer.resize(used + static_cast<std::size_t>(room) * Block());
  std::uint8_t* out = buffer.data() + used;
  int converted = swr_convert(resampler.get(), &out, room, const_cast<const std::uint8_t**>(decoded->extended_data),
                              decoded->nb_samples);
  if (converted < 0) {
    buffer.resize(used);
    return Fail("The sound could not be converted.");
  }
  buffer.resize(used + static_cast<std::size_t>(converted) * Block());
  return true;
}

// Decodes at least one more frame into the buffer; false at the end or on failure.
bool AudioSampleReader::State::DecodeMore() {
  int badPackets = 0;
  for (;;) {
    int result = avcodec_receive_frame(decoder.get(), frame.get());
    if (result >= 0) {
      bool appended = Append(frame.get());
      av_frame_unref(frame.get());
      return appended;
    }
    if (result == AVERROR_EOF) {
      ended = true;
      return false;
    }
    if (result != AVERROR(EAGAIN)) return Fail("The sound cannot be decoded: " + AvErrorText(result) + ".");
    result = av_read_frame(input.get(), packet.get());
    if (result < 0) {
      avcodec_send_packet(decoder.get(), nullptr);
      continue;
    }
    if (packet->stream_index != stream->index || packet->size == 0) {
      av_packet_unref(packet.get());
      continue;
    }
    result = avcodec_send_packet(decoder.get(), packet.get());
    av_packet_unref(packet.get());
    if (result < 0 && result != AVERROR(EAGAIN) && ++badPackets > kMaxBadPackets) {
      return Fail("The sound data is damaged: " + AvErrorText(result) + ".");
    }
  }
}

AudioSampleReader::AudioSampleReader() : state_(std::make_unique<State>()) {}
AudioSampleReader::~AudioSampleReader() = default;
AudioSampleReader::AudioSampleReader(AudioSampleReader&&) noexcept = default;
AudioSampleReader& AudioSampleReader::operator=(AudioSampleReader&&) noexcept = default;

bool AudioSampleReader::Open(const std::string& path) {
  state_ = std::make_unique<State>();
  State& s = *state_;
  DecodingStream opened;
  if (!OpenDecodingStream(path, AVMEDIA_TYPE_AUDIO, "sound", &opened, &s.error)) return false;
  s.format = DeliveredPcmFormatOf(opened.stream->codecpar);
  if (s.format.wBitsPerSample == 0) return s.Fail("The sound has no usable format.");
  s.outputFormat = s.format.wBitsPerSample == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
  s.input = std::move(opened.input);
  s.stream = opened.stream;
  s.decoder = std::move(opened.decoder);
  s.startTs = s.stream->start_time == AV_NOPTS_VALUE ? 0 : s.stream->start_time;

  AviFileIndex avi;
  if (HasExtension(path, ".avi") && avi.Open(path)) {
    AviMediaHeader header = avi.ClipHeader();
    if (header.HasAudio()) s.sampleCount = header.audio.dwLength;
  }
  if (s.sampleCount <= 0 && s.stream->duration != AV_NOPTS_VALUE) {
    s.sampleCount = s.IndexOfTimestamp(s.startTs + s.stream->duration);
  }
  if (s.sampleCount <= 0 && s.input->duration != AV_NOPTS_VALUE) {
    s.sampleCount =
        av_rescale_q(s.input->duration, AV_TIME_BASE_Q, AVRational{1, static_cast<int>(s.format.nSamplesPerSec)});
  }
  return true;
}

bool AudioSampleReader::IsOpen() const { return state_->input != nullptr; }
const std::string& AudioSampleReader::ErrorText() const { return state_->error; }
const PCMWAVEFORMAT& AudioSampleReader::DeliveredFormat() const { return state_->format; }
std::int64_t AudioSampleReader::SampleCount() const { return IsOpen() ? state_->sampleCount : 0; }
int AudioSampleReader::SeekCount() const { return state_->seeks; }

std::int64_t AudioSampleReader::Read(std::int64_t start, std::int64_t count, void* buffer, std::size_t capacity) {
  State& s = *state_;
  if (!IsOpen()) {
    s.Fail("No sound is open.");
    return -1;
  }
  if (start < 0 || count < 0) {
    s.Fail("A sound position cannot be negative.");
    return -1;
  }
  count = std::min<std::int64_t>(count, static_cast<std::int64_t>(capacity / s.Block()));
  if (count == 0) return 0;
  bool inBuffer = s.positioned && s.bufferStart <= start && start <= s.BufferEnd();
  if (!inBuffer) s.Seek(start);
  while ((!s.positioned || s.BufferEnd() < start + count) && !s.ended) {
    if (!s.DecodeMore()) {
      if (!s.ended) return -1;
    }
  }
  if (!s.positioned || start >= s.BufferEnd() || start < s.bufferStart) return 0;
  std::int64_t frames = std::min(count, s.BufferEnd() - start);
  std::size_t from = static_cast<std::size_t>(start - s.bufferStart) * s.Block();
  std::memcpy(buffer, s.buffer.data() + from, static_cast<std::size_t>(frames) * s.Block());
  // Keep only what a following read may still need.
  std::size_t keep = from + static_cast<std::size_t>(frames) * s.Block();
  s.buffer.erase(s.buffer.begin(), s.buffer.begin() + static_cast<std::ptrdiff_t>(keep));
  s.bufferStart = start + frames;
  return frames;
}

}  // namespace sprocket
