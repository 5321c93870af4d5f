#pragma once
// The clip waveform: the sound of a WAV clip, or of an AVI clip with sound,
// drawn inside the clip's rectangle on the timeline.
//
// The first time a clip's waveform is needed, a waveform file is derived from
// its media file and kept in the temporary folder ("zkbXXXX.tmp"), and the
// clip remembers its name (its derived-file names); clips of the same media
// file share it. The file holds one row of 16-bit values per time scale of
// the timeline, one value per display unit:
//
//   offset 0    18 x {u32 offset, u32 byte size} of the rows, in row order:
//               row (g - 1) x 6 + k for scale group g = 1..3, scale k = 0..5
//   offset 144  the rows, one after another: an 8-bit sample as its byte
//               (silence 128), a 16-bit sample as its 16 bits (silence 0),
//               left samples of stereo sound
//   after them  the media the rows were made from: "SPWV", the media file's
//               size (u64) and modification time (i64 ns), the length (u32)
//               and bytes of its path
//   stereo only "SPWR", a directory like the first one, then the rows of the
//               right samples (offsets from the file's start)
//
// A reader of the plain format sees the left rows where they always were.
// A waveform file counts as current while it exists, names the clip's media
// file as it is now and has rows of the lengths the document's scales ask
// for; otherwise it is built again under a new name, and the stale one is
// deleted once no clip names it. A file without the trailer (the plain
// format) counts as current when its rows fit and it is not older than the
// media file.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "render/audio/audio_media_layout.h"
#include "timeline/document/document.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

inline constexpr int kWaveformRows = 18;
inline constexpr std::size_t kWaveformDirectoryBytes = kWaveformRows * 8;
// The most values one row holds; a longer clip's row samples it more coarsely.
inline constexpr std::int64_t kMaxWaveformRowValues = std::int64_t{1} << 22;

// The values of one row: `count` (at least 1) samples of the clip's sound at
// evenly spaced places over the whole media: with n sample frames, value i
// is taken at sample (int)(n / count x i) of mono sound and at
// (int)(n / count x i x 2) rounded down to a multiple of 4 of stereo sound,
// which is a left sample; channel 1 takes the right sample beside it.
// `media` is the whole media file; places outside the sound or the file give
// silence.
std::vector<std::uint16_t> SampleWaveform(std::span<const std::uint8_t> media, const AudioMediaLayout& layout,
                                          std::int64_t count, int channel = 0);

// The number of values of each row for a media length of `mediaMs`: the
// display units the whole media spans at that scale (see the document's
// waveform scale tables).
std::vector<std::int64_t> WaveformRowCounts(const CTestDoc& doc, double mediaMs);

// True when the clip's waveform file exists and is current.
bool IsWaveformFileCurrent(const CTestDoc& doc, const TLEvent& clip);

// Where the waveform code's messages go: "Corrupted File" (61486) for a WAV
// clip without a RIFF "WAVE" form or "data" chunk, "Out of Memory !"
// (61428) when a row cannot be held. By default they are shown at once; the
// view, which loads waveforms while it paints, passes its own sink and shows
// each file's message once, after the paint.
class WaveformMessages {
public:
  virtual ~WaveformMessages() = default;
  virtual void ReportWaveformMessage(int stringId, const std::string& mediaPath);
};

// Makes sure the clip has a current waveform file: keeps its own, takes one
// from another clip of the same media file, or builds a new one. 1 when the
// clip has a usable waveform file afterwards, else 0 (and no new file). A
// stale file the clip named before is deleted once no clip names it.
int BuildWaveformFile(const CTestDoc& doc, TLEvent& clip, WaveformMessages* messages = nullptr);

// Deletes a waveform file made here (a "zkb" file of the temporary folder)
// that no clip of the document names.
void ReleaseWaveformFile(const CTestDoc& doc, const std::string& path);

// The row of the document's current scale group and scale (of the right
// channel for channel 1 of stereo sound), building the waveform file first
// when needed. Nothing on failure.
std::optional<std::vector<std::uint16_t>> LoadWaveformBlock(const CTestDoc& doc, TLEvent& clip,
                                                            WaveformMessages* messages = nullptr, int channel = 0);

// Where DrawClipWaveform draws; it also receives the messages of loading.
class WaveformPainter : public WaveformMessages {
public:
  // The wait cursor while a row loads.
  virtual void BeginWaitCursor() {}
  virtual void EndWaitCursor() {}
  // Draws the values from index `first` to `last` into the clip's rectangle
  // (of `width` pixels).
  virtual void DrawWaveformBitmap(const TLEvent& clip, std::int64_t first, std::int64_t last, std::int32_t width,
                                  std::span<const std::uint16_t> values, int argument) = 0;
};

// Draws the visible part of a clip's waveform: nothing (0) when its media
// file is missing, the time scale is 6 or coarser, the clip is neither an
// AVI nor a WAV clip, or its sound is not 8-bit or 16-bit PCM at 44100,
// 22050 or 11025 Hz. Else the media times under the rectangle's edges
// ((time under x - in time) x speed / 100 + play-in, within play-in and
// play-out) give the first and last value index ((int)(time x count /
// media length)); 1 when drawn.
int DrawClipWaveform(const CTestDoc& doc, WaveformPainter& painter, TLEvent& clip, int argument);

// The clip file check of the view: 0 when the clip's media path is set and
// the file does not exist; else the clip's rectangle and 1.
int GetClipFileRect(const CTestDoc& doc, ClipRect& rect, const TLEvent& clip);
inline int GetClipFileRect2(const CTestDoc& doc, ClipRect& rect, const TLEvent& clip) {
  return GetClipFileRect(doc, rect, clip);
}
inline int GetClipFileRect3(const CTestDoc& doc, ClipRect& rect, const TLEvent& clip) {
  return GetClipFileRect(doc, rect, clip);
}

}  // namespace sprocket
