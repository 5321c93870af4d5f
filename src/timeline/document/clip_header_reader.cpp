#include "timeline/document/clip_header_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "platform/file_paths.h"
#include "platform/le_bytes.h"
#include "platform/media/movie_header.h"
#include "platform/media/riff_reader.h"
#include "timeline/basics/media_type.h"
#include "timeline/basics/numbered_file_name.h"
#include "timeline/document/event_edits.h"

namespace sprocket {

namespace {

constexpr std::size_t kFlicHeaderBytes = 128;
constexpr std::uint16_t kFlcMagic = 0xAF12;
constexpr std::uint16_t kFliMagic = 0xAF11;
// FLI frame times count in 1/70 s.
constexpr std::uint32_t kFliTicksPerSecond = 70;
// A "fmt " chunk longer than this is not a wave format.
constexpr std::size_t kMaxWaveFormatBytes = 4096;
constexpr std::size_t kPcmFormatBytes = 16;

bool Fail(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
  return false;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

bool ReadAviHeader(const std::string& path, std::optional<ClipMediaHeader>* header, std::string* error) {
  AviMediaHeader media;
  std::string why;
  if (!ReadMovieHeader(path, &media, &why)) {
    return Fail(error, "The movie " + Quoted(path) + " cannot be read" + (why.empty() ? "." : ": " + why));
  }
  static_assert(sizeof(AviMediaHeader) == sizeof(AviClipHeader));
  std::optional<ClipMediaHeader> read = ClipMediaHeader::FromBytes(
      ClipHeaderKind::kAvi, std::span(reinterpret_cast<const std::uint8_t*>(&media), sizeof media));
  if (!read) return Fail(error, "The movie " + Quoted(path) + " gave a header of the wrong size.");
  *header = std::move(read);
  return true;
}

bool ReadFlicHeader(const std::string& path, std::optional<ClipMediaHeader>* header, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  std::uint8_t bytes[kFlicHeaderBytes];
  if (!in || !in.read(reinterpret_cast<char*>(bytes), sizeof bytes)) {
    return Fail(error, "The animation " + Quoted(path) + " is too short to be an FLC or FLI file.");
  }
  std::uint16_t magic = ReadLe16(bytes + 4);
  if (magic != kFlcMagic && magic != kFliMagic) {
    return Fail(error, "The file " + Quoted(path) + " is not an FLC or FLI animation.");
  }
  FlicClipHeader flic{};
  flic.frameCount = ReadLe16(bytes + 6);
  flic.width = ReadLe16(bytes + 8);
  flic.height = ReadLe16(bytes + 10);
  if (flic.frameCount == 0 || flic.width == 0 || flic.height == 0) {
    return Fail(error, "The animation " + Quoted(path) + " holds no frames or has no size.");
  }
  std::uint32_t speed = ReadLe32(bytes + 16);
  std::uint64_t ms =
      magic == kFlcMagic ? speed : (std::uint64_t{speed} * 1000 + kFliTicksPerSecond / 2) / kFliTicksPerSecond;
  flic.msPerFrame = static_cast<std::int32_t>(std::min<std::uint64_t>(ms, std::numeric_limits<std::int32_t>::max()));
  *header = ClipMediaHeader(flic);
  return true;
}

bool ReadWavHeader(const std::string& path, std::optional<ClipMediaHeader>* header, std::string* error) {
  RiffReader riff;
  std::optional<RiffChunk> wave;
  if (riff.Open(path)) wave = riff.FindRiff(MakeFourCC("WAVE"));
  std::optional<std::vector<RiffChunk>> chunks;
  if (wave) chunks = riff.Children(*wave);
  if (!chunks) return Fail(error, "The sound " + Quoted(path) + " cannot be read: " + riff.ErrorText());

  const RiffChunk* format = nullptr;
  const RiffChunk* data = nullptr;
  for (const RiffChunk& chunk : *chunks) {
    if (chunk.id == MakeFourCC("fmt ") && format == nullptr) format = &chunk;
    if (chunk.id == MakeFourCC("data") && data == nullptr) data = &chunk;
  }
  if (format == nullptr || data == nullptr) {
    return Fail(
        error, "The sound " + Quoted(path) + " lacks its " + (format == nullptr ? "\"fmt \"" : "\"data\"") + " chunk.");
  }
  std::vector<std::uint8_t> bytes;
  if (format->size < kPcmFormatBytes || !riff.ReadData(*format, &bytes, kMaxWaveFormatBytes)) {
    return Fail(error, "The sound " + Quoted(path) + " has a damaged \"fmt \" chunk.");
  }
  WavClipHeader wav{};
  std::memcpy(wav.riff, "RIFF", 4);
  std::memcpy(wav.wave, "WAVE", 4);
  std::memcpy(wav.fmt, "fmt ", 4);
  std::memcpy(wav.data, "data", 4);
  wav.fmtSize = kPcmFormatBytes;
  wav.formatTag = ReadLe16(&bytes[0]);
  wav.channels = ReadLe16(&bytes[2]);
  wav.samplesPerSec = ReadLe32(&bytes[4]);
  wav.avgBytesPerSec = ReadLe32(&bytes[8]);
  wav.blockAlign = ReadLe16(&bytes[12]);
  wav.bitsPerSample = ReadLe16(&bytes[14]);
  if (wav.channels == 0 || wav.samplesPerSec == 0 || wav.samplesPerSec > kMaxSoundSampleRate ||
      wav.avgBytesPerSec == 0 || wav.blockAlign == 0 || wav.bitsPerSample == 0) {
    return Fail(error, "The sound " + Quoted(path) + " has an impossible wave format.");
  }
  // The data chunk lies inside the RIFF chunk, so this sum stays within 32 bits.
  wav.dataSize = data->size;
  wav.riffSize = 36 + data->size;
  *header = ClipMediaHeader(wav);
  return true;
}

bool ReadSequenceHeader(const std::string& path, std::int32_t fieldMode, std::optional<ClipMediaHeader>* header,
                        std::string* error) {
  std::int32_t images = 1;
  while (images < kMaxSequenceImages) {
    std::string next = MakeNumberedFileName(path, images);
    if (next.empty() || !IsRegularFile(next)) break;
    ++images;
  }
  SequenceClipHeader sequence{};
  sequence.fieldMode = fieldMode;
  sequence.frameCount = fieldMode >= 3 ? images / 2 : images;
  if (sequence.frameCount == 0) {
    return Fail(error, "The image sequence " + Quoted(path) +
                           " holds a single image; an interlaced sequence needs two images a frame.");
  }
  *header = ClipMediaHeader(sequence);
  return true;
}

}  // namespace

bool ReadMediaHeader(const std::string& path, std::int32_t mediaType, std::optional<ClipMediaHeader>* header,
                     std::string* error, std::int32_t sequenceFieldMode) {
  if (path.empty()) return Fail(error, "The clip names no media file.");
  if (!IsRegularFile(path)) return Fail(error, "The media file " + Quoted(path) + " does not exist.");
  if (IsImageMediaType(mediaType)) {
    header->reset();
    return true;
  }
  switch (mediaType) {
    case kMediaAvi:
      return ReadAviHeader(path, header, error);
    case kMediaFlc:
    case kMediaFli:
      return ReadFlicHeader(path, header, error);
    case kMediaWav:
      return ReadWavHeader(path, header, error);
    case kMediaOther:
      // An image sequence names its first picture; other files of this type
      // have no header.
      if (IsImageMediaType(GetMediaTypeCode(path))) return ReadSequenceHeader(path, sequenceFieldMode, header, error);
      header->reset();
      return true;
    default:
      break;
  }
  return Fail(error, "Files of media type " + std::to_string(mediaType) + " cannot be read: " + Quoted(path) + ".");
}

int ReadClipHeader(TLEvent* clip, std::string* error) {
  if (clip == nullptr) {
    Fail(error, "No clip was given.");
    return 0;
  }
  std::int32_t fieldMode = 0;
  if (clip->header && clip->header->Sequence() != nullptr) fieldMode = clip->header->Sequence()->fieldMode;
  std::optional<ClipMediaHeader> header;
  if (!ReadMediaHeader(clip->MediaPath(), clip->mediaType, &header, error, fieldMode)) return 0;
  clip->header = std::move(header);
  if (clip->header && clip->header->Avi() != nullptr) ApplyAviFieldInfoToClip(*clip);
  return 1;
}

}  // namespace sprocket
