// Replays inputs through a fuzz target without the fuzzing engine: every
// file named on the command line, and every file inside the folders named,
// is run once. The normal build and the test run use it, so inputs that
// once crashed a reader keep being checked.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::size_t runs = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path root(argv[i]);
    std::error_code ec;
    if (fs::is_regular_file(root, ec)) {
      if (!RunFile(root)) return 1;
      ++runs;
      continue;
    }
    if (!fs::is_directory(root, ec)) continue;  // a target without crash inputs has no folder
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root, ec)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      if (!RunFile(file)) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
      }
      ++runs;
    }
  }
  std::printf("replayed %zu inputs\n", runs);
  return runs > 0 ? 0 : 1;
}
