#pragma once
// The media sources of a render, one node per track.
//
// A TrackList is a chain of nodes numbered from track 1. Each node holds
// the open source of the clip that currently covers the time being rendered
// or scrubbed on its track: an AVI video stream with its frame decoder, an
// open FLI/FLC animation, one or two still-image handles (a picture and its
// alpha channel), audio-scrubbing blocks and the buffers of the trailing
// effect (filter 9000). Consecutive frames of the same clip reuse what is
// open: a movie reads on without seeking, a still is decoded and cropped
// once.
//
//   auto chain = std::make_unique<TrackList>();
//   chain->BuildTrackList(trackCount);
//   per frame: chain->OpenRenderSources(list, head, w, h, options); ... node->GetAviFrameDib(n) ...
//   chain->CloseTrackSources();  FreeTrackList(chain);
//
// Nodes are found by track number (FindNode); the A side of a transition on
// track t is read from the node before t's node, its B side from the node
// after it (SideNode).

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/imagefile/image_file_library.h"
#include "platform/media/video_frame_reader.h"
#include "platform/run_ahead.h"
#include "platform/worker_pool.h"
#include "render/picture/dib_picture.h"
#include "timeline/records/render_entry.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

class AviFileIndex;
class AudioSampleReader;
struct CropBox;
struct FlicFile;

// What a node's source is.
enum class SourceKind : std::int32_t {
  kAvi = 0,
  kFlic = 1,
  kStill = 2,
  kSequence = 3,
  kOther = 4,  // a sound, or nothing
};

inline constexpr std::size_t kAviScrubBlockBytes = 164;
inline constexpr std::size_t kWaveScrubBlockBytes = 24;

// The audio-scrubbing library: fills and cleans up the scrub blocks of a
// node (an AVI clip's and a wave clip's). The node allocates the blocks
// zero-filled and owns them.
class AudioScrubLibrary {
public:
  virtual ~AudioScrubLibrary() = default;
  virtual int ReadAviFile(const std::string& path, std::span<std::uint8_t> block) = 0;
  virtual int ReadWaveFile(const std::string& path, std::span<std::uint8_t> block) = 0;
  virtual void CleanupScrubbing(std::span<std::uint8_t> block) = 0;
  virtual void CleanupWaveScrubbing(std::span<std::uint8_t> block) = 0;
};

// Renders one filter (the decay of the trailing effect: 1304 or 3100, its
// values in the filter's first parameter) from `source` into `destination`,
// both locked 24-bit pictures of one size. Answers 0, or -2 when stopped.
using AccumulationFilterRenderer =
    std::function<int(const TLFilter& filter, const std::uint8_t* source, std::uint8_t* destination)>;

// The trailing effect's values, from the first parameter of filter 9000.
struct AccumulationSettings {
  std::int32_t mode = 0;   // 0 off; 2 and 3 also decay the picture (1304, 3100)
  std::int32_t count = 0;  // alpha decays by log10(count) / 2 a frame
  std::int32_t level = 0;  // the decay filter's value
};

// An animation's current frame as a new 8-bit picture (1,064-byte header
// with its colours, bottom row first).
DibPicture FlicFrameDib(const FlicFile& flic);
// Frame `frame` (limited to the last) of the animation at `path`, decoded
// from its start; empty when it does not open or decode. For reads without
// a node that keeps the animation open.
DibPicture ReadFlicFrameDib(const std::string& path, std::int32_t frame);

class TrackList {
public:
  TrackList();
  ~TrackList();
  TrackList(const TrackList&) = delete;
  TrackList& operator=(const TrackList&) = delete;

  // --- The chain ---
  // Makes this node track 1 and appends n - 1 new nodes numbered 2..n
  // (replacing any nodes after it); every node's flag is cleared.
  void BuildTrackList(std::int32_t n);
  TrackList* Next() const { return next_.get(); }
  TrackList* Prev() const { return prev_; }
  // The first node of the chain.
  TrackList* Head();
  // The node of a track number, from this node on; null when none.
  TrackList* FindNode(std::int32_t trackNumber);
  // The node of an 'X' entry's side: 0 the A side (the node before), 1 the
  // B side (the node after); null at the chain's ends.
  TrackList* SideNode(int side) const { return side == 0 ? prev_ : next_.get(); }
  std::int32_t TrackNumber() const { return trackNumber_; }

  // --- Rendering ---
  // Opens the sources of the entries on their tracks' nodes for a frame of
  // width x height (the size after cropping). The crop margins come from
  // `head` unless `options` has kRenderOptionNoCrop. A node keeps its
  // source while its path stays the same. Runs under the render lock.
  void OpenRenderSources(const RenderList& entries, const TLEvent* head, std::int32_t width, std::int32_t height,
                         std::int32_t options);
  // For this node and every node after it: forgets the path and closes the
  // movie, the animation, the picture handle and the trailing buffers. The
  // nodes, the alpha handle and the scrub blocks stay.
  void CloseTrackSources();

  // A new 24-bit picture of movie frame `frame` (the source opened when the
  // node has none); empty past the clip's frames or when nothing decodes.
  DibPicture GetAviFrameDib(std::int32_t frame);
  // Movie frame `frame` as decoded, not yet a picture (the source opened
  // when the node has none); empty as GetAviFrameDib.
  DecodedVideoFrame ReadDecodedAviFrame(std::int32_t frame);
  // How a decoded movie frame becomes the picture a render asks for: `key`
  // holds everything the steps depend on, `make` runs them (no messages or
  // logs: an empty picture on failure).
  struct FrameSteps {
    std::vector<std::int32_t> key;
    std::function<DibPicture(DibPicture)> make;
  };
  // On the parallel road, while the clip is read frame after frame (the
  // last two frames taken follow each other and `frame` follows them):
  // makes the pictures of movie frames `frame`, `frame` + 1, ... with
  // `steps` on a thread of the node's own, a few frames ahead of the
  // caller, which works on the frames before them. Nothing changes when
  // the node already makes `frame` next with the same steps.
  void MakeFrameAhead(std::int32_t frame, FrameSteps steps);
  // The picture made ahead when it is movie frame `frame` made by the steps
  // of `key` (the same bytes as making it now), waiting while it is made;
  // empty otherwise (and the node stops making pictures ahead).
  DibPicture TakeFrameMadeAhead(std::int32_t frame, const std::vector<std::int32_t>& key);
  // A new 8-bit picture (1,064-byte header with the animation's colours,
  // bottom row first) of animation frame `frame` (limited to the last
  // frame); empty when the animation does not open or decode.
  DibPicture GetFlicFrameDib(std::int32_t frame);
  // The still's picture handle (opened when the node has none); the alpha
  // handle, kNoImage without alpha. Both belong to the node.
  ImageHandle GetStillImage();
  ImageHandle GetAlphaImage() const { return alpha_; }
  // The AVI index of the node's movie for the compressed sample copy
  // (opened when needed); null when the node holds no AVI or it is damaged.
  AviFileIndex* RawVideoStream();

  // --- File-type tests on the node's path (extension from the first dot of
  // the file name, any case) ---
  bool IsAviSource() const;
  bool IsFlicSource() const;
  bool IsStillSource() const;     // anything but .AVI .FLC .FLI .SEQ .WAV
  bool IsSequenceSource() const;  // .SEQ

  // --- Trailing effect (filter 9000) ---
  // Looks for filter 9000 with a nonzero mode in the filters; found: the
  // node takes its settings and its flag is set (answer true); otherwise
  // the flag is cleared.
  bool FindAccumulationFilter(const FilterList& filters);
  // Lays `picture` (locked 24-bit) into the accumulated picture under its
  // alpha (locked 8-bit mask, weights 0..128), accumulating the alpha, and
  // hands the result back in both. Nothing happens without alpha, with the
  // flag clear, or when the sizes differ from the node's buffers.
  // `decayFilter` renders the decay filter of modes 2 and 3 (none: no
  // picture decay).
  void ApplyAccumulationPass(std::uint8_t* picture, std::uint8_t* alpha,
                             const AccumulationFilterRenderer& decayFilter = {});
  bool AccumulationActive() const { return flag_ != 0 && accumPicture_; }
  const AccumulationSettings& Accumulation() const { return accumulation_; }
  const DibPicture& AccumulatedPicture() const { return accumPicture_; }
  const DibPicture& AccumulatedAlpha() const { return accumAlpha_; }

  // --- Scrubbing and sound ---
  // Assigns the clip slices to the nodes of their tracks for scrubbing
  // (position ratio, clip start and end, scrub blocks); nodes assigned to
  // no slice are emptied. `scrub` may be null: blocks are then made but not
  // filled.
  void UpdateTrackList(const std::vector<ClipSlice>& slices, AudioScrubLibrary* scrub);
  // Opens the sound of an AVI file on the node of `track` unless that node
  // reads the same path already. Answers false when there is no such node
  // or the sound does not open.
  bool OpenTrackAudio(const std::string& path, std::int32_t track);
  AudioSampleReader* AudioStream() const { return audioStream_.get(); }

  // --- Node state ---
  const std::string& Path() const { return path_; }
  SourceKind Kind() const { return kind_; }
  float PositionRatio() const { return positionRatio_; }
  std::int32_t ClipStart() const { return clipStart_; }
  std::int32_t ClipEnd() const { return clipEnd_; }
  std::span<const std::uint8_t> AviScrubBlock() const;
  std::span<const std::uint8_t> WaveScrubBlock() const;
  // How often a source was opened into this node (for tests: frames of the
  // same clip do not add to it).
  int OpenCount() const { return openCount_; }
  // How often the node's movie decoder repositioned its file (reading on
  // from frame to frame does not add to it); 0 without a decoder.
  int DecoderSeekCount() const;

private:
  struct ScrubBlock;

  // Pictures a node holds in hand or made ahead of the frame being composed:
  // enough to ride out uneven frames (six measured faster than four), few
  // enough to keep memory low; and the threads that convert and scale
  // decoded frames at once (no more than the processors the job may use, so
  // that on two the frame makers, converters and compressor do not crowd
  // each other out).
  static constexpr std::size_t kFramesMadeAhead = 6;
  static constexpr unsigned kFrameMakers = 3;

  void OpenVideoSide(const RenderSide& side, const std::string& path, bool mainPicture, const CropBox* crop);
  void ReleaseSource(bool releaseAudio);
  void ReleaseStill();
  void ReleaseAlpha();
  void EnsureAccumulationBuffers(std::int32_t width, std::int32_t height);
  void DecayAccumulation(const AccumulationFilterRenderer& decayFilter);
  void ClearScrub();
  bool OpenFlic();
  bool OpenAviDecoder();

  std::unique_ptr<TrackList> next_;
  TrackList* prev_ = nullptr;
  std::string path_;
  SourceKind kind_ = SourceKind::kAvi;
  std::int32_t trackNumber_ = 0;
  std::int32_t flag_ = 0;
  // The source did not open: not tried again until the path changes.
  bool openFailed_ = false;
  std::unique_ptr<VideoFrameReader> frameDecoder_;
  std::unique_ptr<AviFileIndex> videoStream_;
  bool videoStreamFailed_ = false;
  std::unique_ptr<AudioSampleReader> audioStream_;
  std::unique_ptr<FlicFile> flic_;
  std::int32_t flicHeldFrame_ = -1;
  std::int64_t frameCount_ = 0;  // the movie's frames, read when the decoder opens
  static constexpr std::int32_t kNoFrameTaken = -2;
  // The last two frames asked of TakeFrameMadeAhead since the source was opened.
  std::array<std::int32_t, 2> takenFrames_ = {kNoFrameTaken, kNoFrameTaken};
  ImageHandle image_ = kNoImage;
  ImageHandle alpha_ = kNoImage;
  AccumulationSettings accumulation_;
  DibPicture accumPicture_;
  DibPicture accumAlpha_;
  std::unique_ptr<ScrubBlock> aviScrub_;
  std::unique_ptr<ScrubBlock> waveScrub_;
  bool assigned_ = false;
  std::int32_t clipStart_ = 0;
  std::int32_t clipEnd_ = 0;
  float positionRatio_ = 0.0f;
  int openCount_ = 0;
  // Pictures made ahead (see MakeFrameAhead): while a run is under way its
  // thread alone reads frameDecoder_. Last: its work ends before the sources go.
  mutable RunAhead<DibPicture, DecodedVideoFrame> ahead_{kFramesMadeAhead, std::min(kFrameMakers, FrameWorkThreads())};
};

// Destroys every node of the chain and empties the slot.
void FreeTrackList(std::unique_ptr<TrackList>& head);

// Reads `samples` sample frames from `start` of an open sound into the
// buffer (at most `bufferBytes` bytes). 1 when the read succeeds, else 0.
int ReadAviSamples(AudioSampleReader* stream, std::int32_t start, void* buffer, std::int32_t bufferBytes,
                   std::int32_t samples);

}  // namespace sprocket
