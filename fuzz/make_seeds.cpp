// Writes the seed corpus of the fuzz targets with the project's own
// writers: make_fuzz_seeds FOLDER fills FOLDER/<target>/ (fuzz/corpus in the
// repository holds its output). Every seed is small, so that the replay
// tests stay fast.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "effects/custom_fx_group.h"
#include "imagelib/dib_header.h"
#include "imagelib/formats/dib_file.h"
#include "imagelib/formats/dib_palette.h"
#include "libs/effectcatalog/effect_catalog.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/sharedservices/effect_work_block.h"
#include "libs/texturemap/texture_map.h"
#include "platform/application_state.h"
#include "platform/global_memory.h"
#include "platform/imagefile/image_file_library.h"
#include "platform/media/avi_writer.h"
#include "platform/settings/profile.h"
#include "render/audio/wav_file.h"
#include "render/audio/waveform_file.h"
#include "render/flic/flic_format.h"
#include "render/flic/flic_writer.h"
#include "render/flic/indexed_image.h"
#include "timeline/document/document.h"
#include "timeline/tlefile/timeline_file.h"
#include "waveform_media.h"

namespace {

using namespace sprocket;
using namespace sprocket::effect_id;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A seed that is the file a writer made, after `prefix` bytes of choices.
void KeepFile(const fs::path& made, const fs::path& seed, const Bytes& prefix = {}) {
  Bytes bytes = prefix;
  const Bytes file = ReadBytes(made);
  bytes.insert(bytes.end(), file.begin(), file.end());
  if (file.empty()) std::fprintf(stderr, "make_fuzz_seeds: nothing was written for %s\n", seed.c_str());
  WriteBytes(seed, bytes);
  fs::remove(made);
}

void PutI32(Bytes& bytes, std::int32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
}

void KeepBytes(const fs::path& seed, Bytes prefix, const Bytes& bytes) {
  prefix.insert(prefix.end(), bytes.begin(), bytes.end());
  WriteBytes(seed, prefix);
}

Bytes BlockBytes(HGLOBAL block) {
  GlobalLockGuard<std::uint8_t> lock(block);
  Bytes bytes(lock.get(), lock.get() + GlobalSize(block));
  GlobalFree(block);
  return bytes;
}

// A packed 24-bit DIB of a small gradient.
Bytes Picture24(std::int32_t width, std::int32_t height) {
  const DibInfoHeader header = MakeDib24Header(width, height);
  Bytes bytes(kDibHeaderSize + header.biSizeImage);
  WriteDibHeader(bytes.data(), header);
  const std::int32_t stride = static_cast<std::int32_t>(header.biSizeImage) / height;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      std::uint8_t* p = bytes.data() + kDibHeaderSize + y * stride + x * 3;
      p[0] = static_cast<std::uint8_t>(x * 255 / width);
      p[1] = static_cast<std::uint8_t>(y * 255 / height);
      p[2] = 128;
    }
  }
  return bytes;
}

void TimelineSeeds(const fs::path& out, const fs::path& examples) {
  CTestDoc doc;
  std::string error;
  if (!ReadTimelineFile(examples / "demo.tle", doc, &error)) {
    std::fprintf(stderr, "make_fuzz_seeds: %s\n", error.c_str());
    return;
  }
  std::string text;
  if (FormatTimelineFile(doc, examples, &text))
    WriteBytes(out / "timeline_file" / "demo.tle", Bytes(text.begin(), text.end()));
}

void FlicSeeds(const fs::path& out, const fs::path& scratch) {
  constexpr int kSide = 12;
  const fs::path made = scratch / "seed.flc";
  FlcWriter writer;
  if (writer.Create(made.string(), kSide, kSide, 40) != kFlcDone) return;
  GlobalBlock picture = GlobalBlock::Allocate(kDibMaskPixelOffset + IndexedStride(kSide) * kSide);
  std::uint8_t palette[768];
  for (int i = 0; i < 256; ++i) palette[i * 3] = palette[i * 3 + 1] = palette[i * 3 + 2] = static_cast<std::uint8_t>(i);
  {
    GlobalLockGuard<std::uint8_t> lock(picture.get());
    WriteDibHeader(lock.get(), MakeIndexedDibHeader(kSide, kSide));
  }
  const int chunks[] = {kFlicByteRun, kFlicWordDelta, kFlicBlack, kFlicLiteral, kFlicWordDelta};
  for (int frame = 0; frame < 5; ++frame) {
    {
      GlobalLockGuard<std::uint8_t> lock(picture.get());
      for (int k = 0; k < kSide * kSide; ++k)
        lock.get()[kDibMaskPixelOffset + k] = static_cast<std::uint8_t>(k * (frame + 1));
    }
    writer.WriteFrame(chunks[frame], picture.get(), frame == 0 ? palette : nullptr);
  }
  if (writer.Finish() == kFlcDone) KeepFile(made, out / "flic" / "five-chunk-kinds.flc");
}

void TgaSeeds(const fs::path& out) {
  // A 4 x 3 32-bit TGA, plain and run-length, bottom-up: header and pixels
  // as the format lays them out.
  for (int type : {2, 10}) {
    Bytes bytes(18, 0);
    bytes[2] = static_cast<std::uint8_t>(type);
    bytes[12] = 4;
    bytes[14] = 3;
    bytes[16] = 32;
    bytes[17] = 8;
    for (int pixel = 0; pixel < 12; ++pixel) {
      if (type == 10) bytes.push_back(0);  // a raw packet of one pixel
      const Bytes bgra = {static_cast<std::uint8_t>(pixel * 20), 64, 200, static_cast<std::uint8_t>(pixel * 21)};
      bytes.insert(bytes.end(), bgra.begin(), bgra.end());
    }
    WriteBytes(out / "tga" / (type == 2 ? "plain.tga" : "run-length.tga"), bytes);
  }
}

fs::path WriteSound(const fs::path& made, int bits, int channels, int rate) {
  fuzz::WriteSound(made, bits, channels, rate, rate / 10);
  return made;
}

void WaveSeeds(const fs::path& out, const fs::path& scratch) {
  KeepFile(WriteSound(scratch / "a.wav", 16, 2, 8000), out / "wav" / "stereo16.wav");
  KeepFile(WriteSound(scratch / "b.wav", 8, 1, 4000), out / "wav" / "mono8.wav");
  KeepFile(WriteSound(scratch / "c.wav", 16, 1, 11025), out / "clip_sound" / "mono16-normal-speed.wav", {0});
  KeepFile(WriteSound(scratch / "d.wav", 8, 2, 22050), out / "clip_sound" / "stereo8-slow.wav", {1});
}

// A short movie of `frames` pictures of width x height, compressed by
// `compressor` (0: uncompressed), with a picture's length of silence after
// each picture when `sound` is given; kept as `kept`.
void MovieSeed(const fs::path& made, FourCC compressor, int width, int height, int frames,
               const std::optional<AviAudioFormat>& sound, const fs::path& kept) {
  AviVideoFormat video;
  video.width = width;
  video.height = height;
  video.rate = 5;
  video.compressor = compressor;
  AviWriter writer;
  if (!writer.Open(made.string(), video, sound)) return;
  const Bytes picture = Picture24(width, height);
  const Bytes samples(
      sound ? static_cast<std::size_t>(sound->rate / video.rate * sound->channels * sound->bits / 8) : 0, 128);
  for (int frame = 0; frame < frames; ++frame) {
    writer.WriteFrame(picture.data(), picture.size());
    if (sound) writer.WriteAudio(samples.data(), samples.size());
  }
  if (writer.Finish()) KeepFile(made, kept);
}

void AviSeeds(const fs::path& out, const fs::path& scratch) {
  const AviAudioFormat sound{8, 8000, 1};
  MovieSeed(scratch / "seed.avi", 0, 8, 8, 2, sound, out / "avi_index" / "two-frames-with-sound.avi");
  MovieSeed(scratch / "seed.avi", 0, 8, 8, 2, sound, out / "movie_frames" / "uncompressed-with-sound.avi");
  MovieSeed(scratch / "mjpg.avi", MakeFourCC("MJPG"), 22, 14, 3, std::nullopt,
            out / "movie_frames" / "motion-jpeg-22x14.avi");
  MovieSeed(scratch / "fmp4.avi", MakeFourCC("FMP4"), 32, 16, 3, std::nullopt,
            out / "movie_frames" / "mpeg4-32x16.avi");
}

void SettingsSeeds(const fs::path& out, const fs::path& scratch) {
  const fs::path made = scratch / "RODUVER.INI";
  Profile profile(made);
  ApplicationState app;
  StoreApplicationSettings(app, profile);
  KeepFile(made, out / "settings" / "defaults.ini");
}

void StillSeeds(const fs::path& out, const fs::path& scratch) {
  // The extensions of the still-image target, in its order; the seed's first
  // byte picks one.
  const char* extensions[] = {".bmp", ".dib", ".gif", ".jpg", ".pcx", ".tif", ".pct", ".tga"};
  ImageFileLibrary& images = ImageFiles();
  const Bytes picture = Picture24(6, 4);
  for (std::uint8_t k = 0; k < std::size(extensions); ++k) {
    const ImageHandle image = images.DibToHandle(picture.data(), picture.size());
    if (image < 0) return;
    const fs::path made = scratch / (std::string("seed") + extensions[k]);
    if (images.Save(image, made, -1) == kImageDone) {
      KeepFile(made, out / "still_image" / (std::string("picture") + extensions[k]), {k});
    }
    images.Free(image);
  }
}

// Effect seeds: the road, the percent, the values of the slots, then the block.
void EffectSeed(const fs::path& path, std::uint8_t road, const std::vector<std::int32_t>& values, const Bytes& block) {
  Bytes bytes = {road, 50};
  for (std::int32_t i = 0; i < kEffectParamSlots; ++i)
    PutI32(bytes, i < static_cast<std::int32_t>(values.size()) ? values[static_cast<std::size_t>(i)] : 0);
  bytes.insert(bytes.end(), block.begin(), block.end());
  WriteBytes(path, bytes);
}

void EffectSeeds(const fs::path& out) {
  const fs::path folder = out / "effect_data";
  EffectSeed(folder / "image-matte.bin", 0, {0, 1}, Picture24(8, 6));
  EffectSeed(folder / "texture-map.bin", 1, {50, 2}, BlockBytes(MakeTextureMap(TextureKind::kBricks, 2)));
  const std::vector<EffectPathNode> nodes = {{0, 2000, 2000, 4000, 4000, {}}, {10000, 8000, 7000, 3000, 3000, {}}};
  EffectSeed(folder / "screen-path.bin", 2, {50, 50, 50, 2, 0xFFFFFF},
             BlockBytes(MakeStoredEffectData(kVideoScreenAnimation, nodes)));
  EffectSeed(folder / "grey-map.bin", 3, {0, 100}, Picture24(5, 5));
}

// A .bmp file made byte by byte: the file header, a bitmap header of
// `headerBytes` (12: the core form), `colours` table entries, then `bits`.
struct HandMadeBmp {
  std::uint32_t headerBytes = 40;
  int bitCount = 24;
  std::int32_t width = 2;
  std::int32_t height = 2;
  std::uint32_t colours = 0;
  std::uint32_t compression = 0;
  Bytes extraHeader;  // bytes after the first 40 of a longer header
  Bytes bits;         // empty: padded rows of a pattern

  Bytes File() const {
    const bool core = headerBytes == 12;
    const std::uint32_t tableEntries = colours != 0 ? colours : (bitCount <= 8 ? 1u << bitCount : 0);
    Bytes pixels = bits;
    if (pixels.empty()) {
      pixels.resize(static_cast<std::size_t>((bitCount * width + 31) / 32 * 4 * height));
      for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 37 + 11);
    }
    Bytes header;
    PutI32(header, static_cast<std::int32_t>(headerBytes));
    if (core) {
      for (int value : {width, height, 1, bitCount}) {
        header.push_back(static_cast<std::uint8_t>(value));
        header.push_back(static_cast<std::uint8_t>(value >> 8));
      }
    } else {
      PutI32(header, width);
      PutI32(header, height);
      PutI32(header, 1 | bitCount << 16);  // planes, bit count
      PutI32(header, static_cast<std::int32_t>(compression));
      PutI32(header, compression == 0 ? 0 : static_cast<std::int32_t>(pixels.size()));
      PutI32(header, kDibPelsPerMeter);
      PutI32(header, kDibPelsPerMeter);
      PutI32(header, static_cast<std::int32_t>(colours));
      PutI32(header, 0);
      header.insert(header.end(), extraHeader.begin(), extraHeader.end());
      header.resize(headerBytes, 0);
    }
    for (std::uint32_t i = 0; i < tableEntries; ++i) {
      header.insert(header.end(), {static_cast<std::uint8_t>(i * 40), static_cast<std::uint8_t>(255 - i * 16),
                                   static_cast<std::uint8_t>(i * 90)});
      if (!core) header.push_back(0);
    }
    Bytes file = {'B', 'M'};
    PutI32(file, static_cast<std::int32_t>(14 + header.size() + pixels.size()));
    PutI32(file, 0);
    PutI32(file, static_cast<std::int32_t>(14 + header.size()));
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
  }
};

// A DIB of the palette code written by the .bmp writer.
Bytes WrittenDib(const fs::path& scratch, GlobalBlock dib) {
  const fs::path made = scratch / "seed.bmp";
  if (!dib || WriteDibFile(made, dib.get()) != 1) return {};
  Bytes bytes = ReadBytes(made);
  fs::remove(made);
  return bytes;
}

void DibSeeds(const fs::path& out, const fs::path& scratch) {
  // The first byte of a seed is how many bytes to skip before the picture.
  auto keep = [&out](const char* name, const Bytes& file, std::uint8_t skip = 0) {
    Bytes bytes = {skip};
    bytes.insert(bytes.end(), skip, 0x5A);
    bytes.insert(bytes.end(), file.begin(), file.end());
    WriteBytes(out / "dib_file" / name, bytes);
  };
  const Bytes picture = Picture24(5, 3);
  GlobalBlock packed = GlobalBlock::Allocate(picture.size());
  std::copy(picture.begin(), picture.end(), GlobalLockGuard<std::uint8_t>(packed.get()).get());
  keep("written-24bit.bmp", WrittenDib(scratch, std::move(packed)));
  keep("written-4bit.bmp", WrittenDib(scratch, NewDib(4, 7, 3)));
  const Bytes eightBit = WrittenDib(scratch, NewDib(8, 3, 2));
  keep("written-8bit.bmp", eightBit);
  if (eightBit.size() > 14) keep("no-file-header.dib", Bytes(eightBit.begin() + 14, eightBit.end()), 3);
  keep("core-4bit.bmp", HandMadeBmp{.headerBytes = 12, .bitCount = 4, .width = 5, .height = 3}.File());
  keep("core-1bit.bmp", HandMadeBmp{.headerBytes = 12, .bitCount = 1, .width = 9, .height = 2}.File());
  keep("info-24bit-with-table.bmp", HandMadeBmp{.width = 2, .height = 3, .colours = 2}.File());
  keep("v4-32bit.bmp", HandMadeBmp{.headerBytes = 108, .bitCount = 32, .width = 3, .height = 2}.File());
  Bytes masks;  // red, green, blue of 5-6-5
  for (std::int32_t mask : {0xF800, 0x07E0, 0x001F}) PutI32(masks, mask);
  keep("v5-16bit-bitfields.bmp",
       HandMadeBmp{.headerBytes = 124, .bitCount = 16, .width = 3, .height = 2, .compression = 3, .extraHeader = masks}
           .File());
  // Run-length rows: runs, a literal, ends of line and the end of the picture.
  keep("run-length-8bit.bmp", HandMadeBmp{.bitCount = 8,
                                          .width = 6,
                                          .height = 2,
                                          .colours = 4,
                                          .compression = 1,
                                          .bits = {3, 1, 3, 2, 0, 0, 0, 4, 0, 1, 2, 3, 2, 3, 0, 0, 0, 1}}
                                  .File());
  keep("run-length-4bit.bmp", HandMadeBmp{.bitCount = 4,
                                          .width = 6,
                                          .height = 2,
                                          .colours = 16,
                                          .compression = 2,
                                          .bits = {6, 0x12, 0, 0, 6, 0x34, 0, 1}}
                                  .File());
}

void CustomFxSeeds(const fs::path& out) {
  auto filter = [](std::int32_t id, std::int32_t value) {
    TLFilter made;
    InitFilter(made);
    made.id = id;
    TLFilterParam param;
    InitFilterParam(param);
    param.values[0] = value;
    param.enable = 1;
    made.params.push_back(param);
    return made;
  };
  const CustomFxGroup wipes{
      "Wipes", {{filter(kWipeLeftToRight, 25)}, {filter(kEffectSequence, 0), filter(kWipeTopToBottom, 50)}}};
  const CustomFxGroup dissolve{"One dissolve", {{filter(kCrossDissolve, 100)}}};
  for (const auto& [group, name] : {std::pair{&wipes, "wipes.fxc"}, std::pair{&dissolve, "dissolve.fxc"}}) {
    const std::string text = FormatCustomFxGroup(*group);
    WriteBytes(out / "custom_fx" / name, Bytes(text.begin(), text.end()));
  }
}

// The waveform files of the target's two clips as the builder writes them,
// with the stamp of the media replaced by its token; the first byte picks
// the clip (bit 0) and the row shown (the bits above).
void WaveformSeeds(const fs::path& out) {
  CTestDoc doc;
  for (int channels : {1, 2}) {
    TLEvent* clip = fuzz::AddWaveformClip(doc, channels);
    if (clip == nullptr || BuildWaveformFile(doc, *clip) != 1) {
      std::fprintf(stderr, "make_fuzz_seeds: no waveform file of %d channels\n", channels);
      continue;
    }
    const std::string media = clip->MediaPath();
    const fs::path made =
        clip->derivedFiles.waveDirectory + clip->derivedFiles.waveName + clip->derivedFiles.waveExtension;
    Bytes file = ReadBytes(made);
    fs::remove(made);
    const Bytes stamp = fuzz::MediaStampBytes(media);
    fs::remove(media);
    const auto at = std::search(file.begin(), file.end(), stamp.begin(), stamp.end());
    if (stamp.empty() || at == file.end()) continue;
    const auto stampAt = static_cast<std::size_t>(at - file.begin());
    const Bytes token(fuzz::kMediaStampToken, fuzz::kMediaStampToken + fuzz::kMediaStampTokenBytes);
    Bytes tokened(file.begin(), at);
    tokened.insert(tokened.end(), token.begin(), token.end());
    tokened.insert(tokened.end(), at + static_cast<std::ptrdiff_t>(stamp.size()), file.end());
    const std::uint8_t choice = static_cast<std::uint8_t>((channels - 1) | 7 << 1);  // row 7
    const fs::path folderOut = out / "waveform_file";
    if (channels == 1) {
      // The plain layout ends with the rows.
      KeepBytes(folderOut / "mono-plain.tmp", {choice}, Bytes(file.begin(), file.begin() + stampAt));
      KeepBytes(folderOut / "mono-stamped.tmp", {choice}, tokened);
    } else {
      KeepBytes(folderOut / "stereo-with-right-rows.tmp", {choice}, tokened);
      KeepBytes(folderOut / "stereo-without-right-rows.tmp", {choice},
                Bytes(tokened.begin(), tokened.begin() + static_cast<std::ptrdiff_t>(stampAt + token.size())));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_fuzz_seeds OUTPUT_FOLDER EXAMPLES_FOLDER\n");
    return 1;
  }
  const fs::path out = argv[1];
  const fs::path examples = argv[2];
  const fs::path scratch = fs::temp_directory_path() / "sprocket-fuzz-seeds";
  fs::create_directories(scratch);
  TimelineSeeds(out, examples);
  FlicSeeds(out, scratch);
  TgaSeeds(out);
  WaveSeeds(out, scratch);
  AviSeeds(out, scratch);
  SettingsSeeds(out, scratch);
  StillSeeds(out, scratch);
  EffectSeeds(out);
  DibSeeds(out, scratch);
  CustomFxSeeds(out);
  WaveformSeeds(out);
  fs::remove_all(scratch);
  return 0;
}
