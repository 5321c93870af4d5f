#pragma once
// The render job's AVI movies written by the movie join library. Programs
// that include this link the library (sprocket_moviejoin).

#include "libs/moviejoin/movie_join.h"
#include "libs/moviejoin/movie_join_block.h"
#include "render/output/render_job.h"

namespace sprocket {

// Packs the job into its block and hands it to the library's ordinal 2.
inline MovieJoinRunner LibraryMovieJoin() {
  return [](const MovieJoinJob& job, const MovieJoinFrameCallback& frameCallback,
            const MovieJoinProgressCallback& progressCallback, const MovieJoinPumpCallback& pumpCallback,
            MovieJoinOutcome* outcome) {
    GlobalBlock block = PackMovieJoinJob(job);
    if (!block) {
      if (outcome != nullptr) {
        outcome->failure = MovieJoinFailure::kBadJob;
        outcome->message = "Not enough memory!";
      }
      return -1;
    }
    return WriteMovieFile(block.get(), frameCallback, progressCallback, pumpCallback, outcome);
  };
}

}  // namespace sprocket
