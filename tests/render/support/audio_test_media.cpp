#include "audio_test_media.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "imagelib/dib_header.h"
#include "platform/global_memory.h"
#include "platform/media/avi_writer.h"
#include "render/audio/wav_file.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_header_reader.h"

namespace sprocket::testing {

namespace {

void PutSample(std::string& bytes, int bits, int value) {
  if (bits == 8) {
    bytes.push_back(static_cast<char>(static_cast<std::uint8_t>(value + 128)));
  } else {
    bytes += Le16(value & 0xFFFF);
  }
}

std::string SampleBytes(int channels, int bits, std::int64_t frames, const SampleFunction& sample) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(frames * channels * bits / 8));
  for (std::int64_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) PutSample(bytes, bits, sample(i, c));
  }
  return bytes;
}

}  // namespace

std::string Le16(int value) {
  return std::string{static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

std::string Le32(std::uint32_t value) {
  return Le16(static_cast<int>(value & 0xFFFF)) + Le16(static_cast<int>(value >> 16));
}

std::string Chunk(const std::string& id, const std::string& data) {
  std::string chunk = id + Le32(static_cast<std::uint32_t>(data.size())) + data;
  if (data.size() % 2 != 0) chunk.push_back('\0');
  return chunk;
}

std::string FormatBody(int tag, int channels, int rate, int bits, int blockAlign, const std::string& extra) {
  return Le16(tag) + Le16(channels) + Le32(static_cast<std::uint32_t>(rate)) +
         Le32(static_cast<std::uint32_t>(rate * blockAlign)) + Le16(blockAlign) + Le16(bits) + extra;
}

std::string RiffWave(const std::string& chunks) {
  return "RIFF" + Le32(static_cast<std::uint32_t>(chunks.size() + 4)) + "WAVE" + chunks;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteTestWave(const std::filesystem::path& path, int channels, int rate, int bits, std::int64_t frames,
                   const SampleFunction& sample) {
  const std::string data = SampleBytes(channels, bits, frames, sample);
  WaveOutputFile wav;
  if (wav.WriteWaveHeader(0, 0, 0, 0, 0, path.string()) != 1 || !wav.Write(data.data(), data.size()) ||
      wav.WriteWaveHeader(1, data.size(), rate, channels, bits, path.string()) != 1) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

TLEventFields MediaClipFields(const std::filesystem::path& path, std::int32_t playIn, std::int32_t playOut) {
  TLEventFields fields;
  fields.directory = path.parent_path().string() + "/";
  const std::string file = path.filename().string();
  const std::size_t dot = file.find('.');
  fields.name = file.substr(0, dot);
  fields.extension = dot == std::string::npos ? "" : file.substr(dot);
  fields.mediaType = GetMediaTypeCode(path.string());
  fields.playIn = playIn;
  fields.playOut = playOut;
  std::string error;
  if (!ReadMediaHeader(path.string(), fields.mediaType, &fields.header, &error)) {
    throw std::runtime_error("no header for " + path.string() + ": " + error);
  }
  return fields;
}

std::string WriteTestAvi(const std::filesystem::path& path, int frames, int fps, int channels, int rate, int bits,
                         const SampleFunction& sample) {
  AviVideoFormat video;
  video.width = 16;
  video.height = 16;
  video.rate = static_cast<std::uint32_t>(fps);
  video.scale = 1;
  AviAudioFormat audio;
  audio.bits = bits;
  audio.rate = rate;
  audio.channels = channels;
  AviWriter writer;
  if (!writer.Open(path.string(), video, audio)) return writer.ErrorText();
  const DibInfoHeader header = MakeDib24Header(16, 16);
  GlobalBlock picture = GlobalBlock::Allocate(sizeof(DibInfoHeader) + header.biSizeImage);
  {
    GlobalLockGuard<std::uint8_t> bytes(picture.get());
    WriteDibHeader(bytes.get(), header);
  }
  std::int64_t written = 0;
  for (int f = 0; f < frames; ++f) {
    const std::int64_t next = static_cast<std::int64_t>(f + 1) * rate / fps;
    const std::string samples =
        SampleBytes(channels, bits, next - written, [&](std::int64_t i, int c) { return sample(written + i, c); });
    if (!writer.WriteFrame(picture.get()) || !writer.WriteAudio(samples.data(), samples.size())) {
      return writer.ErrorText();
    }
    written = next;
  }
  if (!writer.Finish()) return writer.ErrorText();
  return {};
}

WaveSamples ReadTestWave(const std::filesystem::path& path) {
  WaveFileInfo info;
  if (ReadWaveFileInfo(path.string(), &info) != WaveReadStatus::kOk)
    throw std::runtime_error("bad WAV " + path.string());
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  WaveSamples wave;
  wave.channels = info.format.channels;
  wave.rate = static_cast<int>(info.format.samplesPerSec);
  wave.bits = info.format.bitsPerSample;
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data()) + info.dataOffset;
  if (wave.bits == 8) {
    for (std::uint32_t i = 0; i < info.dataSize; ++i) wave.samples.push_back(static_cast<int>(data[i]) - 128);
  } else {
    for (std::uint32_t i = 0; i + 1 < info.dataSize; i += 2) {
      wave.samples.push_back(static_cast<std::int16_t>(data[i] | data[i + 1] << 8));
    }
  }
  return wave;
}

}  // namespace sprocket::testing
