// Writes the seed corpus of the fuzz targets with the project's own
// writers: make_fuzz_seeds FOLDER fills FOLDER/<target>/ (fuzz/corpus in the
// repository holds its output). Every seed is small, so that the replay
// tests stay fast.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imagelib/dib_header.h"
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
#include "render/flic/flic_format.h"
#include "render/flic/flic_writer.h"
#include "render/flic/indexed_image.h"
#include "timeline/document/document.h"
#include "timeline/tlefile/timeline_file.h"

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
  WaveOutputFile wave;
  wave.WriteWaveHeader(0, 0, 0, 0, 0, made.string());
  Bytes samples(static_cast<std::size_t>(rate / 10) * channels * (bits / 8));
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 7);
  wave.Write(samples.data(), samples.size());
  wave.WriteWaveHeader(1, samples.size(), rate, channels, bits, made.string());
  return made;
}

void WaveSeeds(const fs::path& out, const fs::path& scratch) {
  KeepFile(WriteSound(scratch / "a.wav", 16, 2, 8000), out / "wav" / "stereo16.wav");
  KeepFile(WriteSound(scratch / "b.wav", 8, 1, 4000), out / "wav" / "mono8.wav");
  KeepFile(WriteSound(scratch / "c.wav", 16, 1, 11025), out / "clip_sound" / "mono16-normal-speed.wav", {0});
  KeepFile(WriteSound(scratch / "d.wav", 8, 2, 22050), out / "clip_sound" / "stereo8-slow.wav", {1});
}

void AviSeeds(const fs::path& out, const fs::path& scratch) {
  const fs::path made = scratch / "seed.avi";
  AviVideoFormat video;
  video.width = 8;
  video.height = 8;
  video.rate = 5;
  AviAudioFormat audio{8, 8000, 1};
  AviWriter writer;
  if (!writer.Open(made.string(), video, audio)) return;
  const Bytes picture = Picture24(8, 8);
  const Bytes sound(1600, 128);
  for (int frame = 0; frame < 2; ++frame) {
    writer.WriteFrame(picture.data(), picture.size());
    writer.WriteAudio(sound.data(), sound.size());
  }
  if (writer.Finish()) KeepFile(made, out / "avi_index" / "two-frames-with-sound.avi");
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
  fs::remove_all(scratch);
  return 0;
}
