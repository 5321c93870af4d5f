#include "render/audio/wav_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/files/fd_io.h"
#include "platform/files/work_files.h"
#include "platform/le_bytes.h"
#include "platform/media/fourcc.h"
#include "platform/media/riff_reader.h"
#include "timeline/records/clip_media_header.h"

namespace sprocket {

namespace {

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
constexpr std::size_t kMinFormatBytes = 16;
constexpr std::size_t kMaxFormatBytes = 4096;

struct HeaderFields {
  std::uint32_t riffSize;
  std::uint32_t channels;
  std::uint32_t rate;
  std::uint32_t avgBytes;
  std::uint32_t align;
  std::uint32_t bits;
  std::uint32_t dataSize;
};

std::array<std::uint8_t, kWaveHeaderBytes> BuildHeader(const HeaderFields& f) {
  std::array<std::uint8_t, kWaveHeaderBytes> h{};
  std::memcpy(h.data(), "RIFF", 4);
  WriteLe32(h.data() + 4, f.riffSize);
  std::memcpy(h.data() + 8, "WAVEfmt ", 8);
  WriteLe32(h.data() + 16, 16);
  WriteLe16(h.data() + 20, kTagPcm);
  WriteLe16(h.data() + 22, f.channels);
  WriteLe32(h.data() + 24, f.rate);
  WriteLe32(h.data() + 28, f.avgBytes);
  WriteLe16(h.data() + 32, f.align);
  WriteLe16(h.data() + 34, f.bits);
  std::memcpy(h.data() + 36, "data", 4);
  WriteLe32(h.data() + 40, f.dataSize);
  return h;
}

}  // namespace

std::array<std::uint8_t, kWaveHeaderBytes> MakeWaveHeader(std::uint32_t dataSize, int rate, int channels, int bits) {
  const auto r = static_cast<std::uint32_t>(rate);
  const auto c = static_cast<std::uint32_t>(channels);
  const auto b = static_cast<std::uint32_t>(bits);
  return BuildHeader({dataSize + 36, c, r, static_cast<std::uint32_t>(static_cast<std::uint64_t>(b) * r * c / 8),
                      b * c / 8, b, dataSize});
}

WaveOutputFile::~WaveOutputFile() { Discard(); }

void WaveOutputFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool WaveOutputFile::Fail(const std::string& what) {
  error_ = what + " \"" + path_ + "\": " + std::strerror(errno);
  return false;
}

// The file is written under a name of its own beside the target and renamed
// over it when finished, so a failed or killed job never leaves a file with
// placeholders under the target's name or destroys a file already there. A
// target that exists and is not a regular file (a device) is written to
// directly.
bool WaveOutputFile::Open(const std::string& path) {
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    return fd_ >= 0;
  }
  fd_ = CreateWorkFile(path, &workPath_);
  if (fd_ >= 0 && ::stat(path.c_str(), &existing) == 0) ::fchmod(fd_, existing.st_mode & 07777);
  return fd_ >= 0;
}

int WaveOutputFile::WriteWaveHeader(int mode, std::uint64_t dataSize, int rate, int channels, int bits,
                                    const std::string& path) {
  if (mode == 0) {
    Discard();
    path_ = path;
    dataBytes_ = 0;
    error_.clear();
    if (!Open(path)) {
      Fail("Cannot create");
      return 0;
    }
    // The placeholders: mono, 11025 Hz, 1 bit, no data.
    const auto header = BuildHeader({0, 1, 11025, 11025, 1, 1, 0});
    if (!WriteFully(fd_, header.data(), header.size(), -1)) {
      Fail("Cannot write");
      Discard();
      return 0;
    }
    return 1;
  }

  if (fd_ < 0) return 0;
  if (dataSize > kMaxWaveDataBytes) {
    error_ = "The sound is too long for a WAV file.";
    Discard();
    return 0;
  }
  // The finished header differs from the placeholder in the format and the
  // sizes only; it is written whole.
  const auto header = MakeWaveHeader(static_cast<std::uint32_t>(dataSize), rate, channels, bits);
  bool done = WriteFully(fd_, header.data(), header.size(), 0);
  if (!done) Fail("Cannot write");
  if (done && !workPath_.empty() && ::fsync(fd_) != 0) done = Fail("Cannot write");
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0 && done) done = Fail("Cannot close");
  if (done && !workPath_.empty() && ::rename(workPath_.c_str(), path_.c_str()) != 0) done = Fail("Cannot replace");
  if (!done) {
    Discard();
    return 0;
  }
  workPath_.clear();
  return 1;
}

bool WaveOutputFile::Write(const void* data, std::size_t bytes) {
  if (fd_ < 0) return false;
  if (bytes > kMaxWaveDataBytes - dataBytes_) {
    error_ = "The sound is too long for a WAV file.";
    return false;
  }
  if (!WriteFully(fd_, data, bytes, -1)) return Fail("Cannot write");
  dataBytes_ += bytes;
  return true;
}

void WaveOutputFile::Discard() {
  Close();
  // Only the file of our own is removed, never the target or a device.
  if (!workPath_.empty()) ::unlink(workPath_.c_str());
  workPath_.clear();
}

WaveReadStatus ReadWaveFileInfo(const std::string& path, WaveFileInfo* info) {
  RiffReader riff;
  if (!riff.Open(path)) return WaveReadStatus::kOpenFailed;
  const auto wave = riff.FindRiff(MakeFourCC("WAVE"));
  if (!wave) return WaveReadStatus::kNoWaveForm;
  const auto fmt = riff.FindChunk(*wave, MakeFourCC("fmt "));
  if (!fmt) return riff.Status() == RiffStatus::kNotFound ? WaveReadStatus::kNoFormat : WaveReadStatus::kNoWaveForm;
  std::vector<std::uint8_t> bytes;
  if (!riff.ReadData(*fmt, &bytes, kMaxFormatBytes) || bytes.size() < kMinFormatBytes) {
    return WaveReadStatus::kShortFormat;
  }
  WaveFormatInfo& format = info->format;
  format = {};
  format.formatTag = ReadLe16(bytes.data());
  format.channels = ReadLe16(bytes.data() + 2);
  format.samplesPerSec = ReadLe32(bytes.data() + 4);
  format.avgBytesPerSec = ReadLe32(bytes.data() + 8);
  format.blockAlign = ReadLe16(bytes.data() + 12);
  format.bitsPerSample = ReadLe16(bytes.data() + 14);
  if (format.formatTag == kTagExtensible && bytes.size() >= 26) format.subFormatTag = ReadLe16(bytes.data() + 24);
  if (format.channels == 0 || format.samplesPerSec == 0 || format.samplesPerSec > kMaxSoundSampleRate ||
      format.blockAlign == 0) {
    return WaveReadStatus::kShortFormat;
  }
  const auto data = riff.FindChunk(*wave, MakeFourCC("data"));
  if (!data) return WaveReadStatus::kNoData;
  info->dataOffset = data->DataOffset();
  info->dataSize = data->size;
  return WaveReadStatus::kOk;
}

const char* WaveReadMessage(WaveReadStatus status) {
  switch (status) {
    case WaveReadStatus::kOk:
      return "";
    case WaveReadStatus::kOpenFailed:
      return "Fail to open wave file!";
    case WaveReadStatus::kNoWaveForm:
      return "Fail to find wave chunk!";
    case WaveReadStatus::kNoFormat:
      return "Fail to find wave header chunk!";
    case WaveReadStatus::kShortFormat:
      return "Fail to read wave header!";
    case WaveReadStatus::kNoData:
      return "Fail to find wave data chunk!";
  }
  return "";
}

bool IsPlainPcm(const WaveFormatInfo& format) {
  const bool pcm =
      format.formatTag == kTagPcm || (format.formatTag == kTagExtensible && format.subFormatTag == kTagPcm);
  return pcm && (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
         (format.channels == 1 || format.channels == 2) &&
         format.blockAlign == format.channels * format.bitsPerSample / 8;
}

}  // namespace sprocket
