#include "timeline/records/clip_media_header.h"

#include <cstring>

namespace sprocket {

ClipMediaHeader::ClipMediaHeader() : layout_(AviClipHeader{}) {}

namespace {

template <typename Layout>
std::optional<ClipMediaHeader> HeaderFromBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != sizeof(Layout)) return std::nullopt;
  Layout layout{};
  std::memcpy(&layout, bytes.data(), sizeof(Layout));
  return ClipMediaHeader(layout);
}

}  // namespace

std::optional<ClipMediaHeader> ClipMediaHeader::FromBytes(ClipHeaderKind kind, std::span<const std::uint8_t> bytes,
                                                          std::int32_t aviFieldOrder) {
  std::optional<ClipMediaHeader> header;
  switch (kind) {
    case ClipHeaderKind::kAvi:
      header = HeaderFromBytes<AviClipHeader>(bytes);
      if (header) header->aviFieldOrder_ = aviFieldOrder;
      break;
    case ClipHeaderKind::kWav:
      header = HeaderFromBytes<WavClipHeader>(bytes);
      break;
    case ClipHeaderKind::kSequence:
      header = HeaderFromBytes<SequenceClipHeader>(bytes);
      break;
    case ClipHeaderKind::kFlic:
      header = HeaderFromBytes<FlicClipHeader>(bytes);
      break;
  }
  return header;
}

std::span<const std::uint8_t> ClipMediaHeader::Bytes() const {
  return std::visit(
      [](const auto& layout) {
        return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(&layout), sizeof(layout));
      },
      layout_);
}

std::span<std::uint8_t> ClipMediaHeader::Bytes() {
  return std::visit(
      [](auto& layout) { return std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(&layout), sizeof(layout)); },
      layout_);
}

std::int32_t ClipMediaHeader::FieldOrder() const {
  if (const SequenceClipHeader* sequence = Sequence()) return sequence->fieldMode;
  return aviFieldOrder_;
}

void ClipMediaHeader::SetFieldOrder(std::int32_t order) {
  if (SequenceClipHeader* sequence = Sequence()) {
    sequence->fieldMode = order;
  } else {
    aviFieldOrder_ = order;
  }
}

std::int32_t ClipMediaHeader::FrameCount() const {
  if (const AviClipHeader* avi = Avi()) {
    return static_cast<std::int32_t>(avi->file.length != 0 ? avi->file.length : avi->video.length);
  }
  if (const SequenceClipHeader* sequence = Sequence()) return sequence->frameCount;
  if (const FlicClipHeader* flic = Flic()) return flic->frameCount;
  return 0;
}

double ClipMediaHeader::FramesPerSecond() const {
  if (const AviClipHeader* avi = Avi()) {
    if (avi->video.scale == 0) return 0.0;
    return static_cast<double>(avi->video.rate) / avi->video.scale;
  }
  if (const FlicClipHeader* flic = Flic()) return flic->msPerFrame > 0 ? 1000.0 / flic->msPerFrame : 0.0;
  return 0.0;
}

double ClipMediaHeader::MediaLengthMs() const {
  if (const AviClipHeader* avi = Avi()) {
    if (avi->video.rate == 0) return 0.0;
    return static_cast<double>(avi->video.length) / avi->video.rate * avi->video.scale * 1000.0;
  }
  if (const WavClipHeader* wav = Wav()) {
    if (wav->avgBytesPerSec == 0) return 0.0;
    return static_cast<double>(wav->dataSize) / wav->avgBytesPerSec * 1000.0;
  }
  if (const FlicClipHeader* flic = Flic()) {
    return static_cast<double>(flic->frameCount) * (flic->msPerFrame > 0 ? flic->msPerFrame : 0);
  }
  return 0.0;
}

std::uint32_t ClipMediaHeader::CompressorCode() const {
  const AviClipHeader* avi = Avi();
  return avi != nullptr ? avi->video.handler : 0;
}

bool ClipMediaHeader::HasAudio() const {
  if (Wav() != nullptr) return true;
  const AviClipHeader* avi = Avi();
  return avi != nullptr && avi->wave.bitsPerSample != 0;
}

int ClipMediaHeader::AudioChannels() const {
  if (const WavClipHeader* wav = Wav()) return wav->channels;
  if (const AviClipHeader* avi = Avi()) return avi->wave.bitsPerSample != 0 ? avi->wave.channels : 0;
  return 0;
}

void ClipMediaHeader::ClearAviAudio() {
  if (AviClipHeader* avi = Avi()) {
    avi->audio = AviStreamInfo{};
    avi->wave = PcmWaveFormat{};
  }
}

void ClipMediaHeader::CopyAviWaveFormat(const ClipMediaHeader& from) {
  AviClipHeader* avi = Avi();
  const AviClipHeader* source = from.Avi();
  if (avi != nullptr && source != nullptr) avi->wave = source->wave;
}

bool ClipMediaHeader::operator==(const ClipMediaHeader& other) const {
  if (layout_.index() != other.layout_.index() || aviFieldOrder_ != other.aviFieldOrder_) return false;
  std::span<const std::uint8_t> mine = Bytes();
  std::span<const std::uint8_t> theirs = other.Bytes();
  return std::memcmp(mine.data(), theirs.data(), mine.size()) == 0;
}

}  // namespace sprocket
