#include "media_test_clips.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "imagelib/dib_header.h"

namespace sprocket::testing {

namespace {

constexpr std::uint8_t kRed[3] = {40, 40, 230};
constexpr std::uint8_t kDark[3] = {30, 30, 30};
constexpr std::uint8_t kBlue[3] = {230, 40, 40};
constexpr std::uint8_t kGreen[3] = {40, 230, 40};

int BlockAt(int x, int yFromTop, int width, int height) {
  int column = x * 4 / width;
  int row = yFromTop * 2 / height;
  return row * 4 + column;
}

void PutLe(std::string* out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutId(std::string* out, const char* id) { out->append(id, 4); }

void SetLe32(std::string* out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) (*out)[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

GlobalBlock MakeNumberedPicture(int index, int width, int height) {
  DibInfoHeader header = MakeDib24Header(width, height);
  GlobalBlock block = GlobalBlock::Allocate(kDibHeaderSize + header.biSizeImage);
  GlobalLockGuard<std::uint8_t> bytes(block.get());
  WriteDibHeader(bytes.get(), header);
  std::int32_t stride = PaddedStride24(width);
  for (int yTop = 0; yTop < height; ++yTop) {
    std::uint8_t* row = bytes.get() + kDibHeaderSize + static_cast<std::ptrdiff_t>(stride) * (height - 1 - yTop);
    for (int x = 0; x < width; ++x) {
      int b = BlockAt(x, yTop, width, height);
      const std::uint8_t* colour = b == 6 ? kBlue : b == 7 ? kGreen : ((index >> b) & 1) ? kRed : kDark;
      std::memcpy(row + 3 * x, colour, 3);
    }
  }
  return block;
}

void PixelAt(HGLOBAL dib, int x, int yFromTop, std::uint8_t bgr[3]) {
  GlobalLockGuard<std::uint8_t> bytes(dib);
  DibInfoHeader header = ReadDibHeader(bytes.get());
  std::int32_t stride = static_cast<std::int32_t>(header.biSizeImage / header.biHeight);
  const std::uint8_t* p =
      bytes.get() + kDibHeaderSize + static_cast<std::ptrdiff_t>(stride) * (header.biHeight - 1 - yFromTop) + 3 * x;
  std::memcpy(bgr, p, 3);
}

int ReadPictureNumber(HGLOBAL dib) {
  if (dib == nullptr) return -1;
  DibInfoHeader header;
  {
    GlobalLockGuard<std::uint8_t> bytes(dib);
    header = ReadDibHeader(bytes.get());
  }
  int width = header.biWidth;
  int height = header.biHeight;
  int value = 0;
  for (int b = 0; b < 8; ++b) {
    std::uint8_t bgr[3];
    PixelAt(dib, (b % 4) * width / 4 + width / 8, (b / 4) * height / 2 + height / 4, bgr);
    bool blue = bgr[0] > 128, green = bgr[1] > 128, red = bgr[2] > 128;
    if (b == 6 && !(blue && !green && !red)) return -1;
    if (b == 7 && !(green && !blue && !red)) return -1;
    if (b < 6) {
      if (green || blue) return -1;
      if (red) value |= 1 << b;
    }
  }
  return value;
}

std::int16_t RampSample(std::int64_t n, int channel) {
  return static_cast<std::int16_t>(((n * 37 + channel * 1000) % 20000) - 10000);
}

std::string WriteNumberedClip(const std::string& path, FourCC compressor, int frames, int keyEvery, int audioBits,
                              int channels, int width, int height) {
  AviVideoFormat video;
  video.width = width;
  video.height = height;
  video.rate = 25;
  video.scale = 1;
  video.compressor = compressor;
  video.quality = 8000;
  video.keyFrameEvery = keyEvery;
  std::optional<AviAudioFormat> audio;
  if (audioBits != 0) audio = AviAudioFormat{audioBits, 11025, channels};
  AviWriter writer;
  if (!writer.Open(path, video, audio)) return writer.ErrorText();
  std::int64_t sample = 0;
  for (int f = 0; f < frames; ++f) {
    GlobalBlock picture = MakeNumberedPicture(f, width, height);
    if (!writer.WriteFrame(picture.get())) return writer.ErrorText();
    if (audioBits != 0) {
      std::vector<std::uint8_t> bytes;
      for (int i = 0; i < 441; ++i, ++sample) {
        for (int c = 0; c < channels; ++c) {
          std::int16_t v = RampSample(sample, c);
          if (audioBits == 8) {
            bytes.push_back(static_cast<std::uint8_t>((v >> 8) + 128));
          } else {
            bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
          }
        }
      }
      if (!writer.WriteAudio(bytes.data(), bytes.size())) return writer.ErrorText();
    }
  }
  if (!writer.Finish()) return writer.ErrorText();
  return {};
}

std::optional<std::vector<std::map<std::string, std::string>>> ProbeStreams(const std::string& path) {
  if (!ToolAvailable("ffprobe")) return std::nullopt;
  // A file ffprobe refuses gives no streams, which the callers' checks catch.
  const std::string text =
      RunCommand("ffprobe -v error -count_packets -show_streams '" + path + "' 2>/dev/null").value_or("");
  std::vector<std::map<std::string, std::string>> streams;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "[STREAM]") {
      streams.emplace_back();
    } else if (!streams.empty() && line.find('=') != std::string::npos) {
      streams.back()[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    }
  }
  return streams;
}

std::string BuildRawAvi(const RawAviOptions& options) {
  const int side = 8;
  const std::uint32_t frameBytes = side * side * 3;
  std::string avi;
  PutId(&avi, "RIFF");
  PutLe(&avi, 0, 4);  // set at the end
  PutId(&avi, "AVI ");

  std::string strl;
  PutId(&strl, "strl");
  PutId(&strl, "strh");
  PutLe(&strl, 56, 4);
  PutId(&strl, "vids");
  PutLe(&strl, 0, 4);   // handler
  PutLe(&strl, 0, 4);   // flags
  PutLe(&strl, 0, 4);   // priority, language
  PutLe(&strl, 0, 4);   // initial frames
  PutLe(&strl, 1, 4);   // scale
  PutLe(&strl, 10, 4);  // rate
  PutLe(&strl, 0, 4);   // start
  PutLe(&strl, static_cast<std::uint32_t>(options.frames), 4);
  PutLe(&strl, frameBytes, 4);
  PutLe(&strl, 0xFFFFFFFFu, 4);  // quality
  PutLe(&strl, 0, 4);            // sample size
  PutLe(&strl, 0, 4);
  PutLe(&strl, side | side << 16, 4);
  PutId(&strl, "strf");
  PutLe(&strl, 40, 4);
  DibInfoHeader format = MakeDib24Header(side, side);
  strl.append(reinterpret_cast<const char*>(&format), sizeof format);

  std::string hdrl;
  PutId(&hdrl, "hdrl");
  PutId(&hdrl, "avih");
  PutLe(&hdrl, 56, 4);
  PutLe(&hdrl, 100000, 4);  // microseconds a frame
  for (int i = 0; i < 3; ++i) PutLe(&hdrl, 0, 4);
  PutLe(&hdrl, static_cast<std::uint32_t>(options.frames), 4);
  PutLe(&hdrl, 0, 4);
  PutLe(&hdrl, 1, 4);  // streams
  PutLe(&hdrl, frameBytes, 4);
  PutLe(&hdrl, side, 4);
  PutLe(&hdrl, side, 4);
  for (int i = 0; i < 4; ++i) PutLe(&hdrl, 0, 4);
  PutId(&hdrl, "LIST");
  PutLe(&hdrl, static_cast<std::uint32_t>(strl.size()), 4);
  hdrl += strl;

  PutId(&avi, "LIST");
  PutLe(&avi, static_cast<std::uint32_t>(hdrl.size()), 4);
  avi += hdrl;

  std::size_t moviList = avi.size();
  PutId(&avi, "LIST");
  PutLe(&avi, 0, 4);
  PutId(&avi, "movi");
  std::string index;
  for (int f = 0; f < options.frames; ++f) {
    std::uint32_t size = f == options.emptyFrame ? 0 : frameBytes;
    std::size_t at = avi.size();
    PutId(&avi, "00db");
    PutLe(&avi, size, 4);
    avi.append(size, static_cast<char>(f * 40));
    PutId(&index, "00db");
    PutLe(&index, 0x10, 4);
    PutLe(&index, static_cast<std::uint32_t>(options.absoluteIndex ? at : at - (moviList + 8)), 4);
    PutLe(&index, size, 4);
  }
  SetLe32(&avi, moviList + 4, static_cast<std::uint32_t>(avi.size() - moviList - 8));
  if (options.withIndex) {
    PutId(&avi, "idx1");
    PutLe(&avi, static_cast<std::uint32_t>(index.size()), 4);
    avi += index;
  }
  SetLe32(&avi, 4, static_cast<std::uint32_t>(avi.size() - 8));
  return avi;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace sprocket::testing
