#pragma once
// The values of the Preferences dialog: the "Movie" and "Preview" output
// records and the compressor field order table "AVI Field Info".
//
// They are loaded from the application's state and the settings file,
// checked as Make Movie checks the formats it is asked for, and on OK
// stored in both and applied to the open timelines (their AVI clips' field
// orders).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/application_state.h"
#include "platform/settings/movie_settings.h"
#include "platform/settings/profile.h"
#include "platform/settings/settings_keys.h"

namespace sprocket {

// The lowest frame rate the preferences take, in frames per second: a
// lower one makes movies of a single frame.
inline constexpr float kMinPreferredFramesPerSecond = 1.0f;

struct OutputPreferences {
  MovieSettings movie = MovieSettings::Defaults(MovieSettingsKind::kMovie);
  MovieSettings preview = MovieSettings::Defaults(MovieSettingsKind::kPreview);
  // ENTRY0..ENTRY19: "FOURCC(d)" (a compressor code and its field order
  // digit), or empty.
  std::array<std::string, settings::kAviFieldInfoEntries> fieldOrders;

  MovieSettings& Record(MovieSettingsKind kind) { return kind == MovieSettingsKind::kPreview ? preview : movie; }
  const MovieSettings& Record(MovieSettingsKind kind) const {
    return kind == MovieSettingsKind::kPreview ? preview : movie;
  }
  bool operator==(const OutputPreferences&) const = default;
};

// The records as the application holds them and the table as the settings
// file holds it.
OutputPreferences LoadOutputPreferences(const ApplicationState& app, const Profile& profile);

// What keeps the values from being stored, one message each; empty when
// nothing does. Per record: the AVI movie, the image sequence and the
// animation it would make, refused as Make Movie refuses them
// (OutputSettingsProblem); a frame rate below kMinPreferredFramesPerSecond;
// a compressor this build cannot write. Per table entry: a value that is not
// four characters, "(", a digit and ")".
std::vector<std::string> OutputPreferencesProblems(const OutputPreferences& values);

// Whether a field order entry has the form "FOURCC(d)" (or is empty).
bool IsFieldOrderEntry(const std::string& value);

// Stores both records and the table in the settings file and the records in
// the application's state. False when the settings file could not be
// written; the application's state takes the values all the same.
bool StoreOutputPreferences(const OutputPreferences& values, ApplicationState& app, Profile& profile);

// The rate of a new timeline in hundredths of a frame per second: the movie
// record's, kept within 1 and 120 frames a second; 2997 when the record's
// rate is 0 or below.
std::int32_t NewTimelineRate(const MovieSettings& movie);

}  // namespace sprocket
