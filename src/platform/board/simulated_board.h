#pragma once
// The software stand-in of the video board, for machines without one (and
// for tests). Its disk is a folder:
//
//   - a board clip is a movie file in the board's own format ("CFCC") on
//     the disk, named "<name>_<n>.PVD", with a second name "<name>_<n>.PAT"
//     for the same frames;
//   - the chunk lists of the movie files made into board clips are kept in
//     "chunks.txt" on the disk (one line per chunk: the movie file, the
//     piece id, the first and last frame and the board clip), so every
//     stand-in over the same disk sees them;
//   - registrations of finished movies go to "registered.txt";
//   - the effects board writes its clips under "drive<n>/<folder>/".
//
// Plays on the board's output are kept as requests.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/board/video_board.h"

namespace sprocket {

class SimulatedBoard final : public VideoBoard {
public:
  // A board whose disk is `disk` (made when needed), with or without the
  // effects board.
  SimulatedBoard(std::filesystem::path disk, bool effectsBoard);

  bool IsPresent() const override { return true; }
  int dudCheck(const std::string& path) override;
  int dudWriteChunk(const std::string& path, std::int32_t reserved, std::int32_t mode) override;
  BoardChunkList dudReadChunk(const std::string& path) override;
  BoardChunkList dudReadSlaveChunk(const std::string& path) override;
  bool GetDiskPrefix(std::string* prefix) override;
  int IsClipFileMissing(const std::string& path, std::int32_t flag) override;
  int RegisterOutputPiece(const std::string& outputPath, std::int32_t zero, const std::string& pieceFile) override;
  int PlayBoardClip(const ClipPlayRequest& request) override;
  bool G_IsTfxBoardPresent() override { return effectsBoard_; }
  int G_HasTfxEffect(const TfxTransition& transition) override;
  std::optional<std::vector<TfxPiece>> G_CompileTfxEffect(const TfxTransition& transition, const TfxFrameSource& frames,
                                                          const TfxPump& pump, std::int32_t* cancel) override;
  std::string TfxPiecePath(const TfxPiece& piece) const override;

  const std::filesystem::path& disk() const { return disk_; }
  // Registrations made through this object: (output movie, piece file).
  const std::vector<std::pair<std::string, std::string>>& registrations() const { return registrations_; }
  // Plays on the board's output made through this object.
  const std::vector<ClipPlayRequest>& plays() const { return plays_; }

private:
  struct ChunkRecord {
    std::string source;
    BoardClipChunk chunk;
  };
  std::vector<ChunkRecord> ReadChunkIndex() const;
  bool WriteChunkIndex(const std::vector<ChunkRecord>& records) const;
  // A free board clip name for a movie file: "<disk>/<stem>_<n>" (no extension).
  std::filesystem::path NewClipStem(const std::string& source) const;
  std::optional<TfxPiece> WriteTfxPiece(const TfxTransition& transition, const TfxFrameSource& frames,
                                        std::int32_t first, std::int32_t count, std::int32_t frameTotal);

  std::filesystem::path disk_;
  bool effectsBoard_ = false;
  std::vector<std::pair<std::string, std::string>> registrations_;
  std::vector<ClipPlayRequest> plays_;
};

}  // namespace sprocket
