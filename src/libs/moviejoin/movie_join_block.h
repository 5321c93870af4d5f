#pragma once
// The movie join job block: thirty 32-bit little-endian words, followed in
// the same movable block by the texts and piece lists the words refer to.
//
// A reference word holds the byte offset, from the start of the block, of
// what it names; 0 names nothing. Texts are NUL-terminated. A piece list is
// a chain of 20-byte nodes: piece id, first frame, last frame (inclusive),
// reference to the piece's file name, reference to the next node.
//
// Callers fill a MovieJoinJob and pack it; the library unpacks and checks
// every reference against the block's size, so a damaged block is refused
// instead of read out of bounds.
//
//   MovieJoinJob job;
//   job.params.width = 320; ...
//   job.outputPath = path;
//   GlobalBlock block = PackMovieJoinJob(job);
//   int r = WriteMovieFile(block.get(), frameCallback, progressCallback, pumpCallback);

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/global_memory.h"

namespace sprocket {

// Values of the sound-mode word.
inline constexpr std::int32_t kJoinSoundNone = 1;
inline constexpr std::int32_t kJoinSoundMixed = 2;  // the file named at offset 4 is interleaved

struct MovieJoinParams {
  std::uint32_t outputPath = 0;    // 0: reference to the output path
  std::uint32_t soundPath = 0;     // 4: reference to the mixed sound file's path
  std::int32_t reserved8 = 0;      // 8
  std::int32_t width = 0;          // 12: multiple of 4
  std::int32_t height = 0;         // 16: multiple of 4
  std::int32_t frameCount = 0;     // 20
  std::int32_t startMs = 0;        // 24
  std::int32_t endMs = 0;          // 28
  std::int32_t paletteKind = 0;    // 32: 1 to 5 (3 for 24-bit output)
  float framesPerSecond = 0.0f;    // 36
  std::int32_t bitDepth = 0;       // 40: 24 or 8
  std::int32_t doubleSize = 0;     // 44
  std::int32_t fieldMode = 0;      // 48: `VField`
  std::int32_t diskBuffered = 0;   // 52
  std::int32_t outputKind = 0;     // 56
  std::int32_t soundMode = 0;      // 60: kJoinSoundMixed or kJoinSoundNone
  std::uint32_t compressor = 0;    // 64: FOURCC (`VCompressionType`)
  std::int32_t pictureLayout = 0;  // 68: motion JPEG chroma layout (420, 422, 444); 0 the compressor's own
  std::int32_t quality = 0;        // 72: `VQuality`, 0..10000
  std::int32_t dataRate = 0;       // 76: `VDataRate`, KB a second; 0 or -1 none
  std::int32_t keyFrameEvery = 0;  // 80: `VKeyFrame`
  std::int32_t interleave = 0;     // 84: `VInterleave`, frames between sound chunks
  std::int32_t reserved88 = 0;     // 88
  std::int32_t audioBits = 0;      // 92: `ABitsPerSample`
  std::int32_t audioRate = 0;      // 96: `ASamplesPerSec`
  std::int32_t audioChannels = 0;  // 100: `AChannels`
  std::uint32_t firstSpans = 0;    // 104: reference to the first piece list
  std::uint32_t secondSpans = 0;   // 108: reference to the second piece list
  std::uint32_t recordInText = 0;  // 112: reference to the record-in time code
  std::uint32_t titleText = 0;     // 116: reference to the title
};
static_assert(sizeof(MovieJoinParams) == 120);
static_assert(offsetof(MovieJoinParams, soundPath) == 4);
static_assert(offsetof(MovieJoinParams, reserved8) == 8);
static_assert(offsetof(MovieJoinParams, width) == 12);
static_assert(offsetof(MovieJoinParams, height) == 16);
static_assert(offsetof(MovieJoinParams, frameCount) == 20);
static_assert(offsetof(MovieJoinParams, startMs) == 24);
static_assert(offsetof(MovieJoinParams, endMs) == 28);
static_assert(offsetof(MovieJoinParams, paletteKind) == 32);
static_assert(offsetof(MovieJoinParams, framesPerSecond) == 36);
static_assert(offsetof(MovieJoinParams, bitDepth) == 40);
static_assert(offsetof(MovieJoinParams, doubleSize) == 44);
static_assert(offsetof(MovieJoinParams, fieldMode) == 48);
static_assert(offsetof(MovieJoinParams, diskBuffered) == 52);
static_assert(offsetof(MovieJoinParams, outputKind) == 56);
static_assert(offsetof(MovieJoinParams, soundMode) == 60);
static_assert(offsetof(MovieJoinParams, compressor) == 64);
static_assert(offsetof(MovieJoinParams, pictureLayout) == 68);
static_assert(offsetof(MovieJoinParams, quality) == 72);
static_assert(offsetof(MovieJoinParams, dataRate) == 76);
static_assert(offsetof(MovieJoinParams, keyFrameEvery) == 80);
static_assert(offsetof(MovieJoinParams, interleave) == 84);
static_assert(offsetof(MovieJoinParams, reserved88) == 88);
static_assert(offsetof(MovieJoinParams, audioBits) == 92);
static_assert(offsetof(MovieJoinParams, audioRate) == 96);
static_assert(offsetof(MovieJoinParams, audioChannels) == 100);
static_assert(offsetof(MovieJoinParams, firstSpans) == 104);
static_assert(offsetof(MovieJoinParams, secondSpans) == 108);
static_assert(offsetof(MovieJoinParams, recordInText) == 112);
static_assert(offsetof(MovieJoinParams, titleText) == 116);

// One node of a piece list as stored in the block.
struct MovieJoinPieceNode {
  std::int32_t pieceId = 0;
  std::int32_t firstFrame = 0;
  std::int32_t lastFrame = 0;  // inclusive
  std::uint32_t fileName = 0;  // reference to the name
  std::uint32_t next = 0;      // reference to the next node; 0 ends the list
};
static_assert(sizeof(MovieJoinPieceNode) == 20);
static_assert(offsetof(MovieJoinPieceNode, fileName) == 12);
static_assert(offsetof(MovieJoinPieceNode, next) == 16);

// Frames first..last of a movie file.
struct MovieJoinPiece {
  std::int32_t pieceId = 0;
  std::int32_t firstFrame = 0;
  std::int32_t lastFrame = 0;
  std::string fileName;
  bool operator==(const MovieJoinPiece&) const = default;
};

// A job as its parts. The reference words of `params` are ignored by
// PackMovieJoinJob, which sets them; an absent text and an empty list pack
// as 0.
struct MovieJoinJob {
  MovieJoinParams params;
  std::optional<std::string> outputPath;
  std::optional<std::string> soundPath;
  std::vector<MovieJoinPiece> firstPieces;
  std::vector<MovieJoinPiece> secondPieces;
  std::optional<std::string> recordInText;
  std::optional<std::string> titleText;
};

// One zero-filled movable block holding the job; empty when memory is short
// or the job would not fit 32-bit references.
GlobalBlock PackMovieJoinJob(const MovieJoinJob& job);

// Reads a packed job. False with `error` when the block is shorter than the
// 120 words, a reference points outside the block or into the words, a
// text is not terminated inside the block, or a list loops.
bool UnpackMovieJoinJob(HGLOBAL block, MovieJoinJob* job, std::string* error);

// The number of frames a piece list covers: the sum of (last - first + 1).
std::int64_t CountPieceFrames(const std::vector<MovieJoinPiece>& pieces);

}  // namespace sprocket
