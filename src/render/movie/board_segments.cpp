#include "render/movie/board_segments.h"

#include "timeline/basics/time_code.h"
#include "timeline/records/filter_ids.h"

namespace sprocket {

FilterList ReadSegmentChunkLists(const std::vector<BoardClipPiece>& pieces, std::int32_t rateHundredths,
                                 BoardClipFiles& board) {
  FilterList records;
  for (const BoardClipPiece& piece : pieces) {
    TLFilter record;
    InitFilter(record);
    record.id = kFilterSegmentPlayRecord;
    record.rendered = 1;
    record.start = SnapToFrame(piece.baseTime + piece.startOffset, rateHundredths);
    record.end = SnapToFrame(piece.baseTime + piece.endOffset, rateHundredths);
    record.length = record.end - record.start;
    record.copiedValue = piece.copiedValue;

    std::vector<BoardChunk> master;
    std::vector<BoardChunk> slave;
    board.dudReadChunk(piece, &master);
    board.dudReadSlaveChunk(piece, &slave);
    for (std::size_t i = 0; i < master.size(); ++i) {
      TLFilterParam chunk;
      InitFilterParam(chunk);
      for (std::size_t v = 0; v < master[i].values.size(); ++v) chunk.values[v] = master[i].values[v];
      chunk.name = master[i].fileName;
      // Without a slave chunk at the same place the piece's own file serves.
      chunk.secondName = i < slave.size() ? slave[i].fileName : piece.path;
      record.params.push_back(std::move(chunk));
    }
    board.dudClearList(&master);
    board.dudClearSlaveList(&slave);
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace sprocket
