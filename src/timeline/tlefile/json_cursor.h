#pragma once
// Validating reads of a parsed JSON document.
//
// A JsonCursor is one value of the document together with the path that
// names it in messages ("tracks[2].clips[0].out"). Every read checks the
// value's type and range and throws JsonFormatError with a sentence naming
// the path when the value does not fit, so a reader states its rules once
// and never works with a value it has not checked.
//
//   JsonCursor root(document, "");
//   std::int32_t rate = root.Field("rate").Int(1, 12000);
//   for (const JsonCursor& track : root.Field("tracks").Items(100)) ...

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace sprocket {

class JsonFormatError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class JsonCursor {
public:
  JsonCursor(const nlohmann::json& value, std::string path) : value_(&value), path_(std::move(path)) {}

  const std::string& Path() const { return path_; }
  const nlohmann::json& Value() const { return *value_; }

  // The value of a key of this object; a missing key fails.
  JsonCursor Field(std::string_view key) const;
  // The value of a key of this object, or nothing when the key is absent.
  std::optional<JsonCursor> OptionalField(std::string_view key) const;
  bool Has(std::string_view key) const { return OptionalField(key).has_value(); }

  // A whole number within [min, max].
  std::int64_t Int(std::int64_t min, std::int64_t max) const;
  std::int32_t Int32(std::int32_t min, std::int32_t max) const { return static_cast<std::int32_t>(Int(min, max)); }
  // true, false, 1 or 0.
  bool Bool() const;
  // A text of at most `maxLength` bytes.
  std::string Text(std::size_t maxLength) const;
  // A base64 text decoding to at most `maxBytes` bytes.
  std::vector<std::uint8_t> Bytes(std::size_t maxBytes) const;
  // The items of an array of at most `maxCount` items.
  std::vector<JsonCursor> Items(std::size_t maxCount) const;
  // The items of an array of exactly `count` items.
  std::vector<JsonCursor> Tuple(std::size_t count) const;

  // Optional keys with the value a missing key stands for.
  std::int32_t Int32Or(std::string_view key, std::int32_t fallback, std::int32_t min, std::int32_t max) const;
  bool BoolOr(std::string_view key, bool fallback) const;
  std::string TextOr(std::string_view key, std::size_t maxLength, std::string fallback = {}) const;

  // Throws JsonFormatError: "<path>: <problem>".
  [[noreturn]] void Fail(const std::string& problem) const;

private:
  void ExpectObject() const;
  std::string Describe() const;

  const nlohmann::json* value_;
  std::string path_;
};

}  // namespace sprocket
