#pragma once
// Custom transition groups: a titled list of transitions kept in a ".fxc"
// file.
//
// Each entry of a group is the filter list a transition clip carries: its
// first filter is the transition (an id of the transition catalogue), any
// further filters are what that transition runs with (the transitions of an
// effect sequence). The file is JSON:
//
//   { "format": "sprocket-fxc", "version": 1, "title": "Wipes",
//     "transitions": [ [filter...], ... ] }
//
// with filters as timeline files write them (filter_list_json.h).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "timeline/records/filter_list.h"

namespace sprocket {

inline constexpr std::string_view kCustomFxFormat = "sprocket-fxc";
inline constexpr int kCustomFxVersion = 1;
inline constexpr std::string_view kCustomFxExtension = ".fxc";
inline constexpr std::size_t kMaxCustomFxTitle = 79;
inline constexpr std::size_t kMaxCustomFxEntries = 100;
inline constexpr std::size_t kMaxCustomFxFileBytes = 16u << 20;

struct CustomFxGroup {
  std::string title;
  std::vector<FilterList> transitions;
};

// The transition id of an entry (its first filter's id), 0 when empty.
std::int32_t EntryTransitionId(const FilterList& entry);

// Why a group cannot be written, or empty when it can: a title that is empty
// or too long, no entries, too many, or an entry whose first filter is not a
// transition of the catalogue.
std::string CheckCustomFxGroup(const CustomFxGroup& group);

// The file's text; throws the JSON library's type_error for a text that is
// not UTF-8 (WriteCustomFxGroup reports it).
std::string FormatCustomFxGroup(const CustomFxGroup& group);
// Reads a group from a file's text; false with a sentence in `error` when
// the text is not a valid group.
bool ParseCustomFxGroup(std::string_view text, CustomFxGroup& group, std::string* error);

// Writes the file atomically; false with the reason in `error`.
bool WriteCustomFxGroup(const std::filesystem::path& path, const CustomFxGroup& group, std::string* error);
// Reads the file; false with a sentence naming the file in `error`.
bool ReadCustomFxGroup(const std::filesystem::path& path, CustomFxGroup& group, std::string* error);

}  // namespace sprocket
