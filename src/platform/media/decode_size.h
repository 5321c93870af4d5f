#pragma once
// The size a caller will show decoded pictures at. Codecs that can decode at
// a half, a quarter or an eighth of the movie's size (motion JPEG, among
// others) then decode at the smallest of those that still covers it, which
// costs a fraction of a full decode: thumbnails and tip pictures. The
// default asks for full-size pictures, exactly as stored.

namespace sprocket {

struct DecodeSize {
  int width = 0;
  int height = 0;

  bool IsFull() const { return width <= 0 || height <= 0; }
};

}  // namespace sprocket
