#include "platform/media/avi_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <limits>
#include <new>
#include <vector>

#include "imagelib/dib_header.h"
#include "platform/media/codec_table.h"
#include "platform/media/ffmpeg_handles.h"
#include "platform/media/frame_conversion.h"
#include "platform/media/jpeg_chroma_layout.h"
#include "platform/media/picture_conversion_pool.h"
#include "platform/worker_pool.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace sprocket {

using namespace media_detail;

namespace {

struct OutputContextDeleter {
  void operator()(AVFormatContext* context) const {
    if (context->pb != nullptr) avio_closep(&context->pb);
    avformat_free_context(context);
  }
};
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;

struct DictionaryDeleter {
  void operator()(AVDictionary* dictionary) const { av_dict_free(&dictionary); }
};

constexpr int kMaxPictureSide = 32768;
// A key-frame interval of 0 asks for only the first key frame; the mpeg
// family caps its interval at this value anyway.
constexpr int kLongestKeyInterval = 600;
// The picture with which the encoder spreads over frame threads: the first
// (starting the threads costs about a millisecond once, a picture compressed
// on the calling thread about three).
constexpr std::int64_t kPicturesBeforeFrameThreads = 1;
// Pictures waiting for their colour conversion behind the caller, beyond
// those being converted, before the caller waits for the oldest.
constexpr std::size_t kConversionsWaiting = 0;

bool IsMpegFamily(const std::string& encoder) {
  return encoder == "mpeg4" || encoder == "msmpeg4" || encoder == "mjpeg";
}

// Full-range motion JPEG in the chroma layout asked for (4:2:2 unless told).
AVPixelFormat JpegFormat(int chromaLayout) {
  switch (chromaLayout) {
    case kChromaLayout420:
      return AV_PIX_FMT_YUVJ420P;
    case kChromaLayout444:
      return AV_PIX_FMT_YUVJ444P;
    default:
      return AV_PIX_FMT_YUVJ422P;
  }
}

AVPixelFormat EncoderFormat(const AVCodec* codec, int bitCount, int chromaLayout) {
  std::string name = codec->name;
  auto supports = [codec](AVPixelFormat format) {
    if (codec->pix_fmts == nullptr) return false;
    for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f) {
      if (*f == format) return true;
    }
    return false;
  };
  AVPixelFormat preferred = AV_PIX_FMT_NONE;
  // Motion JPEG full-range, in the layout of the frames copied beside the
  // encoded ones (4:2:2, as capture cards store it, unless told otherwise).
  if (name == "mjpeg") preferred = JpegFormat(chromaLayout);
  if (name == "mpeg4" || name == "msmpeg4" || name == "libx264") preferred = AV_PIX_FMT_YUV420P;
  if (bitCount == 8 && supports(AV_PIX_FMT_PAL8)) preferred = AV_PIX_FMT_PAL8;
  if (preferred != AV_PIX_FMT_NONE && supports(preferred)) return preferred;
  if (codec->pix_fmts == nullptr) return AV_PIX_FMT_BGR24;
  return avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, AV_PIX_FMT_BGR24, 0, nullptr);
}

// Compressors whose pictures stand alone and that can work on several at
// once: each picture is compressed on its own thread, to the same bytes.
bool CompressesPicturesApart(const AVCodec* codec) {
  const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec->id);
  return (codec->capabilities & AV_CODEC_CAP_FRAME_THREADS) != 0 && descriptor != nullptr &&
         (descriptor->props & AV_CODEC_PROP_INTRA_ONLY) != 0;
}

// A picture size an AVI stream and the converters can take.
bool UsableSize(int width, int height) {
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

}  // namespace

void RateForFramesPerSecond(double fps, std::uint32_t* rate, std::uint32_t* scale) {
  if (!(fps > 0.0) || fps > 1000000.0) {
    *rate = 25;
    *scale = 1;
    return;
  }
  double ntsc = fps * 1001.0 / 1000.0;
  if (std::fabs(ntsc - std::round(ntsc)) < 0.005 && std::fabs(fps - std::round(fps)) > 0.005) {
    *rate = static_cast<std::uint32_t>(std::lround(ntsc)) * 1000;
    *scale = 1001;
  } else if (std::fabs(fps - std::round(fps)) < 1e-6) {
    *rate = static_cast<std::uint32_t>(std::lround(fps));
    *scale = 1;
  } else {
    *rate = static_cast<std::uint32_t>(std::lround(fps * 1000.0));
    *scale = 1000;
  }
}

struct AviWriter::State {
  OutputContextPtr output;
  CodecContextPtr encoder;  // null for uncompressed and copied pictures
  AVStream* video = nullptr;
  AVStream* audio = nullptr;
  std::string path;
  std::string error;
  bool created = false;  // the file was made by this writer
  bool headerWritten = false;
  bool failed = false;
  bool copyOnly = false;
  AviVideoFormat format;
  std::optional<AviAudioFormat> sound;
  AVRational frameTime{1, 25};     // the duration of one frame
  std::int64_t frames = 0;         // video samples written (next position)
  std::int64_t pendingFrames = 0;  // pictures inside the encoder or converted behind the caller
  std::int64_t picturesEncoded = 0;
  const AVCodec* encoderCodec = nullptr;
  VideoCompressor compressorInUse;
  int encoderThreads = 1;
  // Copied samples and repeats that follow pictures still inside the
  // encoder, each with its position; written once the pictures before it are.
  std::deque<std::pair<std::int64_t, PacketPtr>> deferred;
  std::int64_t audioFrames = 0;
  EncoderFrameConverter converter;
  PaddedPixels pixels;  // the caller's picture copied for the converter
  // Once the compressor spreads over threads, 24-bit pictures are converted
  // on threads of their own too, each with its position and key request.
  std::unique_ptr<PictureConversionPool> conversions;
  bool conversionsTried = false;
  std::deque<std::pair<std::int64_t, bool>> converting;
  FramePtr picture{av_frame_alloc()};
  PacketPtr packet{av_packet_alloc()};
  std::vector<std::uint8_t> rows;  // repacked rows of uncompressed pictures

  bool Fail(std::string text);
  void Close(bool remove);
  bool CreateVideo(const AviVideoFormat& video);
  bool CreateCopiedVideo(const std::string& sourcePath);
  bool CreateAudio(const AviAudioFormat& audioFormat);
  bool CreateFile();
  bool WriteHeader(const std::uint8_t* palette);
  bool WritePacket(AVPacket* packet, AVStream* stream);
  bool DrainEncoder();
  bool SendPicture(AVFrame* frame, std::int64_t position, bool forceKey);
  bool SendOwnPicture(bool forceKey);
  bool ConvertsBehind(const DibInfoHeader& header);
  bool HasConversionPool();
  template <typename Submit>
  bool ConvertBehind(const Submit& submit, bool forceKey);
  bool SendConverted(std::size_t keepWaiting);
  std::string OpenEncoder(const AVCodec* codec, const AviVideoFormat& v, const VideoCompressor& compressor,
                          int threads);
  void SpreadEncoderOverThreads();
  bool WriteVideoSample(AVPacket* packet, std::int64_t position);
  bool WriteDeferred(std::int64_t after);
  bool WriteUncompressed(const DibInfoHeader& header, const std::uint8_t* palette, const std::uint8_t* pixels,
                         std::int32_t stride);
};

bool AviWriter::State::Fail(std::string text) {
  if (!failed) error = std::move(text);
  failed = true;
  Close(true);
  return false;
}

void AviWriter::State::Close(bool remove) {
  conversions.reset();
  converting.clear();
  encoder.reset();
  output.reset();
  video = audio = nullptr;
  if (remove && created) {
    // Only a regular file this writer created is ever removed.
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) std::filesystem::remove(path, ec);
  }
  created = false;
}

// Opens the encoder of the movie's pictures on `threads` frame threads.
// Empty, or what went wrong.
std::string AviWriter::State::OpenEncoder(const AVCodec* codec, const AviVideoFormat& v,
                                          const VideoCompressor& compressor, int threads) {
  encoder.reset(avcodec_alloc_context3(codec));
  if (!encoder) return "Not enough memory!";
  AVCodecContext* c = encoder.get();
  c->width = v.width;
  c->height = v.height;
  c->time_base = frameTime;
  c->framerate = AVRational{static_cast<int>(v.rate), static_cast<int>(v.scale)};
  c->pix_fmt = EncoderFormat(codec, v.bitCount, v.chromaLayout);
  c->codec_tag = compressor.tag;
  c->gop_size = v.keyFrameEvery > 0 ? v.keyFrameEvery : kLongestKeyInterval;
  c->max_b_frames = 0;
  if (v.fieldOrder == 1) c->field_order = AV_FIELD_TT;
  if (v.fieldOrder == 2) c->field_order = AV_FIELD_BB;
  if (c->pix_fmt == AV_PIX_FMT_YUVJ420P || c->pix_fmt == AV_PIX_FMT_YUVJ422P || c->pix_fmt == AV_PIX_FMT_YUVJ444P) {
    c->color_range = AVCOL_RANGE_JPEG;
  }
  c->colorspace = AVCOL_SPC_SMPTE170M;
  if (v.quality >= 0 && IsMpegFamily(compressor.encoder)) {
    int q = std::clamp(static_cast<int>(std::lround(31.0 - v.quality * 29.0 / 10000.0)), 2, 31);
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = q * FF_QP2LAMBDA;
  } else if (v.dataRateKb > 0 && compressor.encoder != "msvideo1" && compressor.encoder != "cinepak") {
    c->bit_rate = static_cast<std::int64_t>(v.dataRateKb) * 8192;
  }
  if (compressor.encoder == "libx264") {
    // No frame delay, so copied samples and repeats can be placed between
    // compressed pictures.
    av_opt_set(c->priv_data, "tune", "zerolatency", 0);
    if (v.quality >= 0) {
      av_opt_set_double(c->priv_data, "crf", 51.0 * (10000 - std::clamp(v.quality, 0, 10000)) / 10000.0, 0);
    }
  }
  if (output->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (threads > 1) {
    c->thread_count = threads;
    c->thread_type = FF_THREAD_FRAME;
  }
  const int result = avcodec_open2(c, codec, nullptr);
  if (result < 0) return "The compressor refused the movie's format: " + AvErrorText(result) + ".";
  encoderCodec = codec;
  compressorInUse = compressor;
  encoderThreads = threads;
  return {};
}

// Frame threads of a compressor whose pictures stand alone: a picture
// compresses in about a millisecond, so a few keep up with the composer,
// and each thread holds picture buffers of its own (peak memory).
constexpr unsigned kMaxEncoderThreads = 4;

// After the first pictures, a compressor whose pictures stand alone is
// opened again on frame threads: the same bytes, and runs of a few pictures
// between copied samples do not pay for starting the threads. The encoder
// on one thread stays when that fails.
void AviWriter::State::SpreadEncoderOverThreads() {
  const int threads = static_cast<int>(std::min(FrameWorkThreads(), kMaxEncoderThreads));
  if (encoderThreads > 1 || threads <= 1 || pendingFrames > 0 || !CompressesPicturesApart(encoderCodec)) return;
  CodecContextPtr single = std::move(encoder);
  if (!OpenEncoder(encoderCodec, format, compressorInUse, threads).empty()) {
    encoder = std::move(single);
    encoderThreads = threads;  // not tried again
  }
}

bool AviWriter::State::CreateVideo(const AviVideoFormat& v) {
  auto compressor = FindVideoCompressor(v.compressor);
  if (!compressor) return Fail("There is no compressor for the code \"" + FourCCText(v.compressor) + "\".");
  if (!UsableSize(v.width, v.height)) return Fail("The movie's picture size is not usable.");
  if (v.rate == 0 || v.scale == 0) return Fail("The movie's frame rate is not usable.");
  if (v.bitCount != 24 && v.bitCount != 8) return Fail("Movies are written with 24-bit or 8-bit pictures.");
  video = avformat_new_stream(output.get(), nullptr);
  if (video == nullptr) return Fail("Not enough memory!");
  frameTime = AVRational{static_cast<int>(v.scale), static_cast<int>(v.rate)};
  video->time_base = frameTime;
  AVCodecParameters* parameters = video->codecpar;

  if (compressor->Uncompressed()) {
    parameters->codec_type = AVMEDIA_TYPE_VIDEO;
    parameters->codec_id = AV_CODEC_ID_RAWVIDEO;
    parameters->codec_tag = 0;
    parameters->width = v.width;
    parameters->height = v.height;
    parameters->bits_per_coded_sample = v.bitCount;
    parameters->format = v.bitCount == 8 ? AV_PIX_FMT_PAL8 : AV_PIX_FMT_BGR24;
    return true;
  }

  const AVCodec* codec = avcodec_find_encoder_by_name(compressor->encoder.c_str());
  if (codec == nullptr) {
    return Fail("The compressor for \"" + FourCCText(v.compressor) + "\" (" + compressor->encoder +
                ") is not available.");
  }
  const std::string refused = OpenEncoder(codec, v, *compressor, 1);
  if (!refused.empty()) return Fail(refused);
  AVCodecContext* c = encoder.get();
  int result = avcodec_parameters_from_context(parameters, c);
  if (result < 0) return Fail("The compressor's format cannot be stored: " + AvErrorText(result) + ".");
  parameters->codec_tag = compressor->tag;
  converter.Configure(v.width, v.height, c->pix_fmt);
  return true;
}

bool AviWriter::State::CreateCopiedVideo(const std::string& sourcePath) {
  InputContextPtr source = OpenInput(sourcePath, &error);
  if (!source) return Fail(error);
  int index = av_find_best_stream(source.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) return Fail("The source movie holds no video.");
  const AVStream* from = source->streams[index];
  if (!UsableSize(from->codecpar->width, from->codecpar->height)) return Fail("The source video has no usable size.");
  video = avformat_new_stream(output.get(), nullptr);
  if (video == nullptr) return Fail("Not enough memory!");
  int result = avcodec_parameters_copy(video->codecpar, from->codecpar);
  if (result < 0) return Fail("Not enough memory!");
  AVRational rate = from->avg_frame_rate.num > 0 ? from->avg_frame_rate : from->r_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) return Fail("The source video has no usable frame rate.");
  frameTime = av_inv_q(rate);
  video->time_base = frameTime;
  format.width = from->codecpar->width;
  format.height = from->codecpar->height;
  copyOnly = true;
  return true;
}

bool AviWriter::State::CreateAudio(const AviAudioFormat& a) {
  if ((a.bits != 8 && a.bits != 16) || a.channels < 1 || a.channels > 2 || a.rate < 1 || a.rate > 768000) {
    return Fail("The sound format is not usable.");
  }
  audio = avformat_new_stream(output.get(), nullptr);
  if (audio == nullptr) return Fail("Not enough memory!");
  AVCodecParameters* p = audio->codecpar;
  p->codec_type = AVMEDIA_TYPE_AUDIO;
  p->codec_id = a.bits == 8 ? AV_CODEC_ID_PCM_U8 : AV_CODEC_ID_PCM_S16LE;
  p->codec_tag = 1;
  av_channel_layout_default(&p->ch_layout, a.channels);
  p->sample_rate = a.rate;
  p->bits_per_coded_sample = a.bits;
  p->block_align = a.channels * a.bits / 8;
  p->bit_rate = static_cast<std::int64_t>(a.rate) * p->block_align * 8;
  audio->time_base = AVRational{1, a.rate};
  sound = a;
  return true;
}

bool AviWriter::State::CreateFile() {
  int result = avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (result < 0) return Fail("Cannot create \"" + path + "\": " + AvErrorText(result) + ".");
  created = true;
  return true;
}

bool AviWriter::State::WriteHeader(const std::uint8_t* palette) {
  if (headerWritten) return true;
  if (palette != nullptr && video->codecpar->codec_id == AV_CODEC_ID_RAWVIDEO && format.bitCount == 8) {
    // Uncompressed palette pictures carry their palette in the stream format.
    AVCodecParameters* p = video->codecpar;
    p->extradata = static_cast<std::uint8_t*>(av_mallocz(kDibPaletteBytes + AV_INPUT_BUFFER_PADDING_SIZE));
    if (p->extradata == nullptr) return Fail("Not enough memory!");
    std::memcpy(p->extradata, palette, kDibPaletteBytes);
    p->extradata_size = kDibPaletteBytes;
  }
  AVDictionary* raw = nullptr;
  av_dict_set(&raw, "flipped_raw_rgb", "1", 0);  // uncompressed rows stay bottom-up as in a DIB
  std::unique_ptr<AVDictionary, DictionaryDeleter> options(raw);
  AVDictionary* passed = options.release();
  int result = avformat_write_header(output.get(), &passed);
  av_dict_free(&passed);
  if (result < 0) return Fail("Cannot write the movie's header: " + AvErrorText(result) + ".");
  headerWritten = true;
  return true;
}

bool AviWriter::State::WritePacket(AVPacket* p, AVStream* stream) {
  p->stream_index = stream->index;
  int result = av_interleaved_write_frame(output.get(), p);
  if (result >= 0 && output->pb->error < 0) result = output->pb->error;
  if (result < 0) return Fail("Error writing the movie \"" + path + "\": " + AvErrorText(result) + ".");
  return true;
}

bool AviWriter::State::DrainEncoder() {
  for (;;) {
    int result = avcodec_receive_packet(encoder.get(), packet.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
    if (result < 0) return Fail("The compressor failed: " + AvErrorText(result) + ".");
    --pendingFrames;
    const std::int64_t position = packet->pts;
    av_packet_rescale_ts(packet.get(), encoder->time_base, video->time_base);
    if (!WritePacket(packet.get(), video) || !WriteDeferred(position)) return false;
  }
}

bool AviWriter::State::WriteDeferred(std::int64_t after) {
  while (!deferred.empty() && deferred.front().first == after + 1) {
    if (!WritePacket(deferred.front().second.get(), video)) return false;
    after = deferred.front().first;
    deferred.pop_front();
  }
  return true;
}

bool AviWriter::State::WriteVideoSample(AVPacket* p, std::int64_t position) {
  if (pendingFrames == 0) return WritePacket(p, video);
  PacketPtr held(av_packet_alloc());
  if (!held) return Fail("Not enough memory!");
  av_packet_move_ref(held.get(), p);
  deferred.emplace_back(position, std::move(held));
  return true;
}

bool AviWriter::State::WriteUncompressed(const DibInfoHeader& header, const std::uint8_t* palette,
                                         const std::uint8_t* pixels, std::int32_t stride) {
  if (header.biWidth != format.width || header.biHeight != format.height || header.biBitCount != format.bitCount) {
    return Fail("The picture's size or depth differs from the movie's.");
  }
  if (!WriteHeader(palette)) return false;
  std::int32_t rowBytes = format.bitCount == 8 ? format.width : format.width * 3;
  std::int32_t padded = format.bitCount == 8 ? PaddedStride8(format.width) : PaddedStride24(format.width);
  rows.assign(static_cast<std::size_t>(padded) * static_cast<std::size_t>(format.height), 0);
  for (int y = 0; y < format.height; ++y) {
    std::memcpy(rows.data() + static_cast<std::size_t>(padded) * y, pixels + static_cast<std::ptrdiff_t>(stride) * y,
                static_cast<std::size_t>(rowBytes));
  }
  if (av_new_packet(packet.get(), static_cast<int>(rows.size())) < 0) return Fail("Not enough memory!");
  std::memcpy(packet->data, rows.data(), rows.size());
  packet->flags |= AV_PKT_FLAG_KEY;
  packet->pts = packet->dts = av_rescale_q(frames, frameTime, video->time_base);
  packet->duration = av_rescale_q(1, frameTime, video->time_base);
  if (!WritePacket(packet.get(), video)) return false;
  ++frames;
  return true;
}

AviWriter::AviWriter() : state_(std::make_unique<State>()) {}

AviWriter::~AviWriter() { Discard(); }

bool AviWriter::Open(const std::string& path, const AviVideoFormat& video, const std::optional<AviAudioFormat>& audio) {
  Discard();
  state_ = std::make_unique<State>();
  State& s = *state_;
  s.path = path;
  s.format = video;
  AVFormatContext* raw = nullptr;
  if (avformat_alloc_output_context2(&raw, nullptr, "avi", path.c_str()) < 0) return s.Fail("Not enough memory!");
  s.output.reset(raw);
  // Board clips carry a code of their own that is not in FFmpeg's table.
  s.output->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
  if (!s.CreateVideo(video)) return false;
  if (audio && !s.CreateAudio(*audio)) return false;
  if (!s.CreateFile()) return false;
  // Palette pictures wait for the first frame's palette.
  if (!(video.bitCount == 8 && s.encoder == nullptr)) return s.WriteHeader(nullptr);
  return true;
}

bool AviWriter::OpenCopy(const std::string& path, const std::string& sourcePath,
                         const std::optional<AviAudioFormat>& audio) {
  Discard();
  state_ = std::make_unique<State>();
  State& s = *state_;
  s.path = path;
  AVFormatContext* raw = nullptr;
  if (avformat_alloc_output_context2(&raw, nullptr, "avi", path.c_str()) < 0) return s.Fail("Not enough memory!");
  s.output.reset(raw);
  s.output->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
  if (!s.CreateCopiedVideo(sourcePath)) return false;
  if (audio && !s.CreateAudio(*audio)) return false;
  if (!s.CreateFile()) return false;
  return s.WriteHeader(nullptr);
}

bool AviWriter::WriteFrame(HGLOBAL packedDib, bool forceKey) {
  GlobalLockGuard<std::uint8_t> bytes(packedDib);
  if (!bytes) return state_->Fail("No picture was given.");
  return WriteFrame(bytes.get(), GlobalSize(packedDib), forceKey);
}

bool AviWriter::WriteFrame(const void* packedDib, std::size_t blockBytes, bool forceKey) {
  State& s = *state_;
  if (!IsOpen()) return s.Fail(s.error.empty() ? "No movie is open for writing." : s.error);
  if (s.copyOnly) return s.Fail("Pictures cannot be compressed into a copied stream.");
  if (packedDib == nullptr || blockBytes < static_cast<std::size_t>(kDibHeaderSize)) {
    return s.Fail("The picture is not a packed DIB.");
  }
  DibInfoHeader header = ReadDibHeader(packedDib);
  const auto* block = static_cast<const std::uint8_t*>(packedDib);
  const std::uint8_t* palette = nullptr;
  std::int32_t pixelOffset = static_cast<std::int32_t>(header.biSize);
  if (header.biSize < static_cast<std::uint32_t>(kDibHeaderSize) || header.biSize > 1024 || header.biCompression != 0) {
    return s.Fail("The picture is not an uncompressed packed DIB.");
  }
  if (header.biBitCount == 8) {
    palette = block + header.biSize;
    pixelOffset += kDibPaletteBytes;
  }
  std::int32_t stride = CheckedDibStride(header, blockBytes, pixelOffset);
  if (stride == 0 || (palette != nullptr && blockBytes < header.biSize + kDibPaletteBytes)) {
    return s.Fail("The picture's header does not match its block.");
  }
  const std::uint8_t* pixels = block + pixelOffset;
  if (!s.encoder) return s.WriteUncompressed(header, palette, pixels, stride);

  if (++s.picturesEncoded == kPicturesBeforeFrameThreads) s.SpreadEncoderOverThreads();
  if (s.ConvertsBehind(header)) {
    return s.ConvertBehind([&](PictureConversionPool& pool) { pool.Submit(header, pixels, stride); }, forceKey);
  }
  // Pictures still converted behind the caller go to the compressor first.
  if (!s.SendConverted(0)) return false;
  if (!s.pixels.Assign(pixels, static_cast<std::size_t>(stride) * static_cast<std::size_t>(header.biHeight))) {
    return s.Fail("Not enough memory!");
  }
  if (!s.converter.FromDib(header, palette, s.pixels, stride, s.picture.get(), &s.error)) return s.Fail(s.error);
  return s.SendOwnPicture(forceKey);
}

bool AviWriter::TakesDecodedFrames() const {
  const State* s = state_.get();
  return IsOpen() && !s->copyOnly && s->encoder && s->format.bitCount == 24 &&
         EncoderFrameConverter::CompressesYuv(s->encoder->pix_fmt);
}

bool AviWriter::TakesDecodedFrame(const DecodedVideoFrame& frame) const {
  return TakesDecodedFrames() && EncoderFrameConverter::TakesDecoded(frame.Picture(), state_->encoder->pix_fmt);
}

bool AviWriter::WriteDecodedFrame(const DecodedVideoFrame& frame, bool forceKey) {
  State& s = *state_;
  if (!IsOpen()) return s.Fail(s.error.empty() ? "No movie is open for writing." : s.error);
  if (!TakesDecodedFrame(frame)) return s.Fail("The decoded picture cannot be compressed as it is.");
  if (++s.picturesEncoded == kPicturesBeforeFrameThreads) s.SpreadEncoderOverThreads();
  if (s.HasConversionPool()) {
    return s.ConvertBehind([&](PictureConversionPool& pool) { pool.SubmitDecoded(frame.Picture()); }, forceKey);
  }
  if (!s.SendConverted(0)) return false;
  if (!s.converter.FromDecoded(frame.Picture(), s.picture.get(), &s.error)) return s.Fail(s.error);
  return s.SendOwnPicture(forceKey);
}

// Hands the picture converted on the caller's thread (`picture`) to the
// compressor at the next position.
bool AviWriter::State::SendOwnPicture(bool forceKey) {
  if (!SendPicture(picture.get(), frames, forceKey)) return false;
  ++frames;
  ++pendingFrames;
  return DrainEncoder();
}

// Hands a converted picture to the compressor at `position`.
bool AviWriter::State::SendPicture(AVFrame* frame, std::int64_t position, bool forceKey) {
  frame->pts = position;
  frame->pict_type = forceKey ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
  if (format.fieldOrder != 0) {
    frame->interlaced_frame = 1;
    frame->top_field_first = format.fieldOrder == 1;
  }
  int result = avcodec_send_frame(encoder.get(), frame);
  if (result < 0) return Fail("The compressor refused a picture: " + AvErrorText(result) + ".");
  return true;
}

// Whether this picture is converted behind the caller: a 24-bit picture of
// the movie's size once the compressor runs on threads.
bool AviWriter::State::ConvertsBehind(const DibInfoHeader& header) {
  if (header.biBitCount != 24 || header.biWidth != format.width || header.biHeight != format.height) return false;
  return HasConversionPool();
}

// Whether pictures are converted on threads of their own: once the
// compressor runs on threads.
bool AviWriter::State::HasConversionPool() {
  if (!conversions && !conversionsTried && encoderThreads > 1) {
    conversionsTried = true;
    try {
      conversions = std::make_unique<PictureConversionPool>(static_cast<unsigned>(encoderThreads) - 1, format.width,
                                                            format.height, encoder->pix_fmt);
    } catch (const std::bad_alloc&) {
    }
    if (conversions && !conversions->Start()) conversions.reset();
  }
  return conversions != nullptr;
}

// Queues a picture's conversion (`submit` hands it to the pool); its
// position is taken now, so copied samples and repeats after it wait for it
// like for any picture inside the compressor. A failed conversion is
// answered by a later call.
template <typename Submit>
bool AviWriter::State::ConvertBehind(const Submit& submit, bool forceKey) {
  try {
    submit(*conversions);
    converting.emplace_back(frames, forceKey);
  } catch (const std::bad_alloc&) {
    return Fail("Not enough memory!");
  }
  ++frames;
  ++pendingFrames;
  return SendConverted(static_cast<std::size_t>(encoderThreads) + kConversionsWaiting);
}

// Sends converted pictures to the compressor in order: every one that is
// ready, and, waiting for them, all but the last `keepWaiting`.
bool AviWriter::State::SendConverted(std::size_t keepWaiting) {
  while (conversions && !converting.empty() && (converting.size() > keepWaiting || conversions->OldestReady())) {
    PictureConversionPool::Converted converted = conversions->Take();
    const auto [position, forceKey] = converting.front();
    converting.pop_front();
    if (!converted.frame) return Fail(converted.error);
    if (!SendPicture(converted.frame.get(), position, forceKey) || !DrainEncoder()) return false;
  }
  return true;
}

bool AviWriter::WriteRepeatFrame() {
  State& s = *state_;
  if (!IsOpen()) return s.Fail(s.error.empty() ? "No movie is open for writing." : s.error);
  return WriteRawSample(nullptr, 0, false);
}

bool AviWriter::WriteRawSample(const std::uint8_t* data, std::size_t size, bool key) {
  State& s = *state_;
  if (!IsOpen()) return s.Fail(s.error.empty() ? "No movie is open for writing." : s.error);
  if (size > static_cast<std::size_t>(std::numeric_limits<int>::max() - AV_INPUT_BUFFER_PADDING_SIZE))
    return s.Fail("The sample is too large.");
  if (!s.WriteHeader(nullptr)) return false;
  av_packet_unref(s.packet.get());
  if (size > 0) {
    if (av_new_packet(s.packet.get(), static_cast<int>(size)) < 0) return s.Fail("Not enough memory!");
    std::memcpy(s.packet->data, data, size);
  }
  if (key) s.packet->flags |= AV_PKT_FLAG_KEY;
  s.packet->pts = s.packet->dts = av_rescale_q(s.frames, s.frameTime, s.video->time_base);
  s.packet->duration = av_rescale_q(1, s.frameTime, s.video->time_base);
  if (!s.WriteVideoSample(s.packet.get(), s.frames)) return false;
  ++s.frames;
  return true;
}

bool AviWriter::WriteAudio(const void* samples, std::size_t bytes) {
  State& s = *state_;
  if (!IsOpen()) return s.Fail(s.error.empty() ? "No movie is open for writing." : s.error);
  if (s.audio == nullptr) return s.Fail("The movie has no sound stream.");
  auto block = static_cast<std::size_t>(s.audio->codecpar->block_align);
  if (bytes % block != 0 || bytes > static_cast<std::size_t>(std::numeric_limits<int>::max() / 2)) {
    return s.Fail("Sound must be written in whole samples.");
  }
  if (bytes == 0) return true;
  if (!s.WriteHeader(nullptr)) return false;
  if (av_new_packet(s.packet.get(), static_cast<int>(bytes)) < 0) return s.Fail("Not enough memory!");
  std::memcpy(s.packet->data, samples, bytes);
  auto count = static_cast<std::int64_t>(bytes / block);
  s.packet->pts = s.packet->dts = s.audioFrames;
  s.packet->duration = count;
  s.packet->flags |= AV_PKT_FLAG_KEY;
  if (!s.WritePacket(s.packet.get(), s.audio)) return false;
  s.audioFrames += count;
  return true;
}

bool AviWriter::Finish() {
  State& s = *state_;
  if (!IsOpen()) return s.Fail(s.error.empty() ? "No movie is open for writing." : s.error);
  if (!s.headerWritten) {
    // A movie without pictures: palette pictures get a grey palette.
    std::vector<std::uint8_t> grey(kDibPaletteBytes);
    for (int i = 0; i < 256; ++i) std::memset(grey.data() + 4 * i, i, 3);
    if (!s.WriteHeader(grey.data())) return false;
  }
  if (s.encoder) {
    if (!s.SendConverted(0)) return false;
    int result = avcodec_send_frame(s.encoder.get(), nullptr);
    if (result < 0) return s.Fail("The compressor failed: " + AvErrorText(result) + ".");
    if (!s.DrainEncoder()) return false;
  }
  int result = av_write_trailer(s.output.get());
  if (result >= 0 && s.output->pb->error < 0) result = s.output->pb->error;
  if (result >= 0) result = avio_closep(&s.output->pb);
  if (result < 0) return s.Fail("Error writing the movie \"" + s.path + "\": " + AvErrorText(result) + ".");
  s.Close(false);
  return true;
}

void AviWriter::Discard() {
  if (state_) state_->Close(true);
}

bool AviWriter::IsOpen() const { return state_->output != nullptr && !state_->failed; }
const std::string& AviWriter::ErrorText() const { return state_->error; }
std::int64_t AviWriter::FramesWritten() const { return state_->frames; }
std::int64_t AviWriter::AudioFramesWritten() const { return state_->audioFrames; }

}  // namespace sprocket
