// The display-only preview of the render job: the range is rendered at
// 160 x 120 and 5 frames a second into the scratch movie "recorder.avi",
// one record per frame telling which picture shows (a new picture of the
// scratch movie, a frame of a source movie, black, or the picture before),
// and the records are then played in the picture area, over and over, until
// the user stops.

#include "platform/media/avi_writer.h"
#include "platform/media/codec_table.h"
#include "platform/media/video_frame_reader.h"
#include "render/output/render_outputs.h"
#include "render/sources/render_state.h"

namespace sprocket {

namespace {

constexpr int kPlaybackStepMs = 200;

AviVideoFormat DisplayOnlyFormat() {
  AviVideoFormat video;
  video.width = kSmallOutputWidth;
  video.height = kSmallOutputHeight;
  video.rate = static_cast<std::uint32_t>(kSmallOutputRate * 1000.0f);
  video.scale = 1000;
  video.compressor = MakeFourCC("MSVC");
  video.quality = 7500;
  video.keyFrameEvery = 1;
  video.bitCount = 24;
  return video;
}

// The movie whose pictures the playback draws.
class PlaybackSource {
public:
  // Opens the movie of a record's name. False after the failure message.
  bool Open(const std::string& name) {
    if (open_ && name == name_) return true;
    open_ = false;
    reader_ = VideoFrameReader();
    if (!reader_.Open(name)) {
      ShowStopMessage("Error get video stream pointer in display only mode!");
      return false;
    }
    name_ = name;
    open_ = true;
    return true;
  }

  bool IsOpen() const { return open_; }

  // Draws picture n. False after the failure message.
  bool Draw(RenderUi& ui, std::int32_t n) {
    GlobalBlock frame = reader_.ReadFrame(n);
    if (!frame) {
      ShowStopMessage("Fail to access the requested frame!");
      return false;
    }
    GlobalLockGuard<std::uint8_t> picture(frame.get());
    if (picture.get() != nullptr) ui.ShowPicture(picture.get());
    return true;
  }

private:
  VideoFrameReader reader_;
  std::string name_;
  bool open_ = false;
};

// Renders the frames into the writer. kRenderDone, or kRenderJobFailed
// (the writer discarded) after a failure or a stop.
int RenderDisplayFrames(RenderJobContext& job, AviWriter& writer, DibPicture& picture, const std::string& path) {
  job.ShowRenderProgress(job.job.startMs, nullptr);
  job.ui.SetStatus("Processing Video...");
  job.tracks->CloseTrackSources();
  for (std::int64_t k = 0; k < job.frameCount; ++k) {
    const std::int32_t t = job.FrameTime(k);
    job.ShowTimeCode(t);
    RenderFrameArgs args = job.FrameArgs(t, picture.data(), kSmallOutputWidth, kSmallOutputHeight, kRenderModeReuse);
    args.pump = [&job] { return job.PumpStopped() ? 1 : 0; };
    args.outFile = path;
    args.reuse = &job.displayList.back();
    std::int32_t result = kFrameRendered;
    const int status = job.Render(args, &result);
    if (status == kRenderStopped || job.stopped) break;
    if (status != kRenderDone) {
      ShowStopMessage(kLowMemoryText);
      writer.Discard();
      return kRenderJobFailed;
    }
    ++job.rendersDone;
    job.ui.ShowPicture(picture.data());
    if (result == kFrameRendered) {
      const bool key = TheRenderState().outputKeyFrame;
      TheRenderState().outputKeyFrame = false;
      if (!writer.WriteFrame(picture.handle(), key)) {
        ShowStopMessage(kWriteFramesText);
        return kRenderJobFailed;
      }
      ++job.framesWritten;
    }
    SequenceReuse next;
    next.pictureNumber = static_cast<std::int32_t>(k);
    job.displayList.push_back(std::move(next));
    job.ui.ShowFrameCount(k + 1, job.frameCount);
    job.ShowRenderProgress(t, nullptr);
    if (job.PumpStopped()) break;
  }
  if (job.stopped) {
    // Stopped while rendering: the scratch movie goes.
    job.ui.ClearPicture();
    writer.Discard();
    return kRenderJobFailed;
  }
  job.ShowRenderProgress(job.job.endMs, nullptr);
  if (!writer.Finish()) {
    ShowStopMessage(kWriteFramesText);
    return kRenderJobFailed;
  }
  job.tracks->CloseTrackSources();
  return kRenderDone;
}

// Plays the records until the user stops: kRenderJobDone, or
// kRenderJobFailed after a failure message.
int PlayDisplayList(RenderJobContext& job) {
  PlaybackSource source;
  if (job.displayList.size() < 2) return job.CompleteJob();
  for (;;) {
    // Every record but the empty last one stands for a frame.
    for (std::size_t index = 0; index + 1 < job.displayList.size(); ++index) {
      if (job.PumpStopped()) {
        job.stopped = false;  // the user ends the playback: the preview is complete
        return job.CompleteJob();
      }
      const SequenceReuse& record = job.displayList[index];
      bool ok = true;
      if (record.newPicture == 0) {
        if (source.IsOpen()) ok = source.Draw(job.ui, record.pictureNumber);
      } else if (!record.name) {
        job.ui.ClearPicture();
      } else {
        ok = source.Open(*record.name) && source.Draw(job.ui, record.pictureNumber);
      }
      if (!ok) return kRenderJobFailed;
      job.ShowTimeCode(job.FrameTime(static_cast<std::int64_t>(index)));
      job.ui.Wait(kPlaybackStepMs);
    }
  }
}

}  // namespace

int WriteDisplayOnlyOutput(RenderJobContext& job) {
  const std::string path = job.scratch.PathOf(kDisplayOnlyName);
  if (!IsVideoCompressorAvailable(MakeFourCC("MSVC"))) {
    ShowStopMessage("Error open compressor!");
    return kRenderJobFailed;
  }
  AviWriter writer;
  if (!writer.Open(path, DisplayOnlyFormat(), std::nullopt)) {
    ShowStopMessage("Error create AVI file! Make sure the drive you select is accessible.");
    return kRenderJobFailed;
  }
  DibPicture picture = DibPicture::Black24(kSmallOutputWidth, kSmallOutputHeight);
  if (!picture) {
    ShowStopMessage(kNotEnoughMemoryText);
    return kRenderJobFailed;
  }
  if (RenderDisplayFrames(job, writer, picture, path) != kRenderDone) return kRenderJobFailed;
  return PlayDisplayList(job);
}

}  // namespace sprocket
