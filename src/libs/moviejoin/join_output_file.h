#pragma once
// The file a join writes: a temporary file beside the output path, renamed
// over the output path only when the movie is complete, so that a failed
// job leaves an earlier file of that name as it was. Only the temporary
// file, which this object created, is ever removed.

#include <string>

namespace sprocket {

class JoinOutputFile {
public:
  JoinOutputFile() = default;
  // Removes the temporary file unless it was committed.
  ~JoinOutputFile();
  JoinOutputFile(const JoinOutputFile&) = delete;
  JoinOutputFile& operator=(const JoinOutputFile&) = delete;

  // Creates an empty temporary file in the output path's folder. False with
  // `error` when the path names a folder or the folder takes no new file.
  bool Create(const std::string& outputPath, std::string* error);
  const std::string& WorkPath() const { return workPath_; }

  // Renames the temporary file over the output path. False with `error`
  // (and the temporary file removed) when it cannot be.
  bool Commit(std::string* error);
  // Removes the temporary file.
  void Discard();

private:
  std::string outputPath_;
  std::string workPath_;
};

}  // namespace sprocket
