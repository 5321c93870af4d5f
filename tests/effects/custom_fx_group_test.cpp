#include "effects/custom_fx_group.h"

#include <gtest/gtest.h>

#include "effects_fixture.h"

namespace sprocket {
namespace {

using testing::OneFilter;
using testing::TempDir;

CustomFxGroup TwoWipes() {
  FilterList sequence = OneFilter(effect_id::kEffectSequence);
  sequence.push_back(OneFilter(effect_id::kWipeTopToBottom).front());
  return CustomFxGroup{"Wipes", {OneFilter(effect_id::kWipeLeftToRight, 25), sequence}};
}

TEST(CustomFxGroupFile, RoundTripKeepsTitleAndEveryFilter) {
  TempDir dir;
  const auto path = dir / "wipes.fxc";
  std::string error;
  ASSERT_TRUE(WriteCustomFxGroup(path, TwoWipes(), &error)) << error;
  CustomFxGroup read;
  ASSERT_TRUE(ReadCustomFxGroup(path, read, &error)) << error;
  EXPECT_EQ(read.title, "Wipes");
  ASSERT_EQ(read.transitions.size(), 2u);
  EXPECT_EQ(EntryTransitionId(read.transitions[0]), effect_id::kWipeLeftToRight);
  EXPECT_EQ(read.transitions[0].front().params.front().values[0], 25);
  ASSERT_EQ(read.transitions[1].size(), 2u);
  EXPECT_EQ(read.transitions[1][1].id, effect_id::kWipeTopToBottom);
}

TEST(CustomFxGroupFile, RefusesToWriteGroupsThatCannotBeRead) {
  TempDir dir;
  const auto path = dir / "bad.fxc";
  const CustomFxGroup cases[] = {
      {"", TwoWipes().transitions},
      {std::string(kMaxCustomFxTitle + 1, 'x'), TwoWipes().transitions},
      {"Empty", {}},
      {"Filter", {OneFilter(effect_id::kBlur)}},
      {"Hollow", {FilterList{}}},
      {"Not UTF-8 \xff", TwoWipes().transitions},
  };
  for (const CustomFxGroup& group : cases) {
    std::string error;
    bool written = true;
    EXPECT_NO_THROW(written = WriteCustomFxGroup(path, group, &error)) << group.title;
    EXPECT_FALSE(written) << group.title;
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(path));
  }
}

TEST(CustomFxGroupFile, DamagedFilesGiveAClearError) {
  const std::string good = FormatCustomFxGroup(TwoWipes());
  std::string deep = R"({"format":"sprocket-fxc","version":1,"title":"x","transitions":)";
  deep += std::string(200, '[') + std::string(200, ']') + "}";
  std::string many = R"({"format":"sprocket-fxc","version":1,"title":"x","transitions":[)";
  for (std::size_t i = 0; i <= kMaxCustomFxEntries; ++i) many += std::string(i ? "," : "") + R"([{"id":1}])";
  many += "]}";
  const struct {
    std::string text;
    std::string expected;  // a part of the message
  } cases[] = {
      {good.substr(0, good.size() / 2), "the file is not complete"},
      {"", "the file is empty"},
      {R"({"format":"sprocket-tle","version":1})", "not a custom transition group"},
      {R"([1,2])", "not a custom transition group"},
      {R"({"format":"sprocket-fxc","version":9,"title":"x","transitions":[]})", "newer version"},
      {R"({"format":"sprocket-fxc","version":1,"title":"x","transitions":[[{"id":1304}]]})", "not a transition"},
      {R"({"format":"sprocket-fxc","version":1,"title":"x","transitions":[]})", "no transition"},
      {R"({"format":"sprocket-fxc","version":1,"transitions":[[{"id":1}]]})", "title"},
      {deep, "nested too deeply"},
      {many, "transitions"},
  };
  for (const auto& c : cases) {
    CustomFxGroup group{"kept", {}};
    std::string error;
    EXPECT_FALSE(ParseCustomFxGroup(c.text, group, &error)) << c.text.substr(0, 60);
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    EXPECT_EQ(group.title, "kept");
  }
}

TEST(CustomFxGroupFile, ReadNamesTheFileInItsError) {
  TempDir dir;
  std::string error;
  CustomFxGroup group;
  EXPECT_FALSE(ReadCustomFxGroup(dir / "missing.fxc", group, &error));
  EXPECT_NE(error.find("missing.fxc"), std::string::npos);
  const auto damaged = dir.Write("damaged.fxc", "{\"format\":");
  EXPECT_FALSE(ReadCustomFxGroup(damaged, group, &error));
  EXPECT_NE(error.find("damaged.fxc: the file is not complete"), std::string::npos) << error;
}

}  // namespace
}  // namespace sprocket
