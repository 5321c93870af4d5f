#pragma once
// The effect data of the path-animation (1552) and strobe (8010) filters.
//
// A clip keeps the data in a stored block: the magic "SED1", the effect id,
// the node count and the nodes (five 32-bit values each). Around a render
// the stored block becomes a work block that stands in for the filter's
// parameter list: a fixed header (magic "SWB1", effect id, node count, three
// control words and the path of the effect's temporary file) followed by
// the nodes (eight 32-bit values each). All values are little-endian.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/global_memory.h"

namespace sprocket {

// One key frame of a path: where it lies in the clip (0..10000 of the
// clip's length), the centre of the small screen (0..10000 of the frame
// across and up) and the two key values: its width and height (0..10000
// of the frame's). Nodes read from a block are limited to those ranges (the
// centre to -10000..20000, so that a screen may lie partly off the frame).
inline constexpr std::int32_t kPathScale = 10000;

struct EffectPathNode {
  std::int32_t position = 0;
  std::int32_t x = 5000;
  std::int32_t y = 5000;
  std::int32_t keyWidth = 5000;
  std::int32_t keyHeight = 5000;
  std::int32_t reserved[3] = {};

  bool operator==(const EffectPathNode& other) const {
    return position == other.position && x == other.x && y == other.y && keyWidth == other.keyWidth &&
           keyHeight == other.keyHeight;
  }
};
static_assert(sizeof(EffectPathNode) == 32);

struct EffectWorkHeader {
  char magic[4] = {'S', 'W', 'B', '1'};
  std::int32_t effectId = 0;
  std::int32_t nodeCount = 0;
  std::int32_t control[3] = {};  // the three control words of the temporary file
  char tempPath[260] = {};       // NUL-terminated
};
static_assert(sizeof(EffectWorkHeader) == 284);
static_assert(offsetof(EffectWorkHeader, control) == 12);
static_assert(offsetof(EffectWorkHeader, tempPath) == 24);

inline constexpr std::size_t kStoredHeaderBytes = 12;
inline constexpr std::size_t kStoredNodeBytes = 20;

// A new stored block for the nodes; null when memory is short.
HGLOBAL MakeStoredEffectData(std::int32_t effectId, std::span<const EffectPathNode> nodes);

// Ordinal 8: a new work block made from a stored block. Null when the
// stored block is missing, has the wrong magic, or its node count does not
// fit the block.
HGLOBAL UnpackEffectData(HGLOBAL stored);
// Ordinal 12: frees the stored block the field holds and clears the field.
void FreeStoredEffectData(HGLOBAL* handleField);
// Ordinal 9: a new stored block made from a work block (null as above).
HGLOBAL PackEffectData(HGLOBAL workBlock);
// Ordinal 13: frees the work block the field holds and clears the field.
void FreeEffectWorkBlock(HGLOBAL* parameterListField);

// Reading and writing a work block; the readers answer empty values for a
// block that is not a valid work block.
std::vector<EffectPathNode> ReadWorkNodes(HGLOBAL workBlock);
std::int32_t WorkBlockEffectId(HGLOBAL workBlock);
std::string WorkBlockTempPath(HGLOBAL workBlock);
// Stores the path (cut to 259 characters) and the three control words.
bool SetWorkBlockTempFile(HGLOBAL workBlock, const std::string& path, std::int32_t control0, std::int32_t control1,
                          std::int32_t control2);
// True when every node carries the same two key values (the small screen
// keeps its size along the whole path).
bool WorkBlockKeysConstant(HGLOBAL workBlock);

// The node at a place in the clip (0..10000): the values of the nodes on
// either side, moved linearly; before the first node its values, after the
// last node its values. Nodes are taken in the order of their positions.
EffectPathNode NodeAt(std::span<const EffectPathNode> nodes, std::int32_t position);

}  // namespace sprocket
