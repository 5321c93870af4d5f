#include "platform/media/video_frame_reader.h"

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/file_paths.h"
#include "platform/media/avi_index.h"
#include "platform/media/ffmpeg_handles.h"
#include "platform/media/frame_conversion.h"
#include "platform/worker_pool.h"

namespace sprocket {

using namespace media_detail;

namespace {

// Consecutive packets the decoder may refuse before the file counts as broken.
constexpr int kMaxBadPackets = 64;
// Without a key-frame index, frames this close ahead are decoded rather than sought.
constexpr std::int64_t kBlindForwardFrames = 32;

}  // namespace

struct VideoFrameReader::State {
  InputContextPtr input;
  CodecContextPtr decoder;
  AVStream* stream = nullptr;
  AVRational frameRate{0, 1};  // frames a second
  std::int64_t startTs = 0;
  std::int64_t frameCount = 0;
  std::string error;

  FramePtr held;  // the last frame handed out or decoded up to the request
  std::int64_t heldIndex = -1;
  FramePtr pending;  // a frame decoded past the request, kept for the next one
  std::int64_t pendingIndex = -1;
  std::int64_t lastIndex = -1;  // index of the last decoded frame (for frames without time)
  bool demuxEnded = false;
  bool decoderEnded = false;
  int seeks = 0;
  // Pictures shown small are read here and there (thumbnails): none is
  // decoded ahead.
  bool readAhead = true;

  // The palette of uncompressed palette pictures, from the stream format:
  // handed with every packet, as the file gives it only with the first.
  std::vector<std::uint8_t> palette;

  PacketPtr packet{av_packet_alloc()};
  FramePtr scratch{av_frame_alloc()};
  DecodedFrameConverter converter;

  std::int64_t IndexOfTimestamp(std::int64_t ts) const {
    return av_rescale_q_rnd(ts - startTs, stream->time_base, av_inv_q(frameRate),
                            static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
  }
  std::int64_t TimestampOfIndex(std::int64_t index) const {
    return startTs + av_rescale_q(index, av_inv_q(frameRate), stream->time_base);
  }
  std::int64_t IndexOfFrame(const AVFrame* frame) const {
    std::int64_t ts = frame->best_effort_timestamp;
    return ts == AV_NOPTS_VALUE ? lastIndex + 1 : IndexOfTimestamp(ts);
  }

  // The key frame at or before n from the demuxer's index; -1 when unknown.
  std::int64_t KeyIndexAtOrBefore(std::int64_t n) const {
    if (avformat_index_get_entries_count(stream) <= 0) return -1;
    const AVIndexEntry* entry =
        avformat_index_get_entry_from_timestamp(stream, TimestampOfIndex(n), AVSEEK_FLAG_BACKWARD);
    return entry == nullptr ? -1 : IndexOfTimestamp(entry->timestamp);
  }

  bool Fail(std::string text) {
    error = std::move(text);
    return false;
  }

  void Seek(std::int64_t n);
  bool DecodeUntil(std::int64_t n);
  bool ReceiveFrames(std::int64_t n, bool* done);
  // Decodes frame n into `held`; false with the error when it cannot.
  bool DecodeNow(std::int64_t n);
  GlobalBlock ReadNow(std::int64_t n) { return DecodeNow(n) ? converter.ToDib24(held.get(), &error) : GlobalBlock{}; }
  // A reference to the decoded picture of frame n.
  FramePtr ReadDecodedNow(std::int64_t n) { return DecodeNow(n) ? FramePtr(av_frame_clone(held.get())) : nullptr; }

  // The frame after the last one asked for, decoded (and converted for
  // ReadFrame) on a thread of the reader's own while the caller works on
  // the frame before it. While it decodes, only that thread touches the
  // state above.
  GlobalBlock aheadFrame;
  FramePtr aheadDecoded;
  std::int64_t aheadIndex = -1;
  AheadWorker ahead;  // last: it finishes before the decoder goes

  void StartAhead(std::int64_t n, bool converted);
  // Waits until no frame is being decoded ahead; hands over the one decoded
  // when it is frame n, else drops it.
  void TakeAhead(std::int64_t n, GlobalBlock* converted, FramePtr* decoded);
};

void VideoFrameReader::State::StartAhead(std::int64_t n, bool converted) {
  if (n >= frameCount || !readAhead || !ParallelFrameWork()) return;
  ahead.Start([this, n, converted] {
    if (converted) {
      aheadFrame = ReadNow(n);
    } else {
      aheadDecoded = ReadDecodedNow(n);
    }
    aheadIndex = n;
  });
}

void VideoFrameReader::State::TakeAhead(std::int64_t n, GlobalBlock* converted, FramePtr* decoded) {
  ahead.Wait();
  GlobalBlock frame = std::move(aheadFrame);
  FramePtr picture = std::move(aheadDecoded);
  if (std::exchange(aheadIndex, -1) != n) return;
  if (converted != nullptr) *converted = std::move(frame);
  if (decoded != nullptr) *decoded = std::move(picture);
}

void VideoFrameReader::State::Seek(std::int64_t n) {
  ++seeks;
  if (av_seek_frame(input.get(), stream->index, TimestampOfIndex(n), AVSEEK_FLAG_BACKWARD) < 0) {
    av_seek_frame(input.get(), stream->index, startTs, AVSEEK_FLAG_BACKWARD);
  }
  avcodec_flush_buffers(decoder.get());
  held.reset();
  pending.reset();
  heldIndex = pendingIndex = -1;
  std::int64_t key = KeyIndexAtOrBefore(n);
  lastIndex = (key >= 0 ? key : 0) - 1;
  demuxEnded = decoderEnded = false;
}

// Takes every frame the decoder has ready. Sets `done` once frame n, or the
// frame that stands for it, is known.
bool VideoFrameReader::State::ReceiveFrames(std::int64_t n, bool* done) {
  for (;;) {
    int result = avcodec_receive_frame(decoder.get(), scratch.get());
    if (result == AVERROR(EAGAIN)) return true;
    if (result == AVERROR_EOF) {
      decoderEnded = true;
      *done = true;
      return true;
    }
    if (result < 0) return Fail("The video cannot be decoded: " + AvErrorText(result) + ".");
    std::int64_t index = IndexOfFrame(scratch.get());
    lastIndex = index;
    if (index <= n || heldIndex < 0) {
      // Frames after a key frame count up to n; a first frame already past n
      // is the nearest picture there is.
      held.reset(av_frame_alloc());
      av_frame_move_ref(held.get(), scratch.get());
      heldIndex = index;
      if (index >= n) {
        *done = true;
        return true;
      }
    } else {
      pending.reset(av_frame_alloc());
      av_frame_move_ref(pending.get(), scratch.get());
      pendingIndex = index;
      *done = true;
      return true;
    }
  }
}

bool VideoFrameReader::State::DecodeUntil(std::int64_t n) {
  int badPackets = 0;
  bool done = false;
  while (!done) {
    if (!ReceiveFrames(n, &done)) return false;
    if (done) break;
    if (demuxEnded) return Fail("The video decoder stopped early.");
    int result = av_read_frame(input.get(), packet.get());
    if (result < 0) {
      // End of file (or a damaged tail): drain the decoder.
      demuxEnded = true;
      avcodec_send_packet(decoder.get(), nullptr);
      continue;
    }
    if (packet->stream_index != stream->index || packet->size == 0) {
      av_packet_unref(packet.get());
      continue;
    }
    if (!palette.empty() && av_packet_get_side_data(packet.get(), AV_PKT_DATA_PALETTE, nullptr) == nullptr) {
      if (std::uint8_t* side = av_packet_new_side_data(packet.get(), AV_PKT_DATA_PALETTE, AVPALETTE_SIZE)) {
        std::memcpy(side, palette.data(), AVPALETTE_SIZE);
      }
    }
    result = avcodec_send_packet(decoder.get(), packet.get());
    av_packet_unref(packet.get());
    if (result < 0 && result != AVERROR(EAGAIN)) {
      if (++badPackets > kMaxBadPackets) return Fail("The video data is damaged: " + AvErrorText(result) + ".");
    } else {
      badPackets = 0;
    }
  }
  if (heldIndex < 0) return Fail("No picture could be decoded.");
  return true;
}

VideoFrameReader::VideoFrameReader() : state_(std::make_unique<State>()) {}
VideoFrameReader::~VideoFrameReader() = default;
VideoFrameReader::VideoFrameReader(VideoFrameReader&&) noexcept = default;
VideoFrameReader& VideoFrameReader::operator=(VideoFrameReader&&) noexcept = default;

bool VideoFrameReader::Open(const std::string& path, DecodeSize size) {
  state_ = std::make_unique<State>();
  State& s = *state_;
  DecodingStream opened;
  if (!OpenDecodingStream(path, AVMEDIA_TYPE_VIDEO, "video", &opened, &s.error, size)) return false;
  const AVCodecParameters* parameters = opened.stream->codecpar;
  if (parameters->width < 1 || parameters->height < 1) return s.Fail("The video has no usable picture size.");
  s.input = std::move(opened.input);
  s.readAhead = size.IsFull();
  s.stream = opened.stream;
  s.decoder = std::move(opened.decoder);
  s.startTs = s.stream->start_time == AV_NOPTS_VALUE ? 0 : s.stream->start_time;
  if (parameters->codec_id == AV_CODEC_ID_RAWVIDEO && parameters->bits_per_coded_sample == 8 &&
      parameters->extradata_size >= kDibPaletteBytes) {
    s.palette.resize(AVPALETTE_SIZE);
    CopyDibPalette(parameters->extradata, s.palette.data());
  }

  AviFileIndex avi;
  if (HasExtension(path, ".avi") && avi.Open(path) && avi.FindStream(kStreamTypeVideo) >= 0) {
    const AviStream& video = avi.Stream(avi.FindStream(kStreamTypeVideo));
    if (video.header.dwRate != 0 && video.header.dwScale != 0) {
      s.frameRate = av_make_q(static_cast<int>(video.header.dwRate), static_cast<int>(video.header.dwScale));
    }
    s.frameCount = static_cast<std::int64_t>(video.samples.size());
  }
  if (s.frameRate.num <= 0 || s.frameRate.den <= 0) s.frameRate = s.stream->avg_frame_rate;
  if (s.frameRate.num <= 0 || s.frameRate.den <= 0) s.frameRate = s.stream->r_frame_rate;
  if (s.frameRate.num <= 0 || s.frameRate.den <= 0) s.frameRate = AVRational{25, 1};
  if (s.frameCount <= 0) s.frameCount = s.stream->nb_frames;
  if (s.frameCount <= 0 && s.stream->duration != AV_NOPTS_VALUE) {
    s.frameCount = s.IndexOfTimestamp(s.startTs + s.stream->duration);
  }
  if (s.frameCount <= 0 && s.input->duration != AV_NOPTS_VALUE) {
    s.frameCount = av_rescale_q(s.input->duration, AV_TIME_BASE_Q, av_inv_q(s.frameRate));
  }
  if (s.frameCount <= 0) s.frameCount = 1;  // a single still picture
  return true;
}

bool VideoFrameReader::IsOpen() const { return state_->input != nullptr; }
const std::string& VideoFrameReader::ErrorText() const { return state_->error; }
int VideoFrameReader::Width() const { return IsOpen() ? state_->stream->codecpar->width : 0; }
int VideoFrameReader::Height() const { return IsOpen() ? state_->stream->codecpar->height : 0; }
std::int64_t VideoFrameReader::FrameCount() const { return IsOpen() ? state_->frameCount : 0; }
double VideoFrameReader::FramesPerSecond() const { return IsOpen() ? av_q2d(state_->frameRate) : 0.0; }
void VideoFrameReader::FrameRate(std::uint32_t* rate, std::uint32_t* scale) const {
  *rate = IsOpen() ? static_cast<std::uint32_t>(state_->frameRate.num) : 0;
  *scale = IsOpen() ? static_cast<std::uint32_t>(state_->frameRate.den) : 0;
}

int VideoFrameReader::SeekCount() const {
  state_->TakeAhead(-1, nullptr, nullptr);
  return state_->seeks;
}

bool VideoFrameReader::CanRead(std::int64_t n) {
  State& s = *state_;
  if (!IsOpen()) return s.Fail("No movie is open.");
  if (n < 0 || n >= s.frameCount) {
    return s.Fail("Frame " + std::to_string(n) + " lies outside the clip's " + std::to_string(s.frameCount) +
                  " frames.");
  }
  return true;
}

GlobalBlock VideoFrameReader::ReadFrame(std::int64_t n) {
  State& s = *state_;
  GlobalBlock frame;
  s.TakeAhead(n, &frame, nullptr);
  if (!CanRead(n)) return {};
  if (!frame) frame = s.ReadNow(n);
  if (frame) s.StartAhead(n + 1, true);
  return frame;
}

DecodedVideoFrame VideoFrameReader::ReadDecodedFrame(std::int64_t n) {
  State& s = *state_;
  FramePtr picture;
  s.TakeAhead(n, nullptr, &picture);
  if (!CanRead(n)) return {};
  if (!picture) picture = s.ReadDecodedNow(n);
  if (picture) s.StartAhead(n + 1, false);
  DecodedVideoFrame frame;
  frame.frame_.reset(picture.release());
  return frame;
}

DecodedVideoFrame::DecodedVideoFrame() = default;
DecodedVideoFrame::~DecodedVideoFrame() = default;
DecodedVideoFrame::DecodedVideoFrame(DecodedVideoFrame&&) noexcept = default;
DecodedVideoFrame& DecodedVideoFrame::operator=(DecodedVideoFrame&&) noexcept = default;

void DecodedVideoFrame::FrameRelease::operator()(AVFrame* frame) const { av_frame_free(&frame); }

bool DecodedVideoFrame::ScalesStraightToYuv() const {
  return media_detail::EncoderFrameConverter::ScalesStraightToYuv(frame_.get());
}

GlobalBlock DecodedVideoFrame::ToDib24() const {
  if (!frame_) return {};
  thread_local DecodedFrameConverter converter;
  return converter.ToDib24(frame_.get(), nullptr);
}

bool VideoFrameReader::State::DecodeNow(std::int64_t n) {
  State& s = *this;
  bool ready = s.heldIndex == n || (s.heldIndex >= 0 && s.heldIndex < n && n < s.pendingIndex);
  if (!ready && s.pendingIndex >= 0 && s.pendingIndex <= n) {
    // The frame decoded past the last request is the next one to look at.
    s.held = std::move(s.pending);
    s.heldIndex = std::exchange(s.pendingIndex, -1);
    ready = s.heldIndex == n;
  }
  if (!ready) {
    bool forward = s.heldIndex >= 0 && s.heldIndex < n && s.pendingIndex < 0 && !s.decoderEnded;
    if (forward) {
      std::int64_t key = s.KeyIndexAtOrBefore(n);
      // Decoding on costs n - held pictures, seeking n - key + 1.
      forward = key >= 0 ? s.heldIndex + 1 >= key : n - s.heldIndex <= kBlindForwardFrames;
    }
    if (!forward) s.Seek(n);
    if (!s.DecodeUntil(n)) return false;
  }
  return true;
}

}  // namespace sprocket
