#pragma once
// Names of the files of a numbered image sequence.

#include <string>
#include <string_view>

namespace sprocket {

// The name of the image `offset` places after `firstName` in its sequence:
// the last run of digits in the file name before its final extension is
// advanced by the offset, keeping its width with leading zeros (and growing
// when the number needs more digits):
//   "/clips/shot0009.bmp", 3 -> "/clips/shot0012.bmp"
// Empty when the file name has no such number or the result would be negative.
std::string MakeNumberedFileName(std::string_view firstName, long offset);

}  // namespace sprocket
