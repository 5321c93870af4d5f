#pragma once
// Owners of FFmpeg's objects, and FFmpeg's error codes as text. Used inside
// the media layer only.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

#include "platform/media/avi_media_header.h"
#include "platform/media/decode_size.h"

namespace sprocket::media_detail {

struct InputContextDeleter {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecContextDeleter {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleContextDeleter {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct ResampleContextDeleter {
  void operator()(SwrContext* context) const { swr_free(&context); }
};

using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using ScaleContextPtr = std::unique_ptr<SwsContext, ScaleContextDeleter>;
using ResampleContextPtr = std::unique_ptr<SwrContext, ResampleContextDeleter>;

// FFmpeg's description of an error code.
std::string AvErrorText(int code);

// Opens a media file for reading and reads its stream information. Null with
// `error` set when FFmpeg cannot open it.
InputContextPtr OpenInput(const std::string& path, std::string* error);

// A decoder opened for a stream, with the codec chosen by the stream's code
// where our table names one (clips of capture boards) and by FFmpeg
// otherwise. Null with `error` set when none can be opened. A decoder for
// pictures shown small (`size` not full) runs on one thread and decodes at
// the smallest reduced size the codec offers that covers `size`.
CodecContextPtr OpenDecoder(const AVStream* stream, std::string* error, DecodeSize size = {});

// A file opened for decoding one of its streams.
struct DecodingStream {
  InputContextPtr input;
  AVStream* stream = nullptr;
  CodecContextPtr decoder;
};

// Opens the file's main stream of `type` (video or sound) with its decoder;
// the file's other streams are skipped when reading. False with `error` set
// when the file cannot be opened, holds no such stream (`missing` names the
// kind: "video", "sound") or no decoder opens.
bool OpenDecodingStream(const std::string& path, AVMediaType type, const char* missing, DecodingStream* opened,
                        std::string* error, DecodeSize size = {});

// The PCM format in which a stream's sound is delivered (see
// DeliveredPcmFormat); no format (bits 0) when the stream has none usable.
PCMWAVEFORMAT DeliveredPcmFormatOf(const AVCodecParameters* parameters);

}  // namespace sprocket::media_detail
