#include "cli/render_options.h"

#include <gtest/gtest.h>

namespace sprocket {
namespace {

TEST(RenderOptions, AllOptions) {
  ParseResult result = ParseRenderOptions({"demo.tle", "--out", "/tmp/out.avi", "--type", "flc", "--preview", "--range",
                                           "1000,5000", "--yes", "--config", "/etc/sprocket", "--one-thread"});
  ASSERT_TRUE(result.options) << result.error;
  const RenderOptions& o = *result.options;
  EXPECT_EQ(o.timeline, "demo.tle");
  EXPECT_EQ(o.out, "/tmp/out.avi");
  EXPECT_EQ(o.type, OutputType::kFlc);
  EXPECT_TRUE(o.preview);
  EXPECT_EQ(o.rangeStart, 1000);
  EXPECT_EQ(o.rangeEnd, 5000);
  EXPECT_TRUE(o.answerYes);
  EXPECT_EQ(o.configDir, "/etc/sprocket");
  EXPECT_TRUE(o.oneThread);
}

TEST(RenderOptions, Defaults) {
  ParseResult result = ParseRenderOptions({"--out", "x.avi", "a.tle"});
  ASSERT_TRUE(result.options);
  EXPECT_EQ(result.options->type, OutputType::kAvi);
  EXPECT_FALSE(result.options->preview);
  EXPECT_FALSE(result.options->rangeStart);
  EXPECT_FALSE(result.options->answerYes);
  EXPECT_FALSE(result.options->oneThread);
}

TEST(RenderOptions, RefusesBadCommandLines) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case cases[] = {
      {{}, "no timeline file given"},
      {{"a.tle"}, "no output given (--out PATH)"},
      {{"a.tle", "--out"}, "--out needs a path"},
      {{"a.tle", "--out", "x", "--type", "mov"}, "--type must be avi, flc, seq or wav"},
      {{"a.tle", "--out", "x", "--range", "5000"}, "--range needs START,END in milliseconds"},
      {{"a.tle", "--out", "x", "--range", "5000,1000"}, "--range needs START,END with 0 <= START < END"},
      {{"a.tle", "--out", "x", "--range", "-5,10"}, "--range needs START,END with 0 <= START < END"},
      {{"a.tle", "--out", "x", "--range", "1,99999999999"}, "--range needs START,END with 0 <= START < END"},
      {{"a.tle", "--out", "x", "--fast"}, "unknown option --fast"},
      {{"a.tle", "b.tle", "--out", "x"}, "only one timeline file can be rendered at a time"},
  };
  for (const Case& c : cases) {
    ParseResult result = ParseRenderOptions(c.args);
    EXPECT_FALSE(result.options);
    EXPECT_EQ(result.error, c.error);
  }
}

TEST(RenderOptions, HelpNeedsNothingElse) {
  ParseResult result = ParseRenderOptions({"--help"});
  ASSERT_TRUE(result.options);
  EXPECT_TRUE(result.options->help);
  EXPECT_NE(RenderUsage().find("--type avi|flc|seq|wav"), std::string::npos);
}

}  // namespace
}  // namespace sprocket
