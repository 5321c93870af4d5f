#pragma once
// The 444-byte copy of an AVI clip's header that clip records and render
// entries carry: the file information, the video and audio stream
// information, the video format and the audio format, at fixed offsets.
//
//   offset   0  AVIFILEINFO     (108 bytes; dwLength = length in frames)
//   offset 108  AVISTREAMINFO   video (140 bytes; handler, scale, rate, length)
//   offset 248  AVISTREAMINFO   audio (140 bytes; length in samples)
//   offset 388  DibInfoHeader   video format (40 bytes)
//   offset 428  PCMWAVEFORMAT   audio format (16 bytes; bits 0 = no audio)
//
// The audio format describes the samples as the audio reader delivers them
// (always PCM, 8 or 16 bits, one or two channels), so a mixer can trust it
// whatever the file stores.

#include <cstddef>
#include <cstdint>

#include "imagelib/dib_header.h"
#include "platform/media/fourcc.h"

namespace sprocket {

struct AVIFILEINFO {
  // The first word of the header copy holds the clip's field order (0
  // progressive, 1 to 4 interlaced orders), set from the "AVI Field Info"
  // settings; reading a file leaves it 0.
  std::uint32_t dwFieldOrder = 0;
  std::uint32_t dwFlags = 0;
  std::uint32_t dwCaps = 0;
  std::uint32_t dwStreams = 0;
  std::uint32_t dwSuggestedBufferSize = 0;
  std::uint32_t dwWidth = 0;
  std::uint32_t dwHeight = 0;
  std::uint32_t dwScale = 0;  // of the video stream: rate / scale frames a second
  std::uint32_t dwRate = 0;
  std::uint32_t dwLength = 0;  // length of the video stream in frames
  std::uint32_t dwEditCount = 0;
  char szFileType[64] = {};
};

struct AVISTREAMINFO {
  FourCC fccType = 0;     // "vids" or "auds"
  FourCC fccHandler = 0;  // the compressor code of the stream header
  std::uint32_t dwFlags = 0;
  std::uint32_t dwCaps = 0;
  std::uint16_t wPriority = 0;
  std::uint16_t wLanguage = 0;
  std::uint32_t dwScale = 0;
  std::uint32_t dwRate = 0;  // rate / scale samples a second
  std::uint32_t dwStart = 0;
  std::uint32_t dwLength = 0;  // in samples (frames for video)
  std::uint32_t dwInitialFrames = 0;
  std::uint32_t dwSuggestedBufferSize = 0;
  std::uint32_t dwQuality = 0;
  std::uint32_t dwSampleSize = 0;
  std::int32_t rcFrameLeft = 0;
  std::int32_t rcFrameTop = 0;
  std::int32_t rcFrameRight = 0;
  std::int32_t rcFrameBottom = 0;
  std::uint32_t dwEditCount = 0;
  std::uint32_t dwFormatChangeCount = 0;
  char szName[64] = {};
};

inline constexpr std::uint16_t kWaveFormatPcm = 1;

struct PCMWAVEFORMAT {
  std::uint16_t wFormatTag = 0;
  std::uint16_t nChannels = 0;
  std::uint32_t nSamplesPerSec = 0;
  std::uint32_t nAvgBytesPerSec = 0;
  std::uint16_t nBlockAlign = 0;
  std::uint16_t wBitsPerSample = 0;
};

struct AviMediaHeader {
  AVIFILEINFO file;
  AVISTREAMINFO video;
  AVISTREAMINFO audio;
  DibInfoHeader format;
  PCMWAVEFORMAT wave;

  bool HasAudio() const { return wave.wBitsPerSample != 0; }
  // Frames a second of the video stream; 0 when the rate is unknown.
  double FramesPerSecond() const;
};

static_assert(sizeof(AVIFILEINFO) == 108);
static_assert(offsetof(AVIFILEINFO, dwLength) == 36);
static_assert(offsetof(AVIFILEINFO, szFileType) == 44);
static_assert(sizeof(AVISTREAMINFO) == 140);
static_assert(offsetof(AVISTREAMINFO, fccHandler) == 4);
static_assert(offsetof(AVISTREAMINFO, dwScale) == 20);
static_assert(offsetof(AVISTREAMINFO, dwRate) == 24);
static_assert(offsetof(AVISTREAMINFO, dwLength) == 32);
static_assert(offsetof(AVISTREAMINFO, dwSampleSize) == 48);
static_assert(offsetof(AVISTREAMINFO, rcFrameLeft) == 52);
static_assert(offsetof(AVISTREAMINFO, szName) == 76);
static_assert(sizeof(PCMWAVEFORMAT) == 16);
static_assert(offsetof(PCMWAVEFORMAT, nChannels) == 2);
static_assert(offsetof(PCMWAVEFORMAT, wBitsPerSample) == 14);
static_assert(sizeof(AviMediaHeader) == 444);
static_assert(offsetof(AviMediaHeader, file) == 0);
static_assert(offsetof(AviMediaHeader, video) == 108);
static_assert(offsetof(AviMediaHeader, audio) == 248);
static_assert(offsetof(AviMediaHeader, format) == 388);
static_assert(offsetof(AviMediaHeader, wave) == 428);

// The PCM format that `channels` channels of `bits`-bit samples at `rate`
// samples a second have (block align and bytes a second derived).
PCMWAVEFORMAT MakePcmWaveFormat(int channels, int rate, int bits);

}  // namespace sprocket
