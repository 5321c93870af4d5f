#pragma once
// What killed runs of the editor or of sprocket-render left behind: the
// work files of unfinished outputs (".<name>.part-<pid>-<start>-XXXXXX")
// and the render jobs' work folders ("sprocket-job-<pid>-<start>-XXXXXX",
// with their "recorder.wav"). Each program removes those of ended
// processes from the folders it knows when it starts.
//
// Work files lie beside their outputs, so only the folders named in the
// settings are looked at: the temporary folders (the system's, "Temp File
// Dir" "Dir" and "Dir1".."Dir4", which also hold the segment files), the
// AVI folders ("Movie AVI Dir" and "Preview AVI Dir" "Dir", where Make
// Movie's AVI dialog starts and which it writes back before rendering) and
// the folder of the last movie made ("Last Make Movie" "FileName"). FLC,
// WAV and image-sequence outputs elsewhere are cleaned when the next job
// writes the same output.

#include <string>
#include <vector>

namespace sprocket {

class Profile;

// The existing folders named above, each once, ending in '/'.
std::vector<std::string> LeftoverFolders(const Profile& profile);

// Removes, from LeftoverFolders, the work files and job work folders whose
// process has ended (never those of a running process, nor another user's).
void RemoveLeftoversOfEndedRuns(const Profile& profile);

}  // namespace sprocket
