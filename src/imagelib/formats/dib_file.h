#pragma once
// .bmp and .dib files: general DIBs of any bit count read into one block
// (header, colour table, bits), and packed DIBs written out.
//
// A file opened here may start with the 14-byte "BM" file header or directly
// with the bitmap header (40 bytes or longer, or the 12-byte core header,
// which is widened to 40 bytes with a colour table of 4-byte entries). Every
// header field is checked against the file before anything is allocated:
// a width or height below 1 (top-down pictures included), more than one
// plane, a bit count other than 1, 4, 8, 16, 24 or 32, compression other
// than run-length rows (kept as they are, with their size given) or bit
// masks, more colours than the bit count can index, rows shorter than the
// header's sizes, or a colour table, offset or bits past the end of the file
// make the read fail.

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "platform/global_memory.h"

namespace sprocket {

// Reads the headers at the file's position: the info header (biSizeImage
// filled in when it is 0) followed by the colour table, in a new movable
// block. When the file had a file header the position is left at the bits
// it points to, else just after the colour table. Empty on any failure (the
// position is then wherever reading stopped). Not to be confused with the overload of
// dib_header.h that reads a header from memory.
GlobalBlock ReadDibHeader(std::FILE* file);

// Reads a whole DIB (headers, colour table and biSizeImage bytes of bits)
// from a path or from the position of an open file, which stays open.
// Empty when the file cannot be opened or read, or its headers fail the
// checks above.
GlobalBlock OpenDibFile(const std::filesystem::path& path);
GlobalBlock OpenDibFile(std::FILE* file);

// Writes a packed uncompressed DIB (header, colour table, bits) as a .bmp
// file that OpenDibFile reads back: the file header (type "BM", the whole
// file's size, offset to the bits 14 + biSize + 4 x colours), the headers
// and the rows padded to 4 bytes, with one plane and biSizeImage set to the
// padded size. Returns 1, or 0 without a usable DIB, for a header the reader
// refuses (longer than 124 bytes, more colours than the bit count can index),
// or when the file cannot be created or a write fails; a file created here
// is then removed.
int WriteDibFile(const std::filesystem::path& path, HGLOBAL dib);
int WriteDibFile(std::FILE* file, HGLOBAL dib);

}  // namespace sprocket
