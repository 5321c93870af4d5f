#pragma once
// Names of the settings sections and keys of "RODUVER.INI".

#include <string_view>

namespace sprocket::settings {

// Output formats: one MovieSettings record each (keys in movie_settings.cpp).
inline constexpr std::string_view kMovie = "Movie";
inline constexpr std::string_view kPreview = "Preview";
inline constexpr std::string_view kPreviewPrefix = "Prev_";

// Compressor field order table: "ENTRY0" .. "ENTRY19" = "FOURCC(d)".
inline constexpr std::string_view kAviFieldInfo = "AVI Field Info";
inline constexpr std::string_view kAviFieldInfoEntryPrefix = "ENTRY";
inline constexpr int kAviFieldInfoEntries = 20;

// The result of the last Make Movie.
inline constexpr std::string_view kLastMakeMovie = "Last Make Movie";

// Output folders of Make Movie: key "Dir".
inline constexpr std::string_view kMovieAviDir = "Movie AVI Dir";
inline constexpr std::string_view kPreviewAviDir = "Preview AVI Dir";
inline constexpr std::string_view kDir = "Dir";

// Temporary folders: candidates "Dir1".."Dir4", the current choice "Dir".
inline constexpr std::string_view kTempFileDir = "Temp File Dir";
inline constexpr std::string_view kTempDirCurrent = "Dir";

// Set to 1 while the editor runs and to 0 at a clean exit: a start-up that
// finds 1 offers the backup timeline.
inline constexpr std::string_view kForcedExit = "FORCED EXIT";
inline constexpr std::string_view kForcedExitFlag = "Flag";

// Read directly from the settings file.
inline constexpr std::string_view kMultiProc = "MULTIPROC";
inline constexpr std::string_view kEnableMultiProc = "ENABLEMULTIPROC";

inline constexpr std::string_view kOldAudio = "Old Audio";
inline constexpr std::string_view kOldAudioEnable = "ENABLE";

inline constexpr std::string_view kIncComp = "Inc Comp";
inline constexpr std::string_view kIncCompDisable = "Disable";

inline constexpr std::string_view kRealTimeMixing = "Real Time Mixing";
inline constexpr std::string_view kRealTimeMixingEnable = "Enable";

// Custom transition groups: "File Name%d", "Title%d" for 1..20.
inline constexpr std::string_view kCustomFxs = "Custom FXs";

// Platform family: 1 = the single-user family (rendered segments reused, no
// board-native output), 2 = the workstation family.
inline constexpr std::string_view kPlatform = "Platform";
inline constexpr std::string_view kPlatformFamily = "Family";

// The video board stand-in: "Simulate" = 1 switches it on; "Disk" is the
// folder of its disk, "EffectsBoard" = 1 adds the effects board.
inline constexpr std::string_view kBoard = "Board";
inline constexpr std::string_view kBoardSimulate = "Simulate";
inline constexpr std::string_view kBoardDisk = "Disk";
inline constexpr std::string_view kBoardEffects = "EffectsBoard";

}  // namespace sprocket::settings
