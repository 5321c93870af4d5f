#include "platform/media/avi_media_header.h"

namespace sprocket {

double AviMediaHeader::FramesPerSecond() const {
  if (video.dwScale == 0 || video.dwRate == 0) return 0.0;
  return static_cast<double>(video.dwRate) / static_cast<double>(video.dwScale);
}

PCMWAVEFORMAT MakePcmWaveFormat(int channels, int rate, int bits) {
  PCMWAVEFORMAT wave;
  wave.wFormatTag = kWaveFormatPcm;
  wave.nChannels = static_cast<std::uint16_t>(channels);
  wave.nSamplesPerSec = static_cast<std::uint32_t>(rate);
  wave.nBlockAlign = static_cast<std::uint16_t>(channels * bits / 8);
  wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
  wave.wBitsPerSample = static_cast<std::uint16_t>(bits);
  return wave;
}

}  // namespace sprocket
