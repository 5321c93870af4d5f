#pragma once
// Temporary folders and temporary file names.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sprocket {

// The system's temporary folder: $TMPDIR when it names a folder, else /tmp;
// always ending in '/'.
std::string SystemTempFolder();

// The temporary folder chosen in the settings ("Temp File Dir" / "Dir") when
// it names an existing folder, else SystemTempFolder(); ending in '/'.
std::string ConfiguredTempFolder();

struct TempFileName {
  std::string path;     // folder + prefix (at most 3 characters) + 4 hex digits + ".tmp"
  unsigned unique = 0;  // the number used
};

// Makes a temporary file name in `folder`: the first three characters of
// `prefix`, the number as four upper-case hex digits and ".tmp".
// With a nonzero `unique` only its low 16 bits are used and no file is made.
// With 0 a free number is searched and the empty file is created, so the name
// stays reserved; nothing when every number is taken or the folder is not
// writable.
std::optional<TempFileName> GetTempFileName(std::string_view folder, std::string_view prefix, unsigned unique);

}  // namespace sprocket
