#pragma once
// Board clip pieces turned into the play records that the segment preview
// hands to the board's player, and the board's clip-file chunk functions.
//
// No board is fitted by default: NoBoardClipFiles answers every chunk read
// with an empty list. A stand-in that simulates the board implements the
// same interface.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/imagefile/image_file_library.h"
#include "timeline/records/filter_list.h"

namespace sprocket {

// One piece of a board clip that overlaps a range of the timeline.
struct BoardClipPiece {
  std::string path;              // the board clip file
  std::int32_t copiedValue = 0;  // handed on into the play record
  std::int32_t baseTime = 0;     // ms
  std::int32_t startOffset = 0;  // ms from the base time
  std::int32_t endOffset = 0;    // ms from the base time
  ImageHandle image = kNoImage;
};

// One chunk of a board clip's chunk list.
struct BoardChunk {
  std::array<std::int32_t, 3> values{};
  std::string fileName;
};

// The board's clip-file chunk functions.
class BoardClipFiles {
public:
  virtual ~BoardClipFiles() = default;
  // The master and the slave chunk lists of a piece's clip file (left
  // empty when the file has none).
  virtual void dudReadChunk(const BoardClipPiece& piece, std::vector<BoardChunk>* master) = 0;
  virtual void dudReadSlaveChunk(const BoardClipPiece& piece, std::vector<BoardChunk>* slave) = 0;
  // Release lists made by the reads.
  virtual void dudClearList(std::vector<BoardChunk>* master) = 0;
  virtual void dudClearSlaveList(std::vector<BoardChunk>* slave) = 0;
};

// The answer without a board: no chunks at all.
class NoBoardClipFiles final : public BoardClipFiles {
public:
  void dudReadChunk(const BoardClipPiece&, std::vector<BoardChunk>* master) override { master->clear(); }
  void dudReadSlaveChunk(const BoardClipPiece&, std::vector<BoardChunk>* slave) override { slave->clear(); }
  void dudClearList(std::vector<BoardChunk>* master) override { master->clear(); }
  void dudClearSlaveList(std::vector<BoardChunk>* slave) override { slave->clear(); }
};

// One play record per piece, in order: filter id 1, flag (rendered) 1,
// start and end = the piece's base + offsets snapped to frames at the
// timeline's rate (hundredths), their length, the piece's copied value, and
// one chunk node per master chunk (its three values, its file name, and the
// slave chunk's file name at the same position, or the piece's own path
// when there is none). A piece without master chunks gets a record without
// chunk nodes.
FilterList ReadSegmentChunkLists(const std::vector<BoardClipPiece>& pieces, std::int32_t rateHundredths,
                                 BoardClipFiles& board);

}  // namespace sprocket
