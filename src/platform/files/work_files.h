#pragma once
// Files and folders a job writes under names of its own, tagged with the
// process that made them.
//
// An output is written as a work file beside its target,
// ".<name>.part-<pid>-XXXXXX", and renamed over the target when whole; a
// job's scratch files live in a work folder "<prefix><pid>-XXXXXX". A job
// that stops or fails removes its own; one that was killed cannot, so the
// next job that makes a work file of the same target, or a work folder with
// the same prefix in the same place, removes those whose process has ended.

#include <string>

namespace sprocket {

// Creates (exclusively, mode 0644) a new work file in the folder of
// `target`, after removing the work files of `target` left by ended
// processes. Returns its open descriptor and sets `workPath`; -1 (errno
// set) when the folder takes no new file or `target` names no file.
int CreateWorkFile(const std::string& target, std::string* workPath);

// Makes a new work folder named `prefix` + pid + "-XXXXXX" in `parent`,
// after removing the work folders with that prefix left there by ended
// processes. Returns its path (without a trailing slash), or empty.
std::string CreateWorkFolder(const std::string& parent, const std::string& prefix);

// Removes the entries of `folder` named `prefix` + pid + "-..." (with what
// they hold) whose process no longer runs.
void RemoveLeftoversOfEndedProcesses(const std::string& folder, const std::string& prefix);

}  // namespace sprocket
