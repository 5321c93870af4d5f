#include "libs/sharedservices/effect_work_block.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/le_bytes.h"

namespace sprocket {

namespace {

constexpr char kStoredMagic[4] = {'S', 'E', 'D', '1'};
constexpr char kWorkMagic[4] = {'S', 'W', 'B', '1'};

std::int32_t ReadInt(const std::uint8_t* p) { return static_cast<std::int32_t>(ReadLe32(p)); }

void WriteInt(std::uint8_t* p, std::int32_t value) { WriteLe32(p, static_cast<std::uint32_t>(value)); }

// A valid work block's header and nodes, read under one lock.
struct WorkBlockView {
  GlobalLockGuard<std::uint8_t> lock;
  EffectWorkHeader header;
  bool valid = false;

  explicit WorkBlockView(HGLOBAL block) : lock(block) {
    const std::size_t size = GlobalSize(block);
    if (!lock || size < sizeof(EffectWorkHeader)) return;
    std::memcpy(&header, lock.get(), sizeof header);
    if (std::memcmp(header.magic, kWorkMagic, 4) != 0 || header.nodeCount < 0) return;
    const std::size_t room = (size - sizeof(EffectWorkHeader)) / sizeof(EffectPathNode);
    valid = static_cast<std::size_t>(header.nodeCount) <= room;
  }
  EffectPathNode Node(std::int32_t i) const {
    EffectPathNode node;
    std::memcpy(&node, lock.get() + sizeof(EffectWorkHeader) + static_cast<std::size_t>(i) * sizeof node, sizeof node);
    return node;
  }
};

// A node as the renderers may use it: every value inside its range, so the
// values of a damaged file cannot overflow the arithmetic of a frame.
EffectPathNode BoundedNode(EffectPathNode node) {
  node.position = std::clamp(node.position, 0, kPathScale);
  node.x = std::clamp(node.x, -kPathScale, 2 * kPathScale);
  node.y = std::clamp(node.y, -kPathScale, 2 * kPathScale);
  node.keyWidth = std::clamp(node.keyWidth, 0, kPathScale);
  node.keyHeight = std::clamp(node.keyHeight, 0, kPathScale);
  return node;
}

HGLOBAL MakeWorkBlock(std::int32_t effectId, std::span<const EffectPathNode> nodes) {
  GlobalBlock block = GlobalBlock::Allocate(sizeof(EffectWorkHeader) + nodes.size() * sizeof(EffectPathNode));
  GlobalLockGuard<std::uint8_t> bytes(block.get());
  if (!bytes) return nullptr;
  EffectWorkHeader header;
  header.effectId = effectId;
  header.nodeCount = static_cast<std::int32_t>(nodes.size());
  std::memcpy(bytes.get(), &header, sizeof header);
  if (!nodes.empty()) std::memcpy(bytes.get() + sizeof header, nodes.data(), nodes.size() * sizeof(EffectPathNode));
  return block.release();
}

}  // namespace

HGLOBAL MakeStoredEffectData(std::int32_t effectId, std::span<const EffectPathNode> nodes) {
  GlobalBlock block = GlobalBlock::Allocate(kStoredHeaderBytes + nodes.size() * kStoredNodeBytes);
  GlobalLockGuard<std::uint8_t> bytes(block.get());
  if (!bytes) return nullptr;
  std::memcpy(bytes.get(), kStoredMagic, 4);
  WriteInt(bytes.get() + 4, effectId);
  WriteInt(bytes.get() + 8, static_cast<std::int32_t>(nodes.size()));
  std::uint8_t* p = bytes.get() + kStoredHeaderBytes;
  for (const EffectPathNode& node : nodes) {
    for (std::int32_t value : {node.position, node.x, node.y, node.keyWidth, node.keyHeight}) {
      WriteInt(p, value);
      p += 4;
    }
  }
  return block.release();
}

HGLOBAL UnpackEffectData(HGLOBAL stored) {
  const std::size_t size = GlobalSize(stored);
  GlobalLockGuard<std::uint8_t> bytes(stored);
  if (!bytes || size < kStoredHeaderBytes || std::memcmp(bytes.get(), kStoredMagic, 4) != 0) return nullptr;
  const std::int32_t count = ReadInt(bytes.get() + 8);
  if (count < 0 || static_cast<std::size_t>(count) > (size - kStoredHeaderBytes) / kStoredNodeBytes) return nullptr;
  std::vector<EffectPathNode> nodes(static_cast<std::size_t>(count));
  const std::uint8_t* p = bytes.get() + kStoredHeaderBytes;
  for (EffectPathNode& node : nodes) {
    node.position = ReadInt(p);
    node.x = ReadInt(p + 4);
    node.y = ReadInt(p + 8);
    node.keyWidth = ReadInt(p + 12);
    node.keyHeight = ReadInt(p + 16);
    node = BoundedNode(node);
    p += kStoredNodeBytes;
  }
  return MakeWorkBlock(ReadInt(bytes.get() + 4), nodes);
}

void FreeStoredEffectData(HGLOBAL* handleField) {
  if (handleField == nullptr || *handleField == nullptr) return;
  *handleField = GlobalFree(*handleField);
}

HGLOBAL PackEffectData(HGLOBAL workBlock) {
  const std::vector<EffectPathNode> nodes = ReadWorkNodes(workBlock);
  const WorkBlockView view(workBlock);
  if (!view.valid) return nullptr;
  return MakeStoredEffectData(view.header.effectId, nodes);
}

void FreeEffectWorkBlock(HGLOBAL* parameterListField) {
  if (parameterListField == nullptr || *parameterListField == nullptr) return;
  *parameterListField = GlobalFree(*parameterListField);
}

std::vector<EffectPathNode> ReadWorkNodes(HGLOBAL workBlock) {
  const WorkBlockView view(workBlock);
  std::vector<EffectPathNode> nodes;
  if (!view.valid) return nodes;
  for (std::int32_t i = 0; i < view.header.nodeCount; ++i) nodes.push_back(BoundedNode(view.Node(i)));
  return nodes;
}

std::int32_t WorkBlockEffectId(HGLOBAL workBlock) {
  const WorkBlockView view(workBlock);
  return view.valid ? view.header.effectId : 0;
}

std::string WorkBlockTempPath(HGLOBAL workBlock) {
  const WorkBlockView view(workBlock);
  if (!view.valid) return {};
  return std::string(view.header.tempPath, strnlen(view.header.tempPath, sizeof view.header.tempPath));
}

bool SetWorkBlockTempFile(HGLOBAL workBlock, const std::string& path, std::int32_t control0, std::int32_t control1,
                          std::int32_t control2) {
  WorkBlockView view(workBlock);
  if (!view.valid) return false;
  auto* header = reinterpret_cast<EffectWorkHeader*>(view.lock.get());
  std::memset(header->tempPath, 0, sizeof header->tempPath);
  std::memcpy(header->tempPath, path.data(), std::min(path.size(), sizeof header->tempPath - 1));
  header->control[0] = control0;
  header->control[1] = control1;
  header->control[2] = control2;
  return true;
}

bool WorkBlockKeysConstant(HGLOBAL workBlock) {
  const std::vector<EffectPathNode> nodes = ReadWorkNodes(workBlock);
  return std::all_of(nodes.begin(), nodes.end(), [&](const EffectPathNode& node) {
    return node.keyWidth == nodes.front().keyWidth && node.keyHeight == nodes.front().keyHeight;
  });
}

EffectPathNode NodeAt(std::span<const EffectPathNode> nodes, std::int32_t position) {
  if (nodes.empty()) return EffectPathNode{};
  std::vector<EffectPathNode> sorted(nodes.begin(), nodes.end());
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const EffectPathNode& a, const EffectPathNode& b) { return a.position < b.position; });
  if (position <= sorted.front().position) return sorted.front();
  if (position >= sorted.back().position) return sorted.back();
  auto after =
      std::find_if(sorted.begin(), sorted.end(), [&](const EffectPathNode& n) { return n.position > position; });
  const EffectPathNode& to = *after;
  const EffectPathNode& from = *(after - 1);
  const double fraction =
      (static_cast<double>(position) - from.position) / (static_cast<double>(to.position) - from.position);
  auto lerp = [fraction](std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(std::lround(a + (static_cast<double>(b) - a) * fraction));
  };
  EffectPathNode node;
  node.position = position;
  node.x = lerp(from.x, to.x);
  node.y = lerp(from.y, to.y);
  node.keyWidth = lerp(from.keyWidth, to.keyWidth);
  node.keyHeight = lerp(from.keyHeight, to.keyHeight);
  return node;
}

}  // namespace sprocket
