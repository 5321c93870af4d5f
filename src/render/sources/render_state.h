#pragma once
// The process-wide state of rendering, in one place.
//
// The frame compositor, the source pictures of a render entry and the
// compressed sample copy share a few values across frames: the last source
// file served, the output picture counter of image sequences, the state of
// the pass-through copy and the bit depth of the output. The render window
// resets them at the start of each job (ResetRenderJobState).
//
// The render lock guards the decoding of media sources. It exists only after
// InitRenderLock() found two or more processors and a nonzero
// "ENABLEMULTIPROC" in section "MULTIPROC" of the settings; RenderLock()
// answers null otherwise, and RenderLockGuard then does nothing. It is a
// recursive lock: nested renders enter it again on the same thread.
//
// Messages about missing or broken media are shown once per job through
// ShowRenderMessageOnce, so that a clip that fails on every frame does not
// ask the user on every frame.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "timeline/records/clip_time_index.h"

namespace sprocket {

// Longest stored source file name, in characters.
inline constexpr std::size_t kMaxRenderFileName = 259;

struct RenderState {
  // The name of the last source file served (absent until first needed).
  std::optional<std::string> lastSourceFile;
  // The picture number the next new image-sequence picture gets.
  std::int32_t outputPictureCounter = 0;
  // Pass-through copy: the track served last, whether a key frame was seen
  // since the copy (re)started, and the last source frame copied.
  std::int32_t lastPassThroughTrack = 0;
  bool keyFrameSeen = false;
  std::int32_t lastFrameCopied = 0;
  // Tells the render window to write its next AVI sample as a key frame;
  // the window clears it after the write.
  bool outputKeyFrame = false;
  // Bits per pixel of the job's output (24, or 8 for palette output).
  std::int32_t outputBitDepth = 24;
  // The clips of the running job's timeline by time, so that each frame
  // finds its clips without walking the timeline; null outside a job.
  std::shared_ptr<const ClipTimeIndex> clipIndex;

  // Stores a source file name (cut to kMaxRenderFileName characters).
  void StoreLastSourceFile(const std::string& name);
  // True when a name is stored and equals `name` (compared as stored).
  bool IsLastSourceFile(const std::string& name) const;
};

// The process's render state.
RenderState& TheRenderState();

// Resets the job state: picture counter, pass-through state, stored name,
// key-frame flag, and forgets which messages were shown. The output bit
// depth is kept (the window sets it for each job).
void ResetRenderJobState();

// Sets up the render lock when the machine and the settings ask for
// multiprocessor rendering; once made it stays for the life of the process.
// Returns true when the lock exists.
bool InitRenderLock();
// The render lock, or null when multiprocessor rendering is off.
std::recursive_mutex* RenderLock();

// Holds the render lock for its lifetime when the lock exists.
class RenderLockGuard {
public:
  RenderLockGuard() : lock_(RenderLock()) {
    if (lock_ != nullptr) lock_->lock();
  }
  explicit RenderLockGuard(std::recursive_mutex* lock) : lock_(lock) {
    if (lock_ != nullptr) lock_->lock();
  }
  RenderLockGuard(const RenderLockGuard&) = delete;
  RenderLockGuard& operator=(const RenderLockGuard&) = delete;
  ~RenderLockGuard() {
    if (lock_ != nullptr) lock_->unlock();
  }

private:
  std::recursive_mutex* lock_;
};

// Shows `text` (an OK box with a stop icon) unless the same text was shown
// for the same `subject` (a file name, an id) since the job began. Returns
// true when it was shown now.
bool ShowRenderMessageOnce(const std::string& text, const std::string& subject);

}  // namespace sprocket
