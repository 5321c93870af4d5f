#pragma once
// Media type codes of clip files, chosen by extension.

#include <cstdint>
#include <string_view>

namespace sprocket {

// Codes of the moving pictures, stills, sounds and everything else.
enum MediaTypeCode : std::int32_t {
  kMediaAvi = 101,
  kMediaFlc = 102,
  kMediaFli = 103,
  kMediaBmp = 201,
  kMediaTif = 202,
  kMediaTga = 203,
  kMediaJpg = 204,
  kMediaPcx = 205,
  kMediaGif = 206,
  kMediaWpg = 207,
  kMediaWmf = 208,
  kMediaDcx = 209,
  kMediaEps = 210,
  kMediaPct = 211,
  kMediaDib = 212,
  kMediaIff = 213,
  kMediaPcd = 214,
  kMediaPsd = 215,
  kMediaWav = 301,
  kMediaSnd = 302,
  kMediaMdi = 303,
  kMediaOther = 501,
};

// The code of a file by its extension (compared without regard to case);
// kMediaOther for every other file.
std::int32_t GetMediaTypeCode(std::string_view path);

// True for ".avi", ".flc" and ".fli" (an extension with its dot, any case).
bool IsVideoFileExt(std::string_view extension);
// True for ".bmp", ".tif", ".tga", ".pcx", ".jpg", ".gif", ".wpg", ".pct",
// ".dib" and ".pcd" (any case).
bool IsImageFileExt(std::string_view extension);

// True for the extensions of the files clips are made of: movies, stills
// and WAV sounds.
bool IsReadableMediaExt(std::string_view extension);
// Those kinds in words, for messages.
std::string_view ReadableMediaKinds();

bool IsVideoMediaType(std::int32_t code);  // 101..103
bool IsImageMediaType(std::int32_t code);  // 201..215
bool IsAudioMediaType(std::int32_t code);  // 301..303

}  // namespace sprocket
