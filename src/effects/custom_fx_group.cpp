#include "effects/custom_fx_group.h"

#include <nlohmann/json.hpp>

#include "libs/effectcatalog/effect_catalog.h"
#include "platform/files/atomic_file.h"
#include "timeline/tlefile/filter_list_json.h"
#include "timeline/tlefile/json_cursor.h"
#include "timeline/tlefile/json_text.h"

namespace sprocket {

namespace {

// Filters nest parameters and tables a few levels deep; nothing more.
constexpr JsonTextLimits kGroupTextLimits{16, 1000000, "a transition group"};

std::string CheckEntry(const FilterList& entry, std::size_t index) {
  const std::string where = "transition " + std::to_string(index + 1);
  if (entry.empty()) return where + " has no filters";
  const EffectDescriptor* transition = FindTransition(entry.front().id);
  if (transition == nullptr)
    return where + " has the id " + std::to_string(entry.front().id) + ", which is not a transition";
  return {};
}

}  // namespace

std::int32_t EntryTransitionId(const FilterList& entry) { return entry.empty() ? 0 : entry.front().id; }

std::string CheckCustomFxGroup(const CustomFxGroup& group) {
  if (group.title.empty()) return "the group has no title";
  if (group.title.size() > kMaxCustomFxTitle) {
    return "the title is longer than " + std::to_string(kMaxCustomFxTitle) + " characters";
  }
  if (group.transitions.empty()) return "the group holds no transition";
  if (group.transitions.size() > kMaxCustomFxEntries) {
    return "the group holds more than " + std::to_string(kMaxCustomFxEntries) + " transitions";
  }
  for (std::size_t i = 0; i < group.transitions.size(); ++i) {
    std::string problem = CheckEntry(group.transitions[i], i);
    if (!problem.empty()) return problem;
  }
  return {};
}

std::string FormatCustomFxGroup(const CustomFxGroup& group) {
  nlohmann::ordered_json root;
  root["format"] = kCustomFxFormat;
  root["version"] = kCustomFxVersion;
  root["title"] = group.title;
  nlohmann::ordered_json entries = nlohmann::ordered_json::array();
  for (const FilterList& entry : group.transitions) entries.push_back(FilterListToJson(entry));
  root["transitions"] = std::move(entries);
  return root.dump(1) + "\n";
}

namespace {

CustomFxGroup CustomFxGroupFromJson(const JsonCursor& root) {
  std::optional<JsonCursor> format = root.Value().is_object() ? root.OptionalField("format") : std::nullopt;
  if (!format || !format->Value().is_string() || format->Value().get_ref<const std::string&>() != kCustomFxFormat) {
    throw JsonFormatError("the file is not a custom transition group (its \"format\" is not \"" +
                          std::string(kCustomFxFormat) + "\")");
  }
  if (root.Field("version").Int(1, 1000) > kCustomFxVersion) {
    throw JsonFormatError("the file was written by a newer version of the editor");
  }
  CustomFxGroup read;
  read.title = root.Field("title").Text(kMaxCustomFxTitle);
  for (const JsonCursor& entry : root.Field("transitions").Items(kMaxCustomFxEntries)) {
    read.transitions.push_back(FilterListFromJson(entry));
  }
  std::string problem = CheckCustomFxGroup(read);
  if (!problem.empty()) throw JsonFormatError(problem);
  return read;
}

}  // namespace

bool ParseCustomFxGroup(std::string_view text, CustomFxGroup& group, std::string* error) {
  CustomFxGroup read;
  std::string problem;
  const bool ok = CatchJsonErrors(
      [&] {
        const nlohmann::json document = ParseJsonText(text, kGroupTextLimits);
        read = CustomFxGroupFromJson(JsonCursor(document, ""));
      },
      &problem);
  if (!ok) {
    if (error != nullptr) *error = std::move(problem);
    return false;
  }
  group = std::move(read);
  return true;
}

bool WriteCustomFxGroup(const std::filesystem::path& path, const CustomFxGroup& group, std::string* error) {
  std::string problem = CheckCustomFxGroup(group);
  if (!problem.empty()) {
    if (error != nullptr) *error = std::move(problem);
    return false;
  }
  std::string text;
  try {
    text = FormatCustomFxGroup(group);
  } catch (const nlohmann::json::type_error&) {
    if (error != nullptr) *error = "the group holds a text (a title or a script) that is not valid UTF-8";
    return false;
  }
  return WriteFileAtomically(path, text, error);
}

bool ReadCustomFxGroup(const std::filesystem::path& path, CustomFxGroup& group, std::string* error) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec && size > kMaxCustomFxFileBytes) {
    if (error != nullptr) *error = path.string() + ": the file is too large to be a custom transition group";
    return false;
  }
  const std::optional<std::string> text = ReadWholeFile(path);
  if (!text) {
    if (error != nullptr) *error = path.string() + ": the file cannot be read";
    return false;
  }
  std::string problem;
  if (!ParseCustomFxGroup(*text, group, &problem)) {
    if (error != nullptr) *error = path.string() + ": " + problem;
    return false;
  }
  return true;
}

}  // namespace sprocket
