#include "platform/application_state.h"

#include "platform/settings/profile.h"

namespace sprocket {

void LoadApplicationSettings(ApplicationState& app, const Profile& profile) {
  app.movie = LoadMovieSettings(profile, MovieSettingsKind::kMovie);
  app.preview = LoadMovieSettings(profile, MovieSettingsKind::kPreview);
}

bool StoreApplicationSettings(const ApplicationState& app, Profile& profile) {
  bool movieStored = StoreMovieSettings(profile, MovieSettingsKind::kMovie, app.movie);
  bool previewStored = StoreMovieSettings(profile, MovieSettingsKind::kPreview, app.preview);
  return movieStored && previewStored;
}

}  // namespace sprocket
