// A clip's sound through the mixdown: the input is the clip's WAV file, on
// an audio track of a one-clip timeline at a speed the first byte picks;
// two frames at its start and two at its end are mixed into 16-bit and 8-bit
// output.

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" {
#include <libavutil/log.h>
}

#include "fuzz_input.h"
#include "render/audio/audio_mixdown.h"
#include "timeline/document/document.h"
#include "timeline/tlefile/timeline_file.h"

namespace {

// The decoder's warnings about damaged sound would fill the run's log.
const bool kQuietDecoder = [] {
  av_log_set_level(AV_LOG_QUIET);
  return true;
}();

class DiscardedStream : public sprocket::MixedAudioStream {
public:
  bool WriteSamples(std::int64_t, std::int64_t, const void*, std::size_t) override { return true; }
};

std::string ClipTimeline(const std::string& path, int speed) {
  return R"({"format": "sprocket-timeline", "version": 1, "rate": 2500, "duration": 1000,
    "tracks": [{"type": "A", "number": 1, "clips": [{"in": 0, "out": 1000, "file": ")" +
         path + R"(", "mediaType": 301, "playIn": 0, "playOut": 1000, "speed": )" + std::to_string(speed) + "}]}]}";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sprocket;
  static const int kSpeeds[] = {100, 50, 150, 200};
  static const fuzz::ScratchFile file(".wav");
  fuzz::InputBytes input(data, size);
  const int speed = kSpeeds[input.U8() % 4];
  if (!file.Write(input.Rest())) return 0;
  CTestDoc doc;
  if (!ParseTimelineFile(ClipTimeline(file.Path(), speed), "/", doc)) return 0;
  DiscardedStream stream;
  MixdownAudio(nullptr, nullptr, &stream, doc.Head(), 16, 2, 22050, 5, 1, 0, 80);
  MixdownAudio(nullptr, nullptr, &stream, doc.Head(), 8, 1, 11025, 5, 1, 920, 1000);
  return 0;
}
