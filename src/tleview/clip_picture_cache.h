#pragma once
// ClipPictureCache: the pictures the timeline view keeps in its clips' slots
// (thumbnails and film strips, the waveform of each channel, transition
// icons) and how they are made. Pictures are made outside painting, when
// clips come into view or their media, the scale or the view's options
// change; painting draws what the slots hold, and an empty slot draws the
// clip without its picture.
//
// A build that fails leaves its slot empty. The failure is kept only for
// the same request (the same file as it is now, at the same size and
// scale), so that a paint does not read an unreadable file again; a scroll,
// a zoom, a change of scale or view option, or a change of the file tries
// again (ForgetFailures).

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "render/audio/waveform_file.h"
#include "render/compose/transition_icons.h"
#include "tleview/clip_bitmaps.h"
#include "tleview/clip_frames.h"
#include "tleview/view_layout.h"

namespace sprocket {

class ClipPictureCache {
public:
  // Shows a message of a media file (string id, path); each once.
  using MessageSink = std::function<void(int, const std::string&)>;
  // Makes a clip's waveform row through a painter (DrawClipWaveform).
  using WaveformMaker = std::function<int(const CTestDoc&, WaveformPainter&, TLEvent&, int)>;

  ClipPictureCache(const std::unique_ptr<ClipFrameSource>& frames, MessageSink messages);
  ~ClipPictureCache();

  // "imgicon.zkb" beside the program: still clips show their own picture.
  void SetOwnPictureSwitch(bool on) { ownPictures_ = on; }
  bool OwnPictureSwitch() const { return ownPictures_; }

  // --- Making pictures (never while painting) ---
  // The thumbnail, film strip or head and tail frames a clip in view shows,
  // when its slot lacks them or holds another part, size or file state.
  void BuildMissingThumbnail(TLEvent& clip, const ViewLayout& layout);
  // The waveforms the track's view status asks for, when missing or made
  // for another width, row height or file state.
  void BuildMissingWaveforms(TLEvent& clip, std::int32_t status, const ViewLayout& layout);
  // Builds one channel's waveform into its slot; 0 (slot emptied) when it
  // cannot be made.
  int BuildWaveform(TLEvent& clip, int channel, const ViewLayout& layout);
  // A transition's icon made without a message; a transition without a
  // picture is handed to `LoadTransitionIcon` later, which may report.
  bool BuildTransitionIconQuietly(TLEvent& clip);
  int LoadTransitionIcon(TLEvent& clip);
  // Empties a clip's thumbnail and waveform slots.
  static void Release(TLEvent& clip);

  // --- What painting reads ---
  // The clip's file is missing, or no picture could be made of it as it is
  // now: it shows the unknown-file picture.
  bool IsMediaMissing(const TLEvent& clip) const;

  // Failed builds are tried again.
  void ForgetFailures();
  // Failed builds of one file are tried again (its file may have changed).
  void ForgetFailuresOf(const std::string& path);

  // How waveforms are made (a counting stand-in in tests).
  WaveformMaker makeWaveform = DrawClipWaveform;

private:
  struct StripSpan {
    std::int32_t first = 0;  // -1: the head and the tail frame
    std::int32_t count = 1;
  };
  StripSpan WantedStrip(const TLEvent& clip, const ViewLayout& layout) const;
  void MakeThumbnail(TLEvent& clip, const FileStamp& stamp, const StripSpan& span, const ViewLayout& layout);
  dc::Bitmap FirstPicture(const TLEvent& clip, const FileStamp& stamp, std::int32_t rate, int width, int height);
  TransitionIconLoader& IconLoader();

  const std::unique_ptr<ClipFrameSource>& frames_;
  MessageSink messages_;
  bool ownPictures_ = false;
  // Files that gave no picture, as they were then.
  std::map<std::string, FileStamp> unreadableMedia_;
  // Waveform requests that failed: file and channel, file state, size, scale.
  std::set<std::string> failedWaveforms_;
  // First pictures of movie files by file, place in it and size; the
  // oldest goes when the cache is full.
  std::map<std::string, dc::Bitmap> firstPictures_;
  std::deque<std::string> firstPictureOrder_;
  DrawnStockBitmaps stockBitmaps_;
  std::unique_ptr<TransitionIconLoader> iconLoader_;
};

}  // namespace sprocket
