// Preparing and restoring the effect-data words around a render.

#include <gtest/gtest.h>

#include "libs/effectprepare/effect_prepare.h"

namespace sprocket {
namespace {

TEST(GrainData, PreparingGivesTheDefaultSeedAndRestoringTakesItBack) {
  std::int32_t word1 = 0;
  std::int32_t word2 = 0;
  ASSERT_EQ(PrepareGrainData(&word1, &word2), 0);
  EXPECT_EQ(word1, kDefaultGrainSeed);
  EXPECT_EQ(word2, kPreparedMark | kSeedSetMark);
  ASSERT_EQ(PrepareGrainData(&word1, &word2), 0);  // prepared twice: unchanged
  EXPECT_EQ(word2, kPreparedMark | kSeedSetMark);
  ASSERT_EQ(RestoreGrainData(&word1, &word2), 0);
  EXPECT_EQ(word1, 0);
  EXPECT_EQ(word2, 0);
}

TEST(GrainData, AFilterKeepsItsOwnSeed) {
  std::int32_t word1 = 4711;
  std::int32_t word2 = 0;
  ASSERT_EQ(PrepareGrainData(&word1, &word2), 0);
  EXPECT_EQ(word1, 4711);
  EXPECT_EQ(word2, kPreparedMark);
  ASSERT_EQ(RestoreGrainData(&word1, &word2), 0);
  EXPECT_EQ(word1, 4711);
  EXPECT_EQ(word2, 0);
  EXPECT_EQ(PrepareGrainData(nullptr, &word2), -1);
  EXPECT_EQ(RestoreGrainData(&word1, nullptr), -1);
}

TEST(RepetitionLayout, HoldsTheOutputSize) {
  std::int32_t word1 = 0;
  ASSERT_EQ(PrepareRepetitionLayout(&word1, 720, 480), 0);
  std::int32_t width = 0;
  std::int32_t height = 0;
  ASSERT_TRUE(ReadRepetitionLayout(word1, width, height));
  EXPECT_EQ(width, 720);
  EXPECT_EQ(height, 480);
  ASSERT_EQ(PrepareRepetitionLayout(&word1, 100000, 70000), 0);
  ASSERT_TRUE(ReadRepetitionLayout(word1, width, height));
  EXPECT_EQ(width, 65535);
  EXPECT_EQ(height, 65535);
  ASSERT_EQ(RestoreRepetitionLayout(&word1), 0);
  EXPECT_EQ(word1, 0);
  EXPECT_FALSE(ReadRepetitionLayout(word1, width, height));
  EXPECT_EQ(PrepareRepetitionLayout(&word1, 0, 480), -1);
  EXPECT_EQ(PrepareRepetitionLayout(nullptr, 720, 480), -1);
  EXPECT_EQ(RestoreRepetitionLayout(nullptr), -1);
}

}  // namespace
}  // namespace sprocket
