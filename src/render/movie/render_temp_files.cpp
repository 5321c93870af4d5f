#include "render/movie/render_temp_files.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <vector>

#include "platform/file_paths.h"
#include "platform/files/disk_space.h"
#include "platform/prompts.h"
#include "platform/settings/settings_keys.h"
#include "platform/temp_files.h"

namespace sprocket {

namespace {

inline constexpr int kUnableToOutputFile = 61298;
inline constexpr int kTempDirSlots = 4;
inline constexpr int kMaxNameRetries = 100;
inline constexpr std::int32_t kSnapDistanceMs = 16;

bool IsWritableFolder(const std::string& folder) {
  std::error_code ec;
  return !folder.empty() && std::filesystem::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// Free space of folders. Measured on the disks, each file system is measured
// once so that folders on one file system always compare equal; a given
// probe is asked about every folder.
class SpaceTable {
public:
  explicit SpaceTable(const FreeSpaceProbe& probe) : probe_(probe) {}

  std::uint64_t Measure(const std::string& folder) {
    for (const auto& [known, value] : measured_) {
      if (!probe_ && IsSameDevice(known, folder)) return value;
    }
    const std::uint64_t value = FolderFreeKB(folder, probe_);
    measured_.emplace_back(folder, value);
    return value;
  }

private:
  const FreeSpaceProbe& probe_;
  std::vector<std::pair<std::string, std::uint64_t>> measured_;
};

std::string RandomAviName(const std::string& folder, std::random_device& random) {
  char name[32];
  std::snprintf(name, sizeof name, "zkb%X.avi", static_cast<unsigned>(random() % 1000000u));
  return WithTrailingSlash(folder) + name;
}

bool FolderHasAviNamed(const std::vector<std::string>& aviNames, const std::string& path) {
  const std::string wanted = ToLowerAscii(FileNamePart(path));
  return std::any_of(aviNames.begin(), aviNames.end(), [&](const std::string& name) { return name == wanted; });
}

}  // namespace

std::uint64_t FolderFreeKB(const std::string& folder, const FreeSpaceProbe& probe) {
  std::optional<std::uint64_t> value = probe ? probe(folder) : FreeSpaceKB(folder);
  return value.value_or(0);
}

int CompareFreeSpace(const std::uint32_t* first, const std::uint32_t* second) {
  if (*first < *second) return -1;
  return *first > *second ? 1 : 0;
}

void ChooseTempDir(CTestDoc& doc, Profile& profile, const FreeSpaceProbe& probe) {
  std::array<std::string, kTempDirSlots> slots;
  for (int i = 0; i < kTempDirSlots; ++i) {
    std::string key = std::string(settings::kTempDirCurrent) + std::to_string(i + 1);
    std::string folder = profile.GetProfileString(settings::kTempFileDir, key);
    if (IsWritableFolder(folder)) slots[static_cast<std::size_t>(i)] = WithTrailingSlash(folder);
  }

  SpaceTable table(probe);
  const std::uint64_t current = doc.tempDir.empty() ? 0 : table.Measure(doc.tempDir);
  std::array<std::uint64_t, kTempDirSlots> space{};
  for (std::size_t i = 0; i < slots.size(); ++i) space[i] = slots[i].empty() ? 0 : table.Measure(slots[i]);

  const std::uint64_t largest = *std::max_element(space.begin(), space.end());
  if (largest <= current) return;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (!slots[i].empty() && space[i] == largest) {
      doc.tempDir = slots[i];
      profile.WriteProfileString(settings::kTempFileDir, settings::kTempDirCurrent, slots[i]);
      return;
    }
  }
}

int MakeTempAviName(const std::string& folder, std::string& out) {
  std::vector<std::string> aviNames;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    std::string name = it->path().filename().string();
    if (HasExtension(name, ".avi")) aviNames.push_back(ToLowerAscii(name));
  }

  std::random_device random;
  out = RandomAviName(folder, random);
  for (int retry = 0; retry < kMaxNameRetries && FolderHasAviNamed(aviNames, out); ++retry) {
    out = RandomAviName(folder, random);
  }
  return aviNames.empty() ? -1 : 0;
}

int MakeWindowsTempFile(std::string& buffer, std::string_view prefix) {
  buffer.clear();
  std::optional<TempFileName> name = GetTempFileName(SystemTempFolder(), prefix, 0);
  if (!name) return 0;
  buffer = name->path;
  return static_cast<int>(name->unique);
}

int TestOutputFile(const std::string& path) {
  bool writable = false;
  if (!path.empty() && FileNamePart(path).size() > 0) {
    // An existing file is only opened; a new one is made and removed again.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      ::unlink(path.c_str());
      writable = true;
    } else if (errno == EEXIST) {
      std::error_code ec;
      if (std::filesystem::is_regular_file(path, ec)) {
        fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd >= 0) {
          ::close(fd);
          writable = true;
        }
      }
    }
  }
  if (writable) return 1;
  ShowMessage(kUnableToOutputFile, MB_OK);
  return 0;
}

int CheckPathNotInClips(const std::string& path, const TLEvent* head) {
  const std::string wanted = ToUpperAscii(path);
  for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (!event->IsClipIn() || event->intermediateMovie) continue;
    if (ToUpperAscii(event->MediaPath()) == wanted) return 0;
  }
  return 1;
}

std::int32_t SnapToClipEdge(const CTestDoc& doc) {
  const std::int32_t t = doc.currentPosition;
  std::int32_t best = kSnapDistanceMs;
  std::int32_t snapped = t;
  // Track headers come first on the master list; each one's chain holds its clips.
  for (const TLEvent* header = GetNextEvent(doc.Head()); header != nullptr && header->kind == kEventTrackBegin;
       header = GetNextEvent(header)) {
    for (const TLEvent* event = header->next; event != nullptr; event = event->next) {
      if (event->kind != kEventClipIn && event->kind != kEventClipOut) continue;
      const std::int64_t distance = std::llabs(static_cast<std::int64_t>(t) - event->time);
      if (distance < best) {
        best = static_cast<std::int32_t>(distance);
        snapped = event->time;
      }
    }
  }
  return snapped;
}

}  // namespace sprocket
