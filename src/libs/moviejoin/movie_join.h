#pragma once
// The movie join library: writes an AVI movie from a job block (see
// movie_join_block.h).
//
// Render mode (a frame callback is given): frame k of the movie shows the
// time startMs + (int)(k / fps x 1000); the callback renders it into the
// picture the library hands over, or hands back a compressed sample to copy
// unchanged, or (when the library asks for them) a decoded movie frame,
// which the library scales into the movie itself. The pictures are
// compressed with the compressor the block's FOURCC names, and the mixed
// sound file is interleaved as PCM.
//
// Copy mode (no frame callback): the frames of the first piece list are
// copied into the movie. The pieces' frames are also what a render-mode job
// with a first piece list is made of (its frame count is theirs); there the
// frames of a piece whose file cannot be read are rendered at their times.
// A piece's compressed samples are copied as they are when its codec, size
// and depth match the movie's; other pieces are decoded and compressed
// again. Frames past the end of a piece's file repeat its last frame.
//
// Field modes 1 and 2 mark the stream's field order (top or bottom field
// first); each frame is rendered whole. 8-bit movies of a compressor that
// takes palette pictures (uncompressed, "ZMBV") use one fixed palette for
// every palette kind; other compressors get 24-bit pictures. The second
// piece list, the record-in time code and the title are not used.
//
// The movie is written beside the output path under a temporary name and
// renamed over it only when complete (or stopped with frames written), so a
// failed job leaves neither a partial movie nor a damaged earlier file.
//
// Result: 0 the whole movie was written; k > 0 the job stopped (the pump
// asked, or the frame callback failed) after k frames, and the movie of
// those k frames is kept; -1 the job failed or stopped before its first
// frame, and nothing was written.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/global_memory.h"
#include "platform/media/video_frame_reader.h"

namespace sprocket {

// Render modes handed to the frame callback.
inline constexpr std::int32_t kJoinRenderPassThrough = 1;  // a compressed sample may be handed back
inline constexpr std::int32_t kJoinRenderPlain = 3;        // a picture must be rendered

// Results a frame callback stores in MovieJoinFrame::result.
inline constexpr std::int32_t kJoinFramePicture = 0;  // the picture was rendered
inline constexpr std::int32_t kJoinFrameSample = 1;   // `rawSample` holds the sample to copy (or is empty)
inline constexpr std::int32_t kJoinFrameDecoded = 2;  // `decoded` holds the decoded movie frame to compress

// One call of the frame callback.
struct MovieJoinFrame {
  // What to render.
  std::int32_t index = 0;  // the movie's frame number (the frame argument)
  double timeMs = 0.0;     // the frame's time
  double endTimeMs = 0.0;  // the time at which effects take their end values
  HGLOBAL pictureBlock = nullptr;
  std::uint8_t* picture = nullptr;  // the locked block: a black 24-bit packed DIB of width x height
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t fieldMode = 0;
  std::int32_t field = 0;  // which field of the frame (0 for whole frames)
  std::int32_t renderMode = kJoinRenderPlain;
  std::int32_t doubleSize = 0;
  // A decoded movie frame may be handed back for the frame (kJoinFrameDecoded).
  bool takesDecoded = false;

  // What the callback answers.
  std::int32_t result = kJoinFramePicture;
  // kJoinFrameSample: one block holding the source stream's format (a
  // bitmap header whose biSizeImage is the sample's size, then any codec
  // bytes) followed by the sample.
  GlobalBlock rawSample;
  DecodedVideoFrame decoded;
  // kJoinFrameDecoded: a packed DIB of the frame (of any size) for the
  // progress callback to show, or empty.
  GlobalBlock shownPicture;
  // The frame must be a key frame of the movie (a copied sample starts a
  // chain, or the renderer asks for one).
  bool keyFrame = false;
};

// A callback's answer that stops the job and keeps nothing: the movie is
// not made and a file of its name stays as it was (the process is ending).
inline constexpr int kJoinStopDiscarding = 2;

// 0 when the frame was answered; any other value stops the job (see
// kJoinStopDiscarding).
using MovieJoinFrameCallback = std::function<int(MovieJoinFrame& frame)>;
// Progress after each frame: its time and its picture (null for copied frames).
using MovieJoinProgressCallback = std::function<void(double timeMs, const std::uint8_t* picture)>;
// Lets the user stop: nonzero stops the job (see kJoinStopDiscarding).
using MovieJoinPumpCallback = std::function<int()>;

enum class MovieJoinFailure {
  kNone,
  kBadJob,      // the block cannot be used
  kCreateFile,  // the movie file cannot be created
  kCompressor,  // no compressor for the FOURCC, or it refuses the format
  kSound,       // the mixed sound file cannot be read
  kSource,      // a piece's file cannot be read
  kWrite,       // a write failed (a full disk)
  kFrame,       // the frame callback failed
};

// What happened, for the caller's message and log.
struct MovieJoinOutcome {
  MovieJoinFailure failure = MovieJoinFailure::kNone;
  bool stopped = false;  // the pump or the frame callback ended the job early
  std::int64_t framesWritten = 0;
  std::string message;  // the text to show the user; empty when complete
  std::string detail;   // what went wrong, for the log
};

// Ordinal 2. `frameCallback`, `progressCallback` and `pumpCallback` may be
// empty (copy jobs pass none). `outcome` may be null.
int WriteMovieFile(HGLOBAL job, const MovieJoinFrameCallback& frameCallback,
                   const MovieJoinProgressCallback& progressCallback, const MovieJoinPumpCallback& pumpCallback,
                   MovieJoinOutcome* outcome = nullptr);

}  // namespace sprocket
