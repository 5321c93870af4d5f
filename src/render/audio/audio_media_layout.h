#pragma once
// Where the PCM samples of a WAV or AVI clip lie in its file, for reading
// them straight from a mapping of the file (the clip waveform).
//
// A WAV file's samples are one run of bytes (its "data" chunk). An AVI
// file's sound is spread over the chunks of its sound stream; the index
// lists them in stream order, each with the file offset of its data, so that
// a byte of the sound maps to a byte of the file.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "timeline/records/tl_event.h"

namespace sprocket {

// One chunk of an AVI sound stream: where its data lies in the file, its
// size, and the sound bytes of the chunks before it.
struct AudioChunkEntry {
  std::uint64_t fileOffset = 0;
  std::uint32_t size = 0;
  std::uint64_t before = 0;
};

struct AudioMediaLayout {
  std::uint64_t base = 0;              // file offset of a WAV file's first sample byte
  std::uint64_t totalBytes = 0;        // sound bytes, never more than the file holds
  int channels = 0;                    // as stored in the file
  int bits = 0;                        // 8 or 16
  std::vector<AudioChunkEntry> index;  // AVI files only
};

enum class MediaLayoutStatus {
  kOk,
  kCorruptWave,  // a WAV file without a RIFF "WAVE" form, a format or a "data" chunk ("Corrupted File")
  kUnusable,     // anything else: no usable sound stream, neither ".wav" nor ".avi", not plain PCM
};

// Reads the layout of the clip's media file at `path`. The sound must be
// plain 8-bit or 16-bit PCM of one or two channels as stored. The size
// comes from the clip's header copy (a WAV file's data size; bits / 8 x
// channels x the sound's length in samples of an AVI file) and is limited
// to what the file holds.
MediaLayoutStatus ReadMediaLayout(const std::string& path, const TLEvent& clip, AudioMediaLayout* layout);

// The file offset of sound byte `byteOffset` of an AVI file: the offset in
// the chunk that holds it. False (and `fileOffset` unchanged) when no chunk
// does.
bool MapAudioOffset(std::span<const AudioChunkEntry> index, std::uint64_t byteOffset, std::uint64_t* fileOffset);

}  // namespace sprocket
