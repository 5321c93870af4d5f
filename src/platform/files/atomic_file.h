#pragma once
// Whole-file reads and crash-safe whole-file writes.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sprocket {

// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Writes `bytes` to a temporary file beside `path`, syncs it and renames it
// over `path`, so readers see either the old or the new contents, never a
// mix. On failure the target is untouched, the temporary file is removed and
// `error` (when given) says why.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* error = nullptr);

}  // namespace sprocket
