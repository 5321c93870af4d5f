#pragma once
// Files and folders a job writes under names of its own, tagged with the
// process that made them (its number and start time, see process_tag.h).
//
// An output is written as a work file beside its target,
// ".<name>.part-<pid>-<start>-XXXXXX", and renamed over the target when
// whole; a job's scratch files live in a work folder
// "<prefix><pid>-<start>-XXXXXX". A job that stops or fails removes its
// own; one that was killed cannot, so the next job that makes a work file
// of the same target, or a work folder with the same prefix in the same
// place, removes those whose process has ended, and each program removes
// those of the folders it knows when it starts (platform/leftovers.h).
// Names of the older form, without the start time, are recognised too.

#include <string>

namespace sprocket {

// Render jobs' work folders are named this, the process tag and a unique part.
inline constexpr const char* kJobFolderPrefix = "sprocket-job-";

// Creates (exclusively, mode 0644) a new work file in the folder of
// `target`, after removing the work files of `target` left by ended
// processes. Returns its open descriptor and sets `workPath`; -1 (errno
// set) when the folder takes no new file or `target` names no file.
int CreateWorkFile(const std::string& target, std::string* workPath);

// Makes a new work folder named `prefix` + process tag + "-XXXXXX" in
// `parent`, after removing the work folders with that prefix left there by
// ended processes. Returns its path (without a trailing slash), or empty.
std::string CreateWorkFolder(const std::string& parent, const std::string& prefix);

// Removes the entries of `folder` named `prefix` + process tag + "-..."
// (with what they hold) whose process no longer runs.
void RemoveLeftoversOfEndedProcesses(const std::string& folder, const std::string& prefix);

// Removes from `folder` the work files of every target and the job work
// folders (kJobFolderPrefix) whose process no longer runs. Only entries of
// this user are touched.
void RemoveWorkLeftoversOfEndedProcesses(const std::string& folder);

}  // namespace sprocket
