// The shared value store and the effect data of the path animation and the
// strobe: stored and work blocks, their round trip and bad blocks.

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "libs/sharedservices/effect_work_block.h"
#include "libs/sharedservices/shared_value_store.h"

namespace sprocket {
namespace {

TEST(SharedValueStore, KeepsValuesByKey) {
  SharedValueStore store;
  EXPECT_EQ(store.Get(kSharedKeyBoardAudio), 0);
  EXPECT_FALSE(store.Has(kSharedKeyBoardAudio));
  store.Set(kSharedKeyBoardAudio, 1);
  store.Set(-4, 77);
  EXPECT_EQ(store.Get(kSharedKeyBoardAudio), 1);
  EXPECT_EQ(store.Get(-4), 77);
  store.Remove(-4);
  EXPECT_FALSE(store.Has(-4));
  EXPECT_EQ(store.Get(-4), 0);
}

class EffectData : public ::testing::Test {
protected:
  ~EffectData() override {
    for (HGLOBAL block : blocks_) GlobalFree(block);
  }
  HGLOBAL Keep(HGLOBAL block) {
    if (block != nullptr) blocks_.push_back(block);
    return block;
  }
  HGLOBAL Raw(std::initializer_list<std::int32_t> words) {
    HGLOBAL block = Keep(GlobalAlloc(GHND, words.size() * 4));
    GlobalLockGuard<std::int32_t> data(block);
    std::copy(words.begin(), words.end(), data.get());
    return block;
  }
  std::vector<HGLOBAL> blocks_;
  const std::vector<EffectPathNode> nodes_{{0, 1000, 2000, 3000, 4000, {}}, {10000, 9000, 8000, 3000, 4000, {}}};
};

TEST_F(EffectData, StoredDataBecomesAWorkBlockAndBack) {
  HGLOBAL stored = Keep(MakeStoredEffectData(1552, nodes_));
  EXPECT_EQ(GlobalSize(stored), 12u + 2 * 20u);
  HGLOBAL work = Keep(UnpackEffectData(stored));
  ASSERT_NE(work, nullptr);
  EXPECT_EQ(GlobalSize(work), sizeof(EffectWorkHeader) + 2 * sizeof(EffectPathNode));
  EXPECT_EQ(ReadWorkNodes(work), nodes_);
  EXPECT_EQ(WorkBlockEffectId(work), 1552);
  EXPECT_TRUE(WorkBlockKeysConstant(work));

  ASSERT_TRUE(SetWorkBlockTempFile(work, "/tmp/tlt1234.tmp", 0, 1, 0));
  EXPECT_EQ(WorkBlockTempPath(work), "/tmp/tlt1234.tmp");
  HGLOBAL again = Keep(PackEffectData(work));
  ASSERT_NE(again, nullptr);
  GlobalLockGuard<std::uint8_t> a(stored), b(again);
  EXPECT_EQ(std::memcmp(a.get(), b.get(), GlobalSize(stored)), 0);
}

TEST_F(EffectData, FreeingClearsTheField) {
  HGLOBAL stored = MakeStoredEffectData(8010, {});
  HGLOBAL work = UnpackEffectData(stored);
  FreeStoredEffectData(&stored);
  FreeEffectWorkBlock(&work);
  EXPECT_EQ(stored, nullptr);
  EXPECT_EQ(work, nullptr);
  FreeStoredEffectData(&stored);  // nothing left: nothing happens
  FreeStoredEffectData(nullptr);
}

TEST_F(EffectData, BadStoredBlocksAreRefused) {
  EXPECT_EQ(UnpackEffectData(nullptr), nullptr);
  EXPECT_EQ(UnpackEffectData(Raw({0x31444553})), nullptr);                          // truncated header
  EXPECT_EQ(UnpackEffectData(Raw({0x58585858, 1552, 0})), nullptr);                 // wrong magic
  EXPECT_EQ(UnpackEffectData(Raw({0x31444553, 1552, 2, 1, 2, 3, 4, 5})), nullptr);  // count beyond the block
  EXPECT_EQ(UnpackEffectData(Raw({0x31444553, 1552, -1})), nullptr);                // negative count
  HGLOBAL empty = Keep(UnpackEffectData(Raw({0x31444553, 1552, 0})));
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(ReadWorkNodes(empty).empty());
}

TEST_F(EffectData, BadWorkBlocksReadAsEmpty) {
  HGLOBAL junk = Raw({1, 2, 3});
  EXPECT_TRUE(ReadWorkNodes(junk).empty());
  EXPECT_EQ(WorkBlockTempPath(junk), "");
  EXPECT_FALSE(SetWorkBlockTempFile(junk, "x", 0, 0, 0));
  EXPECT_EQ(PackEffectData(junk), nullptr);
  // A header whose node count runs past the block.
  HGLOBAL work = Keep(UnpackEffectData(Keep(MakeStoredEffectData(1552, nodes_))));
  {
    GlobalLockGuard<EffectWorkHeader> header(work);
    header->nodeCount = 3;
  }
  EXPECT_TRUE(ReadWorkNodes(work).empty());
  EXPECT_EQ(PackEffectData(work), nullptr);
}

TEST_F(EffectData, LongTempPathsAreCutAndKeysMayChange) {
  HGLOBAL work = Keep(UnpackEffectData(Keep(MakeStoredEffectData(1552, nodes_))));
  ASSERT_TRUE(SetWorkBlockTempFile(work, std::string(400, 'a'), 0, 1, 0));
  EXPECT_EQ(WorkBlockTempPath(work).size(), 259u);
  std::vector<EffectPathNode> growing = nodes_;
  growing[1].keyWidth = 9000;
  HGLOBAL other = Keep(UnpackEffectData(Keep(MakeStoredEffectData(1552, growing))));
  EXPECT_FALSE(WorkBlockKeysConstant(other));
}

// Nodes from a damaged file are limited to their ranges when read, so the
// renderers' arithmetic on them cannot overflow.
TEST_F(EffectData, NodeValuesAreLimitedWhenRead) {
  constexpr std::int32_t kLow = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kHigh = std::numeric_limits<std::int32_t>::max();
  const std::vector<EffectPathNode> wild{{kLow, kHigh, kLow, kHigh, kLow, {}}, {kHigh, kLow, kHigh, -1, 20000, {}}};
  HGLOBAL work = Keep(UnpackEffectData(Keep(MakeStoredEffectData(1552, wild))));
  ASSERT_NE(work, nullptr);
  const std::vector<EffectPathNode> expected{{0, 20000, -10000, 10000, 0, {}}, {10000, -10000, 20000, 0, 10000, {}}};
  EXPECT_EQ(ReadWorkNodes(work), expected);
  // Nodes as far apart as 32 bits allow still move linearly.
  EXPECT_EQ(NodeAt(std::vector<EffectPathNode>{{kLow, 0, 0, 0, 0, {}}, {kHigh, 10000, 0, 0, 0, {}}}, 0).x, 5000);
}

TEST(PathNodes, NodesBetweenKeysMoveLinearly) {
  const std::vector<EffectPathNode> nodes{
      {10000, 9000, 9000, 1000, 1000, {}}, {0, 1000, 1000, 5000, 5000, {}}, {5000, 5000, 1000, 5000, 5000, {}}};
  EXPECT_EQ(NodeAt(nodes, -5).x, 1000);
  EXPECT_EQ(NodeAt(nodes, 2500).x, 3000);
  EXPECT_EQ(NodeAt(nodes, 2500).y, 1000);
  EXPECT_EQ(NodeAt(nodes, 7500).y, 5000);
  EXPECT_EQ(NodeAt(nodes, 7500).keyWidth, 3000);
  EXPECT_EQ(NodeAt(nodes, 20000).x, 9000);
  EXPECT_EQ(NodeAt({}, 100).x, 5000);  // no nodes: the centre of the frame
}

}  // namespace
}  // namespace sprocket
