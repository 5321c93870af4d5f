#include "libs/moviejoin/mixed_sound_file.h"

#include <algorithm>

#include "platform/le_bytes.h"

namespace sprocket {

namespace {

constexpr std::uint16_t kPcmFormatTag = 1;
constexpr std::size_t kPcmFormatBytes = 16;
constexpr int kHighestRate = 768000;

}  // namespace

bool MixedSoundFile::Open(const std::string& path, std::string* error) {
  auto refuse = [&](const std::string& why) {
    *error = "The sound file \"" + path + "\" " + why;
    riff_.Close();
    return false;
  };
  position_ = frames_ = 0;
  if (!riff_.Open(path)) return refuse("cannot be opened.");
  auto wave = riff_.FindRiff(MakeFourCC("WAVE"));
  if (!wave) return refuse("is not a WAV file.");
  auto fmt = riff_.FindChunk(*wave, MakeFourCC("fmt "));
  auto data = riff_.FindChunk(*wave, MakeFourCC("data"));
  if (!fmt || !data) return refuse("has no format or no samples.");
  std::vector<std::uint8_t> bytes;
  if (fmt->size < kPcmFormatBytes || !riff_.ReadData(*fmt, &bytes, 1024)) return refuse("has a damaged format.");
  std::uint16_t tag = ReadLe16(bytes.data());
  int channels = ReadLe16(bytes.data() + 2);
  std::uint32_t rate = ReadLe32(bytes.data() + 4);
  std::uint16_t align = ReadLe16(bytes.data() + 12);
  int bits = ReadLe16(bytes.data() + 14);
  if (tag != kPcmFormatTag || (bits != 8 && bits != 16) || channels < 1 || channels > 2 || rate < 1 ||
      rate > kHighestRate || align != channels * bits / 8) {
    return refuse("does not hold 8-bit or 16-bit PCM of one or two channels.");
  }
  format_ = AviAudioFormat{bits, static_cast<int>(rate), channels};
  blockAlign_ = align;
  dataOffset_ = data->DataOffset();
  frames_ = static_cast<std::int64_t>(data->size / blockAlign_);
  return true;
}

bool MixedSoundFile::Read(std::int64_t frames, std::vector<std::uint8_t>* out, std::string* error) {
  std::int64_t count = std::clamp<std::int64_t>(frames, 0, frames_ - position_);
  out->resize(static_cast<std::size_t>(count) * blockAlign_);
  if (count == 0) return true;
  if (!riff_.ReadAt(dataOffset_ + static_cast<std::uint64_t>(position_) * blockAlign_, out->data(), out->size())) {
    *error = "The sound file cannot be read: " + riff_.ErrorText();
    return false;
  }
  position_ += count;
  return true;
}

}  // namespace sprocket
