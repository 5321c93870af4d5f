#include "render/audio/audio_media_layout.h"

#include <algorithm>

#include "platform/file_paths.h"
#include "platform/le_bytes.h"
#include "platform/media/avi_index.h"
#include "render/audio/wav_file.h"

namespace sprocket {

namespace {

bool PlainPcm(int tag, int channels, int bits) {
  return tag == 1 && (channels == 1 || channels == 2) && (bits == 8 || bits == 16);
}

MediaLayoutStatus ReadWaveLayout(const std::string& path, const TLEvent& clip, AudioMediaLayout* layout) {
  WaveFileInfo info;
  const WaveReadStatus status = ReadWaveFileInfo(path, &info);
  if (status == WaveReadStatus::kOpenFailed) return MediaLayoutStatus::kUnusable;
  if (status != WaveReadStatus::kOk) return MediaLayoutStatus::kCorruptWave;
  if (!IsPlainPcm(info.format)) return MediaLayoutStatus::kUnusable;
  std::uint64_t total = info.dataSize;
  if (clip.header && clip.header->Wav() != nullptr)
    total = std::min<std::uint64_t>(total, clip.header->Wav()->dataSize);
  layout->base = info.dataOffset;
  layout->totalBytes = total;
  layout->channels = info.format.channels;
  layout->bits = info.format.bitsPerSample;
  layout->index.clear();
  return MediaLayoutStatus::kOk;
}

MediaLayoutStatus ReadAviLayout(const std::string& path, const TLEvent& clip, AudioMediaLayout* layout) {
  AviFileIndex avi;
  if (!avi.Open(path)) return MediaLayoutStatus::kUnusable;
  const int number = avi.FindStream(kStreamTypeAudio);
  if (number < 0) return MediaLayoutStatus::kUnusable;
  const AviStream& stream = avi.Stream(number);
  if (stream.format.size() < 16) return MediaLayoutStatus::kUnusable;
  const int tag = ReadLe16(stream.format.data());
  const int channels = ReadLe16(stream.format.data() + 2);
  const int bits = ReadLe16(stream.format.data() + 14);
  if (!PlainPcm(tag, channels, bits)) return MediaLayoutStatus::kUnusable;

  std::uint64_t total = stream.totalBytes;
  if (clip.header && clip.header->Avi() != nullptr) {
    const AviClipHeader& header = *clip.header->Avi();
    total = std::min<std::uint64_t>(total, static_cast<std::uint64_t>(bits / 8) * channels * header.audio.length);
  }
  layout->base = 0;
  layout->totalBytes = total;
  layout->channels = channels;
  layout->bits = bits;
  layout->index.clear();
  std::uint64_t before = 0;
  for (const AviSample& sample : stream.samples) {
    if (sample.size == 0) continue;
    layout->index.push_back({sample.offset, sample.size, before});
    before += sample.size;
  }
  return MediaLayoutStatus::kOk;
}

}  // namespace

MediaLayoutStatus ReadMediaLayout(const std::string& path, const TLEvent& clip, AudioMediaLayout* layout) {
  if (HasExtension(path, ".wav")) return ReadWaveLayout(path, clip, layout);
  if (HasExtension(path, ".avi")) return ReadAviLayout(path, clip, layout);
  return MediaLayoutStatus::kUnusable;
}

bool MapAudioOffset(std::span<const AudioChunkEntry> index, std::uint64_t byteOffset, std::uint64_t* fileOffset) {
  // The last chunk that starts at or before the byte.
  auto after =
      std::upper_bound(index.begin(), index.end(), byteOffset,
                       [](std::uint64_t offset, const AudioChunkEntry& entry) { return offset < entry.before; });
  if (after == index.begin()) return false;
  const AudioChunkEntry& entry = *(after - 1);
  if (byteOffset - entry.before >= entry.size) return false;
  *fileOffset = entry.fileOffset + (byteOffset - entry.before);
  return true;
}

}  // namespace sprocket
