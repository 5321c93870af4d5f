#include "platform/settings/startup_settings.h"

#include <string>

#include "platform/settings/profile.h"
#include "platform/settings/settings_keys.h"

namespace sprocket {

bool SeedStartupSettings(Profile& profile) {
  static constexpr const char* kDefaults[] = {"DUDC(1)", "CFCC(2)", "TVMJ(2)", "TVJP(2)"};
  bool ok = true;
  for (int i = 0; i < 4; ++i) {
    std::string key = std::string(settings::kAviFieldInfoEntryPrefix) + std::to_string(i);
    if (profile.GetProfileString(settings::kAviFieldInfo, key).empty()) {
      ok = profile.WriteProfileString(settings::kAviFieldInfo, key, kDefaults[i]) && ok;
    }
  }
  return ok;
}

}  // namespace sprocket
