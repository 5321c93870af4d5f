#pragma once
// The clip media library: the header copy of movie clips, single frames of
// movie clips as packed DIBs, and the PCM samples of their sound.
//
// Each call names its clip by path. Outside a render, every call opens the
// file and closes it again. Between SetClipRenderState(0) (a render starts)
// and SetClipRenderState(1) (it ended), opened clips are kept, a few at a
// time, so that rendering frame after frame of the same clip neither reopens
// the file nor seeks; a kept clip whose file changed on disk is reopened.

#include <cstdint>
#include <memory>
#include <string>

#include "timeline/records/clip_media_header.h"

namespace sprocket {

class ClipMediaLib {
public:
  ClipMediaLib();
  ~ClipMediaLib();
  ClipMediaLib(const ClipMediaLib&) = delete;
  ClipMediaLib& operator=(const ClipMediaLib&) = delete;

  // Makes the header an AVI clip's 444-byte header copy read from the file,
  // keeping its field order. Nonzero when the file was read; the header is
  // unchanged otherwise.
  int ReadAviClipInfo(const std::string& path, ClipMediaHeader* header);
  // The video stream information of a movie file. Nonzero when read.
  int GetAviStreamInfo(const std::string& path, AviStreamInfo* info);
  // A new locked 24-bit packed DIB of the frame (a frame before the first
  // gives the first, one past the last gives the last), or null when the
  // clip cannot be read. The header copy may be null. Free the picture with
  // FreeClipFrame.
  std::uint8_t* ScaleClipFrame(const std::string& name, std::int32_t frame, const ClipMediaHeader* header);
  // Reads `sampleCount` sample frames from `startSample` into the buffer (at
  // most `bufferBytes` bytes), in the format of the header copy's audio
  // format. Returns the sample frames read, or -1 when the sound cannot be
  // read; bytes past them are left as they were.
  std::int32_t ReadClipAudioSamples(const std::string& path, std::int32_t startSample, void* buffer,
                                    std::int32_t bufferBytes, std::int32_t sampleCount);
  // 0: a render starts, keep clips open; 1: it ended, close them.
  void SetClipRenderState(int state);

  // Clips kept open now (for tests).
  int KeptClipCount() const;

private:
  struct Cache;
  std::unique_ptr<Cache> cache_;
};

// Frees a picture answered by ScaleClipFrame (null does nothing).
void FreeClipFrame(std::uint8_t* picture);

// The process's clip media library, used by the free functions below.
ClipMediaLib& TheClipMediaLib();

int ReadAviClipInfo(const std::string& path, ClipMediaHeader* header);
int GetAviStreamInfo(const std::string& path, AviStreamInfo* info);
std::uint8_t* ScaleClipFrame(const std::string& name, std::int32_t frame, const ClipMediaHeader* header);
std::int32_t ReadClipAudioSamples(const std::string& path, std::int32_t startSample, void* buffer,
                                  std::int32_t bufferBytes, std::int32_t sampleCount);
void SetClipRenderState(int state);

}  // namespace sprocket
