#pragma once
// The output settings of movies and previews.
//
// Two records: "Movie" and "Preview". Both are stored in the settings file
// under the field names below; the preview record's keys carry the prefix
// "Prev_" ("Prev_VResWidth"). The frame rate is stored in hundredths of a
// frame per second (2997) and held here in frames per second.

#include <cstdint>
#include <string>

namespace sprocket {

class Profile;

enum class MovieSettingsKind { kMovie, kPreview };

struct MovieSettings {
  float VFramesPerSec = 29.97f;
  std::int32_t VbRecompress = 0;
  std::int32_t VbNoEffect = 0;
  std::int32_t VbStdAA = 0;
  std::int32_t Vb2xAA = 0;  // render at twice the size
  std::int32_t VbUseHighRes = 0;
  std::int32_t VResWidth = 640;
  std::int32_t VResHeight = 480;
  std::string VCompressionType = "MJPG";  // a FOURCC, always 4 characters
  std::int32_t VBitsPerPixel = 24;        // 24, 16, or 80..83 and others for 8-bit palettes
  std::int32_t VQuality = 7500;
  std::int32_t VDataRate = 0;
  std::int32_t VKeyFrame = 15;
  std::int32_t VInterleave = 1;
  std::int32_t VbCD = 0;
  std::string szPaletteFile;
  std::int32_t VField = 0;
  std::int32_t VReserved1 = 1;  // nonzero: the output carries sound
  std::int32_t VReserved2 = 0;
  std::int32_t ACompressionType = 0;
  std::int32_t ABitsPerSample = 16;
  std::int32_t ASamplesPerSec = 44100;
  std::int32_t AChannels = 2;
  std::string szPrefix;  // kept by the preview record only
  std::int32_t IResWidth = 640;
  std::int32_t IResHeight = 480;
  std::int32_t IFileType = 0;  // 0 BMP, 1 GIF, 2 PCX, 3 TGA, 4 TIF, 5 JPG, 6 PCT
  std::int32_t IBitsPerPixel = 24;
  std::int32_t IJpegQuality = 75;
  std::int32_t ICompression = 0;
  std::int32_t IFieldSequence = 0;  // 0 frames, 1..4 field modes
  std::int32_t FResWidth = 320;
  std::int32_t FResHeight = 200;

  // The defaults of each record.
  static MovieSettings Defaults(MovieSettingsKind kind);

  // The compressor as one 32-bit value (first character in the low byte).
  std::uint32_t CompressionFourcc() const;

  bool operator==(const MovieSettings&) const = default;
};

// Reads a record; keys that are missing take the record's defaults.
MovieSettings LoadMovieSettings(const Profile& profile, MovieSettingsKind kind);
// Writes every field of a record. False when the settings file cannot be written.
bool StoreMovieSettings(Profile& profile, MovieSettingsKind kind, const MovieSettings& settings);

// A FOURCC text padded with blanks (or cut) to four characters.
std::string NormalizeFourcc(const std::string& text);
// Four characters as one 32-bit value, first character in the low byte.
std::uint32_t FourccValue(const std::string& text);

}  // namespace sprocket
