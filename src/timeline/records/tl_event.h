#pragma once
// The timeline's nodes.
//
// A timeline is a list of TLEvent records: the head ('B', timeline begin),
// one 'b' (track begin) and one 'e' (track end) per track, an 'f' (clip in)
// and an 'F' (clip out) per clip, and the timeline's end 'E'. Every node is
// on two doubly linked lists:
//
//   - its track chain (next/prev): b, f, F, f, F, ..., e in time order, where
//     an 'f' record's next is always its 'F' partner; the head's chain is
//     B -> E;
//   - the master list (masterNext/masterPrev): B, every 'b' in track-number
//     order, then the 'f' and 'F' records in time order ('F' before 'f' at
//     the same time, then by track number), then every 'e' and last 'E'.
//
// The master list owns its nodes: each node owns the one after it, so the
// head owns the whole timeline, and a detached clip (an 'f' whose
// masterNext is its 'F') owns its partner. Destroying a node frees every
// node after it. The builder functions (timeline_builder.h) keep both lists
// in step; code that only reads walks them directly.
//
// The record's contents live in TLEventFields, which copies deeply: a copy
// shares no memory with the source.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "timeline/records/clip_media_header.h"
#include "timeline/records/clone_ptr.h"
#include "timeline/records/filter_list.h"
#include "timeline/records/owned_block.h"
#include "timeline/records/timeline_marks.h"
#include "timeline/records/volume_envelope.h"

namespace sprocket {

// Kinds of node.
inline constexpr char kEventTimelineBegin = 'B';
inline constexpr char kEventTimelineEnd = 'E';
inline constexpr char kEventTrackBegin = 'b';
inline constexpr char kEventTrackEnd = 'e';
inline constexpr char kEventClipIn = 'f';
inline constexpr char kEventClipOut = 'F';

// Track types.
inline constexpr char kTrackVideo = 'V';
inline constexpr char kTrackAudio = 'A';
inline constexpr char kTrackTransition = 'X';

// The most tracks a timeline may hold.
inline constexpr int kMaxTracks = 100;

// Limits of the text fields, in characters.
inline constexpr std::size_t kMaxPathPartLength = 255;  // directory, name, extension
inline constexpr std::size_t kMaxClipNameLength = 19;
inline constexpr std::size_t kMaxCaptureNameLength = 259;

// Normal speed, in percent.
inline constexpr std::int32_t kNormalSpeed = 100;

// View status of a track header.
inline constexpr std::int32_t kTrackViewBalance = -1;
inline constexpr std::int32_t kTrackViewVideoOnly = 0;
inline constexpr std::int32_t kTrackViewVolume = 1;
inline constexpr std::int32_t kTrackViewWaveform = 2;
inline constexpr std::int32_t kTrackViewStereo = 3;

// A rectangle in view pixels.
struct ClipRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool operator==(const ClipRect&) const = default;
};

// A picture the view keeps for a clip (thumbnail, waveform, transition
// icon). The view layer derives its own kind; copies of a clip get clones.
class ClipBitmap {
public:
  virtual ~ClipBitmap() = default;
  virtual std::unique_ptr<ClipBitmap> Clone() const = 0;
};

// The names of files derived from a clip's media: its waveform file's
// directory, name and extension, and 33 further bytes, copied as one.
struct DerivedFileNames {
  std::string waveDirectory;
  std::string waveName;
  std::string waveExtension;
  std::array<std::uint8_t, 33> extra{};
  bool operator==(const DerivedFileNames&) const = default;
};

// A clip's crop rectangle (left | top << 16, right | bottom << 16) and two
// further per-clip words.
struct ClipCropWords {
  std::int32_t leftTop = 0;
  std::int32_t rightBottom = 0;
  std::int32_t word3 = 0;
  std::int32_t word4 = 0;
  bool operator==(const ClipCropWords&) const = default;
};

// Crop margins of a whole timeline, in pixels, as two words: the first holds
// the left width in its low 16 bits and the bottom rows in its high 16 bits,
// the second the right width and the top rows.
struct CropMargins {
  std::uint32_t leftBottom = 0;
  std::uint32_t rightTop = 0;
  int Left() const { return static_cast<int>(leftBottom & 0xFFFF); }
  int Bottom() const { return static_cast<int>(leftBottom >> 16); }
  int Right() const { return static_cast<int>(rightTop & 0xFFFF); }
  int Top() const { return static_cast<int>(rightTop >> 16); }
  void Set(int left, int right, int top, int bottom);
  bool Any() const { return leftBottom != 0 || rightTop != 0; }
  bool operator==(const CropMargins&) const = default;
};

struct TLEventFields {
  // --- Every node ---
  char kind = kEventClipIn;
  char trackType = kTrackVideo;  // 'V', 'A' or 'X' (the head and its end: 0)
  std::int32_t trackNumber = 0;  // 1-based; 0 on the head and its end
  // In time on 'f', out time on 'F', the duration on 'e' and 'E', 0 on 'b' and 'B'.
  std::int32_t time = 0;

  // --- Clip in ('f') ---
  std::int32_t playIn = 0;   // ms into the media file
  std::int32_t playOut = 0;  // ms into the media file
  std::int32_t speed = kNormalSpeed;
  std::int32_t reverse = 0;
  std::int32_t mediaType = 0;  // see media_type.h
  std::string directory;       // with its trailing separator
  std::string name;
  std::string extension;  // with its dot
  std::string clipName;   // at most 19 characters
  std::string title;
  std::string description;
  std::optional<ClipMediaHeader> header;  // none for a still picture
  FilterList filters;
  // The intermediate movie the clip stands for; none for ordinary clips.
  std::optional<IntermediateMovie> intermediateMovie;
  std::int32_t transitionId = 0;  // clips on an 'X' track
  // Tracks whose clips a transition takes as its A (left) and B (right)
  // pictures; 0 means the tracks on either side of the transition track.
  std::int32_t leftSide = 0;
  std::int32_t rightSide = 0;
  OwnedBlock ownPicture;    // a packed DIB (stills, transitions), or none
  OwnedBlock cachedFrames;  // film-strip frames of the view
  ClipRect drawnRect;       // written by the view
  ClonePtr<ClipBitmap> thumbnail;
  ClonePtr<ClipBitmap> waveform0;
  ClonePtr<ClipBitmap> waveform1;
  ClonePtr<ClipBitmap> transitionIcon;
  DerivedFileNames derivedFiles;
  VolumeEnvelope volume;            // left list; on the head the master volume
  VolumeEnvelope balance;           // right list; on the head the master balance
  std::int32_t selectedPoint = -1;  // index into `volume`, -1 when unset
  std::uint32_t linkNumber = 0;     // shared by a split audio/video pair
  std::int32_t channelMode = 0;     // 0, or 1000..1006
  ClipCropWords crop;
  // The clip's in, out, play-in and play-out while times are snapped to the
  // board's rate.
  std::optional<std::array<std::int32_t, 4>> savedTimes;
  std::int32_t clipVolume = 10000;  // hundredths of a percent
  // Marks of a render job: how the clip's compressed samples may be copied
  // (0 none, 1 unchanged still, 2 copyable, 3 exact frames only), and
  // whether its media is in the board's own format.
  std::int32_t passThroughKind = 0;
  bool boardNative = false;
  // Set on the clips that a playback timeline makes for rendered segments.
  bool renderedSegmentClip = false;

  // --- Track begin ('b') ---
  std::int32_t viewStatus = kTrackViewVideoOnly;
  std::int32_t statusCode = 0;             // nonzero shows an icon in the header
  std::int32_t audioPreviewSelection = 0;  // 0, 1 or -1

  // --- Timeline begin ('B') ---
  FilterList segments;       // render segments, in time order
  std::int32_t rate = 2997;  // hundredths of a frame per second
  CropMargins cropMargins;
  std::int32_t jobFrameRate = 0;         // whole frames per second of the running render
  std::int32_t segmentRenderActive = 0;  // 1 while a compositing segment render runs
  std::int32_t boardRateSnapped = 0;     // 1 while times are snapped to the board's rate
  std::int32_t boardClipMode = 0;        // spans come from board clips
  std::int32_t audioPreviewOption = 0;
  // On 'B' the movie title, on 'E' the record-in time code (at most 259 characters).
  std::string captureName;

  // The clip's media path: directory + name + extension.
  std::string MediaPath() const;
};

struct TLEvent : TLEventFields {
  TLEvent() = default;
  explicit TLEvent(const TLEventFields& fields) : TLEventFields(fields) {}
  TLEvent(const TLEvent&) = delete;
  TLEvent& operator=(const TLEvent&) = delete;
  ~TLEvent();

  TLEvent* next = nullptr;  // track chain
  TLEvent* prev = nullptr;
  std::unique_ptr<TLEvent> masterNext;  // master list (owning)
  TLEvent* masterPrev = nullptr;

  bool IsClipIn() const { return kind == kEventClipIn; }
  // The 'F' partner of a clip-in record (its chain next), or null.
  TLEvent* ClipOut() const { return kind == kEventClipIn ? next : nullptr; }
  // The clip's out time (the partner's time), or the record's own time.
  std::int32_t OutTime() const { return ClipOut() != nullptr ? ClipOut()->time : time; }
};

// The slot that holds a whole event list by its head.
using EventListSlot = std::unique_ptr<TLEvent>;

// The next node of the master list, or null.
inline TLEvent* GetNextEvent(const TLEvent* event) { return event ? event->masterNext.get() : nullptr; }

// The 'E' record of a timeline (the head's chain next), or null.
TLEvent* TimelineEnd(const TLEvent* head);
// The timeline's duration: the time of its 'E' record (0 without one).
std::int32_t TimelineDuration(const TLEvent* head);

// Unlinks one record from both lists and frees it with what it owns (its
// filters, header, envelopes, pictures). Exactly one record is freed: a
// clip's 'F' partner is freed by a second call (or use DeleteClip, in
// timeline_builder.h). The first node of a list (a head, or a detached
// clip's 'f') is owned by its slot and is freed through FreeEventList;
// passing it, or null, does nothing.
void FreeEvent(TLEvent* event);
// Frees a whole event list and clears the slot.
void FreeEventList(EventListSlot& slot);
// Frees the target and makes it a deep copy of the list that starts at
// `sourceHead` (null: the target stays empty).
void CopyEventList(const TLEvent* sourceHead, EventListSlot& target);
// A deep copy of the list that starts at `sourceHead`.
EventListSlot CopyEventList(const TLEvent* sourceHead);
// A deep copy of a clip with its 'F' partner: a detached pair whose 'f' owns
// its 'F' and whose chain links only each other. Null when `clipIn` is not
// a clip-in record with a partner.
EventListSlot CopyClipEvent(const TLEvent* clipIn);
// Frees a clip held in a slot (as CopyClipEvent made it) and clears the slot.
inline void FreeClipEvent(EventListSlot& clip) { FreeEventList(clip); }

}  // namespace sprocket
