#pragma once
// The application object's state that the editing, rendering and playback
// code reads and writes. It lives for the whole process; the editor's window
// objects hold the rest.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/settings/movie_settings.h"

namespace sprocket {

class Profile;

struct ApplicationState {
  MovieSettings preview = MovieSettings::Defaults(MovieSettingsKind::kPreview);
  MovieSettings movie = MovieSettings::Defaults(MovieSettingsKind::kMovie);

  // Nonzero while a segment, or a movie without rendered segments, renders:
  // the render window's captions and messages change.
  std::int32_t segmentRenderFlag = 0;
  // Folder + file prefix of an image-sequence output, set by Make Movie.
  std::string imageSequenceBasePath;
  // Set at start-up when the effects board answered; its library when loaded.
  std::int32_t effectsBoardPresent = 0;
  void* effectBoardModule = nullptr;
  // The four range times saved while times are snapped to the board's rate.
  std::unique_ptr<std::array<std::int32_t, 4>> savedRanges;
  // The audio mixdown cross-fades overlapping clips automatically.
  std::int32_t autoCrossFade = 1;
  // Volume envelopes of video clips on tracks 1 and 3 ramp across transitions.
  std::int32_t centreLineRamp = 0;
  // 0: the compressed sample copy serves the frame after the last one copied
  // rather than the frame asked for.
  std::int32_t exactFrame = 0;
  // Diagnostics switch of the effect libraries (9999, -9999, -1 or 0); every
  // render job resets it to 0. Kept apart from the saved audio settings.
  std::int32_t logSwitch = 0;

  const MovieSettings& Settings(bool previewFlag) const { return previewFlag ? preview : movie; }
  MovieSettings& Settings(bool previewFlag) { return previewFlag ? preview : movie; }
};

// The process's application state.
ApplicationState& TheApp();

// Reads both output settings records from the profile into the state.
void LoadApplicationSettings(ApplicationState& app, const Profile& profile);
// Stores both records. False when the settings file cannot be written.
bool StoreApplicationSettings(const ApplicationState& app, Profile& profile);

}  // namespace sprocket
