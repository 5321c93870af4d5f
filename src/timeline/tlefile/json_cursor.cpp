#include "timeline/tlefile/json_cursor.h"

#include "timeline/tlefile/base64_text.h"

namespace sprocket {

namespace {

std::string ChildPath(const std::string& parent, std::string_view key) {
  return parent.empty() ? std::string(key) : parent + "." + std::string(key);
}

}  // namespace

void JsonCursor::Fail(const std::string& problem) const {
  throw JsonFormatError(path_.empty() ? problem : path_ + ": " + problem);
}

std::string JsonCursor::Describe() const {
  switch (value_->type()) {
    case nlohmann::json::value_t::null:
      return "null";
    case nlohmann::json::value_t::boolean:
      return "true or false";
    case nlohmann::json::value_t::string:
      return "a text";
    case nlohmann::json::value_t::array:
      return "a list";
    case nlohmann::json::value_t::object:
      return "an object";
    case nlohmann::json::value_t::number_float:
      return "a fractional number";
    default:
      return "a number";
  }
}

void JsonCursor::ExpectObject() const {
  if (!value_->is_object()) Fail("expected an object, found " + Describe());
}

JsonCursor JsonCursor::Field(std::string_view key) const {
  std::optional<JsonCursor> field = OptionalField(key);
  if (!field) Fail("the key \"" + std::string(key) + "\" is missing");
  return *field;
}

std::optional<JsonCursor> JsonCursor::OptionalField(std::string_view key) const {
  ExpectObject();
  auto found = value_->find(key);
  if (found == value_->end()) return std::nullopt;
  return JsonCursor(*found, ChildPath(path_, key));
}

std::int64_t JsonCursor::Int(std::int64_t min, std::int64_t max) const {
  std::string range = " (allowed: " + std::to_string(min) + " to " + std::to_string(max) + ")";
  if (value_->is_number_unsigned()) {
    auto value = value_->get<std::uint64_t>();
    if (value > static_cast<std::uint64_t>(max) || (min > 0 && value < static_cast<std::uint64_t>(min))) {
      Fail(std::to_string(value) + " is out of range" + range);
    }
    return static_cast<std::int64_t>(value);
  }
  if (!value_->is_number_integer()) Fail("expected a whole number, found " + Describe());
  auto value = value_->get<std::int64_t>();
  if (value < min || value > max) Fail(std::to_string(value) + " is out of range" + range);
  return value;
}

bool JsonCursor::Bool() const {
  if (value_->is_boolean()) return value_->get<bool>();
  if (value_->is_number_integer()) {
    auto value = value_->get<std::int64_t>();
    if (value == 0 || value == 1) return value == 1;
  }
  Fail("expected true or false, found " + Describe());
}

std::string JsonCursor::Text(std::size_t maxLength) const {
  if (!value_->is_string()) Fail("expected a text, found " + Describe());
  const std::string& text = value_->get_ref<const std::string&>();
  if (text.size() > maxLength) {
    Fail("the text is " + std::to_string(text.size()) + " bytes long; at most " + std::to_string(maxLength) +
         " are allowed");
  }
  if (text.find('\0') != std::string::npos) Fail("the text holds a NUL character");
  return text;
}

std::vector<std::uint8_t> JsonCursor::Bytes(std::size_t maxBytes) const {
  if (!value_->is_string()) Fail("expected a base64 text, found " + Describe());
  std::vector<std::uint8_t> bytes;
  if (!Base64Decode(value_->get_ref<const std::string&>(), &bytes, maxBytes)) {
    Fail("not a base64 text of at most " + std::to_string(maxBytes) + " bytes");
  }
  return bytes;
}

std::vector<JsonCursor> JsonCursor::Items(std::size_t maxCount) const {
  if (!value_->is_array()) Fail("expected a list, found " + Describe());
  if (value_->size() > maxCount) {
    Fail("the list holds " + std::to_string(value_->size()) + " items; at most " + std::to_string(maxCount) +
         " are allowed");
  }
  std::vector<JsonCursor> items;
  items.reserve(value_->size());
  for (std::size_t i = 0; i < value_->size(); ++i) {
    items.emplace_back((*value_)[i], path_ + "[" + std::to_string(i) + "]");
  }
  return items;
}

std::vector<JsonCursor> JsonCursor::Tuple(std::size_t count) const {
  if (!value_->is_array() || value_->size() != count) {
    Fail("expected a list of " + std::to_string(count) + " numbers, found " +
         (value_->is_array() ? "a list of " + std::to_string(value_->size()) : Describe()));
  }
  return Items(count);
}

std::int32_t JsonCursor::Int32Or(std::string_view key, std::int32_t fallback, std::int32_t min,
                                 std::int32_t max) const {
  std::optional<JsonCursor> field = OptionalField(key);
  return field ? field->Int32(min, max) : fallback;
}

bool JsonCursor::BoolOr(std::string_view key, bool fallback) const {
  std::optional<JsonCursor> field = OptionalField(key);
  return field ? field->Bool() : fallback;
}

std::string JsonCursor::TextOr(std::string_view key, std::size_t maxLength, std::string fallback) const {
  std::optional<JsonCursor> field = OptionalField(key);
  return field ? field->Text(maxLength) : std::move(fallback);
}

}  // namespace sprocket
