// The settings file: the profile reads of the application's settings, then
// the output format every kind of render would take from them.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "platform/application_state.h"
#include "platform/settings/profile.h"
#include "render/output/render_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sprocket;
  static const fuzz::ScratchFile file(".ini");
  if (!file.Write({data, size})) return 0;
  const Profile profile(file.Path());
  ApplicationState app;
  LoadApplicationSettings(app, profile);
  for (bool preview : {false, true}) {
    for (OutputKind kind : {OutputKind::kWav, OutputKind::kAvi, OutputKind::kDisplayOnly, OutputKind::kImageSequence,
                            OutputKind::kFlic}) {
      const RenderFormat format = SelectRenderFormat(app.Settings(preview), kind, preview);
      RenderFormatProblem(format, kind);
    }
  }
  return 0;
}
