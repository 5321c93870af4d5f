#pragma once
// Which FFmpeg codec writes and reads a compressor code (FOURCC).
//
// Writing: "MSVC"/"CRAM" msvideo1, "MJPG" mjpeg, "cvid" cinepak, "HFYU"
// huffyuv, "ZMBV" zmbv, "FMP4"/"XVID"/"DIVX"/"DX50" mpeg4, "MP43"/"DIV3"
// msmpeg4, "H264"/"X264" libx264, "FFV1" ffv1, "MPNG" png, 0 or "DIB "
// uncompressed, and "CFCC" (the capture board's format) as mjpeg under its
// own code. Codes are matched without regard to case. Every other code has
// no compressor.
//
// Reading: FFmpeg knows the common codes itself; the capture boards' codes
// "CFCC", "DUDC", "TVMJ" and "TVJP" are read with the mjpeg decoder.

#include <optional>
#include <string>
#include <vector>

#include "platform/media/fourcc.h"

namespace sprocket {

struct VideoCompressor {
  FourCC tag = 0;       // the code written into the file
  std::string encoder;  // FFmpeg encoder name; empty for uncompressed
  bool Uncompressed() const { return encoder.empty(); }
};

// The compressor of a code, or nothing when the code has none.
std::optional<VideoCompressor> FindVideoCompressor(FourCC code);

// True when the code has a compressor and this build of FFmpeg has its
// encoder (libx264, for one, may be missing).
bool IsVideoCompressorAvailable(FourCC code);

// The codes of the compressors this build can write ("DIB " for
// uncompressed), in the order of the list above.
std::vector<std::string> AvailableCompressorCodes();

// The FFmpeg decoder to use for a stream with this code when FFmpeg does not
// recognise it, or empty.
std::string FallbackDecoderName(FourCC code);

}  // namespace sprocket
