#include "platform/settings/movie_settings.h"

#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/settings/profile.h"
#include "platform/settings/settings_keys.h"

namespace sprocket {

namespace {

struct IntField {
  std::string_view key;
  std::int32_t MovieSettings::*member;
};

// Every integer field, stored under its own name.
constexpr IntField kIntFields[] = {
    {"VbRecompress", &MovieSettings::VbRecompress},
    {"VbNoEffect", &MovieSettings::VbNoEffect},
    {"VbStdAA", &MovieSettings::VbStdAA},
    {"Vb2xAA", &MovieSettings::Vb2xAA},
    {"VbUseHighRes", &MovieSettings::VbUseHighRes},
    {"VResWidth", &MovieSettings::VResWidth},
    {"VResHeight", &MovieSettings::VResHeight},
    {"VBitsPerPixel", &MovieSettings::VBitsPerPixel},
    {"VQuality", &MovieSettings::VQuality},
    {"VDataRate", &MovieSettings::VDataRate},
    {"VKeyFrame", &MovieSettings::VKeyFrame},
    {"VInterleave", &MovieSettings::VInterleave},
    {"VbCD", &MovieSettings::VbCD},
    {"VField", &MovieSettings::VField},
    {"VReserved1", &MovieSettings::VReserved1},
    {"VReserved2", &MovieSettings::VReserved2},
    {"ACompressionType", &MovieSettings::ACompressionType},
    {"ABitsPerSample", &MovieSettings::ABitsPerSample},
    {"ASamplesPerSec", &MovieSettings::ASamplesPerSec},
    {"AChannels", &MovieSettings::AChannels},
    {"IResWidth", &MovieSettings::IResWidth},
    {"IResHeight", &MovieSettings::IResHeight},
    {"IFileType", &MovieSettings::IFileType},
    {"IBitsPerPixel", &MovieSettings::IBitsPerPixel},
    {"IJpegQuality", &MovieSettings::IJpegQuality},
    {"ICompression", &MovieSettings::ICompression},
    {"IFieldSequence", &MovieSettings::IFieldSequence},
    {"FResWidth", &MovieSettings::FResWidth},
    {"FResHeight", &MovieSettings::FResHeight},
};

constexpr std::string_view kFramesPerSec = "VFramesPerSec";
constexpr std::string_view kCompressionType = "VCompressionType";
constexpr std::string_view kPaletteFile = "szPaletteFile";
constexpr std::string_view kPrefix = "szPrefix";

struct RecordNames {
  std::string_view section;
  std::string_view keyPrefix;
  std::string Key(std::string_view field) const { return std::string(keyPrefix) + std::string(field); }
};

RecordNames NamesOf(MovieSettingsKind kind) {
  if (kind == MovieSettingsKind::kPreview) return {settings::kPreview, settings::kPreviewPrefix};
  return {settings::kMovie, ""};
}

std::int32_t ToHundredths(float fps) { return static_cast<std::int32_t>(std::lround(fps * 100.0)); }

}  // namespace

MovieSettings MovieSettings::Defaults(MovieSettingsKind kind) {
  MovieSettings s;
  if (kind == MovieSettingsKind::kPreview) {
    s.VResWidth = 320;
    s.VResHeight = 240;
    s.VFramesPerSec = 15.0f;
    s.ASamplesPerSec = 22050;
  }
  return s;
}

std::uint32_t MovieSettings::CompressionFourcc() const { return FourccValue(VCompressionType); }

std::string NormalizeFourcc(const std::string& text) {
  std::string fourcc = text.substr(0, 4);
  fourcc.resize(4, ' ');
  return fourcc;
}

std::uint32_t FourccValue(const std::string& text) {
  std::string fourcc = NormalizeFourcc(text);
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(fourcc[static_cast<std::size_t>(i)]);
  return value;
}

MovieSettings LoadMovieSettings(const Profile& profile, MovieSettingsKind kind) {
  const RecordNames names = NamesOf(kind);
  MovieSettings s = MovieSettings::Defaults(kind);
  s.VFramesPerSec = static_cast<float>(
      profile.GetProfileInt(names.section, names.Key(kFramesPerSec), ToHundredths(s.VFramesPerSec)) / 100.0);
  for (const IntField& field : kIntFields) {
    s.*field.member = profile.GetProfileInt(names.section, names.Key(field.key), s.*field.member);
  }
  s.VCompressionType =
      NormalizeFourcc(profile.GetProfileString(names.section, names.Key(kCompressionType), s.VCompressionType));
  s.szPaletteFile = profile.GetProfileString(names.section, names.Key(kPaletteFile), s.szPaletteFile);
  if (kind == MovieSettingsKind::kPreview) {
    s.szPrefix = profile.GetProfileString(names.section, names.Key(kPrefix), s.szPrefix);
  }
  return s;
}

bool StoreMovieSettings(Profile& profile, MovieSettingsKind kind, const MovieSettings& s) {
  const RecordNames names = NamesOf(kind);
  std::vector<std::pair<std::string, std::string>> values;
  values.emplace_back(names.Key(kFramesPerSec), std::to_string(ToHundredths(s.VFramesPerSec)));
  for (const IntField& field : kIntFields) {
    values.emplace_back(names.Key(field.key), std::to_string(s.*field.member));
  }
  values.emplace_back(names.Key(kCompressionType), NormalizeFourcc(s.VCompressionType));
  values.emplace_back(names.Key(kPaletteFile), s.szPaletteFile);
  if (kind == MovieSettingsKind::kPreview) values.emplace_back(names.Key(kPrefix), s.szPrefix);
  return profile.WriteProfileStrings(names.section, values);
}

}  // namespace sprocket
