#pragma once
// Frames of already written movie files (rendered segments and pieces)
// written into a joined movie.
//
// A frame's compressed sample is copied as it is when the file's stream
// matches the movie (JoinVideoOutput::AcceptsSamplesOf) and the sample can
// be decoded where it lands: a key frame, or the sample after the one copied
// just before it. Every other frame is decoded and compressed again, scaled
// to the movie's size when the file's differs. Frames past the end of a
// file show its last frame.

#include <cstdint>
#include <memory>
#include <string>

#include "libs/moviejoin/join_video_output.h"
#include "platform/media/avi_index.h"
#include "platform/media/video_frame_reader.h"

namespace sprocket {

class PieceFrameCopier {
public:
  enum class Status { kWritten, kSourceFailed, kWriteFailed };

  explicit PieceFrameCopier(JoinVideoOutput* output) : output_(output) {}

  // Writes frame `frame` (0 or more) of `file` as the movie's next frame.
  // kSourceFailed with `error` when the file cannot be read; kWriteFailed
  // when the movie refused the frame (the writer says why).
  Status WriteFrame(const std::string& file, std::int32_t frame, std::string* error);

  // Frames copied unchanged and frames compressed again (for tests).
  std::int64_t CopiedFrames() const { return copied_; }
  std::int64_t RecompressedFrames() const { return recompressed_; }

private:
  bool OpenFile(const std::string& file, std::string* error);
  Status Copy(std::int64_t sample, std::string* error);
  Status Recompress(std::int64_t frame, std::string* error);

  JoinVideoOutput* output_;
  std::string file_;
  std::unique_ptr<AviFileIndex> index_;  // null when the file is no AVI file we can index
  int stream_ = -1;
  bool copyable_ = false;
  std::int64_t frameCount_ = 0;
  std::unique_ptr<VideoFrameReader> reader_;  // opened when a frame must be decoded
  // The sample copied last from this file and the movie's frame count
  // right after it: the chain a following delta sample continues.
  std::int64_t chainSample_ = -1;
  std::int64_t chainFrames_ = -1;
  std::int64_t copied_ = 0;
  std::int64_t recompressed_ = 0;
};

}  // namespace sprocket
