#pragma once
// Four-character codes as stored in RIFF files: the first character in the
// lowest byte.

#include <cstdint>
#include <string>
#include <string_view>

namespace sprocket {

using FourCC = std::uint32_t;

// The code of up to four characters, padded with spaces ("DIB" = "DIB ");
// an empty text gives 0, the "no compression" code of AVI files.
constexpr FourCC MakeFourCC(std::string_view text) {
  if (text.empty()) return 0;
  FourCC code = 0;
  for (int i = 0; i < 4; ++i) {
    auto c = static_cast<unsigned char>(i < static_cast<int>(text.size()) ? text[i] : ' ');
    code |= static_cast<FourCC>(c) << (8 * i);
  }
  return code;
}

// The four characters of a code, lowest byte first ("%c%c%c%c"); bytes that
// are not printable become '?'.
std::string FourCCText(FourCC code);

// Compares two codes without regard to the case of letters ("MJPG" = "mjpg").
bool FourCCEqualsNoCase(FourCC a, FourCC b);

}  // namespace sprocket
