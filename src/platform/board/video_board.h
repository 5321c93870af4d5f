#pragma once
// The video board and the libraries that drive it, as the editor calls them:
//
//   - the clip-file functions: test whether a movie is in the board's own
//     format, turn a movie file into a board clip (its chunk list) and read
//     chunk lists back;
//   - the board's disks: the path prefix of the disks, whether a board clip
//     file is missing, and the registration of a finished movie's pieces;
//   - the board's player, which plays a clip on the board's video output;
//   - the effects board, which compiles a transition into board clips.
//
// No board is fitted unless the settings ask for the software stand-in
// ("Board" / "Simulate" = 1, see OpenVideoBoard): every query then answers
// "none" and every action fails.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/global_memory.h"

namespace sprocket {

class Profile;

// One chunk of a board clip: a piece id, its first and last frame and the
// board clip file that holds the frames.
struct BoardClipChunk {
  std::int32_t pieceId = 0;
  std::int32_t firstFrame = 0;
  std::int32_t lastFrame = 0;
  std::string clipName;
  bool operator==(const BoardClipChunk&) const = default;
};
using BoardChunkList = std::vector<BoardClipChunk>;

// A play request of the board's player or of the on-screen clip player.
struct ClipPlayRequest {
  std::string path;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t framesPerSecond = 0;  // whole frames
  bool operator==(const ClipPlayRequest&) const = default;
};

// What the effects board is told of a transition of a render segment.
struct TfxTransition {
  std::int32_t transitionId = 0;
  // The tracks of the A and B pictures; 0 means the tracks on either side
  // of the transition track.
  std::int32_t leftTrack = 0;
  std::int32_t rightTrack = 0;
  std::int32_t segmentStart = 0;  // ms
  std::int32_t segmentEnd = 0;    // ms
  std::int32_t width = 0;
  std::int32_t height = 0;
  double framesPerSecond = 0.0;
  // Source origins and start times of A and B, ms (the timing block).
  std::array<std::int32_t, 4> timing{};
};

// One board clip the effects board made: the disk (drive number), its
// folder and name on that disk, and the frames of the clip it covers.
struct TfxPiece {
  std::int32_t drive = 0;
  std::string folder;
  std::string name;
  std::int32_t firstFrame = 0;
  std::int32_t lastFrame = 0;
};

// The pictures of a transition's sides at a time: a 24-bit packed DIB of
// the transition's size for side 0 (A) or 1 (B); an empty block when the
// side shows nothing.
using TfxFrameSource = std::function<GlobalBlock(int side, std::int32_t timeMs)>;
// Lets the user stop a compile: nonzero stops.
using TfxPump = std::function<int()>;

class VideoBoard {
public:
  virtual ~VideoBoard() = default;

  // True when a board (or the stand-in) is fitted.
  virtual bool IsPresent() const = 0;

  // --- Clip-file functions ---
  // Nonzero when the movie file is in the board's own format.
  virtual int dudCheck(const std::string& path) = 0;
  // Turns a movie file into a board clip and writes its chunk list.
  // 0 on success.
  virtual int dudWriteChunk(const std::string& path, std::int32_t reserved, std::int32_t mode) = 0;
  // The chunk list of a movie file; empty when it has none.
  virtual BoardChunkList dudReadChunk(const std::string& path) = 0;
  // The slave chunk list (the clips' second files); empty when none.
  virtual BoardChunkList dudReadSlaveChunk(const std::string& path) = 0;

  // --- The board's disks ---
  // The path prefix of the board's disks (at most 15 characters). False
  // without a board.
  virtual bool GetDiskPrefix(std::string* prefix) = 0;
  // Nonzero when the board clip file (prefix + path) is missing.
  virtual int IsClipFileMissing(const std::string& path, std::int32_t flag) = 0;
  // Registers the temporary file a piece of the output movie was made from
  // with that movie. 0 on success.
  virtual int RegisterOutputPiece(const std::string& outputPath, std::int32_t zero, const std::string& pieceFile) = 0;

  // --- The board's player ---
  // Plays the clip on the board's output. 0 when it played.
  virtual int PlayBoardClip(const ClipPlayRequest& request) = 0;

  // --- The effects board ---
  virtual bool G_IsTfxBoardPresent() = 0;
  // 0: not a transition of the effects board; 1: its A and B pictures lie
  // on tracks 1 and 3; 2: on the transition's own sides.
  virtual int G_HasTfxEffect(const TfxTransition& transition) = 0;
  // Compiles the transition into board clips. Nothing when it failed; with
  // `*cancel` set nonzero when the user stopped it.
  virtual std::optional<std::vector<TfxPiece>> G_CompileTfxEffect(const TfxTransition& transition,
                                                                  const TfxFrameSource& frames, const TfxPump& pump,
                                                                  std::int32_t* cancel) = 0;
  // The file of a piece the effects board made.
  virtual std::string TfxPiecePath(const TfxPiece& piece) const = 0;
};

// A board clip's second name: the second and third letters after the last
// dot of its name replaced by "A" and "T" ("/disk/take_1.PVD" ->
// "/disk/take_1.PAT"); a name without an extension stays as it is.
inline std::string BoardClipSecondName(const std::string& clipName) {
  std::string name = clipName;
  const std::size_t dot = name.rfind('.');
  const std::size_t slash = name.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name;
  if (dot + 2 < name.size()) name[dot + 2] = 'A';
  if (dot + 3 < name.size()) name[dot + 3] = 'T';
  return name;
}

// The answer without a board: nothing is present, every action fails.
class NoVideoBoard final : public VideoBoard {
public:
  bool IsPresent() const override { return false; }
  int dudCheck(const std::string&) override { return 0; }
  int dudWriteChunk(const std::string&, std::int32_t, std::int32_t) override { return -1; }
  BoardChunkList dudReadChunk(const std::string&) override { return {}; }
  BoardChunkList dudReadSlaveChunk(const std::string&) override { return {}; }
  bool GetDiskPrefix(std::string*) override { return false; }
  int IsClipFileMissing(const std::string&, std::int32_t) override { return 1; }
  int RegisterOutputPiece(const std::string&, std::int32_t, const std::string&) override { return -1; }
  int PlayBoardClip(const ClipPlayRequest&) override { return -1; }
  bool G_IsTfxBoardPresent() override { return false; }
  int G_HasTfxEffect(const TfxTransition&) override { return 0; }
  std::optional<std::vector<TfxPiece>> G_CompileTfxEffect(const TfxTransition&, const TfxFrameSource&, const TfxPump&,
                                                          std::int32_t*) override {
    return std::nullopt;
  }
  std::string TfxPiecePath(const TfxPiece&) const override { return {}; }
};

// The board the settings describe: the stand-in when "Board" / "Simulate"
// is 1 (its disk is "Board" / "Disk", else the folder "board" beside the
// settings file), else no board.
std::unique_ptr<VideoBoard> OpenVideoBoard(const Profile& profile);

// Plays a clip in a window on the screen. The editor shows it; the
// command-line tool and tests keep the requests.
class ClipPlayer {
public:
  virtual ~ClipPlayer() = default;
  // 0 when it played.
  virtual int PlayClip(const ClipPlayRequest& request) = 0;
};

// A clip player that keeps every request and plays nothing.
class RecordingClipPlayer final : public ClipPlayer {
public:
  int PlayClip(const ClipPlayRequest& request) override {
    requests_.push_back(request);
    return 0;
  }
  const std::vector<ClipPlayRequest>& requests() const { return requests_; }

private:
  std::vector<ClipPlayRequest> requests_;
};

}  // namespace sprocket
