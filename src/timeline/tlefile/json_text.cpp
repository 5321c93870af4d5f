#include "timeline/tlefile/json_text.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace sprocket {

namespace {

using nlohmann::json;

// Error ids of the JSON library: a number beyond a double, or beyond the
// integers it keeps.
constexpr int kNumberOverflow = 406;
constexpr int kNumberTooBig = 407;

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
}

std::string At(std::string_view text, std::size_t offset) {
  TextPosition position = PositionInText(text, offset);
  return "line " + std::to_string(position.line) + ", column " + std::to_string(position.column);
}

// True when the bytes are whole UTF-8 characters (lead bytes followed by
// their continuation bytes; overlong forms are not looked for).
bool IsUtf8(std::string_view bytes) {
  std::size_t following = 0;
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    if (following > 0) {
      if ((byte & 0xC0) != 0x80) return false;
      --following;
    } else if (byte >= 0xF8 || (byte & 0xC0) == 0x80) {
      return false;
    } else {
      following = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
    }
  }
  return following == 0;
}

// The parser's complaint as a sentence. `read` is the count of bytes it
// read, the last of them the one it stopped at; `token` is the text of the
// token it was reading.
std::string DescribeParseFailure(std::string_view text, std::size_t read, const std::string& token,
                                 const json::exception& error) {
  if (error.id == kNumberOverflow) {
    return "a number is too large (" + At(text, read - std::min(read, token.size())) + ")";
  }
  if (read > text.size()) return "the file is not complete (it breaks off at " + At(text, text.size()) + ")";
  std::size_t offset = read > 0 ? read - 1 : 0;
  if (!IsUtf8(token)) {
    return "the file holds text that is not UTF-8 (" + At(text, offset) + ")";
  }
  return "the file is not valid JSON (" + At(text, offset) + ")";
}

// Builds the document from the parser's events, refusing nesting and
// sizes beyond the limits before they take memory.
class LimitedDocumentBuilder : public nlohmann::json_sax<json> {
public:
  LimitedDocumentBuilder(std::string_view text, const JsonTextLimits& limits) : text_(text), limits_(limits) {}

  json& Document() { return document_; }
  // Why parsing stopped, when it did.
  const std::optional<std::string>& Refusal() const { return refusal_; }

  bool null() override { return Put(nullptr) != nullptr; }
  bool boolean(bool value) override { return Put(value) != nullptr; }
  bool number_integer(number_integer_t value) override { return Put(value) != nullptr; }
  bool number_unsigned(number_unsigned_t value) override { return Put(value) != nullptr; }
  bool number_float(number_float_t value, const string_t&) override { return Put(value) != nullptr; }
  bool string(string_t& value) override { return Put(std::move(value)) != nullptr; }
  bool binary(binary_t& value) override { return Put(json::binary(std::move(value))) != nullptr; }
  bool start_object(std::size_t) override { return Open(json::object()); }
  bool key(string_t& key) override {
    key_ = std::move(key);
    return true;
  }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(json::array()); }
  bool end_array() override { return Close(); }
  bool parse_error(std::size_t read, const std::string& token, const json::exception& error) override {
    refusal_ = DescribeParseFailure(text_, read, token, error);
    return false;
  }

private:
  bool Refuse(std::string problem) {
    refusal_ = std::move(problem);
    return false;
  }

  // Places a value in the open container (or as the document); null when a
  // limit refuses it.
  json* Put(json value) {
    if (++values_ > limits_.maxValues) {
      Refuse("the file holds too many values to be " + std::string(limits_.kind));
      return nullptr;
    }
    if (open_.empty()) {
      document_ = std::move(value);
      return &document_;
    }
    json& container = *open_.back();
    if (container.is_array()) {
      container.push_back(std::move(value));
      return &container.back();
    }
    json& slot = container[key_];
    slot = std::move(value);
    return &slot;
  }

  bool Open(json container) {
    if (open_.size() >= static_cast<std::size_t>(limits_.maxDepth)) {
      return Refuse("the file is nested too deeply to be " + std::string(limits_.kind));
    }
    json* placed = Put(std::move(container));
    if (placed == nullptr) return false;
    open_.push_back(placed);
    return true;
  }

  bool Close() {
    open_.pop_back();
    return true;
  }

  std::string_view text_;
  const JsonTextLimits& limits_;
  json document_;
  std::vector<json*> open_;
  std::string key_;
  std::size_t values_ = 0;
  std::optional<std::string> refusal_;
};

}  // namespace

TextPosition PositionInText(std::string_view text, std::size_t offset) {
  TextPosition position;
  offset = std::min(offset, text.size());
  for (std::size_t i = 0; i < offset; ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n') {
      ++position.line;
      position.column = 1;
    } else if ((byte & 0xC0) != 0x80) {
      ++position.column;
    }
  }
  return position;
}

json ParseJsonText(std::string_view text, const JsonTextLimits& limits) {
  if (IsBlank(text)) throw JsonFormatError("the file is empty");
  LimitedDocumentBuilder builder(text, limits);
  if (!json::sax_parse(text.begin(), text.end(), &builder) || builder.Refusal()) {
    throw JsonFormatError(builder.Refusal().value_or("the file is not valid JSON"));
  }
  return std::move(builder.Document());
}

std::string DescribeJsonError(const json::exception& error) {
  if (dynamic_cast<const json::parse_error*>(&error) != nullptr) return "the file is not valid JSON";
  if (dynamic_cast<const json::type_error*>(&error) != nullptr) return "a value is of the wrong type";
  if (dynamic_cast<const json::out_of_range*>(&error) != nullptr) {
    if (error.id == kNumberOverflow || error.id == kNumberTooBig) return "a number is too large";
    return "a value is missing or out of range";
  }
  // invalid_iterator and other_error: the document is not shaped as the
  // reader expects.
  return "the file's contents are not laid out as expected";
}

}  // namespace sprocket
