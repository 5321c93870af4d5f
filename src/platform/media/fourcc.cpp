#include "platform/media/fourcc.h"

namespace sprocket {

namespace {

unsigned char LowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

}  // namespace

std::string FourCCText(FourCC code) {
  std::string text(4, ' ');
  for (int i = 0; i < 4; ++i) {
    auto c = static_cast<unsigned char>((code >> (8 * i)) & 0xFFu);
    text[i] = (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  return text;
}

bool FourCCEqualsNoCase(FourCC a, FourCC b) {
  for (int i = 0; i < 4; ++i) {
    auto ca = static_cast<unsigned char>((a >> (8 * i)) & 0xFFu);
    auto cb = static_cast<unsigned char>((b >> (8 * i)) & 0xFFu);
    if (LowerAscii(ca) != LowerAscii(cb)) return false;
  }
  return true;
}

}  // namespace sprocket
