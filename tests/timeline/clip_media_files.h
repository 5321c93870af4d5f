#pragma once
// Small media files written by the clip header and timeline file tests:
// WAV and FLIC headers byte by byte, AVI movies through the ffmpeg program.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace sprocket::testing {

inline void PutLe16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

inline void PutLe32(std::string& out, std::uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

// One RIFF chunk: id, size and data (padded to an even length).
inline std::string RiffChunkBytes(const std::string& id, const std::string& data) {
  std::string out = id;
  PutLe32(out, static_cast<std::uint32_t>(data.size()));
  out += data;
  if (data.size() % 2 != 0) out += '\0';
  return out;
}

// The data of a "fmt " chunk; `extra` bytes follow the 16 PCM bytes.
inline std::string WaveFormatBytes(int channels, int rate, int bits, std::size_t extra = 0) {
  std::string out;
  int blockAlign = channels * bits / 8;
  PutLe16(out, 1);
  PutLe16(out, static_cast<std::uint32_t>(channels));
  PutLe32(out, static_cast<std::uint32_t>(rate));
  PutLe32(out, static_cast<std::uint32_t>(rate * blockAlign));
  PutLe16(out, static_cast<std::uint32_t>(blockAlign));
  PutLe16(out, static_cast<std::uint32_t>(bits));
  out.append(extra, '\0');
  return out;
}

// A RIFF WAVE file holding `chunks` (each made by RiffChunkBytes).
inline std::string WaveFileBytes(const std::vector<std::string>& chunks) {
  std::string body = "WAVE";
  for (const std::string& chunk : chunks) body += chunk;
  std::string out = "RIFF";
  PutLe32(out, static_cast<std::uint32_t>(body.size()));
  return out + body;
}

// A plain PCM WAV file of silence.
inline std::string SilentWave(int channels, int rate, int bits, std::size_t dataBytes) {
  return WaveFileBytes({RiffChunkBytes("fmt ", WaveFormatBytes(channels, rate, bits)),
                        RiffChunkBytes("data", std::string(dataBytes, '\0'))});
}

// The 128-byte header of an FLC (0xAF12) or FLI (0xAF11) animation.
inline std::string FlicHeaderBytes(std::uint16_t magic, int frames, int width, int height, std::uint32_t speed) {
  std::string out;
  PutLe32(out, 128);
  PutLe16(out, magic);
  PutLe16(out, static_cast<std::uint32_t>(frames));
  PutLe16(out, static_cast<std::uint32_t>(width));
  PutLe16(out, static_cast<std::uint32_t>(height));
  PutLe16(out, 8);
  PutLe16(out, 0);
  PutLe32(out, speed);
  out.resize(128, '\0');
  return out;
}

inline bool HaveFfmpeg() { return std::system("ffmpeg -version > /dev/null 2>&1") == 0; }

// Writes a 320 x 240 MJPEG AVI of `frames` frames at 25 fps with a stereo
// 16-bit 22050 Hz tone. False when ffmpeg fails.
inline bool MakeAviWithFfmpeg(const std::filesystem::path& path, int frames) {
  std::string seconds = std::to_string(frames / 25.0);
  std::string command =
      "ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=" + seconds +
      " -f lavfi -i sine=frequency=440:sample_rate=22050:duration=" + seconds +
      " -map 0:v -map 1:a -c:v mjpeg -q:v 20 -pix_fmt yuvj420p -c:a pcm_s16le -ac 2 '" + path.string() + "'";
  return std::system(command.c_str()) == 0;
}

}  // namespace sprocket::testing
