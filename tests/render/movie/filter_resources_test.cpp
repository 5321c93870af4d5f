#include "render/movie/filter_resources.h"

#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "libs/effectprepare/effect_prepare.h"
#include "libs/sharedservices/effect_work_block.h"
#include "libs/texturemap/texture_map.h"
#include "render/compose/effect_bridge.h"
#include "temp_dir.h"
#include "timeline/records/filter_ids.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

using testing::TempDir;

std::vector<std::uint8_t> StoredPath(bool constantKeys) {
  std::vector<EffectPathNode> nodes(3);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    nodes[i].position = static_cast<std::int32_t>(i) * 5000;
    nodes[i].x = 1000 + static_cast<std::int32_t>(i) * 1000;
    nodes[i].keyWidth = constantKeys ? 4000 : 4000 + static_cast<std::int32_t>(i);
    nodes[i].keyHeight = 3000;
  }
  GlobalBlock stored(MakeStoredEffectData(kFilterVideoScreenAnimation, nodes));
  GlobalLockGuard<std::uint8_t> bytes(stored.get());
  return std::vector<std::uint8_t>(bytes.get(), bytes.get() + stored.size());
}

const PreparedFilterData* Prepared(const TLFilter& filter) {
  return dynamic_cast<const PreparedFilterData*>(filter.workData.get());
}

class FilterResourcesTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    hadTmp = old != nullptr;
    if (hadTmp) oldTmp = old;
    ::setenv("TMPDIR", tmp.path().c_str(), 1);
    head = MakeDefaultTimeline(2997, 60000);
    clip = InsertClip(head.get(), 1, 0, 2000);
    ASSERT_NE(clip, nullptr);
  }
  void TearDown() override {
    if (hadTmp)
      ::setenv("TMPDIR", oldTmp.c_str(), 1);
    else
      ::unsetenv("TMPDIR");
  }

  TLFilter& AddFilter(std::int32_t id) {
    TLFilter filter;
    filter.id = id;
    clip->filters.push_back(std::move(filter));
    return clip->filters.back();
  }

  TempDir tmp;
  bool hadTmp = false;
  std::string oldTmp;
  EventListSlot head;
  TLEvent* clip = nullptr;
};

TEST_F(FilterResourcesTest, GrainAndRepetitionWordsArePreparedAndRestored) {
  AddFilter(kFilterFilmGrain);
  AddFilter(kFilterRepetition3D);
  PrepareFilterResources(head.get(), 720, 480);
  EXPECT_EQ(clip->filters[0].effectData[0], kDefaultGrainSeed);
  EXPECT_NE(clip->filters[0].effectData[1] & kPreparedMark, 0);
  std::int32_t width = 0, height = 0;
  ASSERT_TRUE(ReadRepetitionLayout(clip->filters[1].effectData[0], width, height));
  EXPECT_EQ(width, 720);
  EXPECT_EQ(height, 480);

  ReleaseFilterResources(head.get());
  EXPECT_EQ(clip->filters[0].effectData, (std::array<std::int32_t, 3>{}));
  EXPECT_EQ(clip->filters[1].effectData, (std::array<std::int32_t, 3>{}));
}

TEST_F(FilterResourcesTest, TextureMapGetsItsTileForTheRender) {
  GlobalBlock map(MakeTextureMap(TextureKind::kBricks, 2));
  AddFilter(kFilterTextureMap).textureMap = PackTextureData(map.get());
  PrepareFilterResources(head.get(), 320, 240);
  const PreparedFilterData* prepared = Prepared(clip->filters[0]);
  ASSERT_NE(prepared, nullptr);
  std::optional<TextureMapInfo> info = ReadTextureMap(prepared->TextureMap());
  ASSERT_TRUE(info.has_value());
  EXPECT_TRUE(info->prepared);
  EXPECT_EQ(info->kind, TextureKind::kBricks);

  ReleaseFilterResources(head.get());
  EXPECT_EQ(clip->filters[0].workData.get(), nullptr);
  EXPECT_EQ(clip->filters[0].textureMap, PackTextureData(map.get()));
}

TEST_F(FilterResourcesTest, LargeFramesGetTheScreenAnimationFileWhenKeysAreConstant) {
  const std::vector<std::uint8_t> stored = StoredPath(true);
  AddFilter(kFilterVideoScreenAnimation).storedEffectData = stored;
  PrepareFilterResources(head.get(), 321, 241);
  const PreparedFilterData* prepared = Prepared(clip->filters[0]);
  ASSERT_NE(prepared, nullptr);
  ASSERT_NE(prepared->WorkBlock(), nullptr);
  EXPECT_EQ(ReadWorkNodes(prepared->WorkBlock()).size(), 3u);
  const std::string path = WorkBlockTempPath(prepared->WorkBlock());
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(std::filesystem::path(path).parent_path(), tmp.path());
  EXPECT_EQ(std::filesystem::path(path).filename().string().substr(0, 3), "tlt");
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_NE(clip->filters[0].effectData[0], 0);

  ReleaseFilterResources(head.get());
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(clip->filters[0].workData.get(), nullptr);
  EXPECT_EQ(clip->filters[0].storedEffectData, stored);
  EXPECT_EQ(clip->filters[0].effectData[0], 0);
  EXPECT_EQ(clip->filters[0].effectData[2], 0);
}

TEST_F(FilterResourcesTest, SmallFramesOrChangingKeysMakeNoScreenAnimationFile) {
  AddFilter(kFilterVideoScreenAnimation).storedEffectData = StoredPath(true);
  PrepareFilterResources(head.get(), 320, 240);
  ASSERT_NE(Prepared(clip->filters[0]), nullptr);
  EXPECT_EQ(WorkBlockTempPath(Prepared(clip->filters[0])->WorkBlock()), "");
  ReleaseFilterResources(head.get());

  clip->filters[0].storedEffectData = StoredPath(false);
  PrepareFilterResources(head.get(), 720, 480);
  ASSERT_NE(Prepared(clip->filters[0]), nullptr);
  EXPECT_EQ(WorkBlockTempPath(Prepared(clip->filters[0])->WorkBlock()), "");
  ReleaseFilterResources(head.get());
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

TEST_F(FilterResourcesTest, FreezeFrameFileLivesOnlyDuringTheRender) {
  AddFilter(kFilterFreezeFrame).storedEffectData = StoredPath(true);
  {
    FilterResourceScope scope(head.get(), 160, 120);
    const PreparedFilterData* prepared = Prepared(clip->filters[0]);
    ASSERT_NE(prepared, nullptr);
    const std::string path = WorkBlockTempPath(prepared->WorkBlock());
    EXPECT_EQ(std::filesystem::path(path).filename().string().substr(0, 3), "frz");
    EXPECT_TRUE(std::filesystem::exists(path));
  }
  EXPECT_EQ(clip->filters[0].workData.get(), nullptr);
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

TEST_F(FilterResourcesTest, DamagedStoredDataIsLeftAlone) {
  const std::vector<std::uint8_t> damaged = {'S', 'E', 'D', '1', 1, 2};
  AddFilter(kFilterFreezeFrame).storedEffectData = damaged;
  PrepareFilterResources(head.get(), 720, 480);
  EXPECT_EQ(clip->filters[0].workData.get(), nullptr);
  ReleaseFilterResources(head.get());
  EXPECT_EQ(clip->filters[0].storedEffectData, damaged);
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

}  // namespace
}  // namespace sprocket
