#pragma once
// Temporary picture files of the disk-buffered renderer.
//
// A picture file holds the first bytes of a picture's block: its header,
// its colour table (8-bit pictures) and its pixel rows, written from the
// start of the file. Reading a file back into a picture checks that the
// file describes a picture of the same layout and holds all of it.

#include <cstdint>
#include <optional>
#include <string>

namespace sprocket {

// The path of a temporary file `pattern` + ".tmp" in `folder`, once a
// unique temporary file made there (prefix "zkb") showed that the folder
// takes files; that probe file is deleted again. Nothing when the folder
// takes no files.
std::optional<std::string> DiskRenderFileName(const std::string& folder, const std::string& pattern);

// Writes the picture (a locked packed DIB) to a new file of that path,
// replacing any file there. False when the picture is not usable or not
// every byte was written.
bool WritePictureFile(const std::string& path, const std::uint8_t* picture);

// Reads a picture file into a picture of the same width, height, depth and
// row layout (its header stays). False when the file is missing, short or
// of another layout.
bool ReadPictureFile(const std::string& path, std::uint8_t* picture);

// Deletes a file; a missing file is no error.
void DeleteDiskRenderFile(const std::string& path);

}  // namespace sprocket
