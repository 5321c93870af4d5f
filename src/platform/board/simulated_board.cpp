#include "platform/board/simulated_board.h"
#include "platform/settings/settings_keys.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "imagelib/dib_header.h"
#include "platform/file_paths.h"
#include "platform/files/atomic_file.h"
#include "platform/media/avi_writer.h"
#include "platform/media/movie_header.h"
#include "platform/settings/profile.h"

namespace sprocket {

namespace {

inline constexpr const char* kChunkIndexName = "chunks.txt";
inline constexpr const char* kRegisteredName = "registered.txt";
inline constexpr const char* kClipExtension = ".PVD";
inline constexpr std::int32_t kTfxQuality = 10000;
inline constexpr int kMaxClipNumber = 100000;

std::string NormalPath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return (ec ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

bool FitsOneLine(const std::string& text) { return text.find_first_of("\t\r\n") == std::string::npos; }

// Makes `to` a second name of `from`: a hard link, or a copy where links fail.
bool LinkOrCopy(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code ec;
  std::filesystem::create_hard_link(from, to, ec);
  if (!ec) return true;
  return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
}

// A + (B - A) x percent / 100 over the pixel bytes of two 24-bit DIBs of
// the picture's size (a missing side is black), into `out`.
void DissolvePictures(const GlobalBlock& a, const GlobalBlock& b, double percent, std::vector<std::uint8_t>& out) {
  const std::size_t pixels = out.size() - sizeof(DibInfoHeader);
  GlobalLockGuard<std::uint8_t> lockA(a.get());
  GlobalLockGuard<std::uint8_t> lockB(b.get());
  auto pixelsOf = [&](const GlobalLockGuard<std::uint8_t>& lock, const GlobalBlock& block) -> const std::uint8_t* {
    return lock && block.size() >= out.size() ? lock.get() + sizeof(DibInfoHeader) : nullptr;
  };
  const std::uint8_t* pa = pixelsOf(lockA, a);
  const std::uint8_t* pb = pixelsOf(lockB, b);
  std::uint8_t* to = out.data() + sizeof(DibInfoHeader);
  const double w = std::clamp(percent, 0.0, 100.0) / 100.0;
  for (std::size_t i = 0; i < pixels; ++i) {
    const double va = pa != nullptr ? pa[i] : 0.0;
    const double vb = pb != nullptr ? pb[i] : 0.0;
    to[i] = static_cast<std::uint8_t>(va + (vb - va) * w + 0.5);
  }
}

}  // namespace

SimulatedBoard::SimulatedBoard(std::filesystem::path disk, bool effectsBoard)
    : disk_(std::move(disk)), effectsBoard_(effectsBoard) {
  std::error_code ec;
  std::filesystem::create_directories(disk_, ec);
}

int SimulatedBoard::dudCheck(const std::string& path) {
  AviMediaHeader header;
  std::string error;
  if (!ReadMovieHeader(path, &header, &error)) return 0;
  return FourCCEqualsNoCase(header.video.fccHandler, MakeFourCC("CFCC")) ? 1 : 0;
}

std::vector<SimulatedBoard::ChunkRecord> SimulatedBoard::ReadChunkIndex() const {
  std::vector<ChunkRecord> records;
  std::ifstream in(disk_ / kChunkIndexName);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    ChunkRecord record;
    std::string id, first, last;
    if (!std::getline(fields, record.source, '\t') || !std::getline(fields, id, '\t') ||
        !std::getline(fields, first, '\t') || !std::getline(fields, last, '\t') ||
        !std::getline(fields, record.chunk.clipName)) {
      continue;
    }
    try {
      record.chunk.pieceId = std::stoi(id);
      record.chunk.firstFrame = std::stoi(first);
      record.chunk.lastFrame = std::stoi(last);
    } catch (const std::exception&) {
      continue;
    }
    records.push_back(std::move(record));
  }
  return records;
}

bool SimulatedBoard::WriteChunkIndex(const std::vector<ChunkRecord>& records) const {
  std::string text;
  for (const ChunkRecord& record : records) {
    text += record.source + '\t' + std::to_string(record.chunk.pieceId) + '\t' +
            std::to_string(record.chunk.firstFrame) + '\t' + std::to_string(record.chunk.lastFrame) + '\t' +
            record.chunk.clipName + '\n';
  }
  return WriteFileAtomically(disk_ / kChunkIndexName, text);
}

std::filesystem::path SimulatedBoard::NewClipStem(const std::string& source) const {
  const std::string stem = std::filesystem::path(source).stem().string();
  for (int n = 1; n < kMaxClipNumber; ++n) {
    std::filesystem::path candidate = disk_ / (stem + "_" + std::to_string(n));
    std::string pvd = candidate.string() + kClipExtension;
    if (!PathExists(pvd) && !PathExists(BoardClipSecondName(pvd))) return candidate;
  }
  return {};
}

int SimulatedBoard::dudWriteChunk(const std::string& path, std::int32_t /*reserved*/, std::int32_t /*mode*/) {
  AviMediaHeader header;
  std::string error;
  if (!ReadMovieHeader(path, &header, &error) || header.video.dwLength == 0) return -1;
  const std::string source = NormalPath(path);
  if (!FitsOneLine(source)) return -1;
  const std::filesystem::path stem = NewClipStem(source);
  if (stem.empty()) return -1;
  const std::string clip = stem.string() + kClipExtension;
  std::error_code ec;
  if (!std::filesystem::copy_file(path, clip, std::filesystem::copy_options::overwrite_existing, ec) ||
      !LinkOrCopy(clip, BoardClipSecondName(clip))) {
    std::filesystem::remove(clip, ec);
    return -1;
  }

  std::vector<ChunkRecord> records = ReadChunkIndex();
  std::erase_if(records, [&](const ChunkRecord& record) { return record.source == source; });
  BoardClipChunk chunk{0, 0, static_cast<std::int32_t>(header.video.dwLength) - 1, clip};
  records.push_back({source, chunk});
  return WriteChunkIndex(records) ? 0 : -1;
}

BoardChunkList SimulatedBoard::dudReadChunk(const std::string& path) {
  const std::string source = NormalPath(path);
  BoardChunkList chunks;
  for (const ChunkRecord& record : ReadChunkIndex()) {
    if (record.source == source) chunks.push_back(record.chunk);
  }
  return chunks;
}

BoardChunkList SimulatedBoard::dudReadSlaveChunk(const std::string& path) {
  BoardChunkList chunks = dudReadChunk(path);
  for (BoardClipChunk& chunk : chunks) chunk.clipName = BoardClipSecondName(chunk.clipName);
  return chunks;
}

bool SimulatedBoard::GetDiskPrefix(std::string* prefix) {
  // Board clips are named by their whole paths: the prefix is empty.
  if (prefix != nullptr) prefix->clear();
  return true;
}

int SimulatedBoard::IsClipFileMissing(const std::string& path, std::int32_t /*flag*/) {
  return PathExists(path) ? 0 : 1;
}

int SimulatedBoard::RegisterOutputPiece(const std::string& outputPath, std::int32_t /*zero*/,
                                        const std::string& pieceFile) {
  if (!FitsOneLine(outputPath) || !FitsOneLine(pieceFile)) return -1;
  std::ofstream out(disk_ / kRegisteredName, std::ios::app);
  out << outputPath << '\t' << pieceFile << '\n';
  out.flush();
  if (!out) return -1;
  registrations_.emplace_back(outputPath, pieceFile);
  return 0;
}

int SimulatedBoard::PlayBoardClip(const ClipPlayRequest& request) {
  if (!PathExists(request.path)) return -1;
  plays_.push_back(request);
  return 0;
}

int SimulatedBoard::G_HasTfxEffect(const TfxTransition& transition) {
  // The effects board knows the plain cross dissolve (transition 1).
  if (!effectsBoard_ || transition.transitionId != 1) return 0;
  return transition.leftTrack == 0 && transition.rightTrack == 0 ? 1 : 2;
}

std::string SimulatedBoard::TfxPiecePath(const TfxPiece& piece) const {
  return (disk_ / ("drive" + std::to_string(piece.drive)) / piece.folder / piece.name).string();
}

std::optional<TfxPiece> SimulatedBoard::WriteTfxPiece(const TfxTransition& transition, const TfxFrameSource& frames,
                                                      std::int32_t first, std::int32_t count, std::int32_t frameTotal) {
  TfxPiece piece;
  piece.drive = 0;
  piece.folder = "tfx";
  piece.lastFrame = count - 1;
  const std::filesystem::path folder = disk_ / ("drive" + std::to_string(piece.drive)) / piece.folder;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  for (int n = 1; n < kMaxClipNumber && piece.name.empty(); ++n) {
    std::string name = "tfx_" + std::to_string(n) + kClipExtension;
    if (!PathExists((folder / name).string())) piece.name = name;
  }
  if (piece.name.empty()) return std::nullopt;

  AviVideoFormat format;
  format.width = transition.width;
  format.height = transition.height;
  RateForFramesPerSecond(transition.framesPerSecond, &format.rate, &format.scale);
  format.compressor = MakeFourCC("CFCC");
  format.quality = kTfxQuality;
  format.keyFrameEvery = 1;
  AviWriter writer;
  if (!writer.Open(TfxPiecePath(piece), format, std::nullopt)) return std::nullopt;

  std::vector<std::uint8_t> picture(sizeof(DibInfoHeader) +
                                    static_cast<std::size_t>(PaddedStride24(format.width)) * format.height);
  const DibInfoHeader header = MakeDib24Header(format.width, format.height);
  std::memcpy(picture.data(), &header, sizeof header);
  for (std::int32_t k = first; k < first + count; ++k) {
    const auto t = transition.segmentStart + static_cast<std::int32_t>(k / transition.framesPerSecond * 1000.0);
    const double percent = frameTotal > 1 ? k * 100.0 / (frameTotal - 1) : 100.0;
    DissolvePictures(frames ? frames(0, t) : GlobalBlock(), frames ? frames(1, t) : GlobalBlock(), percent, picture);
    if (!writer.WriteFrame(picture.data(), picture.size())) return std::nullopt;
  }
  if (!writer.Finish()) return std::nullopt;
  return piece;
}

std::optional<std::vector<TfxPiece>> SimulatedBoard::G_CompileTfxEffect(const TfxTransition& transition,
                                                                        const TfxFrameSource& frames,
                                                                        const TfxPump& pump, std::int32_t* cancel) {
  if (!effectsBoard_ || transition.width <= 0 || transition.height <= 0 || transition.framesPerSecond <= 0.0 ||
      transition.segmentEnd <= transition.segmentStart) {
    return std::nullopt;
  }
  if (pump && pump() != 0) {
    if (cancel != nullptr) *cancel = 1;
    return std::vector<TfxPiece>{};
  }
  // The frames of the segment's range, as a render of the range counts them.
  const auto total = std::max<std::int32_t>(
      1, static_cast<std::int32_t>(
             (transition.segmentEnd - transition.segmentStart) * transition.framesPerSecond * 0.001 + 0.5));
  // The board writes a transition as two clips (one when it lasts one frame).
  const std::int32_t firstCount = total > 1 ? total / 2 : total;
  std::vector<TfxPiece> pieces;
  for (auto [first, count] : {std::pair{0, firstCount}, std::pair{firstCount, total - firstCount}}) {
    if (count <= 0) continue;
    std::optional<TfxPiece> piece = WriteTfxPiece(transition, frames, first, count, total);
    if (!piece) return std::nullopt;
    pieces.push_back(*piece);
    if (pump && pump() != 0) {
      if (cancel != nullptr) *cancel = 1;
      return pieces;
    }
  }
  return pieces;
}

std::unique_ptr<VideoBoard> OpenVideoBoard(const Profile& profile) {
  if (profile.GetProfileInt(settings::kBoard, settings::kBoardSimulate, 0) != 1)
    return std::make_unique<NoVideoBoard>();
  std::string disk = profile.GetProfileString(settings::kBoard, settings::kBoardDisk);
  std::filesystem::path folder = disk.empty() ? profile.path().parent_path() / "board" : std::filesystem::path(disk);
  const bool effects = profile.GetProfileInt(settings::kBoard, settings::kBoardEffects, 0) == 1;
  return std::make_unique<SimulatedBoard>(folder, effects);
}

}  // namespace sprocket
