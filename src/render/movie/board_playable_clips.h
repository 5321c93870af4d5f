#pragma once
// The board clips on the timeline that a segment preview can play without
// rendering: clips of the A/B video tracks (1 and 3) whose media the board
// has made into board clips, and their chunk lists read through the board.
//
// A BoardClipPiece stands for the stretch of one clip inside a range: its
// media path, the clip's in time as base, the stretch's start and end as
// offsets from it, and the clip's play-in as the value handed on to the play
// record. The chunk lists are cut to the media frames of that stretch, so
// that a play record's frames start at its own start.

#include <cstdint>
#include <vector>

#include "platform/board/video_board.h"
#include "platform/imagefile/image_file_library.h"
#include "render/movie/board_segments.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// The clip stretches of [start, end) in time order of the clips' tracks; none when
// neither output record is in the board's own format (`eitherNative`).
// Clips played at another speed or backwards are not played from the board.
std::vector<BoardClipPiece> CollectBoardClipPieces(const TLEvent* head, VideoBoard& board, bool eitherNative,
                                                   std::int32_t start, std::int32_t end);
// Releases the image each entry holds and empties the list.
void FreeBoardClipPieces(std::vector<BoardClipPiece>& pieces, ImageFileLibrary* images);

// The board's chunk functions for clip stretches, at the board's frame rate.
class VideoBoardClipFiles final : public BoardClipFiles {
public:
  VideoBoardClipFiles(VideoBoard& board, double framesPerSecond) : board_(board), fps_(framesPerSecond) {}

  void dudReadChunk(const BoardClipPiece& piece, std::vector<BoardChunk>* master) override;
  void dudReadSlaveChunk(const BoardClipPiece& piece, std::vector<BoardChunk>* slave) override;
  void dudClearList(std::vector<BoardChunk>* master) override { master->clear(); }
  void dudClearSlaveList(std::vector<BoardChunk>* slave) override { slave->clear(); }

private:
  std::vector<BoardChunk> PieceChunks(const BoardClipPiece& piece, const BoardChunkList& chunks) const;

  VideoBoard& board_;
  double fps_;
};

}  // namespace sprocket
