#pragma once
// Make Movie: turns the timeline of a document into a finished file.
//
//   MovieCompiler compiler(doc, services);
//   int result = compiler.MakeMovie(0, MovieOutputType::kAvi);
//
// It asks for the output file, checks the name and the free space, prepares
// the effect data, renders the segments that are not yet rendered into
// temporary AVI files when rendered segments are in use (the single-user
// platform family, or the board's own format), runs the render job, records
// an AVI movie in the settings section "Last Make Movie" and plays the
// result.

#include <cstdint>
#include <string>

#include "render/movie/movie_render_services.h"
#include "render/movie/segment_renderer.h"
#include "render/output/board_native_format.h"

namespace sprocket {

enum class MovieOutputType : int {
  kAvi = 0,
  kFlc = 1,
  kImageSequence = 2,
  kWav = 3,
};

// The texts Make Movie shows (the others come from the string table).
inline constexpr const char* kDriveSpaceQuestion = "The drive may not have enough space, do you want to continue ?";
inline constexpr const char* kMissingPieceQuestion = "%s%c%s doesn't exist, do you want to continue ?";

// Why the movie (or preview) range cannot be made: it holds no frame at the
// timeline's rate. Empty when it holds one or more.
std::string EmptyRangeProblem(const CTestDoc& doc, bool preview);

class MovieCompiler {
public:
  MovieCompiler(CTestDoc& doc, MovieRenderServices services);

  // 0 when the job ran (or the user declined to go on without a missing
  // rendered piece), -1 when a dialog was cancelled or a check failed.
  int MakeMovie(int previewFlag, MovieOutputType outputType);

  // The render job's result of the last Make Movie (0 when none ran) and
  // the output path it used.
  int LastJobResult() const { return lastJobResult_; }
  // Whether the user stopped the last render job.
  bool LastJobStopped() const { return lastJobStopped_; }
  const std::string& LastOutputPath() const { return lastOutputPath_; }

  SegmentRenderer& Segments() { return segments_; }
  ResolvedMovieServices& Services() { return services_; }

private:
  std::optional<std::string> ChooseOutput(bool preview, MovieOutputType type);
  bool CheckOutputName(const std::string& path);
  bool CheckFreeSpace(bool preview, MovieOutputType type, const std::string& path, bool native);
  int RunJob(const RenderJob& job);
  // The movie made of rendered segments: whether that road was taken,
  // whether the job ran, and the job's result (or, when it did not run,
  // Make Movie's answer).
  struct SegmentRoad {
    bool taken = false;
    bool ran = false;
    int value = 0;
  };
  SegmentRoad RenderWithSegments(bool preview, const std::string& path, std::int32_t t1, std::int32_t t2, bool native,
                                 BoardRateSnap& snap);
  void RecordLastMovie(bool preview, const std::string& path);
  void PlayResult(bool preview, MovieOutputType type, const std::string& path);

  CTestDoc& doc_;
  ResolvedMovieServices services_;
  SegmentRenderer segments_;
  int lastJobResult_ = 0;
  bool lastJobStopped_ = false;
  std::string lastOutputPath_;
};

}  // namespace sprocket
