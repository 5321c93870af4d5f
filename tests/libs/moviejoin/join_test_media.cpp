#include "join_test_media.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numeric>

#include "imagelib/dib_header.h"
#include "media_test_clips.h"
#include "platform/media/avi_index.h"
#include "platform/media/fourcc.h"
#include "platform/media/video_frame_reader.h"

namespace sprocket::testing {

namespace {

void PutLe(std::string* out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

MovieJoinJob SmallJob(const std::string& outputPath, const char* code) {
  MovieJoinJob job;
  MovieJoinParams& p = job.params;
  p.width = kClipWidth;
  p.height = kClipHeight;
  p.frameCount = 25;
  p.startMs = 1000;
  p.endMs = 2000;
  p.paletteKind = 3;
  p.framesPerSecond = 25.0f;
  p.bitDepth = 24;
  p.outputKind = 1;
  p.soundMode = kJoinSoundNone;
  p.compressor = MakeFourCC(code);
  p.quality = 10000;
  p.dataRate = 0;
  p.keyFrameEvery = 1;
  p.interleave = 5;
  p.audioBits = 16;
  p.audioRate = 11025;
  p.audioChannels = 2;
  job.outputPath = outputPath;
  job.soundPath = "";
  return job;
}

std::vector<std::uint8_t> WriteRampWav(const std::string& path, int bits, int rate, int channels, std::int64_t frames) {
  std::vector<std::uint8_t> data;
  for (std::int64_t n = 0; n < frames; ++n) {
    for (int c = 0; c < channels; ++c) {
      std::int16_t v = RampSample(n, c);
      if (bits == 8) {
        data.push_back(static_cast<std::uint8_t>((v >> 8) + 128));
      } else {
        data.push_back(static_cast<std::uint8_t>(v & 0xFF));
        data.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
      }
    }
  }
  std::string file = "RIFF";
  PutLe(&file, static_cast<std::uint32_t>(36 + data.size()), 4);
  file += "WAVEfmt ";
  PutLe(&file, 16, 4);
  PutLe(&file, 1, 2);
  PutLe(&file, static_cast<std::uint32_t>(channels), 2);
  PutLe(&file, static_cast<std::uint32_t>(rate), 4);
  PutLe(&file, static_cast<std::uint32_t>(rate * channels * bits / 8), 4);
  PutLe(&file, static_cast<std::uint32_t>(channels * bits / 8), 2);
  PutLe(&file, static_cast<std::uint32_t>(bits), 2);
  file += "data";
  PutLe(&file, static_cast<std::uint32_t>(data.size()), 4);
  file.append(reinterpret_cast<const char*>(data.data()), data.size());
  WriteBytes(path, file);
  return data;
}

void DrawNumbered(MovieJoinFrame& frame, int number) {
  GlobalBlock picture = MakeNumberedPicture(number, frame.width, frame.height);
  GlobalLockGuard<std::uint8_t> bytes(picture.get());
  std::memcpy(frame.picture, bytes.get(), picture.size());
}

MovieJoinFrameCallback NumberedFrames::Callback() {
  return [this](MovieJoinFrame& frame) {
    MovieJoinFrame copy;
    copy.index = frame.index;
    copy.timeMs = frame.timeMs;
    copy.endTimeMs = frame.endTimeMs;
    copy.width = frame.width;
    copy.height = frame.height;
    copy.fieldMode = frame.fieldMode;
    copy.renderMode = frame.renderMode;
    copy.doubleSize = frame.doubleSize;
    calls.push_back(std::move(copy));
    DrawNumbered(frame, frame.index % 64);
    return 0;
  };
}

int RunJob(const MovieJoinJob& job, const MovieJoinFrameCallback& frames, const MovieJoinProgressCallback& progress,
           const MovieJoinPumpCallback& pump, MovieJoinOutcome* outcome) {
  GlobalBlock block = PackMovieJoinJob(job);
  if (!block) return -999;
  return WriteMovieFile(block.get(), frames, progress, pump, outcome);
}

std::optional<std::vector<std::vector<std::uint8_t>>> DecodeWithFfmpeg(const std::string& path, int width, int height) {
  if (!ToolAvailable("ffmpeg")) return std::nullopt;
  // A file ffmpeg refuses gives no frames, which the callers' checks catch.
  const std::string all =
      RunCommand("ffmpeg -v error -i '" + path + "' -map 0:v:0 -f rawvideo -pix_fmt bgr24 - 2>/dev/null").value_or("");
  std::size_t frameBytes = static_cast<std::size_t>(width) * height * 3;
  std::vector<std::vector<std::uint8_t>> frames;
  for (std::size_t at = 0; at + frameBytes <= all.size(); at += frameBytes) {
    frames.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(at),
                        all.begin() + static_cast<std::ptrdiff_t>(at + frameBytes));
  }
  return frames;
}

std::vector<std::uint8_t> TopDownRows(HGLOBAL dib) {
  GlobalLockGuard<std::uint8_t> bytes(dib);
  DibInfoHeader header = ReadDibHeader(bytes.get());
  std::int32_t stride = static_cast<std::int32_t>(header.biSizeImage / header.biHeight);
  std::vector<std::uint8_t> rows;
  for (int y = header.biHeight - 1; y >= 0; --y) {
    const std::uint8_t* row = bytes.get() + kDibHeaderSize + static_cast<std::ptrdiff_t>(stride) * y;
    rows.insert(rows.end(), row, row + header.biWidth * 3);
  }
  return rows;
}

PictureDifference Compare(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  PictureDifference d;
  if (a.size() != b.size() || a.empty()) return PictureDifference{255, 255.0};
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    int diff = std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
    d.largest = std::max(d.largest, diff);
    sum += diff;
  }
  d.mean = sum / static_cast<double>(a.size());
  return d;
}

std::vector<std::uint8_t> VideoSample(const std::string& path, std::int64_t n) {
  AviFileIndex index;
  std::vector<std::uint8_t> bytes;
  if (index.Open(path)) index.ReadSample(index.FindStream(kStreamTypeVideo), n, &bytes);
  return bytes;
}

std::vector<int> FrameNumbers(const std::string& path) {
  VideoFrameReader reader;
  std::vector<int> numbers;
  if (!reader.Open(path)) return numbers;
  for (std::int64_t k = 0; k < reader.FrameCount(); ++k)
    numbers.push_back(ReadPictureNumber(reader.ReadFrame(k).get()));
  return numbers;
}

std::vector<int> Count(int count) {
  std::vector<int> numbers(static_cast<std::size_t>(count));
  std::iota(numbers.begin(), numbers.end(), 0);
  return numbers;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace sprocket::testing
