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
#include "platform/media/decode_size.h"

struct AVFrame;

namespace sprocket {

// A decoded movie picture before its conversion to a DIB (see
// VideoFrameReader::ReadDecodedFrame): it shares the decoder's picture,
// which stays as it is while the reader decodes on.
class DecodedVideoFrame {
public:
  DecodedVideoFrame();
  ~DecodedVideoFrame();
  DecodedVideoFrame(DecodedVideoFrame&&) noexcept;
  DecodedVideoFrame& operator=(DecodedVideoFrame&&) noexcept;

  explicit operator bool() const { return frame_ != nullptr; }
  // The picture as ReadFrame gives it, converted on the calling thread by a
  // converter of the thread's own; an empty block when it cannot be converted.
  GlobalBlock ToDib24() const;
  // Whether the picture keeps its colours when scaled straight into a YUV
  // compressor's format (a YUV picture without alpha in the BT.601 matrix).
  bool ScalesStraightToYuv() const;
  // The decoded picture itself, for the media layer's own conversions.
  const AVFrame* Picture() const { return frame_.get(); }

private:
  friend class VideoFrameReader;
  struct FrameRelease {
    void operator()(AVFrame* frame) const;
  };
  std::unique_ptr<AVFrame, FrameRelease> frame_;
};

class VideoFrameReader {
public:
  VideoFrameReader();
  ~VideoFrameReader();
  VideoFrameReader(VideoFrameReader&&) noexcept;
  VideoFrameReader& operator=(VideoFrameReader&&) noexcept;

  // Opens the first video stream of the file. False with ErrorText() when
  // the file cannot be opened or has no decodable video. With a `size`
  // (pictures shown small), pictures may come smaller than the movie, down
  // to the reduced size the codec offers that still covers `size`.
  bool Open(const std::string& path, DecodeSize size = {});
  bool IsOpen() const;
  const std::string& ErrorText() const;

  // The movie's picture size (pictures read may be smaller, see Open).
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
  // Frame n decoded but not converted, for callers that convert pictures on
  // threads of their own (the same bytes as ReadFrame); empty as ReadFrame.
  DecodedVideoFrame ReadDecodedFrame(std::int64_t n);

  // How often the reader has repositioned the file (for tests and
  // benchmarks: sequential reads do not add to it).
  int SeekCount() const;

private:
  struct State;
  // False with ErrorText() when no movie is open or n lies outside it.
  bool CanRead(std::int64_t n);
  std::unique_ptr<State> state_;
};

}  // namespace sprocket
