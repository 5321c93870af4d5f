// The WAV output of the render job.

#include "platform/message_pump.h"
#include "render/audio/audio_mixdown.h"
#include "render/audio/wav_file.h"
#include "render/output/render_outputs.h"

namespace sprocket {

bool StartWaveFile(WaveOutputFile& wave, const std::string& path) {
  if (!path.empty() && wave.WriteWaveHeader(0, 0, 0, 0, 0, path) == 1) return true;
  const bool writeFailed = wave.ErrorText().rfind("Cannot write", 0) == 0;
  ShowStopMessage(writeFailed ? kWriteFramesText : kCreateWaveText);
  return false;
}

int WriteWavOutput(RenderJobContext& job) {
  job.pictureArea = PictureAreaMode::kAudio;
  if (!OutputExtensionIs(job.job.outputPath, ".wav")) {
    ShowStopMessage(kFormatNotSupportedText);
    return kRenderJobFailed;
  }
  WaveOutputFile wave;
  if (!StartWaveFile(wave, job.job.outputPath)) return kRenderJobFailed;
  const int mixed =
      MixdownAudio(&job, &wave, nullptr, job.head, job.format.audioBits, job.format.audioChannels, job.format.audioRate,
                   static_cast<int>(kSmallOutputRate), 1, job.job.startMs, job.job.endMs);
  job.ui.SetWaitCursor(false);
  if (mixed == kMixdownFailed) return kRenderJobFailed;
  // A stopped mixdown leaves a finished file of the sound mixed so far; a
  // terminated one leaves none.
  if (mixed == kMixdownStopped) {
    job.stopped = true;
    if (IsTerminationRequested()) return kRenderJobFailed;
  }
  return job.CompleteJob();
}

}  // namespace sprocket
