#include "platform/media/jpeg_chroma_layout.h"

#include <vector>

#include "platform/media/avi_index.h"

namespace sprocket {

namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;

// Frame headers of the baseline, extended and progressive Huffman codings.
bool IsFrameHeader(std::uint8_t marker) { return marker >= 0xC0 && marker <= 0xC2; }

// Markers that stand alone, without a length.
bool HasNoLength(std::uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8); }

// The layout from the sampling factors (horizontal << 4 | vertical) of the
// brightness and the two colour components: how many brightness samples
// each colour sample spans across and down.
int LayoutOfFactors(int luma, int blue, int red) {
  const int lumaH = luma >> 4, lumaV = luma & 15, chromaH = blue >> 4, chromaV = blue & 15;
  if (blue != red || chromaH == 0 || chromaV == 0 || lumaH % chromaH != 0 || lumaV % chromaV != 0) {
    return kChromaLayoutUnknown;
  }
  const int across = lumaH / chromaH, down = lumaV / chromaV;
  if (across == 2 && down == 2) return kChromaLayout420;
  if (across == 2 && down == 1) return kChromaLayout422;
  if (across == 1 && down == 1) return kChromaLayout444;
  return kChromaLayoutUnknown;
}

}  // namespace

int JpegChromaLayout(std::span<const std::uint8_t> picture) {
  if (picture.size() < 4 || picture[0] != kMarker || picture[1] != kStartOfImage) return kChromaLayoutUnknown;
  std::size_t at = 2;
  while (at + 4 <= picture.size()) {
    if (picture[at] != kMarker) return kChromaLayoutUnknown;
    const std::uint8_t marker = picture[at + 1];
    if (marker == kMarker) {  // fill byte
      ++at;
      continue;
    }
    if (HasNoLength(marker)) {
      at += 2;
      continue;
    }
    if (marker == kStartOfScan || marker == kEndOfImage) return kChromaLayoutUnknown;
    const std::size_t length = (static_cast<std::size_t>(picture[at + 2]) << 8) | picture[at + 3];
    if (length < 2 || at + 2 + length > picture.size()) return kChromaLayoutUnknown;
    if (IsFrameHeader(marker)) {
      // Length, precision, height, width, component count, then three bytes
      // a component: id, sampling factors (horizontal << 4 | vertical), table.
      const std::uint8_t* header = picture.data() + at + 4;
      if (length < 8 + 3 * 3 || header[5] != 3) return kChromaLayoutUnknown;
      return LayoutOfFactors(header[7], header[10], header[13]);
    }
    at += 2 + length;
  }
  return kChromaLayoutUnknown;
}

int MovieChromaLayout(const std::string& path) {
  AviFileIndex index;
  if (!index.Open(path)) return kChromaLayoutUnknown;
  const int stream = index.FindStream(kStreamTypeVideo);
  if (stream < 0) return kChromaLayoutUnknown;
  // The first sample that holds a picture (empty samples repeat the one before).
  std::vector<std::uint8_t> sample;
  for (std::int64_t n = 0; n < index.SampleCount(stream); ++n) {
    if (!index.ReadSample(stream, n, &sample)) return kChromaLayoutUnknown;
    if (!sample.empty()) return JpegChromaLayout(sample);
  }
  return kChromaLayoutUnknown;
}

}  // namespace sprocket
