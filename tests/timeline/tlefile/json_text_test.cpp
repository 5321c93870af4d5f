#include "timeline/tlefile/json_text.h"

#include <gtest/gtest.h>

#include <functional>

namespace sprocket {
namespace {

using nlohmann::json;

constexpr JsonTextLimits kLimits{4, 20, "a test file"};

TEST(JsonText, PositionsCountLinesAndCharacters) {
  const std::string text = "ab\ncé日d\n\nx";
  const struct {
    std::size_t offset;
    std::size_t line;
    std::size_t column;
  } cases[] = {
      {0, 1, 1}, {2, 1, 3}, {3, 2, 1}, {6, 2, 3}, {9, 2, 4}, {10, 2, 5}, {11, 3, 1}, {12, 4, 1}, {99, 4, 2},
  };
  for (const auto& c : cases) {
    TextPosition position = PositionInText(text, c.offset);
    EXPECT_EQ(position.line, c.line) << c.offset;
    EXPECT_EQ(position.column, c.column) << c.offset;
  }
}

TEST(JsonText, EveryFaultOfTheTextIsOneSentenceWithItsPlace) {
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"", "the file is empty"},
      {" \n\t\r\n", "the file is empty"},
      {"{\"a\": [1, 2", "the file is not complete (it breaks off at line 1, column 12)"},
      {"{\"a\":\n \"text", "the file is not complete (it breaks off at line 2, column 7)"},
      {"{\"a\": tru", "the file is not complete (it breaks off at line 1, column 10)"},
      {"{\"a\":\n  1e400}", "a number is too large (line 2, column 3)"},
      {"[1, -2e999]", "a number is too large (line 1, column 5)"},
      {"{\"a\": \"x\xff\"}", "the file holds text that is not UTF-8 (line 1, column 9)"},
      {"not json {", "the file is not valid JSON (line 1, column 2)"},
      {"{\"a\":\n [1,2,]}", "the file is not valid JSON (line 2, column 7)"},
      {"{} x", "the file is not valid JSON (line 1, column 4)"},
      {"[[[[[1]]]]]", "the file is nested too deeply to be a test file"},
      {"[[[{\"a\": {}}]]]", "the file is nested too deeply to be a test file"},
  };
  for (const auto& c : cases) {
    std::string problem;
    EXPECT_FALSE(CatchJsonErrors([&] { ParseJsonText(c.text, kLimits); }, &problem)) << c.text;
    EXPECT_EQ(problem, c.message) << c.text;
  }
}

TEST(JsonText, DocumentsWithinTheLimitsParseWhole) {
  const json document =
      ParseJsonText(R"({"a": [1, -2, 3.5, "t", null, true], "b": {"c": {}}, "a2": 18446744073709551615})", kLimits);
  EXPECT_EQ(document,
            json::parse(R"({"a": [1, -2, 3.5, "t", null, true], "b": {"c": {}}, "a2": 18446744073709551615})"));
  EXPECT_EQ(ParseJsonText("[[[1]]]", kLimits), json::parse("[[[1]]]"));
  EXPECT_EQ(ParseJsonText(R"({"k": 1, "k": 2})", kLimits), json::parse(R"({"k": 2})"));
  std::string problem;
  EXPECT_FALSE(CatchJsonErrors([] { ParseJsonText("[1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20]", kLimits); },
                               &problem));
  EXPECT_EQ(problem, "the file holds too many values to be a test file");
}

TEST(JsonText, ErrorsOfTheLibraryWhileReadingBecomeSentences) {
  const json text = "a text";
  const json number = 1;
  const struct {
    std::function<void()> read;
    std::string message;
  } cases[] = {
      {[&] { (void)text.get<int>(); }, "a value is of the wrong type"},
      {[&] { (void)json::object().at("missing"); }, "a value is missing or out of range"},
      {[&] { (void)json::array().at(3); }, "a value is missing or out of range"},
      {[&] { [[maybe_unused]] json parsed = json::parse("[1e400]"); }, "a number is too large"},
      {[&] { [[maybe_unused]] json parsed = json::parse("{"); }, "the file is not valid JSON"},
      {[&] {
         json list = json::array({1});
         list.erase(json::array({2}).begin());
       },
       "the file's contents are not laid out as expected"},
      {[&] { (void)number.patch(json::parse(R"([{"op": "test", "path": "", "value": 2}])")); },
       "the file's contents are not laid out as expected"},
      {[&] { throw JsonFormatError("tracks[0]: the key \"type\" is missing"); },
       "tracks[0]: the key \"type\" is missing"},
  };
  for (const auto& c : cases) {
    std::string problem;
    EXPECT_FALSE(CatchJsonErrors(c.read, &problem));
    EXPECT_EQ(problem, c.message);
  }
  std::string untouched = "kept";
  EXPECT_TRUE(CatchJsonErrors([] {}, &untouched));
  EXPECT_EQ(untouched, "kept");
}

}  // namespace
}  // namespace sprocket
