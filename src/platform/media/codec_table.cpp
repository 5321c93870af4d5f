#include "platform/media/codec_table.h"

#include <array>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace sprocket {

namespace {

struct CompressorRow {
  const char* code;
  const char* encoder;  // empty: uncompressed
};

constexpr std::array<CompressorRow, 19> kCompressors = {{
    {"MSVC", "msvideo1"},
    {"CRAM", "msvideo1"},
    {"MJPG", "mjpeg"},
    {"cvid", "cinepak"},
    {"HFYU", "huffyuv"},
    {"ZMBV", "zmbv"},
    {"FMP4", "mpeg4"},
    {"XVID", "mpeg4"},
    {"DIVX", "mpeg4"},
    {"DX50", "mpeg4"},
    {"MP43", "msmpeg4"},
    {"DIV3", "msmpeg4"},
    {"H264", "libx264"},
    {"X264", "libx264"},
    {"FFV1", "ffv1"},
    {"MPNG", "png"},
    {"DIB ", ""},
    {"CFCC", "mjpeg"},
    {"", ""},
}};

constexpr std::array<const char*, 4> kBoardMotionJpegCodes = {"CFCC", "DUDC", "TVMJ", "TVJP"};

}  // namespace

std::optional<VideoCompressor> FindVideoCompressor(FourCC code) {
  for (const CompressorRow& row : kCompressors) {
    FourCC rowCode = MakeFourCC(row.code);
    if (code == rowCode || (code != 0 && rowCode != 0 && FourCCEqualsNoCase(code, rowCode))) {
      // Uncompressed output always carries the code 0.
      return VideoCompressor{row.encoder[0] == '\0' ? 0 : rowCode, row.encoder};
    }
  }
  return std::nullopt;
}

bool IsVideoCompressorAvailable(FourCC code) {
  auto compressor = FindVideoCompressor(code);
  if (!compressor) return false;
  return compressor->Uncompressed() || avcodec_find_encoder_by_name(compressor->encoder.c_str()) != nullptr;
}

std::vector<std::string> AvailableCompressorCodes() {
  std::vector<std::string> codes;
  for (const CompressorRow& row : kCompressors) {
    if (row.code[0] != '\0' && IsVideoCompressorAvailable(MakeFourCC(row.code))) codes.emplace_back(row.code);
  }
  return codes;
}

std::string FallbackDecoderName(FourCC code) {
  for (const char* board : kBoardMotionJpegCodes) {
    if (FourCCEqualsNoCase(code, MakeFourCC(board))) return "mjpeg";
  }
  return {};
}

}  // namespace sprocket
