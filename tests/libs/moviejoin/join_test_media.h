#pragma once
// Jobs, sound files, frame callbacks and outside decoding for the movie
// join tests. Pictures carry their frame number (media_test_clips.h).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "file_size_limit.h"
#include "libs/moviejoin/movie_join.h"
#include "libs/moviejoin/movie_join_block.h"
#include "platform/global_memory.h"

namespace sprocket::testing {

// A render job of 25 frames of 64 x 48 at 25 frames a second over
// [1000, 2000) ms, no sound, key frame every frame, interleave 5.
MovieJoinJob SmallJob(const std::string& outputPath, const char* code);

// Writes a canonical WAV file of a ramp (RampSample) and returns its
// sample bytes.
std::vector<std::uint8_t> WriteRampWav(const std::string& path, int bits, int rate, int channels, std::int64_t frames);

// A frame callback that draws MakeNumberedPicture(frame index) and records
// the calls it got.
struct NumberedFrames {
  std::vector<MovieJoinFrame> calls;  // the inputs of each call (no picture)
  MovieJoinFrameCallback Callback();
};

// Copies a numbered picture into a frame's picture block.
void DrawNumbered(MovieJoinFrame& frame, int number);

// Runs a job through its packed block.
int RunJob(const MovieJoinJob& job, const MovieJoinFrameCallback& frames = {},
           const MovieJoinProgressCallback& progress = {}, const MovieJoinPumpCallback& pump = {},
           MovieJoinOutcome* outcome = nullptr);

// Every frame of the file's first video stream decoded by ffmpeg as
// top-down B, G, R rows; nothing when ffmpeg is missing or fails.
std::optional<std::vector<std::vector<std::uint8_t>>> DecodeWithFfmpeg(const std::string& path, int width, int height);

// The picture of a packed 24-bit DIB as top-down B, G, R rows without padding.
std::vector<std::uint8_t> TopDownRows(HGLOBAL dib);

// The largest and the mean absolute difference of two pictures' bytes.
struct PictureDifference {
  int largest = 0;
  double mean = 0.0;
};
PictureDifference Compare(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

// The bytes of video sample n of an AVI file (empty when it cannot be read).
std::vector<std::uint8_t> VideoSample(const std::string& path, std::int64_t n);

// The number each frame of a movie shows (ReadPictureNumber), read with our
// frame reader; empty when the movie cannot be opened.
std::vector<int> FrameNumbers(const std::string& path);
// 0, 1, ..., count - 1.
std::vector<int> Count(int count);

// The files in a folder.
std::vector<std::string> FilesIn(const std::string& folder);

}  // namespace sprocket::testing
