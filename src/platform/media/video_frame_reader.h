#pragma once
// Frame-accurate reading of a movie's first video stream as packed DIBs.
//
// Frame n is the picture shown at n / fps: the reader seeks to the key frame
// at or before it and decodes forward, or, when the frame lies ahead of the
// last one read with no key frame in between, simply decodes on, so
// sequential reads never seek. A frame that has no picture of its own (an
// empty "drop" sample of an AVI file) shows the picture before it, and a
// frame past the last picture that decodes shows the last one.
//
// Any file FFmpeg opens can be read; for AVI files the frame count and rate
// come exactly from the file's own headers and index.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/global_memory.h"

namespace sprocket {

class VideoFrameReader {
public:
  VideoFrameReader();
  ~VideoFrameReader();
  VideoFrameReader(VideoFrameReader&&) noexcept;
  VideoFrameReader& operator=(VideoFrameReader&&) noexcept;

  // Opens the first video stream of the file. False with ErrorText() when
  // the file cannot be opened or has no decodable video.
  bool Open(const std::string& path);
  bool IsOpen() const;
  const std::string& ErrorText() const;

  int Width() const;
  int Height() const;
  std::int64_t FrameCount() const;
  double FramesPerSecond() const;
  // The frame rate as rate / scale frames a second (exact for AVI files).
  void FrameRate(std::uint32_t* rate, std::uint32_t* scale) const;

  // A new movable block with frame n as a 24-bit packed DIB (bottom-up rows
  // padded to 4 bytes); an empty block with ErrorText() when n is outside
  // 0 .. FrameCount() - 1 or nothing can be decoded.
  GlobalBlock ReadFrame(std::int64_t n);

  // How often the reader has repositioned the file (for tests and
  // benchmarks: sequential reads do not add to it).
  int SeekCount() const;

private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace sprocket
