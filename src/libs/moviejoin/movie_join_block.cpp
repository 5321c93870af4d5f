#include "libs/moviejoin/movie_join_block.h"

#include <cstring>
#include <limits>

namespace sprocket {

namespace {

constexpr std::size_t kParamsBytes = sizeof(MovieJoinParams);
constexpr std::size_t kNodeBytes = sizeof(MovieJoinPieceNode);

// Lays out the block: the words first, then each part appended in turn.
class BlockLayout {
public:
  BlockLayout() : bytes_(kParamsBytes, 0) {}

  std::uint32_t AddText(const std::optional<std::string>& text) {
    if (!text) return 0;
    std::uint32_t at = Here();
    bytes_.insert(bytes_.end(), text->begin(), text->end());
    bytes_.push_back(0);
    return at;
  }

  std::uint32_t AddPieces(const std::vector<MovieJoinPiece>& pieces) {
    if (pieces.empty()) return 0;
    // Nodes first (each pointing at the next), then the names.
    std::uint32_t first = Here();
    std::size_t nodesAt = bytes_.size();
    bytes_.resize(bytes_.size() + kNodeBytes * pieces.size(), 0);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      MovieJoinPieceNode node;
      node.pieceId = pieces[i].pieceId;
      node.firstFrame = pieces[i].firstFrame;
      node.lastFrame = pieces[i].lastFrame;
      node.fileName = AddText(pieces[i].fileName);
      node.next = i + 1 < pieces.size() ? static_cast<std::uint32_t>(nodesAt + kNodeBytes * (i + 1)) : 0;
      std::memcpy(bytes_.data() + nodesAt + kNodeBytes * i, &node, kNodeBytes);
    }
    return first;
  }

  bool Fits() const { return bytes_.size() <= std::numeric_limits<std::uint32_t>::max(); }
  std::vector<std::uint8_t>& Bytes() { return bytes_; }

private:
  std::uint32_t Here() const { return static_cast<std::uint32_t>(bytes_.size()); }
  std::vector<std::uint8_t> bytes_;
};

// Reads the parts of a locked block, checking every reference.
class BlockReader {
public:
  BlockReader(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

  bool Text(std::uint32_t at, std::optional<std::string>* out, const char* what, std::string* error) const {
    out->reset();
    if (at == 0) return true;
    if (!Inside(at, 1)) return Refuse(error, std::string("The reference to the ") + what + " lies outside the job.");
    const void* end = std::memchr(bytes_ + at, 0, size_ - at);
    if (end == nullptr) return Refuse(error, std::string("The ") + what + " is not terminated inside the job.");
    out->emplace(reinterpret_cast<const char*>(bytes_ + at), static_cast<const std::uint8_t*>(end) - (bytes_ + at));
    return true;
  }

  bool Pieces(std::uint32_t at, std::vector<MovieJoinPiece>* out, std::string* error) const {
    out->clear();
    // A list of more nodes than the block can hold loops.
    std::size_t limit = size_ / kNodeBytes;
    while (at != 0) {
      if (out->size() >= limit) return Refuse(error, "A piece list of the job loops.");
      if (!Inside(at, kNodeBytes)) return Refuse(error, "A piece of the job lies outside the job.");
      MovieJoinPieceNode node;
      std::memcpy(&node, bytes_ + at, kNodeBytes);
      std::optional<std::string> name;
      if (!Text(node.fileName, &name, "piece's file name", error)) return false;
      out->push_back(MovieJoinPiece{node.pieceId, node.firstFrame, node.lastFrame, name.value_or("")});
      at = node.next;
    }
    return true;
  }

private:
  // References point past the words and wholly inside the block.
  bool Inside(std::uint32_t at, std::size_t bytes) const {
    return at >= kParamsBytes && at <= size_ && bytes <= size_ - at;
  }
  static bool Refuse(std::string* error, std::string text) {
    if (error != nullptr) *error = std::move(text);
    return false;
  }

  const std::uint8_t* bytes_;
  std::size_t size_;
};

}  // namespace

GlobalBlock PackMovieJoinJob(const MovieJoinJob& job) {
  BlockLayout layout;
  MovieJoinParams params = job.params;
  params.outputPath = layout.AddText(job.outputPath);
  params.soundPath = layout.AddText(job.soundPath);
  params.firstSpans = layout.AddPieces(job.firstPieces);
  params.secondSpans = layout.AddPieces(job.secondPieces);
  params.recordInText = layout.AddText(job.recordInText);
  params.titleText = layout.AddText(job.titleText);
  if (!layout.Fits()) return {};
  std::memcpy(layout.Bytes().data(), &params, kParamsBytes);

  GlobalBlock block = GlobalBlock::Allocate(layout.Bytes().size());
  if (!block) return {};
  GlobalLockGuard<std::uint8_t> bytes(block.get());
  std::memcpy(bytes.get(), layout.Bytes().data(), layout.Bytes().size());
  return block;
}

bool UnpackMovieJoinJob(HGLOBAL block, MovieJoinJob* job, std::string* error) {
  GlobalLockGuard<std::uint8_t> bytes(block);
  std::size_t size = GlobalSize(block);
  if (!bytes || size < kParamsBytes) {
    if (error != nullptr) *error = "The job block is missing or too short.";
    return false;
  }
  MovieJoinJob result;
  std::memcpy(&result.params, bytes.get(), kParamsBytes);
  BlockReader reader(bytes.get(), size);
  const MovieJoinParams& p = result.params;
  if (!reader.Text(p.outputPath, &result.outputPath, "output path", error) ||
      !reader.Text(p.soundPath, &result.soundPath, "sound file's path", error) ||
      !reader.Pieces(p.firstSpans, &result.firstPieces, error) ||
      !reader.Pieces(p.secondSpans, &result.secondPieces, error) ||
      !reader.Text(p.recordInText, &result.recordInText, "record-in time code", error) ||
      !reader.Text(p.titleText, &result.titleText, "title", error)) {
    return false;
  }
  *job = std::move(result);
  return true;
}

std::int64_t CountPieceFrames(const std::vector<MovieJoinPiece>& pieces) {
  std::int64_t frames = 0;
  for (const MovieJoinPiece& piece : pieces)
    frames += static_cast<std::int64_t>(piece.lastFrame) - piece.firstFrame + 1;
  return frames;
}

}  // namespace sprocket
