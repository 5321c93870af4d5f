#pragma once
// Small services that every render around the timeline view needs: the
// choice of the temporary folder by free space, unique names for temporary
// AVI files, the test that an output file can be written, the test that an
// output path is not a clip of the timeline, and the snap of the current
// time to a clip edge.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/settings/profile.h"
#include "timeline/document/document.h"

namespace sprocket {

// Free kilobytes of the file system that holds a folder; nothing when it
// cannot be measured. The default measures with FreeSpaceKB.
using FreeSpaceProbe = std::function<std::optional<std::uint64_t>(const std::string& folder)>;

// The free kilobytes of a folder as the space checks count them (0 when it
// cannot be measured).
std::uint64_t FolderFreeKB(const std::string& folder, const FreeSpaceProbe& probe = {});

// Looks at the candidate folders "Dir1".."Dir4" of "Temp File Dir": when one
// has more free space than the document's temporary folder, the first of
// the roomiest becomes the document's temporary folder and is written back
// as "Dir". Candidates that do not exist or cannot be written are skipped;
// folders on one file system count the same space, so they tie, and a tie
// with the current folder changes nothing.
void ChooseTempDir(CTestDoc& doc, Profile& profile, const FreeSpaceProbe& probe = {});

// Ascending order of two free-space values: -1, 0 or 1.
int CompareFreeSpace(const std::uint32_t* first, const std::uint32_t* second);

// Writes a new temporary AVI name into `out`: the folder, "zkb", a random
// number in upper-case hexadecimal and ".avi". A name that an AVI file of
// the folder already has (in any letter case) is drawn again, at most 100
// times. Returns -1 when the folder holds no ".avi" file at all, else 0;
// the name is good in both cases.
int MakeTempAviName(const std::string& folder, std::string& out);

// Creates an empty file with a unique name and the prefix in the system's
// temporary folder and writes its path into `buffer` (cleared first).
// Returns the unique number used, or 0 when no file could be made.
int MakeWindowsTempFile(std::string& buffer, std::string_view prefix);

// 1 when a file of that name can be written, else 0 after telling the user
// (message 61298). An existing file is opened for writing but never
// truncated or deleted; a new name is created and removed again.
int TestOutputFile(const std::string& path);

// 1 when no clip of the timeline (other than intermediate movies) plays the
// file `path`, else 0. Letter case does not count; the path is not changed.
int CheckPathNotInClips(const std::string& path, const TLEvent* head);

// The clip edge (an in or out time on any track) nearest to the document's
// current position, when one lies less than 16 ms away (the first found on
// a tie); else the current position.
std::int32_t SnapToClipEdge(const CTestDoc& doc);

}  // namespace sprocket
