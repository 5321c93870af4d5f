#pragma once
// The copy of a clip's media header that a clip record and a render entry
// hold.
//
// An AVI clip keeps a 444-byte block: the file information at byte 0, the
// video stream information at 108, the audio stream information at 248, the
// video picture format at 388 and the audio wave format at 428. A WAV clip
// keeps the 44-byte canonical WAV header; an image-sequence clip a 52-byte
// header whose first word is its field mode and second its frame count; an
// FLC/FLI clip a 16-byte summary. A still picture has no header.
//
// All layouts are little-endian with no gaps; the static_asserts below pin
// every offset that the editing and rendering code relies on.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>

namespace sprocket {

static_assert(std::endian::native == std::endian::little, "media headers are little-endian");

// A four-character code as one 32-bit value, first character in the low byte.
constexpr std::uint32_t MakeFourcc(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24;
}

#pragma pack(push, 1)

// Information on a whole AVI file (108 bytes).
struct AviFileInfo {
  std::uint32_t maxBytesPerSec;
  std::uint32_t flags;
  std::uint32_t caps;
  std::uint32_t streams;
  std::uint32_t suggestedBufferSize;
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t scale;
  std::uint32_t rate;
  std::uint32_t length;  // in frames
  std::uint32_t editCount;
  char fileType[64];
};

// Information on one stream of an AVI file (140 bytes).
struct AviStreamInfo {
  std::uint32_t type;     // 'vids' or 'auds'
  std::uint32_t handler;  // compressor FOURCC of a video stream
  std::uint32_t flags;
  std::uint32_t caps;
  std::uint16_t priority;
  std::uint16_t language;
  std::uint32_t scale;
  std::uint32_t rate;  // rate / scale = frames (or samples) per second
  std::uint32_t start;
  std::uint32_t length;  // frames, or samples of an audio stream
  std::uint32_t initialFrames;
  std::uint32_t suggestedBufferSize;
  std::uint32_t quality;
  std::uint32_t sampleSize;
  std::int32_t frameLeft;
  std::int32_t frameTop;
  std::int32_t frameRight;
  std::int32_t frameBottom;
  std::uint32_t editCount;
  std::uint32_t formatChangeCount;
  char name[64];
};

// The picture format of a video stream (40 bytes).
struct AviPictureFormat {
  std::uint32_t size;
  std::int32_t width;
  std::int32_t height;
  std::uint16_t planes;
  std::uint16_t bitCount;
  std::uint32_t compression;
  std::uint32_t sizeImage;
  std::int32_t xPelsPerMeter;
  std::int32_t yPelsPerMeter;
  std::uint32_t colorsUsed;
  std::uint32_t colorsImportant;
};

// A PCM wave format (16 bytes); bitsPerSample 0 means no sound.
struct PcmWaveFormat {
  std::uint16_t formatTag;  // 1 = PCM
  std::uint16_t channels;
  std::uint32_t samplesPerSec;
  std::uint32_t avgBytesPerSec;
  std::uint16_t blockAlign;
  std::uint16_t bitsPerSample;
};

// The header copy of an AVI clip (444 bytes).
struct AviClipHeader {
  AviFileInfo file;
  AviStreamInfo video;
  AviStreamInfo audio;
  AviPictureFormat picture;
  PcmWaveFormat wave;
};

// The highest sample rate a clip's sound may have: the readers refuse
// higher rates, so the mixdown's arithmetic on rates stays within 32 bits.
inline constexpr std::uint32_t kMaxSoundSampleRate = 768000;

// The canonical 44-byte header of a WAV file.
struct WavClipHeader {
  char riff[4];  // "RIFF"
  std::uint32_t riffSize;
  char wave[4];           // "WAVE"
  char fmt[4];            // "fmt "
  std::uint32_t fmtSize;  // 16
  std::uint16_t formatTag;
  std::uint16_t channels;
  std::uint32_t samplesPerSec;
  std::uint32_t avgBytesPerSec;
  std::uint16_t blockAlign;
  std::uint16_t bitsPerSample;
  char data[4];  // "data"
  std::uint32_t dataSize;
};

// The header of an image-sequence clip (52 bytes).
struct SequenceClipHeader {
  std::int32_t fieldMode;  // 0..2 one image per frame; 3 or 4 two field images per frame
  std::int32_t frameCount;
  std::int32_t width;
  std::int32_t height;
  std::int32_t bitCount;
  std::int32_t firstNumber;  // the number in the first image's file name
  std::int32_t numberWidth;  // digits of that number
  std::int32_t reserved[6];
};

// The summary of an FLC/FLI clip (16 bytes).
struct FlicClipHeader {
  std::int32_t frameCount;
  std::int32_t msPerFrame;
  std::int32_t width;
  std::int32_t height;
};

#pragma pack(pop)

static_assert(sizeof(AviFileInfo) == 108);
static_assert(offsetof(AviFileInfo, length) == 36);
static_assert(sizeof(AviStreamInfo) == 140);
static_assert(offsetof(AviStreamInfo, handler) == 4);
static_assert(offsetof(AviStreamInfo, scale) == 20);
static_assert(offsetof(AviStreamInfo, rate) == 24);
static_assert(offsetof(AviStreamInfo, length) == 32);
static_assert(sizeof(AviPictureFormat) == 40);
static_assert(sizeof(PcmWaveFormat) == 16);
static_assert(sizeof(AviClipHeader) == 444);
static_assert(offsetof(AviClipHeader, file) == 0);
static_assert(offsetof(AviClipHeader, video) == 108);
static_assert(offsetof(AviClipHeader, audio) == 248);
static_assert(offsetof(AviClipHeader, picture) == 388);
static_assert(offsetof(AviClipHeader, wave) == 428);
static_assert(offsetof(AviClipHeader, wave) + offsetof(PcmWaveFormat, channels) == 430);
static_assert(offsetof(AviClipHeader, wave) + offsetof(PcmWaveFormat, bitsPerSample) == 442);
static_assert(sizeof(WavClipHeader) == 44);
static_assert(offsetof(WavClipHeader, channels) == 22);
static_assert(offsetof(WavClipHeader, avgBytesPerSec) == 28);
static_assert(offsetof(WavClipHeader, bitsPerSample) == 34);
static_assert(offsetof(WavClipHeader, dataSize) == 40);
static_assert(sizeof(SequenceClipHeader) == 52);
static_assert(offsetof(SequenceClipHeader, fieldMode) == 0);
static_assert(offsetof(SequenceClipHeader, frameCount) == 4);
static_assert(sizeof(FlicClipHeader) == 16);

// Byte ranges of the AVI header that splitting a clip's sound clears.
inline constexpr std::size_t kAviAudioStreamOffset = 248;
inline constexpr std::size_t kAviAudioStreamBytes = 140;
inline constexpr std::size_t kAviWaveFormatOffset = 428;
inline constexpr std::size_t kAviWaveFormatBytes = 16;

enum class ClipHeaderKind { kAvi, kWav, kSequence, kFlic };

// The header copy of a clip: one of the layouts above, plus the AVI field
// order (0 none; 1..4 interlaced orders), which the AVI layout has no room
// for. For an image sequence the field order is the header's field mode.
class ClipMediaHeader {
public:
  ClipMediaHeader();  // an AVI header of zeros
  explicit ClipMediaHeader(const AviClipHeader& avi) : layout_(avi) {}
  explicit ClipMediaHeader(const WavClipHeader& wav) : layout_(wav) {}
  explicit ClipMediaHeader(const SequenceClipHeader& sequence) : layout_(sequence) {}
  explicit ClipMediaHeader(const FlicClipHeader& flic) : layout_(flic) {}

  ClipHeaderKind Kind() const { return static_cast<ClipHeaderKind>(layout_.index()); }
  const AviClipHeader* Avi() const { return std::get_if<AviClipHeader>(&layout_); }
  AviClipHeader* Avi() { return std::get_if<AviClipHeader>(&layout_); }
  const WavClipHeader* Wav() const { return std::get_if<WavClipHeader>(&layout_); }
  WavClipHeader* Wav() { return std::get_if<WavClipHeader>(&layout_); }
  const SequenceClipHeader* Sequence() const { return std::get_if<SequenceClipHeader>(&layout_); }
  SequenceClipHeader* Sequence() { return std::get_if<SequenceClipHeader>(&layout_); }
  const FlicClipHeader* Flic() const { return std::get_if<FlicClipHeader>(&layout_); }
  FlicClipHeader* Flic() { return std::get_if<FlicClipHeader>(&layout_); }

  // A header of `kind` from its layout's bytes (as Bytes() gave them), with
  // an AVI field order; none when the byte count is not the layout's size.
  static std::optional<ClipMediaHeader> FromBytes(ClipHeaderKind kind, std::span<const std::uint8_t> bytes,
                                                  std::int32_t aviFieldOrder = 0);

  // The layout's bytes (444, 44, 52 or 16 of them).
  std::span<const std::uint8_t> Bytes() const;
  std::span<std::uint8_t> Bytes();

  std::int32_t FieldOrder() const;
  void SetFieldOrder(std::int32_t order);

  // Frames of a moving picture (AVI file length, sequence or FLC frame
  // count); 0 when unknown (WAV).
  std::int32_t FrameCount() const;
  // Frames per second of an AVI video stream (rate / scale), of an FLC from
  // its frame time; 0 when the header does not say.
  double FramesPerSecond() const;
  // Length of the media in ms: AVI video length / rate x scale x 1000, WAV
  // data size / average bytes per second x 1000, FLC frames x frame time;
  // 0 when unknown.
  double MediaLengthMs() const;
  // The compressor FOURCC of an AVI video stream; 0 otherwise.
  std::uint32_t CompressorCode() const;
  // True for a WAV header, and for an AVI header whose wave format has bits.
  bool HasAudio() const;
  // Sound channels (WAV, or an AVI's wave format); 0 without sound.
  int AudioChannels() const;

  // Clears an AVI header's audio stream information and wave format, so
  // that the clip no longer has sound (nothing for other layouts).
  void ClearAviAudio();
  // Copies the 16-byte wave format from another AVI header.
  void CopyAviWaveFormat(const ClipMediaHeader& from);

  bool operator==(const ClipMediaHeader& other) const;

private:
  std::variant<AviClipHeader, WavClipHeader, SequenceClipHeader, FlicClipHeader> layout_;
  std::int32_t aviFieldOrder_ = 0;
};

}  // namespace sprocket
