#include "render/movie/movie_render_services.h"

#include "platform/file_paths.h"
#include "platform/settings/settings_keys.h"
#include "platform/settings_store.h"
#include "render/compose/library_render_effects.h"
#include "render/movie/pass_through_marks.h"
#include "render/output/board_native_format.h"
#include "render/output/job_frame_renderer.h"
#include "render/output/movie_join_binding.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket {

MovieRenderServices LibraryMovieRenderServices() {
  MovieRenderServices services;
  services.job.renderFrame = CompositorFrameRenderer();
  services.job.renderFrameBuffered = BufferedFrameRenderer();
  services.job.joinMovie = LibraryMovieJoin();
  services.turboTest = LibraryRenderEffects().TurboTest();
  return services;
}

MovieViewOperations::MovieViewOperations(CTestDoc& doc, ApplicationState& app, Profile& profile)
    : doc_(doc), app_(app), profile_(profile) {
  incCompDisable = profile.GetProfileInt(settings::kIncComp, settings::kIncCompDisable, 0);
}

bool MovieViewOperations::IsBoardNativeFormat(bool either, bool preview) {
  return sprocket::IsBoardNativeFormat(GetPlatformFamily(profile_), app_, either, preview);
}

void MovieViewOperations::MarkPassThroughClips(bool preview) {
  const MovieSettings& output = app_.Settings(preview);
  sprocket::MarkPassThroughClips(doc_.Head(), output, !preview && output.Vb2xAA != 0);
}

void MovieViewOperations::ClearNativeClipFlags(TLEvent* head) { sprocket::ClearNativeClipFlags(head); }

bool MovieViewOperations::SaveDocument() { return !doc_.pathName.empty() && SaveTimelineDocument(doc_, doc_.pathName); }

std::optional<AviSaveAnswer> FixedMovieOutput::SaveAviFile(const AviSaveRequest& request) {
  return AviSaveAnswer{path_, request.movieTitle, request.recordInMs};
}

std::optional<FolderPrefixAnswer> FixedMovieOutput::PickFolderAndPrefix() {
  const std::string_view name = FileNamePart(path_);
  return FolderPrefixAnswer{path_.substr(0, path_.size() - name.size()), std::string(name)};
}

ResolvedMovieServices::ResolvedMovieServices(MovieRenderServices services) : services_(std::move(services)) {
  if (services_.board == nullptr) services_.board = &noBoard_;
  if (services_.profile == nullptr) services_.profile = &AppProfile();
  if (services_.app == nullptr) services_.app = &TheApp();
  services_.job.view = services_.view;
  family_ = GetPlatformFamily(*services_.profile);
}

int ResolvedMovieServices::RunInWindow(const RenderWindowJob& job) {
  return services_.window ? services_.window(job) : job(*services_.ui);
}

}  // namespace sprocket
