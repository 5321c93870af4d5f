#pragma once
// Writing AVI files: a video stream compressed by the compressor that a
// FOURCC names (see codec_table.h), or copied sample by sample from another
// AVI, and optionally a PCM sound stream interleaved with it.
//
// Every write is checked. A write that fails (a full disk, a file-size limit,
// an encoder error) fails the whole file: the writer closes it, removes it
// and answers false from then on, so no half-written movie is left behind.
// A writer destroyed without Finish() removes its file as well.
//
// Pictures whose compression stands alone are converted and compressed on
// threads behind the caller (the picture is copied, so the caller may draw
// over its block at once); the file is the same as on one thread. A failure
// there is answered by a later call, by Finish() at the latest.
//
//   AviWriter writer;
//   if (!writer.Open(path, video, audio)) report(writer.ErrorText());
//   for each frame: writer.WriteFrame(dib); writer.WriteAudio(samples, bytes);
//   if (!writer.Finish()) report(writer.ErrorText());

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/global_memory.h"
#include "platform/media/fourcc.h"
#include "platform/media/video_frame_reader.h"

namespace sprocket {

struct AviVideoFormat {
  int width = 0;
  int height = 0;
  std::uint32_t rate = 25;  // rate / scale frames a second
  std::uint32_t scale = 1;
  FourCC compressor = 0;  // 0 or "DIB " for uncompressed pictures
  int quality = -1;       // 0 .. 10000; -1 the compressor's default
  int dataRateKb = 0;     // kilobytes a second; 0 or -1 for none
  int keyFrameEvery = 1;  // 1 every frame is a key frame; 0 only the first
  int bitCount = 24;      // 24, or 8 for palette pictures (uncompressed, "ZMBV")
  int fieldOrder = 0;     // 0 progressive, 1 top field first, 2 bottom field first
  // Motion JPEG pictures: their chroma layout (420, 422 or 444, see
  // jpeg_chroma_layout.h); 0 is full-range 4:2:2.
  int chromaLayout = 0;
};

struct AviAudioFormat {
  int bits = 16;  // 8 (unsigned) or 16 (signed)
  int rate = 44100;
  int channels = 2;
};

// The exact rate / scale of a frame rate: NTSC's 29.97, 23.976 and 59.94
// become 30000/1001, 24000/1001 and 60000/1001, whole rates n/1, others
// thousandths.
void RateForFramesPerSecond(double fps, std::uint32_t* rate, std::uint32_t* scale);

class AviWriter {
public:
  AviWriter();
  ~AviWriter();
  AviWriter(const AviWriter&) = delete;
  AviWriter& operator=(const AviWriter&) = delete;

  // Creates the file with a video stream compressed as `video` says and,
  // when given, a PCM sound stream. False with ErrorText() when the code has
  // no compressor, the compressor is missing or refuses the format, or the
  // file cannot be created.
  bool Open(const std::string& path, const AviVideoFormat& video, const std::optional<AviAudioFormat>& audio);

  // Creates the file with a video stream of the same format as the first
  // video stream of the AVI file `sourcePath`; only copied samples
  // (WriteRawSample) and repeats can then be written to it.
  bool OpenCopy(const std::string& path, const std::string& sourcePath, const std::optional<AviAudioFormat>& audio);

  // Compresses and writes one picture: a packed DIB (24 bits, or 8 bits with
  // its palette) of the stream's size, in a block of `blockBytes` bytes.
  // `forceKey` makes it a key frame.
  bool WriteFrame(const void* packedDib, std::size_t blockBytes, bool forceKey = false);
  bool WriteFrame(HGLOBAL packedDib, bool forceKey = false);
  // Whether a decoded movie picture can be compressed without a packed DIB
  // between: a YUV picture without alpha in the BT.601 matrix, into a YUV
  // compressor of 24-bit pictures.
  bool TakesDecodedFrame(const DecodedVideoFrame& frame) const;
  // Whether it may take any: a YUV compressor of 24-bit pictures.
  bool TakesDecodedFrames() const;
  // Compresses and writes a decoded picture that TakesDecodedFrame accepts,
  // scaled (bicubic) to the stream's size and changed to the compressor's
  // format and range on the way.
  bool WriteDecodedFrame(const DecodedVideoFrame& frame, bool forceKey = false);
  // Writes an empty sample: the previous picture is shown again.
  bool WriteRepeatFrame();
  // Writes a compressed sample as it is (a frame copied from a file of the
  // same format), with its key-frame flag.
  bool WriteRawSample(const std::uint8_t* data, std::size_t size, bool key);
  // Appends PCM samples (whole sample frames) to the sound stream.
  bool WriteAudio(const void* samples, std::size_t bytes);

  // Completes the file. False (and the file removed) when it cannot be.
  bool Finish();
  // Closes and removes the file.
  void Discard();

  bool IsOpen() const;
  const std::string& ErrorText() const;
  std::int64_t FramesWritten() const;
  std::int64_t AudioFramesWritten() const;

private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace sprocket
