#pragma once
// JSON texts of the editor's files: parsing within limits, and every error
// of the JSON library in a user's words.
//
// Readers parse with ParseJsonText and read the document through
// JsonCursor inside CatchJsonErrors, so that nothing the library throws
// leaves a reader and every refusal is one sentence about the file:
//
//   std::string problem;
//   bool ok = CatchJsonErrors([&] {
//     nlohmann::json document = ParseJsonText(text, {32, 4000000, "a timeline"});
//     ...
//   }, &problem);
//   // problem: "a number is too large (line 3, column 12)"

#include <cstddef>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "timeline/tlefile/json_cursor.h"

namespace sprocket {

struct JsonTextLimits {
  int maxDepth = 32;               // containers inside containers
  std::size_t maxValues = 100000;  // values, objects and lists together
  std::string_view kind;           // what the file must be, for messages: "a timeline"
};

// Where a byte of a text lies: line and column from 1, columns counted in
// characters (UTF-8 sequences count once).
struct TextPosition {
  std::size_t line = 1;
  std::size_t column = 1;
};
TextPosition PositionInText(std::string_view text, std::size_t offset);

// Parses the text. Throws JsonFormatError saying what is wrong: "the file is
// empty", "the file is not complete (it breaks off at line L, column C)",
// "a number is too large (line L, column C)", "the file holds text that is
// not UTF-8 (line L, column C)", "the file is not valid JSON (line L,
// column C)", "the file is nested too deeply to be <kind>" or "the file
// holds too many values to be <kind>".
nlohmann::json ParseJsonText(std::string_view text, const JsonTextLimits& limits);

// What an error of the JSON library says about a file, in a user's words
// ("a number is too large", "a value is of the wrong type", ...).
std::string DescribeJsonError(const nlohmann::json::exception& error);

// Runs `read`; false with `problem` set when it refuses the file
// (JsonFormatError) or the JSON library fails.
template <typename Read>
bool CatchJsonErrors(Read&& read, std::string* problem) {
  try {
    read();
    return true;
  } catch (const JsonFormatError& refusal) {
    *problem = refusal.what();
  } catch (const nlohmann::json::exception& error) {
    *problem = DescribeJsonError(error);
  }
  return false;
}

}  // namespace sprocket
