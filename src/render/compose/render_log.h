#pragma once
// The render log "riziv.log" in the log folder: a plain text file that
// records what happens while frames are rendered and movies compiled.
// Nothing reads it back.
//
// An entry is identified by a code = topic x 10 + level. Each entry is
// appended as two lines:
//
//   "\n" HH:MM:SS ",\t" "Free Memory: %lu Byte" ",\t" MM/DD/YY ",\t" "\n"
//   (code % 9 - 1 tabs when code % 9 > 1) "<<" source ":" code ">>\t" text "\n"

#include <filesystem>

namespace sprocket {

inline constexpr const char* kRenderLogFileName = "riziv.log";
inline constexpr int kRenderLogHighestTopic = 10000;
inline constexpr int kRenderLogHighestLevel = 9;

// The path of the render log.
std::filesystem::path RenderLogPath();

// Appends one entry. Answers 1 when it was written, 0 when the code's topic
// or level is out of range, or when the file did not exist: then it is
// created empty and the entry is not written. `source` may be null.
int WriteRenderLog(const char* text, int code, const char* source);

}  // namespace sprocket
