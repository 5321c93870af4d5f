#pragma once
// The state of one running render job, shared by the job and its outputs
// (render_outputs.h). Only the render job's own files include this.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "render/audio/audio_mixdown.h"
#include "render/compose/render_frame.h"
#include "render/output/job_scratch_folder.h"
#include "render/output/render_job.h"
#include "render/sources/track_list.h"

namespace sprocket {

class CTestDoc;
struct MovieSettings;

// Messages shared by several outputs.
inline constexpr const char* kLowMemoryText =
    "Processing stopped due to low/fragmented memory. Exit and restart Windows!";
inline constexpr const char* kWriteFramesText = "Error writing frames. You may have run out of disk space!";
inline constexpr const char* kCreateWaveText = "Error create WAV file! Make sure the drive you select is accessible.";
inline constexpr const char* kFormatNotSupportedText = "Output format not supported!";
inline constexpr const char* kNotEnoughMemoryText = "Not enough memory!";

// Shows a text with a stop icon.
void ShowStopMessage(const std::string& text);

// True when the file name of `path` has a dot and the four characters from
// its first dot equal `extension` (".wav", ".flc"), in any case.
bool OutputExtensionIs(const std::string& path, std::string_view extension);

struct RenderJobContext final : MixdownProgress {
  RenderJobContext(CTestDoc& document, RenderUi& renderUi, RenderJobServices jobServices);

  CTestDoc& doc;
  RenderUi& ui;
  RenderJobServices services;

  RenderJob job;
  RenderFormat format;
  std::int32_t frameCount = 1;
  std::int32_t framePeriod = 0;
  // The timeline rendered: the document's head, or a playback timeline put
  // in its place while an AVI movie is joined.
  TLEvent* head = nullptr;
  bool singleUserPlatform = true;
  std::unique_ptr<TrackList> tracks;
  // The display-only preview's records, one per frame and an empty last one.
  std::deque<SequenceReuse> displayList;
  PictureAreaMode pictureArea = PictureAreaMode::kNothing;
  JobScratchFolder scratch;
  bool stopped = false;          // the user stopped the job
  std::int64_t rendersDone = 0;  // the frame counter of the completion message
  std::int64_t framesWritten = 0;

  RenderViewHooks& View();
  const MovieSettings& Settings() const;

  // The progress bar, picture area, time code and position line at a time.
  void ShowRenderProgress(double tMs, const std::uint8_t* picture);
  void ShowRenderProgress(double ms) override { ShowRenderProgress(ms, nullptr); }
  void ShowTimeCode(std::int32_t ms) override;
  // Frame k of the range.
  std::int32_t FrameTime(std::int64_t k) const;
  // Pumps messages once; true (and the job marked stopped) when the user
  // asked to stop.
  bool PumpStopped();
  // The arguments of a frame at time t into a picture of width x height,
  // with the job's timeline, preview flag and sources.
  RenderFrameArgs FrameArgs(double tMs, std::uint8_t* picture, std::int32_t width, std::int32_t height,
                            std::int32_t mode) const;
  // Renders a frame through the job's renderer (under the render lock's
  // rules of the compositor); the compositor's return value.
  int Render(const RenderFrameArgs& args, std::int32_t* result);
  // The common end of a completed job: the completion message (not for WAV
  // and the display-only preview); answers kRenderJobDone.
  int CompleteJob();

private:
  class ProfileViewHooks;
  std::unique_ptr<RenderViewHooks> defaultView_;
};

}  // namespace sprocket
