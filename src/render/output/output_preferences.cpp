#include "render/output/output_preferences.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "platform/media/codec_table.h"
#include "platform/media/fourcc.h"
#include "render/output/board_native_format.h"
#include "render/output/render_format.h"

namespace sprocket {

namespace {

constexpr std::int32_t kDefaultTimelineRate = 2997;
constexpr std::int32_t kLowestTimelineRate = 100;
constexpr std::int32_t kHighestTimelineRate = 12000;

struct NamedOutput {
  OutputKind kind;
  const char* name;
};
constexpr NamedOutput kRecordOutputs[] = {
    {OutputKind::kAvi, "AVI movie"},
    {OutputKind::kImageSequence, "image sequence"},
    {OutputKind::kFlic, "animation (FLI/FLC)"},
};

std::string FieldOrderKey(int entry) { return std::string(settings::kAviFieldInfoEntryPrefix) + std::to_string(entry); }

const char* RecordName(MovieSettingsKind kind) { return kind == MovieSettingsKind::kPreview ? "Preview" : "Movie"; }

void AddRecordProblems(const MovieSettings& record, MovieSettingsKind kind, std::vector<std::string>& problems) {
  const bool preview = kind == MovieSettingsKind::kPreview;
  const std::string prefix = std::string(RecordName(kind)) + ", ";
  if (!(record.VFramesPerSec >= kMinPreferredFramesPerSecond)) {
    problems.push_back(prefix + "frame rate: at least 1 frame per second is needed.");
  }
  for (const NamedOutput& output : kRecordOutputs) {
    const std::string problem = OutputSettingsProblem(record, output.kind, preview);
    if (!problem.empty()) problems.push_back(prefix + output.name + ": " + problem);
  }
  if (!IsVideoCompressorAvailable(MakeFourCC(record.VCompressionType))) {
    problems.push_back(prefix + "compressor: \"" + record.VCompressionType +
                       "\" cannot be written by this program; choose another.");
  }
}

}  // namespace

OutputPreferences LoadOutputPreferences(const ApplicationState& app, const Profile& profile) {
  OutputPreferences values;
  values.movie = app.movie;
  values.preview = app.preview;
  for (int entry = 0; entry < settings::kAviFieldInfoEntries; ++entry) {
    values.fieldOrders[static_cast<std::size_t>(entry)] =
        profile.GetProfileString(settings::kAviFieldInfo, FieldOrderKey(entry));
  }
  return values;
}

bool IsFieldOrderEntry(const std::string& value) {
  if (value.empty()) return true;
  return value.size() == 7 && value[4] == '(' && std::isdigit(static_cast<unsigned char>(value[5])) != 0 &&
         value[6] == ')';
}

std::vector<std::string> OutputPreferencesProblems(const OutputPreferences& values) {
  std::vector<std::string> problems;
  for (MovieSettingsKind kind : {MovieSettingsKind::kMovie, MovieSettingsKind::kPreview}) {
    AddRecordProblems(values.Record(kind), kind, problems);
  }
  for (int entry = 0; entry < settings::kAviFieldInfoEntries; ++entry) {
    const std::string& value = values.fieldOrders[static_cast<std::size_t>(entry)];
    if (!IsFieldOrderEntry(value)) {
      problems.push_back("AVI Field Info, " + FieldOrderKey(entry) + ": \"" + value +
                         "\" is not a compressor code with its field order, such as CFCC(2).");
    }
  }
  return problems;
}

bool StoreOutputPreferences(const OutputPreferences& values, ApplicationState& app, Profile& profile) {
  app.movie = values.movie;
  app.preview = values.preview;
  const bool records = StoreApplicationSettings(app, profile);
  std::vector<std::pair<std::string, std::string>> entries;
  for (int entry = 0; entry < settings::kAviFieldInfoEntries; ++entry) {
    entries.emplace_back(FieldOrderKey(entry), values.fieldOrders[static_cast<std::size_t>(entry)]);
  }
  const bool table = profile.WriteProfileStrings(settings::kAviFieldInfo, entries);
  return records && table;
}

std::int32_t NewTimelineRate(const MovieSettings& movie) {
  if (!(movie.VFramesPerSec > 0.0f)) return kDefaultTimelineRate;
  return std::clamp(RecordRateHundredths(movie), kLowestTimelineRate, kHighestTimelineRate);
}

}  // namespace sprocket
