#include "render/audio/waveform_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <new>

#include "platform/file_paths.h"
#include "platform/files/fd_io.h"
#include "platform/le_bytes.h"
#include "platform/prompts.h"
#include "platform/temp_files.h"

namespace sprocket {

namespace {

constexpr char kTrailerMagic[4] = {'S', 'P', 'W', 'V'};
constexpr char kRightMagic[4] = {'S', 'P', 'W', 'R'};
constexpr std::size_t kTrailerFixedBytes = 24;  // magic, size, time, path length
constexpr const char* kWaveformPrefix = "zkb";
constexpr int kCorruptedFile = 61486;
constexpr int kOutOfMemory = 61428;
constexpr std::size_t kMaxStoredPath = 4096;

// An open file descriptor, closed when done.
class FileHandle {
public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }
  bool Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
  }

private:
  int fd_;
};

// A read-only mapping of a whole file.
class MappedFile {
public:
  explicit MappedFile(const std::string& path) {
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) return;
    void* address = ::mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE, file.get(), 0);
    if (address == MAP_FAILED) return;
    data_ = static_cast<const std::uint8_t*>(address);
    size_ = static_cast<std::size_t>(status.st_size);
  }
  ~MappedFile() {
    if (data_ != nullptr) ::munmap(const_cast<std::uint8_t*>(data_), size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  std::span<const std::uint8_t> Bytes() const { return {data_, size_}; }
  explicit operator bool() const { return data_ != nullptr; }

private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

// What identifies the media a waveform file was made from.
struct MediaStamp {
  std::string path;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // ns
  bool operator==(const MediaStamp&) const = default;
};

std::optional<MediaStamp> StampOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return MediaStamp{path, static_cast<std::uint64_t>(status.st_size),
                    static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

std::string WaveformPath(const TLEvent& clip) {
  const DerivedFileNames& names = clip.derivedFiles;
  return names.waveDirectory + names.waveName + names.waveExtension;
}

void PutLe(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> Trailer(const MediaStamp& stamp) {
  std::vector<std::uint8_t> bytes(kTrailerMagic, kTrailerMagic + 4);
  PutLe(bytes, stamp.size, 8);
  PutLe(bytes, static_cast<std::uint64_t>(stamp.modified), 8);
  PutLe(bytes, stamp.path.size(), 4);
  bytes.insert(bytes.end(), stamp.path.begin(), stamp.path.end());
  return bytes;
}

struct RowEntry {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

std::optional<std::array<RowEntry, kWaveformRows>> ReadDirectory(int fd) {
  std::array<std::uint8_t, kWaveformDirectoryBytes> bytes{};
  if (!ReadFully(fd, 0, bytes.data(), bytes.size())) return std::nullopt;
  std::array<RowEntry, kWaveformRows> rows{};
  for (int i = 0; i < kWaveformRows; ++i) {
    rows[i].offset = ReadLe32(bytes.data() + 8 * i);
    rows[i].size = ReadLe32(bytes.data() + 8 * i + 4);
  }
  return rows;
}

double MediaLengthMs(const TLEvent& clip) { return clip.header ? clip.header->MediaLengthMs() : 0.0; }

bool IsStereo(const TLEvent& clip) { return clip.header && clip.header->AudioChannels() == 2; }

// Reads the directory of the right-channel rows that follows the trailer.
std::optional<std::array<RowEntry, kWaveformRows>> ReadRightDirectory(int fd, std::uint64_t at) {
  std::array<std::uint8_t, 4 + kWaveformDirectoryBytes> bytes{};
  if (!ReadFully(fd, at, bytes.data(), bytes.size()) || std::memcmp(bytes.data(), kRightMagic, 4) != 0) {
    return std::nullopt;
  }
  std::array<RowEntry, kWaveformRows> rows{};
  for (int i = 0; i < kWaveformRows; ++i) {
    rows[i].offset = ReadLe32(bytes.data() + 4 + 8 * i);
    rows[i].size = ReadLe32(bytes.data() + 4 + 8 * i + 4);
  }
  return rows;
}

// True when the rows follow each other from `start` with the sizes the
// counts ask for; `end` receives where the last one ends.
bool RowsFit(const std::array<RowEntry, kWaveformRows>& rows, const std::vector<std::int64_t>& counts,
             std::uint64_t start, std::uint64_t* end) {
  *end = start;
  for (int i = 0; i < kWaveformRows; ++i) {
    const RowEntry& row = rows[static_cast<std::size_t>(i)];
    if (row.offset != *end || row.size != static_cast<std::uint64_t>(counts[static_cast<std::size_t>(i)]) * 2) {
      return false;
    }
    *end += row.size;
  }
  return true;
}

// Where the right-channel block starts: after the left rows and the trailer.
std::optional<std::uint64_t> RightBlockStart(int fd, const std::array<RowEntry, kWaveformRows>& rows) {
  const RowEntry& last = rows[kWaveformRows - 1];
  const std::uint64_t trailer = std::uint64_t{last.offset} + last.size;
  std::array<std::uint8_t, kTrailerFixedBytes> bytes{};
  if (!ReadFully(fd, trailer, bytes.data(), bytes.size()) || std::memcmp(bytes.data(), kTrailerMagic, 4) != 0) {
    return std::nullopt;
  }
  const std::uint32_t pathLength = ReadLe32(bytes.data() + 20);
  if (pathLength > kMaxStoredPath) return std::nullopt;
  return trailer + kTrailerFixedBytes + pathLength;
}

// An empty path counts as present (the clip has no file to miss).
bool MediaFileExists(const std::string& path) {
  std::error_code error;
  return path.empty() || std::filesystem::exists(path, error);
}

int RowOf(const CTestDoc& doc) {
  return (std::clamp(doc.scaleGroup, 1, 3) - 1) * 6 + std::clamp(doc.groupScaleIndex, 0, 5);
}

// Writes one channel's rows from `offset` on and returns their directory;
// nothing when a write fails or the file would pass 4 GiB.
std::optional<std::vector<std::uint8_t>> WriteRows(int fd, std::uint64_t offset, std::span<const std::uint8_t> media,
                                                   const AudioMediaLayout& layout,
                                                   const std::vector<std::int64_t>& counts, int channel) {
  std::vector<std::uint8_t> directory;
  for (std::int64_t count : counts) {
    const std::vector<std::uint16_t> row = SampleWaveform(media, layout, count, channel);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(row.size() * 2);
    for (std::uint16_t value : row) PutLe(bytes, value, 2);
    if (offset + bytes.size() > 0xFFFFFFFFu || !WriteFully(fd, bytes.data(), bytes.size())) return std::nullopt;
    PutLe(directory, offset, 4);
    PutLe(directory, bytes.size(), 4);
    offset += bytes.size();
  }
  return directory;
}

// Writes the left rows, their directory and the trailer, and for stereo
// sound the block of right-channel rows after it. False on any failed write.
bool WriteWaveformFile(const std::string& path, std::span<const std::uint8_t> media, const AudioMediaLayout& layout,
                       const std::vector<std::int64_t>& counts, const MediaStamp& stamp) {
  FileHandle file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (file.get() < 0) return false;
  std::vector<std::uint8_t> zeros(kWaveformDirectoryBytes, 0);
  if (!WriteFully(file.get(), zeros.data(), zeros.size())) return false;
  const auto left = WriteRows(file.get(), kWaveformDirectoryBytes, media, layout, counts, 0);
  const std::vector<std::uint8_t> trailer = Trailer(stamp);
  if (!left || !WriteFully(file.get(), trailer.data(), trailer.size())) return false;
  if (layout.channels == 2) {
    std::uint64_t rightStart = kWaveformDirectoryBytes + trailer.size();
    for (std::int64_t count : counts) rightStart += static_cast<std::uint64_t>(count) * 2;
    std::vector<std::uint8_t> header(kRightMagic, kRightMagic + 4);
    header.resize(4 + kWaveformDirectoryBytes, 0);
    if (!WriteFully(file.get(), header.data(), header.size())) return false;
    const auto right = WriteRows(file.get(), rightStart + header.size(), media, layout, counts, 1);
    if (!right || !WriteFully(file.get(), right->data(), right->size(), rightStart + 4)) return false;
  }
  return WriteFully(file.get(), left->data(), left->size(), 0) && file.Close();
}

}  // namespace

std::vector<std::uint16_t> SampleWaveform(std::span<const std::uint8_t> media, const AudioMediaLayout& layout,
                                          std::int64_t count, int channel) {
  count = std::max<std::int64_t>(count, 1);
  std::vector<std::uint16_t> values(static_cast<std::size_t>(count), layout.bits == 8 ? 128 : 0);
  if ((layout.bits != 8 && layout.bits != 16) || layout.channels < 1) return values;
  const int bytesPerSample = layout.bits / 8;
  const double frames =
      static_cast<double>(layout.totalBytes / static_cast<std::uint64_t>(layout.channels * bytesPerSample));
  const double step = frames / static_cast<double>(count);
  for (std::int64_t i = 0; i < count; ++i) {
    std::uint64_t sample = 0;
    if (layout.channels == 1) {
      sample = static_cast<std::uint64_t>(step * static_cast<double>(i));
    } else {
      sample = static_cast<std::uint64_t>(step * static_cast<double>(i) * 2.0) & ~std::uint64_t{3};
    }
    std::uint64_t byte = sample * static_cast<std::uint64_t>(bytesPerSample);
    if (layout.channels == 2 && channel == 1) byte += static_cast<std::uint64_t>(bytesPerSample);
    if (byte + static_cast<std::uint64_t>(bytesPerSample) > layout.totalBytes) break;
    std::uint64_t at = layout.base + byte;
    if (!layout.index.empty() && !MapAudioOffset(layout.index, byte, &at)) continue;
    if (at + static_cast<std::uint64_t>(bytesPerSample) > media.size()) continue;
    values[static_cast<std::size_t>(i)] = bytesPerSample == 1 ? media[at] : ReadLe16(media.data() + at);
  }
  return values;
}

std::vector<std::int64_t> WaveformRowCounts(const CTestDoc& doc, double mediaMs) {
  std::vector<std::int64_t> counts;
  const double fps = doc.rate * 0.01;
  for (int g = 1; g <= 3; ++g) {
    for (int k = 0; k < 6; ++k) {
      const int row = (g - 1) * 6 + k;
      const double first = doc.waveFirstTable[static_cast<std::size_t>(row)];
      const std::int64_t second = doc.waveSecondTable[static_cast<std::size_t>(row)];
      const std::int64_t base = doc.waveBase[static_cast<std::size_t>(g - 1)];
      double count = 0;
      if (k < 3) {
        if (fps > 0 && first > 0 && second > 0) {
          count = std::floor(mediaMs / (first * 1000.0 / fps) * static_cast<double>(second)) *
                  static_cast<double>(base / second);
        }
      } else if (first > 0) {
        count = std::floor(static_cast<double>(base) / first * mediaMs);
      }
      counts.push_back(static_cast<std::int64_t>(std::clamp(count, 1.0, static_cast<double>(kMaxWaveformRowValues))));
    }
  }
  return counts;
}

bool IsWaveformFileCurrent(const CTestDoc& doc, const TLEvent& clip) {
  const std::string path = WaveformPath(clip);
  const std::optional<MediaStamp> media = StampOf(clip.MediaPath());
  if (path.empty() || !media) return false;
  FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat status {};
  if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  const auto fileSize = static_cast<std::uint64_t>(status.st_size);
  const auto rows = ReadDirectory(file.get());
  if (!rows) return false;
  const std::vector<std::int64_t> counts = WaveformRowCounts(doc, MediaLengthMs(clip));
  std::uint64_t end = 0;
  if (!RowsFit(*rows, counts, kWaveformDirectoryBytes, &end)) return false;
  // A file in the plain format, without the trailer, is current when it was
  // written after the media file last changed; it has no right channel, so
  // a stereo clip wants a new one.
  if (end == fileSize) {
    if (IsStereo(clip)) return false;
    const std::int64_t written = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return written >= media->modified;
  }
  const std::vector<std::uint8_t> expected = Trailer(*media);
  if (end + expected.size() > fileSize || media->path.size() > kMaxStoredPath) return false;
  std::vector<std::uint8_t> trailer(expected.size());
  if (!ReadFully(file.get(), end, trailer.data(), trailer.size()) || trailer != expected) return false;
  const std::uint64_t afterTrailer = end + expected.size();
  if (!IsStereo(clip)) return afterTrailer == fileSize;
  // Stereo: the right channel's rows follow, each as long as its left row.
  const auto right = ReadRightDirectory(file.get(), afterTrailer);
  std::uint64_t rightEnd = 0;
  return right && RowsFit(*right, counts, afterTrailer + 4 + kWaveformDirectoryBytes, &rightEnd) &&
         rightEnd == fileSize;
}

void WaveformMessages::ReportWaveformMessage(int stringId, const std::string&) { ShowMessage(stringId); }

void ReleaseWaveformFile(const CTestDoc& doc, const std::string& path) {
  if (path.empty()) return;
  for (const TLEvent* clip = doc.Head(); clip != nullptr; clip = GetNextEvent(clip)) {
    if (clip->IsClipIn() && WaveformPath(*clip) == path) return;
  }
  // Only a waveform file made here: a "zkb" name in the temporary folder.
  const std::filesystem::path file(path);
  if (file.filename().string().rfind(kWaveformPrefix, 0) != 0 ||
      WithTrailingSlash(file.parent_path().string()) != SystemTempFolder()) {
    return;
  }
  ::unlink(path.c_str());
}

int BuildWaveformFile(const CTestDoc& doc, TLEvent& clip, WaveformMessages* messages) {
  if (IsWaveformFileCurrent(doc, clip)) return 1;
  // The clip's stale waveform file goes once no clip names it any more.
  struct ReleaseReplaced {
    const CTestDoc& doc;
    const std::string path;
    ~ReleaseReplaced() { ReleaseWaveformFile(doc, path); }
  } replaced{doc, WaveformPath(clip)};
  const std::string mediaPath = clip.MediaPath();
  for (const TLEvent* other = doc.Head(); other != nullptr; other = GetNextEvent(other)) {
    if (other != &clip && other->IsClipIn() && other->MediaPath() == mediaPath && IsWaveformFileCurrent(doc, *other)) {
      clip.derivedFiles = other->derivedFiles;
      return 1;
    }
  }

  const std::optional<TempFileName> name = GetTempFileName(SystemTempFolder(), kWaveformPrefix, 0);
  if (!name) return 0;
  const std::filesystem::path path(name->path);
  clip.derivedFiles = DerivedFileNames{};
  clip.derivedFiles.waveDirectory = path.parent_path().string() + "/";
  clip.derivedFiles.waveName = path.stem().string();
  clip.derivedFiles.waveExtension = path.extension().string();

  WaveformMessages shown;
  WaveformMessages& report = messages != nullptr ? *messages : shown;
  AudioMediaLayout layout;
  const std::optional<MediaStamp> stamp = StampOf(mediaPath);
  const double mediaMs = MediaLengthMs(clip);
  MediaLayoutStatus status = MediaLayoutStatus::kUnusable;
  if (stamp && mediaMs > 0.0 && stamp->path.size() <= kMaxStoredPath)
    status = ReadMediaLayout(mediaPath, clip, &layout);
  if (status == MediaLayoutStatus::kCorruptWave) report.ReportWaveformMessage(kCorruptedFile, mediaPath);
  bool built = status == MediaLayoutStatus::kOk;
  if (built) {
    const MappedFile media(mediaPath);
    try {
      built = media && WriteWaveformFile(name->path, media.Bytes(), layout, WaveformRowCounts(doc, mediaMs), *stamp);
    } catch (const std::bad_alloc&) {
      report.ReportWaveformMessage(kOutOfMemory, mediaPath);
      built = false;
    }
  }
  if (!built) {
    ::unlink(name->path.c_str());
    return 0;
  }
  return 1;
}

std::optional<std::vector<std::uint16_t>> LoadWaveformBlock(const CTestDoc& doc, TLEvent& clip,
                                                            WaveformMessages* messages, int channel) {
  if (BuildWaveformFile(doc, clip, messages) == 0) return std::nullopt;
  FileHandle file(::open(WaveformPath(clip).c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return std::nullopt;
  auto rows = ReadDirectory(file.get());
  if (!rows) return std::nullopt;
  if (channel == 1 && IsStereo(clip)) {
    const std::optional<std::uint64_t> start = RightBlockStart(file.get(), *rows);
    if (!start) return std::nullopt;
    rows = ReadRightDirectory(file.get(), *start);
    if (!rows) return std::nullopt;
  }
  const RowEntry& row = (*rows)[static_cast<std::size_t>(RowOf(doc))];
  std::vector<std::uint8_t> bytes(row.size);
  if (!ReadFully(file.get(), row.offset, bytes.data(), bytes.size())) return std::nullopt;
  std::vector<std::uint16_t> values(bytes.size() / 2);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = ReadLe16(bytes.data() + 2 * i);
  return values;
}

int DrawClipWaveform(const CTestDoc& doc, WaveformPainter& painter, TLEvent& clip, int argument) {
  const std::string path = clip.MediaPath();
  if (!MediaFileExists(path)) return 0;
  if (doc.scaleIndex >= 6 || (clip.mediaType != 101 && clip.mediaType != 301) || !clip.header) return 0;
  int tag = 0;
  int bits = 0;
  std::uint32_t rate = 0;
  if (const WavClipHeader* wav = clip.header->Wav()) {
    tag = wav->formatTag;
    bits = wav->bitsPerSample;
    rate = wav->samplesPerSec;
  } else if (const AviClipHeader* avi = clip.header->Avi()) {
    tag = avi->wave.formatTag;
    bits = avi->wave.bitsPerSample;
    rate = avi->wave.samplesPerSec;
  }
  if (tag != 1 || (bits != 8 && bits != 16) || (rate != 44100 && rate != 22050 && rate != 11025)) return 0;
  ClipRect rect;
  const double mediaMs = MediaLengthMs(clip);
  if (!GetClipRect(doc, clip, rect) || !(mediaMs > 0.0)) return 0;

  painter.BeginWaitCursor();
  // The argument picks the channel: 1 draws the right one of stereo sound.
  const std::optional<std::vector<std::uint16_t>> row = LoadWaveformBlock(doc, clip, &painter, argument == 1 ? 1 : 0);
  painter.EndWaitCursor();
  if (!row || row->empty()) return 0;
  auto mediaTime = [&](std::int32_t x) {
    return static_cast<std::int64_t>(
        (static_cast<double>(doc.XToTime(doc.horizontalScroll + x)) - clip.time) * clip.speed * 0.01 + clip.playIn);
  };
  const std::int64_t left = std::max<std::int64_t>(mediaTime(rect.left), clip.playIn);
  const std::int64_t right = std::min<std::int64_t>(mediaTime(rect.right), clip.playOut);
  const auto count = static_cast<std::int64_t>(row->size());
  auto index = [&](std::int64_t ms) {
    return std::clamp<std::int64_t>(static_cast<std::int64_t>(static_cast<double>(ms) * count / mediaMs), 0, count - 1);
  };
  painter.DrawWaveformBitmap(clip, index(left), index(right), rect.right - rect.left, *row, argument);
  return 1;
}

int GetClipFileRect(const CTestDoc& doc, ClipRect& rect, const TLEvent& clip) {
  if (!MediaFileExists(clip.MediaPath())) return 0;
  GetClipRect(doc, clip, rect);
  return 1;
}

}  // namespace sprocket
