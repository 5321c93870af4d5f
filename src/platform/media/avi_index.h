#pragma once
// The headers and the sample index of an AVI file, read with our own RIFF
// reader.
//
// FFmpeg decodes the pictures, but it reduces the stream rates, keeps no
// stream handler code and may drop or merge samples; this index gives the
// stream headers exactly as stored and every sample (compressed video frame
// or audio chunk) byte for byte with its key-frame flag, zero-length samples
// included. It reads the OpenDML index of large files, the "idx1" index
// (offsets relative to the "movi" list or absolute), and, without either,
// the "movi" list itself.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/media/avi_media_header.h"
#include "platform/media/fourcc.h"
#include "platform/media/riff_reader.h"

namespace sprocket {

inline constexpr FourCC kStreamTypeVideo = MakeFourCC("vids");
inline constexpr FourCC kStreamTypeAudio = MakeFourCC("auds");

// The "avih" chunk.
struct AviMainHeader {
  std::uint32_t dwMicroSecPerFrame = 0;
  std::uint32_t dwMaxBytesPerSec = 0;
  std::uint32_t dwPaddingGranularity = 0;
  std::uint32_t dwFlags = 0;
  std::uint32_t dwTotalFrames = 0;
  std::uint32_t dwInitialFrames = 0;
  std::uint32_t dwStreams = 0;
  std::uint32_t dwSuggestedBufferSize = 0;
  std::uint32_t dwWidth = 0;
  std::uint32_t dwHeight = 0;
};

// One "strh" chunk.
struct AviStreamHeader {
  FourCC fccType = 0;
  FourCC fccHandler = 0;
  std::uint32_t dwFlags = 0;
  std::uint16_t wPriority = 0;
  std::uint16_t wLanguage = 0;
  std::uint32_t dwInitialFrames = 0;
  std::uint32_t dwScale = 0;
  std::uint32_t dwRate = 0;
  std::uint32_t dwStart = 0;
  std::uint32_t dwLength = 0;
  std::uint32_t dwSuggestedBufferSize = 0;
  std::uint32_t dwQuality = 0;
  std::uint32_t dwSampleSize = 0;
  std::int16_t rcFrame[4] = {};  // left, top, right, bottom
};

// One sample: where its data starts in the file, its size, its key flag.
struct AviSample {
  std::uint64_t offset = 0;
  std::uint32_t size = 0;
  bool key = false;
};

struct AviStream {
  AviStreamHeader header;
  std::vector<std::uint8_t> format;  // the "strf" bytes: a bitmap or wave format
  std::string name;                  // the "strn" text
  std::vector<AviSample> samples;    // in stream order
  std::uint64_t totalBytes = 0;      // sum of the sample sizes
};

class AviFileIndex {
public:
  // Reads the headers and the index. False with ErrorText() when the file is
  // not a usable AVI file (not RIFF AVI, truncated headers, no streams, a
  // damaged index, absurd picture sizes).
  bool Open(const std::filesystem::path& path);
  const std::string& ErrorText() const { return error_; }

  const AviMainHeader& MainHeader() const { return main_; }
  int StreamCount() const { return static_cast<int>(streams_.size()); }
  const AviStream& Stream(int index) const { return streams_.at(static_cast<std::size_t>(index)); }
  // The number of the nth stream of a type ("vids", "auds"), or -1.
  int FindStream(FourCC type, int nth = 0) const;
  // True when samples past the end of the file were left out of the index.
  bool WasTruncated() const { return truncated_; }

  // The sample count of a stream (frames for video, chunks for audio).
  std::int64_t SampleCount(int stream) const;
  // The nearest key sample at or before `sample`, or -1 when there is none.
  std::int64_t FindKeySample(int stream, std::int64_t sample) const;
  // The bytes of one sample (empty for a zero-length sample). False when the
  // sample does not exist or cannot be read.
  bool ReadSample(int stream, std::int64_t sample, std::vector<std::uint8_t>* out);

  // The header copy of the clip: exact stream headers, the video format, and
  // the audio format as the audio reader delivers it.
  AviMediaHeader ClipHeader() const;

private:
  bool Fail(std::string text);
  bool ReadHeaderList(const RiffChunk& root);
  bool ReadStreamList(const RiffChunk& list);
  bool CheckVideoFormat();
  bool ReadOpenDmlIndex(int stream, const std::vector<std::uint8_t>& superIndex);
  bool ReadStandardIndex(int stream, std::uint64_t chunkOffset, std::uint32_t chunkSize);
  bool ReadIdx1(const RiffChunk& idx1, std::uint64_t moviStart);
  bool ScanMovi(const RiffChunk& movi, int depth);
  void AddSample(int stream, std::uint64_t offset, std::uint32_t size, bool key);

  RiffReader riff_;
  std::string error_;
  AviMainHeader main_;
  std::vector<AviStream> streams_;
  std::vector<std::vector<std::uint8_t>> superIndexes_;  // per stream, the "indx" bytes
  bool truncated_ = false;
};

// The stream number named by a chunk id ("00dc" -> 0, "01wb" -> 1); -1 when
// the id does not start with two decimal digits.
int StreamNumberOfChunk(FourCC chunkId);

// The PCM format in which audio of the given file format is delivered:
// 8-bit and 16-bit PCM of one or two channels as it is; everything else as
// 16-bit PCM of at most two channels at the file's rate.
PCMWAVEFORMAT DeliveredPcmFormat(std::uint16_t formatTag, int channels, int rate, int bits);

}  // namespace sprocket
