#include "render/movie/board_playable_clips.h"

#include <algorithm>

#include "timeline/basics/time_code.h"

namespace sprocket {

namespace {

bool IsBoardPlayableTrack(const TLEvent& clip) {
  return clip.trackType == kTrackVideo && (clip.trackNumber == 1 || clip.trackNumber == 3);
}

}  // namespace

std::vector<BoardClipPiece> CollectBoardClipPieces(const TLEvent* head, VideoBoard& board, bool eitherNative,
                                                   std::int32_t start, std::int32_t end) {
  std::vector<BoardClipPiece> pieces;
  if (head == nullptr || !eitherNative || end <= start) return pieces;
  for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (!event->IsClipIn() || !IsBoardPlayableTrack(*event)) continue;
    const std::int32_t in = event->time;
    const std::int32_t out = event->OutTime();
    if (out <= start || in >= end || event->speed != kNormalSpeed || event->reverse != 0) continue;
    const std::string path = event->MediaPath();
    if (board.dudCheck(path) == 0 || board.dudReadChunk(path).empty()) continue;
    BoardClipPiece piece;
    piece.path = path;
    piece.copiedValue = event->playIn;
    piece.baseTime = in;
    piece.startOffset = std::max(start, in) - in;
    piece.endOffset = std::min(end, out) - in;
    pieces.push_back(std::move(piece));
  }
  return pieces;
}

void FreeBoardClipPieces(std::vector<BoardClipPiece>& pieces, ImageFileLibrary* images) {
  for (const BoardClipPiece& piece : pieces) {
    if (piece.image >= 0 && images != nullptr) images->Free(piece.image);
  }
  pieces.clear();
}

std::vector<BoardChunk> VideoBoardClipFiles::PieceChunks(const BoardClipPiece& piece,
                                                         const BoardChunkList& chunks) const {
  // The media frames of the clip's stretch.
  const std::int32_t from = MsToFrames(piece.copiedValue + piece.startOffset, fps_);
  const std::int32_t to = MsToFrames(piece.copiedValue + piece.endOffset, fps_) - 1;
  std::vector<BoardChunk> cut;
  std::int32_t mediaFrame = 0;  // the media frame of a chunk's first frame
  for (const BoardClipChunk& chunk : chunks) {
    const std::int32_t count = chunk.lastFrame - chunk.firstFrame + 1;
    if (count <= 0) continue;
    const std::int32_t a = std::max(from, mediaFrame);
    const std::int32_t b = std::min(to, mediaFrame + count - 1);
    if (a <= b) {
      cut.push_back(BoardChunk{
          {chunk.pieceId, chunk.firstFrame + (a - mediaFrame), chunk.firstFrame + (b - mediaFrame)}, chunk.clipName});
    }
    mediaFrame += count;
  }
  return cut;
}

void VideoBoardClipFiles::dudReadChunk(const BoardClipPiece& piece, std::vector<BoardChunk>* master) {
  *master = PieceChunks(piece, board_.dudReadChunk(piece.path));
}

void VideoBoardClipFiles::dudReadSlaveChunk(const BoardClipPiece& piece, std::vector<BoardChunk>* slave) {
  *slave = PieceChunks(piece, board_.dudReadSlaveChunk(piece.path));
}

}  // namespace sprocket
