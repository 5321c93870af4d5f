// The clip waveform file reader on any file: the input's first byte picks
// the clip (8-bit mono or 16-bit stereo sound) and the row the document
// shows, the rest is the clip's waveform file, with the stamp of the clip's
// media in place of the first "SPWV" (which the fuzzer cannot know). A file
// taken as current must give rows of the lengths the document asks for.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <vector>

#include "fuzz_input.h"
#include "render/audio/waveform_file.h"
#include "waveform_media.h"

namespace {

using namespace sprocket;

// Messages of loading go nowhere.
class QuietMessages : public WaveformMessages {
public:
  void ReportWaveformMessage(int, const std::string&) override {}
};

struct WaveformClips {
  CTestDoc doc;
  TLEvent* clips[2] = {nullptr, nullptr};  // mono, stereo

  WaveformClips() {
    clips[0] = fuzz::AddWaveformClip(doc, 1);
    clips[1] = fuzz::AddWaveformClip(doc, 2);
    if (clips[0] == nullptr || clips[1] == nullptr) {
      std::fprintf(stderr, "the waveform target cannot make its media in /tmp\n");
      std::abort();
    }
  }
  ~WaveformClips() {
    for (int channels : {1, 2}) std::filesystem::remove(fuzz::WaveformMediaPath(channels));
  }
};

std::vector<std::uint8_t> WithMediaStamp(std::span<const std::uint8_t> file, const TLEvent& clip) {
  std::vector<std::uint8_t> bytes(file.begin(), file.end());
  const auto token = std::search(bytes.begin(), bytes.end(), fuzz::kMediaStampToken,
                                 fuzz::kMediaStampToken + fuzz::kMediaStampTokenBytes);
  if (token == bytes.end()) return bytes;
  const std::vector<std::uint8_t> stamp = fuzz::MediaStampBytes(clip.MediaPath());
  const auto at = bytes.erase(token, token + static_cast<std::ptrdiff_t>(fuzz::kMediaStampTokenBytes));
  bytes.insert(at, stamp.begin(), stamp.end());
  return bytes;
}

void UseFile(TLEvent& clip, const std::filesystem::path& path) {
  clip.derivedFiles.waveDirectory = path.parent_path().string() + "/";
  clip.derivedFiles.waveName = path.stem().string();
  clip.derivedFiles.waveExtension = path.extension().string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static WaveformClips media;
  static const fuzz::ScratchFile file(".tmp");
  fuzz::InputBytes input(data, size);
  const int choice = input.U8();
  TLEvent& clip = *media.clips[choice & 1];
  const int row = (choice >> 1) % kWaveformRows;
  media.doc.scaleGroup = row / 6 + 1;
  media.doc.groupScaleIndex = row % 6;
  if (!file.Write(WithMediaStamp(input.Rest(), clip))) return 0;
  UseFile(clip, file.Path());
  if (!IsWaveformFileCurrent(media.doc, clip)) return 0;
  const auto expected = static_cast<std::size_t>(
      WaveformRowCounts(media.doc, clip.header->MediaLengthMs())[static_cast<std::size_t>(row)]);
  QuietMessages quiet;
  for (int channel : {0, 1}) {
    const auto values = LoadWaveformBlock(media.doc, clip, &quiet, channel);
    if (!values || values->size() != expected) {
      std::fprintf(stderr, "a current waveform file gives a row of the wrong length\n");
      std::abort();
    }
  }
  return 0;
}
