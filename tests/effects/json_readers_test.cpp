// Every reader of the editor's JSON files, given damaged files: each says in
// a sentence what is wrong, names the file, and throws nothing.

#include <gtest/gtest.h>

#include <functional>

#include "effects/custom_fx_group.h"
#include "effects_fixture.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket {
namespace {

using testing::OneFilter;
using testing::TempDir;

struct JsonReader {
  std::string name;
  std::string extension;
  std::string goodText;
  // Reads a file's text; false with the message.
  std::function<bool(const std::string&, std::string*)> parse;
  // Reads a file; false with a message that names it.
  std::function<bool(const std::filesystem::path&, std::string*)> read;
};

std::vector<JsonReader> Readers(const TempDir& dir) {
  CTestDoc doc;
  std::string timeline;
  EXPECT_TRUE(FormatTimelineFile(doc, dir.path(), &timeline));
  return {
      {"timeline", ".tle", timeline,
       [&dir](const std::string& text, std::string* error) {
         CTestDoc read;
         return ParseTimelineFile(text, dir.path(), read, error);
       },
       [](const std::filesystem::path& path, std::string* error) {
         CTestDoc read;
         return ReadTimelineFile(path, read, error);
       }},
      {"transition group", ".fxc",
       FormatCustomFxGroup(CustomFxGroup{"Wipes", {OneFilter(effect_id::kWipeLeftToRight, 25)}}),
       [](const std::string& text, std::string* error) {
         CustomFxGroup group;
         return ParseCustomFxGroup(text, group, error);
       },
       [](const std::filesystem::path& path, std::string* error) {
         CustomFxGroup group;
         return ReadCustomFxGroup(path, group, error);
       }},
  };
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

struct Damage {
  std::string name;
  std::function<std::string(const std::string&)> apply;
  std::string message;  // the start of the reader's sentence about the file
};

const std::vector<Damage>& Damages() {
  static const std::vector<Damage> damages = {
      {"empty", [](const std::string&) { return std::string(); }, "the file is empty"},
      {"truncated", [](const std::string& good) { return good.substr(0, good.size() / 2); },
       "the file is not complete (it breaks off at line "},
      {"a number too large",
       [](const std::string& good) { return Replaced(good, "\"version\": 1", "\"version\": 1e400"); },
       "a number is too large (line "},
      {"a negative number too large",
       [](const std::string& good) { return Replaced(good, "\"version\": 1", "\"version\": -1e400"); },
       "a number is too large (line "},
      {"a wrong type", [](const std::string& good) { return Replaced(good, "\"version\": 1", "\"version\": \"1\""); },
       "version: expected a whole number, found a text"},
      {"a fraction", [](const std::string& good) { return Replaced(good, "\"version\": 1", "\"version\": 1.5"); },
       "version: expected a whole number, found a fractional number"},
      {"deep nesting", [](const std::string&) { return std::string(5000, '[') + std::string(5000, ']'); },
       "the file is nested too deeply to be a"},
      {"not JSON", [](const std::string&) { return std::string("<?xml version=\"1.0\"?>"); },
       "the file is not valid JSON (line 1, column 1)"},
      {"not UTF-8", [](const std::string& good) { return Replaced(good, "\"format\": \"", "\"format\": \"\xc3("); },
       "the file holds text that is not UTF-8 (line "},
      {"another kind of file", [](const std::string&) { return std::string("[1, 2]"); }, "the file is not a"},
      {"garbage after the end", [](const std::string& good) { return good + "}"; },
       "the file is not valid JSON (line "},
  };
  return damages;
}

TEST(JsonReaders, EveryDamagedFileIsRefusedWithASentenceAndNothingThrown) {
  TempDir dir;
  for (const JsonReader& reader : Readers(dir)) {
    std::string error;
    ASSERT_TRUE(reader.parse(reader.goodText, &error)) << reader.name << ": " << error;
    for (const Damage& damage : Damages()) {
      SCOPED_TRACE(reader.name + ", " + damage.name);
      const std::string text = damage.apply(reader.goodText);
      bool parsed = true;
      EXPECT_NO_THROW(parsed = reader.parse(text, &error));
      EXPECT_FALSE(parsed);
      EXPECT_NE(error.find(damage.message), std::string::npos) << error;
      EXPECT_EQ(error.find("json.exception"), std::string::npos) << error;

      const auto path = dir.Write("damaged" + reader.extension, text);
      EXPECT_NO_THROW(parsed = reader.read(path, &error));
      EXPECT_FALSE(parsed);
      EXPECT_NE(error.find(path.string()), std::string::npos) << error;
      EXPECT_NE(error.find(damage.message), std::string::npos) << error;
    }
  }
}

}  // namespace
}  // namespace sprocket
