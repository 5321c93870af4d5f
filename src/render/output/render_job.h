#pragma once
// The render job: the whole work of the render window, without the window.
//
// A caller fills a RenderJob (preview flag, range, output kind and path) and
// runs it on a document; the job sets up the output format, steps through
// the frames of the range, has each one rendered, writes it to the chosen
// output (AVI movie through the movie join library, display-only preview,
// image sequence, FLC animation or WAV file), shows progress through a
// RenderUi, stops when the user asks (the abort flag, polled through the
// message pump) and answers the window's result code:
//
//   1   a completed FLC, image-sequence, WAV or display-only job (a stopped
//       WAV mixdown and the end of the display-only playback also give 1);
//   n   an AVI movie: the frames compiled (when stopped, the frames the
//       movie join library wrote, which stay as a playable movie);
//   -1  the job failed, or was stopped while rendering an FLC animation, an
//       image sequence or the display-only preview.
//
//   RenderJobRunner runner(doc, ui, services);
//   int result = runner.Run(RenderJob{0, 0, 5000, OutputKind::kAvi, "out.avi"});

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "libs/moviejoin/movie_join.h"
#include "libs/moviejoin/movie_join_block.h"
#include "render/output/job_frame_renderer.h"
#include "render/output/render_format.h"
#include "render/output/render_ui.h"

namespace sprocket {

class CTestDoc;

// Frames [firstFrame, firstFrame + frameCount) of a movie whose frame 0
// lies at originMs (at the job's own rate): a segment rendered for that movie.
struct MovieGridPart {
  std::int32_t originMs = 0;
  std::int64_t firstFrame = 0;
  std::int32_t frameCount = 0;
};

struct RenderJob {
  std::int32_t previewFlag = 0;  // 1 the "Preview" settings record applies, 0 the "Movie" record
  std::int32_t startMs = 0;
  std::int32_t endMs = 0;
  OutputKind outputKind = OutputKind::kAvi;
  // The output file; for image sequences the names come from the
  // application's image-sequence base path, and this ends holding the last.
  std::string outputPath;
  // When set, the job renders these frames of a longer movie, at that
  // movie's times, instead of the frames of its own range.
  std::optional<MovieGridPart> gridPart;
};

inline constexpr int kRenderJobFailed = -1;
inline constexpr int kRenderJobDone = 1;

// What the job asks of the timeline view (the editor's view; none in the
// command-line tool).
class RenderViewHooks {
public:
  virtual ~RenderViewHooks() = default;
  // True when the output settings describe the video board's own format.
  virtual bool IsBoardNativeFormat(bool either, bool preview) = 0;
  // Marks the clips whose compressed samples may be copied unchanged.
  virtual void MarkPassThroughClips(bool preview) = 0;
  // The view's "Inc Comp" "Disable" setting (0: rendered segments are used).
  virtual std::int32_t SegmentSwitch() = 0;
  // Set while an AVI job plays back a temporary playback timeline.
  virtual void SetPlaybackTimelineFlag(bool on) = 0;
};

// Writes an AVI movie from a join job (the movie join library's ordinal 2
// on the packed job); see movie_join_binding.h.
using MovieJoinRunner = std::function<int(const MovieJoinJob& job, const MovieJoinFrameCallback& frameCallback,
                                          const MovieJoinProgressCallback& progressCallback,
                                          const MovieJoinPumpCallback& pumpCallback, MovieJoinOutcome* outcome)>;

struct RenderJobServices {
  JobFrameRenderer renderFrame;  // required
  MovieJoinRunner joinMovie;     // required for AVI movies
  // Renders a frame for AVI movies whose document asks for disk-buffered
  // rendering; empty: `renderFrame` serves them too.
  JobFrameRenderer renderFrameBuffered;
  RenderViewHooks* view = nullptr;  // none: not board-native, nothing marked, the setting from the profile
};

struct RenderJobContext;

class RenderJobRunner {
public:
  // Sets up the render lock when the machine and settings ask for it.
  RenderJobRunner(CTestDoc& doc, RenderUi& ui, RenderJobServices services);
  ~RenderJobRunner();
  RenderJobRunner(const RenderJobRunner&) = delete;
  RenderJobRunner& operator=(const RenderJobRunner&) = delete;

  // Runs the job once and answers the result code above.
  int Run(const RenderJob& job);

  // After Run: whether the user stopped the job, the job as it ended (the
  // image-sequence output's last name), its format and frame count.
  bool Stopped() const;
  const RenderJob& Job() const;
  const RenderFormat& Format() const;
  std::int32_t FrameCount() const;
  // The frames written (AVI: by the movie join library; image sequences:
  // the images saved).
  std::int64_t FramesWritten() const;

private:
  std::unique_ptr<RenderJobContext> context_;
};

}  // namespace sprocket
