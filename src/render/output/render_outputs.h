#pragma once
// The outputs of the render job. Each runs with the job set up (format,
// frame count, sources) and answers the job's result code; what it holds is
// released when it returns.

#include "render/output/render_job_context.h"

namespace sprocket {

class WaveOutputFile;

// The AVI movie: the sound mixed into the scratch "recorder.wav", then the
// movie written by the movie join library, which calls back for each frame.
int WriteAviOutput(RenderJobContext& job);

// The display-only preview: "recorder.avi" at 160 x 120 and 5 frames a
// second, then played in the picture area until the user stops.
int WriteDisplayOnlyOutput(RenderJobContext& job);

// The FLC animation with one palette made from sample frames of the range.
int WriteFlcOutput(RenderJobContext& job);

// Numbered still images, whole frames or fields.
int WriteImageSequenceOutput(RenderJobContext& job);

// The WAV file of the range's sound.
int WriteWavOutput(RenderJobContext& job);

// Starts a WAV file of `path` (a WAV movie, or the scratch file of a
// movie's sound). False after the message: the drive is blamed when the
// file cannot be created, the disk when its first bytes cannot be written.
bool StartWaveFile(WaveOutputFile& wave, const std::string& path);

}  // namespace sprocket
