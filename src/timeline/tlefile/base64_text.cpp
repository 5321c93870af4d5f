#include "timeline/tlefile/base64_text.h"

#include <array>

namespace sprocket {

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kNotBase64 = 0xFF;

constexpr std::array<std::uint8_t, 256> MakeDecodeTable() {
  std::array<std::uint8_t, 256> table{};
  for (auto& entry : table) entry = kNotBase64;
  for (std::size_t i = 0; i < kAlphabet.size(); ++i)
    table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
  return table;
}

constexpr std::array<std::uint8_t, 256> kDecode = MakeDecodeTable();

}  // namespace

std::string Base64Encode(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16 | bytes[i + 1] << 8 | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) text += kAlphabet[(group >> shift) & 63];
  }
  std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16 | (rest == 2 ? bytes[i + 1] << 8 : 0);
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
    text += '=';
  }
  return text;
}

bool Base64Decode(std::string_view text, std::vector<std::uint8_t>* bytes, std::size_t maxBytes) {
  bytes->clear();
  if (text.size() % 4 != 0) return false;
  std::size_t padding = 0;
  if (!text.empty() && text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
  std::size_t size = text.size() / 4 * 3 - padding;
  if (size > maxBytes) return false;
  bytes->reserve(size);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    bool last = i + 4 == text.size();
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      unsigned char c = static_cast<unsigned char>(text[i + k]);
      std::uint8_t value = kDecode[c];
      if (c == '=' && last && k >= 4 - padding) {
        value = 0;
      } else if (value == kNotBase64) {
        return false;
      }
      group = group << 6 | value;
    }
    bytes->push_back(static_cast<std::uint8_t>(group >> 16));
    if (!last || padding < 2) bytes->push_back(static_cast<std::uint8_t>(group >> 8));
    if (!last || padding < 1) bytes->push_back(static_cast<std::uint8_t>(group));
  }
  return true;
}

}  // namespace sprocket
