#pragma once
// WAV files: the movie output's WAV file as the mixdown writes it, and the
// header of a WAV clip as the clip audio readers take it.
//
// The written file is the canonical 44-byte header followed by the
// interleaved samples. It is created with placeholder header values (mono,
// 11025 Hz, 1 bit, sizes 0); only finishing writes the real format and
// sizes, so a file is valid once finished:
//
//   WaveOutputFile wav;
//   if (!wav.WriteWaveHeader(0, 0, 0, 0, 0, path)) fail;
//   for each frame: wav.Write(samples, bytes)  (false: the disk is full)
//   wav.WriteWaveHeader(1, wav.DataBytes(), 44100, 2, 16, path);

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sprocket {

inline constexpr std::size_t kWaveHeaderBytes = 44;
// The most sample bytes a WAV header can count: its RIFF size is the data
// size + 36 in 32 bits.
inline constexpr std::uint64_t kMaxWaveDataBytes = 0xFFFFFFFFull - 36;

// The 44 header bytes for `dataSize` bytes of `bits`-bit samples.
std::array<std::uint8_t, kWaveHeaderBytes> MakeWaveHeader(std::uint32_t dataSize, int rate, int channels, int bits);

// The WAV file being written.
class WaveOutputFile {
public:
  WaveOutputFile() = default;
  // Discards a file that was not finished.
  ~WaveOutputFile();
  WaveOutputFile(const WaveOutputFile&) = delete;
  WaveOutputFile& operator=(const WaveOutputFile&) = delete;

  // mode 0: starts the file of `path`: a work file beside it (see
  // WorkPath) that gets the placeholder header; 1 on success, 0 when it
  // cannot be created or written. Any other mode finishes the file: writes
  // the format of `rate`, `channels` and `bits` and the sizes for `dataSize`
  // sample bytes into the header, closes the file and renames it over
  // `path`; 1 on success, 0 (and the work file removed) when nothing is
  // open, a size beyond kMaxWaveDataBytes is asked for, or a write, the
  // close or the rename fails. `path` is used by mode 0 only.
  int WriteWaveHeader(int mode, std::uint64_t dataSize, int rate, int channels, int bits, const std::string& path);

  // Appends sample bytes. False (nothing more is written) on a failed or
  // short write, or when the data would grow past kMaxWaveDataBytes.
  bool Write(const void* data, std::size_t bytes);

  // Closes and deletes the unfinished file (a failed job leaves no
  // half-written file, and a file already at the path stays as it was); a
  // path that is not a regular file (a device) is only closed.
  void Discard();

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  // Where the samples go until the file is finished: a work file beside the
  // path (empty when the path is a device written to directly).
  const std::string& WorkPath() const { return workPath_; }
  std::uint64_t DataBytes() const { return dataBytes_; }
  const std::string& ErrorText() const { return error_; }

private:
  bool Fail(const std::string& what);
  bool Open(const std::string& path);
  void Close();

  int fd_ = -1;
  std::string path_;
  std::string workPath_;
  std::uint64_t dataBytes_ = 0;
  std::string error_;
};

// The format record of a WAV file's "fmt " chunk.
struct WaveFormatInfo {
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t samplesPerSec = 0;
  std::uint32_t avgBytesPerSec = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  // For the extensible format (tag 0xFFFE): the tag inside its sub-format.
  std::uint16_t subFormatTag = 0;
};

struct WaveFileInfo {
  WaveFormatInfo format;
  std::uint64_t dataOffset = 0;  // file offset of the first sample byte
  std::uint32_t dataSize = 0;    // sample bytes
};

enum class WaveReadStatus {
  kOk,
  kOpenFailed,   // "Fail to open wave file!"
  kNoWaveForm,   // "Fail to find wave chunk!": no RIFF "WAVE" form, or it claims more than the file holds
  kNoFormat,     // "Fail to find wave header chunk!"
  kShortFormat,  // "Fail to read wave header!": fewer than 16 bytes, no channels, rate or depth, or a rate
                 // above kMaxSoundSampleRate
  kNoData,       // "Fail to find wave data chunk!": none, or it claims more than the file holds
};

// Reads the format and the place of the samples of a WAV file. Every chunk
// must lie inside the file; nothing outside it is read.
WaveReadStatus ReadWaveFileInfo(const std::string& path, WaveFileInfo* info);

// The message of a failed read.
const char* WaveReadMessage(WaveReadStatus status);

// True for plain PCM of 8 or 16 bits with one or two channels (the extensible
// format counts when its sub-format is PCM).
bool IsPlainPcm(const WaveFormatInfo& format);

}  // namespace sprocket
