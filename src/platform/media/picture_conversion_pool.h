#pragma once
// Converts 24-bit packed DIBs (or scales decoded movie pictures) into the
// compressor's pixel format on threads of its own, a whole picture per
// thread and several pictures at once, and hands the converted pictures
// back in the order they were given. Used inside the media layer by the AVI
// writer, so that the caller draws the next picture while the last ones are
// converted.
//
//   caller:   copy 0 | copy 1 | copy 2 | copy 3 | take 0, send | copy 4 ...
//   threads:  convert 0 .........|
//                     convert 1 .........|
//                              convert 2 .........|
//
// The caller's picture is copied, so its block may be drawn over as soon as
// Submit returns. The bytes are those of one conversion on the caller.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "imagelib/dib_header.h"
#include "platform/media/ffmpeg_handles.h"
#include "platform/media/padded_pixels.h"

namespace sprocket::media_detail {

class PictureConversionPool {
public:
  // A picture handed back: its frame, or the reason it could not be converted.
  struct Converted {
    FramePtr frame;
    std::string error;
  };

  // Conversions of `width` x `height` pictures into `format` on at most
  // `threads` threads (started by Start).
  PictureConversionPool(unsigned threads, int width, int height, AVPixelFormat format);
  ~PictureConversionPool();
  PictureConversionPool(const PictureConversionPool&) = delete;
  PictureConversionPool& operator=(const PictureConversionPool&) = delete;

  // Starts the threads; false when none could be had (nothing is then queued).
  bool Start();
  // Copies a 24-bit picture (`stride` bytes a row, bottom row first) and
  // queues its conversion.
  void Submit(const DibInfoHeader& header, const std::uint8_t* pixels, std::int32_t stride);
  // Queues the scaling of a decoded movie picture that the converter takes
  // (EncoderFrameConverter::TakesDecoded); the pool holds its own reference.
  void SubmitDecoded(const AVFrame* frame);
  // Whether the oldest queued picture is converted (Take would not wait).
  bool OldestReady() const;
  // The oldest queued picture, waiting while it is converted (an error when
  // none is queued).
  Converted Take();

private:
  struct Job;

  void Loop();

  const unsigned threadCount_;
  const int width_;
  const int height_;
  const AVPixelFormat format_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Job>> jobs_;  // in the order given
  std::vector<PaddedPixels> spareCopies_;  // picture copies for reuse
  bool stopping_ = false;
  std::vector<std::thread> threads_;  // last: started once everything they read exists
};

}  // namespace sprocket::media_detail
