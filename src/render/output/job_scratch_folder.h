#pragma once
// The scratch folder of one render job.
//
// The job's scratch files ("recorder.wav", the mixed sound of a movie, and
// "recorder.avi", the display-only preview) keep their names but live in a
// folder of their own inside the document's temporary folder, made fresh
// for the job and removed with everything in it when the job ends. So a
// user's file of the same name is never touched, and two jobs at once do
// not share their scratch files. A later job, and each program at its start,
// removes the folders of jobs whose process was killed.

#include <string>

#include "platform/files/work_files.h"  // kJobFolderPrefix, the start of the folders' names

namespace sprocket {

inline constexpr const char* kMixedSoundName = "recorder.wav";
inline constexpr const char* kDisplayOnlyName = "recorder.avi";

class JobScratchFolder {
public:
  JobScratchFolder() = default;
  // Removes the folder and what is in it.
  ~JobScratchFolder();
  JobScratchFolder(const JobScratchFolder&) = delete;
  JobScratchFolder& operator=(const JobScratchFolder&) = delete;

  // Makes a new folder in `parent` (the system's temporary folder when
  // `parent` is empty or cannot take it). False when none can be made.
  bool Create(const std::string& parent);
  // The path of a file in the folder; empty before Create.
  std::string PathOf(const std::string& name) const;
  const std::string& Folder() const { return folder_; }
  // Removes the folder now.
  void Remove();

private:
  std::string folder_;  // ends with '/'
};

}  // namespace sprocket
