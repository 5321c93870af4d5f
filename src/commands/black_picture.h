#pragma once
// The black picture that fades from and to black put on the timeline.

#include <string>

namespace sprocket {

inline constexpr const char* kBlackPictureName = "black";
inline constexpr const char* kBlackPictureExtension = ".bmp";

// The path of "black.bmp" in `programDirectory`, written there (a small
// 24-bit black bitmap) when it is missing; when that folder cannot be
// written, in `spareDirectory`. Empty when neither works.
std::string EnsureBlackPicture(const std::string& programDirectory, const std::string& spareDirectory);

}  // namespace sprocket
