#pragma once
// File-name rules shared by every part of the editor.

#include <string>
#include <string_view>

namespace sprocket {

// The file-name component of a path (after the last '/').
std::string_view FileNamePart(std::string_view path);

// The extension of a path: from the first dot of its file-name component to
// the end, dot included ("clip.avi" -> ".avi", "a.b.avi" -> ".b.avi"); empty
// when the file name has no dot. Dots in folder names never count.
std::string_view FileExtension(std::string_view path);

// True when the path's extension equals `extension` (with its dot), ignoring case.
bool HasExtension(std::string_view path, std::string_view extension);

std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);

// True when something (a file, a folder, ...) is at the path; false for an
// empty path or one that cannot be examined.
bool PathExists(std::string_view path);
// True when the path names a regular file (following links).
bool IsRegularFile(std::string_view path);

// The path of an existing file or folder whose name matches `stored`
// folder by folder whatever the letter case (for names kept upper-cased);
// `stored` itself when it exists or nothing matches.
std::string FindPathIgnoringCase(const std::string& stored);

// Ensures a folder path ends with '/' (an empty path stays empty).
std::string WithTrailingSlash(std::string_view folder);

}  // namespace sprocket
