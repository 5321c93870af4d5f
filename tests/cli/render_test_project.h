#pragma once
// A small project for the end-to-end render tests: a settings folder with
// RODUVER.INI, a one-second clip of numbered pictures, a tone, and a
// timeline file that plays them; and the compositor's own pictures of that
// timeline to compare the outputs with.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace sprocket::testing {

inline constexpr int kClipWidth = 64;
inline constexpr int kClipHeight = 48;
inline constexpr int kToneRate = 22050;

// Picture k of the clip: every pixel (x, y in memory order) is blue 4k,
// green 3x, red 4y.
std::uint8_t ClipBlue(int k);

class RenderTestProject {
public:
  // Writes the media, the timeline and settings with `settingsText` (INI
  // lines added to section "Movie"), and points the process at the folder.
  explicit RenderTestProject(const std::string& settingsText);
  ~RenderTestProject();

  std::string Path(const std::string& name) const { return (dir_.path() / name).string(); }
  std::string Timeline() const { return Path("project.tle"); }
  std::string ConfigDir() const { return Path("config"); }
  // Writes the timeline again with these render segments (a JSON list).
  void WriteTimelineWithSegments(const std::string& segmentsJson);

  // The compositor's picture of the timeline at `ms` (plain mode, W x H):
  // top-down rows of blue, green, red bytes, `width` x 3 bytes each.
  std::vector<std::uint8_t> ComposedFrame(double ms, int width, int height) const;

private:
  TempDir dir_;
};

// Everything written to a file stream (a tmpfile standing in for stderr).
std::string StreamText(std::FILE* file);

// A stream's entries as ffprobe shows them ("codec_name=mjpeg|width=64|...");
// empty without ffprobe.
std::string ProbeStream(const std::string& path, const std::string& selector, const std::string& entries);

}  // namespace sprocket::testing
