#pragma once
// Marks and named ranges that a timeline document keeps beside its event
// list.

#include <cstdint>
#include <string>
#include <vector>

namespace sprocket {

// A named stretch of the timeline that clips may stand for.
struct IntermediateMovie {
  std::int32_t id = 0;     // links clips to their intermediate movie
  std::int32_t start = 0;  // ms
  std::int32_t end = 0;    // ms
  std::string name;        // at most 127 characters
  bool operator==(const IntermediateMovie&) const = default;
};

// A storyboard snapshot mark.
struct SnapshotMark {
  std::int32_t time = 0;  // ms
  bool operator==(const SnapshotMark&) const = default;
};

// A named timeline index mark with a note.
struct IndexMark {
  std::int32_t time = 0;  // ms
  std::string name;
  std::string note;
  bool operator==(const IndexMark&) const = default;
};

// A named mark with a note inside a clip's media.
struct ClipIndexMark {
  std::string name;
  std::string note;
  std::int32_t time = 0;  // ms within the clip's media
  bool operator==(const ClipIndexMark&) const = default;
};

// The index marks of one clip, found by the clip's media path, in time and
// track number.
struct ClipMarkSet {
  std::string path;
  std::int32_t clipTime = 0;
  std::int32_t trackNumber = 0;
  std::vector<ClipIndexMark> marks;
  bool operator==(const ClipMarkSet&) const = default;
};

}  // namespace sprocket
