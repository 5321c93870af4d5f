#pragma once
// The media the clip waveform target draws from, shared with the seed
// writer: short WAV files under names of a fixed length (so that the stamp
// a waveform file keeps of its media has the same length in every process),
// clips of them, and the stamp's bytes.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "render/audio/wav_file.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_header_reader.h"
#include "timeline/document/document.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket::fuzz {

// Where a waveform file keeps the stamp of its media; the waveform target
// puts the stamp of its own media file in place of the first occurrence.
inline constexpr char kMediaStampToken[] = "SPWV";
inline constexpr std::size_t kMediaStampTokenBytes = 4;
// The sound clips of the target: 20 ms of 8-bit mono and 16-bit stereo.
inline constexpr int kWaveformClipMs = 20;

// Writes a WAV file of `frames` sample frames of a saw tooth.
inline bool WriteSound(const std::filesystem::path& path, int bits, int channels, int rate, std::int64_t frames) {
  std::vector<std::uint8_t> samples(static_cast<std::size_t>(frames * channels * (bits / 8)));
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 7);
  WaveOutputFile wave;
  return wave.WriteWaveHeader(0, 0, 0, 0, 0, path.string()) == 1 && wave.Write(samples.data(), samples.size()) &&
         wave.WriteWaveHeader(1, samples.size(), rate, channels, bits, path.string()) == 1;
}

// The media file of one layout, named after this process, in /tmp whatever
// $TMPDIR says (a stamp made under one folder must fit the rows made under
// another, and the rows of stereo files lie after the stamp).
inline std::filesystem::path WaveformMediaPath(int channels) {
  char name[64];
  std::snprintf(name, sizeof name, "/tmp/sprocket-fuzz-%010ld-%s.wav", static_cast<long>(::getpid()),
                channels == 2 ? "stereo" : "mono");
  return name;
}

// Writes the media file of one layout and puts a clip of it on a sound
// track of `doc`; null when either fails.
inline TLEvent* AddWaveformClip(CTestDoc& doc, int channels) {
  const std::filesystem::path path = WaveformMediaPath(channels);
  const int bits = channels == 2 ? 16 : 8;
  const int rate = channels == 2 ? 22050 : 11025;
  if (!WriteSound(path, bits, channels, rate, rate * kWaveformClipMs / 1000)) return nullptr;
  TLEventFields fields;
  fields.directory = path.parent_path().string() + "/";
  fields.name = path.stem().string();
  fields.extension = path.extension().string();
  fields.mediaType = GetMediaTypeCode(path.string());
  fields.playOut = kWaveformClipMs;
  std::string error;
  if (!ReadMediaHeader(path.string(), fields.mediaType, &fields.header, &error)) return nullptr;
  const std::int32_t track = channels == 2 ? 7 : 6;  // A1 and A2
  return InsertClip(doc.Head(), track, 0, kWaveformClipMs, fields);
}

// The stamp of a media file as a waveform file keeps it after its rows:
// the token, the file's size (u64), modification time (i64 ns), the length
// (u32) and bytes of its path.
inline std::vector<std::uint8_t> MediaStampBytes(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return {};
  std::vector<std::uint8_t> bytes(kMediaStampToken, kMediaStampToken + kMediaStampTokenBytes);
  auto put = [&bytes](std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  };
  put(static_cast<std::uint64_t>(status.st_size), 8);
  put(static_cast<std::uint64_t>(status.st_mtim.tv_sec * 1000000000 + status.st_mtim.tv_nsec), 8);
  put(path.size(), 4);
  bytes.insert(bytes.end(), path.begin(), path.end());
  return bytes;
}

}  // namespace sprocket::fuzz
