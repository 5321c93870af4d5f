#include "platform/media/avi_index.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/le_bytes.h"

namespace sprocket {

namespace {

constexpr FourCC kAvi = MakeFourCC("AVI ");
constexpr FourCC kHdrl = MakeFourCC("hdrl");
constexpr FourCC kAvih = MakeFourCC("avih");
constexpr FourCC kStrl = MakeFourCC("strl");
constexpr FourCC kStrh = MakeFourCC("strh");
constexpr FourCC kStrf = MakeFourCC("strf");
constexpr FourCC kStrn = MakeFourCC("strn");
constexpr FourCC kIndx = MakeFourCC("indx");
constexpr FourCC kMovi = MakeFourCC("movi");
constexpr FourCC kRec = MakeFourCC("rec ");
constexpr FourCC kIdx1 = MakeFourCC("idx1");
constexpr FourCC kList = MakeFourCC("LIST");

constexpr std::uint32_t kIndexKeyFrame = 0x10;          // idx1 flag of a key frame
constexpr std::uint32_t kNotKeyFrameBit = 0x80000000u;  // OpenDML size bit
constexpr std::uint8_t kIndexOfIndexes = 0x00;
constexpr std::uint8_t kIndexOfChunks = 0x01;

constexpr int kMaxStreams = 100;
constexpr std::size_t kMaxHeaderBytes = 4096;
constexpr std::size_t kMaxFormatBytes = 1 << 20;
constexpr std::size_t kMaxNameBytes = 4096;
constexpr std::int32_t kMaxPictureSide = 32768;
constexpr int kMaxMoviDepth = 4;

// Bit depths of wave formats that the mixer takes as they are.
bool IsPlainPcm(std::uint16_t tag, int channels, int bits) {
  return tag == kWaveFormatPcm && (bits == 8 || bits == 16) && (channels == 1 || channels == 2);
}

void CopyText(char* target, std::size_t capacity, const std::string& text) {
  std::size_t n = std::min(text.size(), capacity - 1);
  std::memcpy(target, text.data(), n);
  target[n] = '\0';
}

}  // namespace

int StreamNumberOfChunk(FourCC chunkId) {
  auto c0 = static_cast<unsigned char>(chunkId & 0xFFu);
  auto c1 = static_cast<unsigned char>((chunkId >> 8) & 0xFFu);
  if (c0 < '0' || c0 > '9' || c1 < '0' || c1 > '9') return -1;
  return (c0 - '0') * 10 + (c1 - '0');
}

PCMWAVEFORMAT DeliveredPcmFormat(std::uint16_t formatTag, int channels, int rate, int bits) {
  if (channels < 1 || rate < 1) return PCMWAVEFORMAT{};
  if (IsPlainPcm(formatTag, channels, bits)) return MakePcmWaveFormat(channels, rate, bits);
  return MakePcmWaveFormat(std::min(channels, 2), rate, 16);
}

bool AviFileIndex::Fail(std::string text) {
  error_ = std::move(text);
  return false;
}

bool AviFileIndex::Open(const std::filesystem::path& path) {
  error_.clear();
  main_ = AviMainHeader{};
  streams_.clear();
  superIndexes_.clear();
  truncated_ = false;
  std::string name = "\"" + path.filename().string() + "\"";

  if (!riff_.Open(path)) return Fail(riff_.ErrorText());
  auto root = riff_.FindRiff(kAvi);
  if (!root) {
    if (riff_.Status() == RiffStatus::kNotRiff) return Fail(name + " is not an AVI file.");
    return Fail(riff_.ErrorText());
  }
  if (!ReadHeaderList(*root)) return false;
  if (streams_.empty()) return Fail(name + " holds no streams.");
  if (!CheckVideoFormat()) return false;

  bool indexed = false;
  for (int i = 0; i < StreamCount(); ++i) {
    if (superIndexes_[static_cast<std::size_t>(i)].empty()) continue;
    if (!ReadOpenDmlIndex(i, superIndexes_[static_cast<std::size_t>(i)])) return false;
    indexed = true;
  }
  auto movi = riff_.FindList(*root, kMovi);
  if (!movi) return Fail(name + " has no movie data.");
  if (!indexed) {
    if (auto idx1 = riff_.FindChunk(*root, kIdx1)) {
      if (!ReadIdx1(*idx1, movi->DataOffset())) return false;
    } else if (!ScanMovi(*movi, 0)) {
      return false;
    }
  }
  return true;
}

bool AviFileIndex::ReadHeaderList(const RiffChunk& root) {
  auto hdrl = riff_.FindList(root, kHdrl);
  if (!hdrl) return Fail(riff_.ErrorText());
  auto avih = riff_.FindChunk(*hdrl, kAvih);
  if (!avih) return Fail(riff_.ErrorText());
  std::vector<std::uint8_t> bytes;
  if (!riff_.ReadData(*avih, &bytes, kMaxHeaderBytes)) return Fail(riff_.ErrorText());
  if (bytes.size() < 40) return Fail("The AVI main header is too short.");
  const std::uint8_t* p = bytes.data();
  main_.dwMicroSecPerFrame = ReadLe32(p);
  main_.dwMaxBytesPerSec = ReadLe32(p + 4);
  main_.dwPaddingGranularity = ReadLe32(p + 8);
  main_.dwFlags = ReadLe32(p + 12);
  main_.dwTotalFrames = ReadLe32(p + 16);
  main_.dwInitialFrames = ReadLe32(p + 20);
  main_.dwStreams = ReadLe32(p + 24);
  main_.dwSuggestedBufferSize = ReadLe32(p + 28);
  main_.dwWidth = ReadLe32(p + 32);
  main_.dwHeight = ReadLe32(p + 36);

  auto children = riff_.Children(*hdrl);
  if (!children) return Fail(riff_.ErrorText());
  for (const RiffChunk& child : *children) {
    if (child.id != kList || child.formType != kStrl) continue;
    if (StreamCount() >= kMaxStreams) return Fail("The AVI file declares too many streams.");
    if (!ReadStreamList(child)) return false;
  }
  return true;
}

bool AviFileIndex::ReadStreamList(const RiffChunk& list) {
  auto children = riff_.Children(list);
  if (!children) return Fail(riff_.ErrorText());
  AviStream stream;
  std::vector<std::uint8_t> superIndex;
  bool haveHeader = false;
  std::vector<std::uint8_t> bytes;
  for (const RiffChunk& child : *children) {
    if (child.id == kStrh) {
      if (!riff_.ReadData(child, &bytes, kMaxHeaderBytes)) return Fail(riff_.ErrorText());
      if (bytes.size() < 48) return Fail("An AVI stream header is too short.");
      const std::uint8_t* p = bytes.data();
      AviStreamHeader& h = stream.header;
      h.fccType = ReadLe32(p);
      h.fccHandler = ReadLe32(p + 4);
      h.dwFlags = ReadLe32(p + 8);
      h.wPriority = ReadLe16(p + 12);
      h.wLanguage = ReadLe16(p + 14);
      h.dwInitialFrames = ReadLe32(p + 16);
      h.dwScale = ReadLe32(p + 20);
      h.dwRate = ReadLe32(p + 24);
      h.dwStart = ReadLe32(p + 28);
      h.dwLength = ReadLe32(p + 32);
      h.dwSuggestedBufferSize = ReadLe32(p + 36);
      h.dwQuality = ReadLe32(p + 40);
      h.dwSampleSize = ReadLe32(p + 44);
      if (bytes.size() >= 56) {
        for (int i = 0; i < 4; ++i) h.rcFrame[i] = static_cast<std::int16_t>(ReadLe16(p + 48 + 2 * i));
      }
      haveHeader = true;
    } else if (child.id == kStrf) {
      if (!riff_.ReadData(child, &stream.format, kMaxFormatBytes)) return Fail(riff_.ErrorText());
    } else if (child.id == kStrn) {
      if (riff_.ReadData(child, &bytes, kMaxNameBytes)) {
        stream.name.assign(bytes.begin(), std::find(bytes.begin(), bytes.end(), std::uint8_t{0}));
      }
    } else if (child.id == kIndx) {
      if (!riff_.ReadData(child, &superIndex, kMaxFormatBytes)) return Fail(riff_.ErrorText());
    }
  }
  if (!haveHeader) return Fail("An AVI stream has no header.");
  streams_.push_back(std::move(stream));
  superIndexes_.push_back(std::move(superIndex));
  return true;
}

bool AviFileIndex::CheckVideoFormat() {
  for (const AviStream& stream : streams_) {
    if (stream.header.fccType == kStreamTypeVideo) {
      if (stream.format.size() < 40) return Fail("The AVI video format is missing or too short.");
      auto width = static_cast<std::int32_t>(ReadLe32(stream.format.data() + 4));
      auto height = static_cast<std::int32_t>(ReadLe32(stream.format.data() + 8));
      if (height < 0 && height != std::numeric_limits<std::int32_t>::min()) height = -height;  // top-down
      if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide) {
        return Fail("The AVI video has an unusable picture size.");
      }
    } else if (stream.header.fccType == kStreamTypeAudio) {
      if (stream.format.size() < 16) return Fail("The AVI audio format is missing or too short.");
    }
  }
  return true;
}

void AviFileIndex::AddSample(int stream, std::uint64_t offset, std::uint32_t size, bool key) {
  if (stream < 0 || stream >= StreamCount()) return;
  if (offset > riff_.FileSize() || size > riff_.FileSize() - offset) {
    truncated_ = true;
    return;
  }
  AviStream& s = streams_[static_cast<std::size_t>(stream)];
  s.samples.push_back(AviSample{offset, size, key});
  s.totalBytes += size;
}

bool AviFileIndex::ReadOpenDmlIndex(int stream, const std::vector<std::uint8_t>& index) {
  if (index.size() < 24) return Fail("An AVI stream index is damaged.");
  std::uint16_t longsPerEntry = ReadLe16(index.data());
  std::uint8_t type = index[3];
  std::uint32_t entries = ReadLe32(index.data() + 4);
  if (type == kIndexOfChunks) {
    // A standard index kept in the stream header itself; its chunk is the
    // "indx" chunk, whose bytes we already hold.
    if (longsPerEntry != 2 || index.size() < 32) return Fail("An AVI stream index is damaged.");
    std::uint64_t base = ReadLe64(index.data() + 12);
    if (entries > (index.size() - 24) / 8) return Fail("An AVI stream index is damaged.");
    for (std::uint32_t i = 0; i < entries; ++i) {
      const std::uint8_t* e = index.data() + 24 + 8 * i;
      std::uint32_t size = ReadLe32(e + 4);
      AddSample(stream, base + ReadLe32(e), size & ~kNotKeyFrameBit, (size & kNotKeyFrameBit) == 0);
    }
    return true;
  }
  if (type != kIndexOfIndexes || longsPerEntry != 4) return Fail("An AVI stream index is damaged.");
  if (entries > (index.size() - 24) / 16) return Fail("An AVI stream index is damaged.");
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::uint8_t* e = index.data() + 24 + 16 * i;
    if (!ReadStandardIndex(stream, ReadLe64(e), ReadLe32(e + 8))) return false;
  }
  return true;
}

bool AviFileIndex::ReadStandardIndex(int stream, std::uint64_t chunkOffset, std::uint32_t chunkSize) {
  std::uint8_t header[32];
  if (chunkSize < 32 || !riff_.ReadAt(chunkOffset, header, sizeof header)) {
    return Fail("An AVI stream index is damaged or truncated.");
  }
  std::uint32_t declared = ReadLe32(header + 4);
  if (ReadLe16(header + 8) != 2 || header[11] != kIndexOfChunks || declared < 24 ||
      chunkOffset + 8 + declared > riff_.FileSize()) {
    return Fail("An AVI stream index is damaged or truncated.");
  }
  std::uint32_t entries = ReadLe32(header + 12);
  std::uint64_t base = ReadLe64(header + 20);
  if (entries > (declared - 24) / 8) return Fail("An AVI stream index is damaged.");
  std::vector<std::uint8_t> table(static_cast<std::size_t>(entries) * 8);
  if (!riff_.ReadAt(chunkOffset + 32, table.data(), table.size())) {
    return Fail("An AVI stream index is truncated.");
  }
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::uint8_t* e = table.data() + 8 * i;
    std::uint32_t size = ReadLe32(e + 4);
    AddSample(stream, base + ReadLe32(e), size & ~kNotKeyFrameBit, (size & kNotKeyFrameBit) == 0);
  }
  return true;
}

bool AviFileIndex::ReadIdx1(const RiffChunk& idx1, std::uint64_t moviStart) {
  std::vector<std::uint8_t> table;
  if (!riff_.ReadData(idx1, &table, static_cast<std::size_t>(riff_.FileSize()))) return Fail(riff_.ErrorText());
  std::size_t entries = table.size() / 16;
  // Offsets count from the "movi" list's type, or from the file's start;
  // the first entry whose chunk header can be checked tells which.
  std::uint64_t base = moviStart;
  for (std::size_t i = 0; i < entries; ++i) {
    FourCC id = ReadLe32(table.data() + 16 * i);
    if (StreamNumberOfChunk(id) < 0) continue;
    std::uint32_t offset = ReadLe32(table.data() + 16 * i + 8);
    std::uint8_t found[4];
    if (riff_.ReadAt(moviStart + offset, found, 4) && ReadLe32(found) == id) {
      base = moviStart;
    } else if (riff_.ReadAt(offset, found, 4) && ReadLe32(found) == id) {
      base = 0;
    } else {
      return Fail("The AVI index does not match the movie data.");
    }
    break;
  }
  for (std::size_t i = 0; i < entries; ++i) {
    const std::uint8_t* e = table.data() + 16 * i;
    FourCC id = ReadLe32(e);
    int stream = StreamNumberOfChunk(id);
    auto kind = static_cast<char>((id >> 16) & 0xFFu);
    if (stream < 0 || kind == 'p' || kind == 'i') continue;  // palette changes, index chunks
    AddSample(stream, base + ReadLe32(e + 8) + 8, ReadLe32(e + 12), (ReadLe32(e + 4) & kIndexKeyFrame) != 0);
  }
  return true;
}

bool AviFileIndex::ScanMovi(const RiffChunk& movi, int depth) {
  auto children = riff_.Children(movi);
  if (!children) return Fail(riff_.ErrorText());
  for (const RiffChunk& child : *children) {
    if (child.id == kList && child.formType == kRec && depth < kMaxMoviDepth) {
      if (!ScanMovi(child, depth + 1)) return false;
      continue;
    }
    int stream = StreamNumberOfChunk(child.id);
    auto kind = static_cast<char>((child.id >> 16) & 0xFFu);
    if (stream < 0 || kind == 'p' || kind == 'i') continue;
    AddSample(stream, child.DataOffset(), child.size, true);
  }
  return true;
}

int AviFileIndex::FindStream(FourCC type, int nth) const {
  for (int i = 0; i < StreamCount(); ++i) {
    if (streams_[static_cast<std::size_t>(i)].header.fccType == type && nth-- == 0) return i;
  }
  return -1;
}

std::int64_t AviFileIndex::SampleCount(int stream) const {
  if (stream < 0 || stream >= StreamCount()) return 0;
  return static_cast<std::int64_t>(streams_[static_cast<std::size_t>(stream)].samples.size());
}

std::int64_t AviFileIndex::FindKeySample(int stream, std::int64_t sample) const {
  std::int64_t count = SampleCount(stream);
  if (count == 0 || sample < 0) return -1;
  const auto& samples = streams_[static_cast<std::size_t>(stream)].samples;
  for (std::int64_t i = std::min(sample, count - 1); i >= 0; --i) {
    if (samples[static_cast<std::size_t>(i)].key) return i;
  }
  return -1;
}

bool AviFileIndex::ReadSample(int stream, std::int64_t sample, std::vector<std::uint8_t>* out) {
  if (sample < 0 || sample >= SampleCount(stream)) return Fail("The sample does not exist.");
  const AviSample& s = streams_[static_cast<std::size_t>(stream)].samples[static_cast<std::size_t>(sample)];
  out->resize(s.size);
  if (s.size > 0 && !riff_.ReadAt(s.offset, out->data(), s.size)) return Fail(riff_.ErrorText());
  return true;
}

AviMediaHeader AviFileIndex::ClipHeader() const {
  AviMediaHeader header;
  header.file.dwFlags = main_.dwFlags;
  header.file.dwCaps = 1;  // can read
  header.file.dwStreams = static_cast<std::uint32_t>(streams_.size());
  header.file.dwSuggestedBufferSize = main_.dwSuggestedBufferSize;
  header.file.dwWidth = main_.dwWidth;
  header.file.dwHeight = main_.dwHeight;
  CopyText(header.file.szFileType, sizeof header.file.szFileType, "AVI");

  auto fill = [](AVISTREAMINFO& info, const AviStream& stream, std::uint32_t length) {
    const AviStreamHeader& h = stream.header;
    info.fccType = h.fccType;
    info.fccHandler = h.fccHandler;
    info.dwFlags = h.dwFlags;
    info.wPriority = h.wPriority;
    info.wLanguage = h.wLanguage;
    info.dwScale = h.dwScale;
    info.dwRate = h.dwRate;
    info.dwStart = h.dwStart;
    info.dwLength = length;
    info.dwInitialFrames = h.dwInitialFrames;
    info.dwSuggestedBufferSize = h.dwSuggestedBufferSize;
    info.dwQuality = h.dwQuality;
    info.dwSampleSize = h.dwSampleSize;
    info.rcFrameLeft = h.rcFrame[0];
    info.rcFrameTop = h.rcFrame[1];
    info.rcFrameRight = h.rcFrame[2];
    info.rcFrameBottom = h.rcFrame[3];
    CopyText(info.szName, sizeof info.szName, stream.name);
  };

  if (int v = FindStream(kStreamTypeVideo); v >= 0) {
    const AviStream& stream = Stream(v);
    auto frames = static_cast<std::uint32_t>(stream.samples.empty() ? stream.header.dwLength : stream.samples.size());
    fill(header.video, stream, frames);
    header.file.dwScale = stream.header.dwScale;
    header.file.dwRate = stream.header.dwRate;
    header.file.dwLength = frames;
    std::memcpy(&header.format, stream.format.data(), sizeof header.format);
    header.format.biSize = sizeof header.format;
  }
  if (int a = FindStream(kStreamTypeAudio); a >= 0) {
    const AviStream& stream = Stream(a);
    const std::uint8_t* f = stream.format.data();
    std::uint16_t tag = ReadLe16(f);
    int channels = ReadLe16(f + 2);
    auto rate = static_cast<int>(ReadLe32(f + 4));
    int bits = ReadLe16(f + 14);
    header.wave = DeliveredPcmFormat(tag, channels, rate, bits);
    if (header.wave.wBitsPerSample != 0) {
      // The length in delivered sample frames: exact for plain PCM, from the
      // stream's duration otherwise.
      std::uint32_t frames = 0;
      if (IsPlainPcm(tag, channels, bits) && !stream.samples.empty()) {
        frames = static_cast<std::uint32_t>(stream.totalBytes / header.wave.nBlockAlign);
      } else if (stream.header.dwRate != 0) {
        double seconds = static_cast<double>(stream.header.dwLength) * stream.header.dwScale / stream.header.dwRate;
        frames = static_cast<std::uint32_t>(std::llround(seconds * rate));
      }
      fill(header.audio, stream, frames);
      header.audio.dwScale = header.wave.nBlockAlign;
      header.audio.dwRate = header.wave.nAvgBytesPerSec;
      header.audio.dwSampleSize = header.wave.nBlockAlign;
    }
  }
  return header;
}

}  // namespace sprocket
