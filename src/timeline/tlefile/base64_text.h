#pragma once
// Binary blocks as base64 text (RFC 4648, with '=' padding), for the
// pictures and data blocks that text files carry.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sprocket {

std::string Base64Encode(std::span<const std::uint8_t> bytes);

// Decodes `text` into `bytes`. False when the text is not base64 (a wrong
// character, a length that is not a multiple of 4, misplaced padding) or
// decodes to more than `maxBytes` bytes.
bool Base64Decode(std::string_view text, std::vector<std::uint8_t>* bytes, std::size_t maxBytes);

}  // namespace sprocket
