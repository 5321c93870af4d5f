#pragma once
// The black picture that fades from and to black put on the timeline.

#include <string>

namespace sprocket {

inline constexpr const char* kBlackPictureName = "black";
inline constexpr const char* kBlackPictureExtension = ".bmp";
// How a timeline file names the program's black picture.
inline constexpr const char* kGeneratedBlack = "black";

// The path of "black.bmp" in `directory`, written there (a small 24-bit
// black bitmap) when it is missing; when that folder cannot be written, in
// `spareDirectory`. Empty when neither works.
std::string EnsureBlackPicture(const std::string& directory, const std::string& spareDirectory);

// The program's own black picture: "black.bmp" in the settings folder (the
// temporary folder when that cannot be written), made when missing. Timeline
// files name it as a generated picture, not by its path, so that a timeline
// finds it on any machine and after any move.
std::string EnsureBlackPicture();
// True for the path EnsureBlackPicture() gives.
bool IsProgramBlackPicture(const std::string& path);

}  // namespace sprocket
