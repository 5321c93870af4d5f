#pragma once
// Media made in the tests of the render sources: colour cards that carry
// their index in every pixel, written as AVI clips, FLC animations, BMP
// stills, image sequences and 32-bit TGA files.
//
// A card's pixel at (x, row y in memory order) is blue = index, green = x,
// red = y (each modulo 256), so a picture tells which card it is, which way
// up it is and where it was cut.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/global_memory.h"
#include "platform/media/fourcc.h"

namespace sprocket::testing {

// A 24-bit card with rows padded to 4 bytes.
GlobalBlock MakeCard(int index, int width, int height);

// The blue, green and red bytes at (x, y) of a locked picture of 24 (or 8,
// then the index three times) bits; -1s outside it.
struct Bgr {
  int blue = -1;
  int green = -1;
  int red = -1;
  bool operator==(const Bgr&) const = default;
};
Bgr PixelOf(const std::uint8_t* picture, int x, int y);

// Writes `frames` cards as an AVI clip at 25 frames a second with a key
// frame every `keyEvery` frames. Empty on success, else the writer's error.
std::string WriteCardAvi(const std::filesystem::path& path, int frames, int width, int height,
                         FourCC compressor = MakeFourCC("DIB "), int keyEvery = 1);

// Writes `frames` pictures made by `picture(i)` as an uncompressed AVI
// clip at 25 frames a second. Empty on success.
std::string WritePictureAvi(const std::filesystem::path& path, int frames,
                            const std::function<GlobalBlock(int index)>& picture);

// A 24-bit picture whose even rows (0, 2, ...) are black and whose odd rows
// are (index, 0, 200).
GlobalBlock MakeFieldCard(int index, int width, int height);

// A 24-bit picture of one colour.
GlobalBlock MakeFlatPicture(int width, int height, Bgr colour);

// Writes an FLC whose frame i has colour index (i + y) & 255 on memory row
// y, with a grey palette. Empty on success.
std::string WriteCardFlc(const std::filesystem::path& path, int frames, int width, int height);

// Saves a picture as a file of the image-file library (the format by the
// extension). True when saved.
bool SaveStill(HGLOBAL picture, const std::filesystem::path& path);

// Writes an uncompressed 32-bit TGA (bottom-left origin) whose pixel (x, y)
// is blue = x, green = y, red = 77 and alpha = alpha(x, y).
void WriteTga32(const std::filesystem::path& path, int width, int height,
                const std::function<int(int x, int y)>& alpha);

}  // namespace sprocket::testing
