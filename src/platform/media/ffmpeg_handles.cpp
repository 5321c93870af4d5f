#include "platform/media/ffmpeg_handles.h"

#include "platform/file_paths.h"
#include "platform/media/avi_index.h"
#include "platform/media/codec_table.h"
#include "platform/worker_pool.h"

namespace sprocket::media_detail {

std::string AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

InputContextPtr OpenInput(const std::string& path, std::string* error) {
  AVFormatContext* raw = nullptr;
  int result = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
  if (result < 0) {
    if (error != nullptr) *error = "Cannot open \"" + path + "\" as a movie: " + AvErrorText(result) + ".";
    return nullptr;
  }
  InputContextPtr context(raw);
  result = avformat_find_stream_info(context.get(), nullptr);
  if (result < 0) {
    if (error != nullptr) *error = "Cannot read the streams of \"" + path + "\": " + AvErrorText(result) + ".";
    return nullptr;
  }
  return context;
}

namespace {

// The largest reduction (a picture of 1 / 2^k of each side) that the codec
// offers and that still gives at least the wanted size.
int ReductionFor(const AVCodec& codec, const AVCodecParameters& parameters, DecodeSize size) {
  if (size.IsFull()) return 0;
  int reduction = 0;
  for (int k = 1; k <= codec.max_lowres; ++k) {
    if (AV_CEIL_RSHIFT(parameters.width, k) < size.width || AV_CEIL_RSHIFT(parameters.height, k) < size.height) break;
    reduction = k;
  }
  return reduction;
}

}  // namespace

CodecContextPtr OpenDecoder(const AVStream* stream, std::string* error, DecodeSize size) {
  const AVCodecParameters* parameters = stream->codecpar;
  const AVCodec* codec = nullptr;
  if (parameters->codec_id != AV_CODEC_ID_NONE) codec = avcodec_find_decoder(parameters->codec_id);
  if (codec == nullptr) {
    std::string fallback = FallbackDecoderName(parameters->codec_tag);
    if (!fallback.empty()) codec = avcodec_find_decoder_by_name(fallback.c_str());
  }
  if (codec == nullptr) {
    if (error != nullptr) *error = "No decoder for the stream's format (" + FourCCText(parameters->codec_tag) + ").";
    return nullptr;
  }
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context) {
    if (error != nullptr) *error = "Not enough memory!";
    return nullptr;
  }
  int result = avcodec_parameters_to_context(context.get(), parameters);
  if (result >= 0) {
    context->codec_id = codec->id;
    context->pkt_timebase = stream->time_base;
    // 0: FFmpeg picks the number of threads. Small pictures are read one
    // at a time, where frame threads would only delay each.
    context->thread_count = ParallelFrameWork() && size.IsFull() ? 0 : 1;
    context->lowres = ReductionFor(*codec, *parameters, size);
    result = avcodec_open2(context.get(), codec, nullptr);
  }
  if (result < 0) {
    if (error != nullptr) *error = "Cannot open the decoder: " + AvErrorText(result) + ".";
    return nullptr;
  }
  return context;
}

bool OpenDecodingStream(const std::string& path, AVMediaType type, const char* missing, DecodingStream* opened,
                        std::string* error, DecodeSize size) {
  *opened = DecodingStream{};
  InputContextPtr input = OpenInput(path, error);
  if (!input) return false;
  int index = av_find_best_stream(input.get(), type, -1, -1, nullptr, 0);
  if (index < 0) {
    if (error != nullptr) *error = "\"" + std::string(FileNamePart(path)) + "\" holds no " + missing + ".";
    return false;
  }
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    if (static_cast<int>(i) != index) input->streams[i]->discard = AVDISCARD_ALL;
  }
  AVStream* stream = input->streams[index];
  CodecContextPtr decoder = OpenDecoder(stream, error, size);
  if (!decoder) return false;
  opened->input = std::move(input);
  opened->stream = stream;
  opened->decoder = std::move(decoder);
  return true;
}

PCMWAVEFORMAT DeliveredPcmFormatOf(const AVCodecParameters* parameters) {
  std::uint16_t tag = 0;
  int bits = 16;
  if (parameters->codec_id == AV_CODEC_ID_PCM_U8) {
    tag = kWaveFormatPcm;
    bits = 8;
  } else if (parameters->codec_id == AV_CODEC_ID_PCM_S16LE) {
    tag = kWaveFormatPcm;
  }
  return DeliveredPcmFormat(tag, parameters->ch_layout.nb_channels, parameters->sample_rate, bits);
}

}  // namespace sprocket::media_detail
