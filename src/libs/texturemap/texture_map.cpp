#include "libs/texturemap/texture_map.h"

#include <algorithm>
#include <cstring>

#include "imagelib/dib_header.h"

namespace sprocket {

namespace {

constexpr char kMagic[4] = {'S', 'T', 'X', '1'};

struct Header {
  char magic[4];
  std::int32_t kind;
  std::int32_t scale;
  std::int32_t prepared;
};
static_assert(sizeof(Header) == kTextureMapHeaderBytes);

std::optional<Header> ParseHeader(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr || size < sizeof(Header)) return std::nullopt;
  Header header;
  std::memcpy(&header, bytes, sizeof header);
  if (std::memcmp(header.magic, kMagic, 4) != 0) return std::nullopt;
  if (header.kind < 0 || header.kind >= kTextureKinds) return std::nullopt;
  return header;
}

HGLOBAL MakeBlock(std::int32_t kind, std::int32_t scale) {
  GlobalBlock block = GlobalBlock::Allocate(sizeof(Header));
  GlobalLockGuard<std::uint8_t> bytes(block.get());
  if (!bytes) return nullptr;
  const Header header{{kMagic[0], kMagic[1], kMagic[2], kMagic[3]}, kind, std::clamp(scale, 1, 16), 0};
  std::memcpy(bytes.get(), &header, sizeof header);
  return block.release();
}

int Prepare(HGLOBAL block, const Header& header) {
  if (header.prepared != 0) return 0;
  const PictureBuffer tile = MakeTextureTile(static_cast<TextureKind>(header.kind), header.scale);
  Header prepared = header;
  prepared.prepared = 1;
  if (!tile.view()) {  // a picture texture has no tile of its own
    GlobalLockGuard<std::uint8_t> bytes(block);
    std::memcpy(bytes.get(), &prepared, sizeof prepared);
    return 0;
  }
  const PictureView& view = tile.view();
  const DibInfoHeader dib = MakeDib24Header(view.width, view.height);
  const std::size_t total = sizeof(Header) + kDibHeaderSize + dib.biSizeImage;
  if (GlobalReAlloc(block, total, GMEM_MOVEABLE) == nullptr) return -1;
  GlobalLockGuard<std::uint8_t> bytes(block);
  if (!bytes) return -1;
  std::memcpy(bytes.get(), &prepared, sizeof prepared);
  WriteDibHeader(bytes.get() + sizeof(Header), dib);
  for (std::int32_t y = 0; y < view.height; ++y) {
    std::memcpy(bytes.get() + sizeof(Header) + kDibHeaderSize + static_cast<std::size_t>(y) * view.stride, view.Row(y),
                static_cast<std::size_t>(view.stride));
  }
  return 0;
}

int Release(HGLOBAL block, const Header& header) {
  if (header.prepared == 0) return 0;
  Header released = header;
  released.prepared = 0;
  {
    GlobalLockGuard<std::uint8_t> bytes(block);
    std::memcpy(bytes.get(), &released, sizeof released);
  }
  // Shrinking never fails to keep the header; the tile's bytes go.
  GlobalReAlloc(block, sizeof(Header), GMEM_MOVEABLE);
  return 0;
}

}  // namespace

HGLOBAL MakeTextureMap(TextureKind kind, std::int32_t scale) {
  const auto value = static_cast<std::int32_t>(kind);
  if (value < 0 || value >= kTextureKinds) return nullptr;
  return MakeBlock(value, scale);
}

int TextureMapCall(std::int32_t code, std::int32_t, std::int32_t, HGLOBAL textureMap, std::int32_t, std::int32_t) {
  std::optional<Header> header;
  {
    GlobalLockGuard<std::uint8_t> bytes(textureMap);
    header = ParseHeader(bytes.get(), GlobalSize(textureMap));
  }
  if (!header) return -1;
  if (code == kTexturePrepare) return Prepare(textureMap, *header);
  if (code == kTextureRelease) return Release(textureMap, *header);
  return -1;
}

HGLOBAL UnpackTextureData(std::span<const std::uint8_t> stored) {
  const std::optional<Header> header = ParseHeader(stored.data(), stored.size());
  if (!header) return nullptr;
  return MakeBlock(header->kind, header->scale);
}

std::vector<std::uint8_t> PackTextureData(HGLOBAL textureMap) {
  const std::optional<TextureMapInfo> info = ReadTextureMap(textureMap);
  if (!info) return {};
  const Header header{
      {kMagic[0], kMagic[1], kMagic[2], kMagic[3]}, static_cast<std::int32_t>(info->kind), info->scale, 0};
  std::vector<std::uint8_t> bytes(sizeof header);
  std::memcpy(bytes.data(), &header, sizeof header);
  return bytes;
}

std::optional<TextureMapInfo> ReadTextureMap(HGLOBAL textureMap) {
  GlobalLockGuard<std::uint8_t> bytes(textureMap);
  const std::optional<Header> header = ParseHeader(bytes.get(), GlobalSize(textureMap));
  if (!header) return std::nullopt;
  return TextureMapInfo{static_cast<TextureKind>(header->kind), header->scale, header->prepared != 0};
}

PictureBuffer PreparedTextureTile(HGLOBAL textureMap) {
  const std::size_t size = GlobalSize(textureMap);
  GlobalLockGuard<std::uint8_t> bytes(textureMap);
  const std::optional<Header> header = ParseHeader(bytes.get(), size);
  if (!header || header->prepared == 0) return {};
  if (size < sizeof(Header) + kDibHeaderSize) return {};
  const DibInfoHeader dib = ReadDibHeader(bytes.get() + sizeof(Header));
  const std::int32_t stride = PaddedStride24(dib.biWidth);
  if (dib.biBitCount != 24 || dib.biWidth < 1 || dib.biHeight < 1 || stride == 0 ||
      dib.biSizeImage != static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(dib.biHeight) ||
      size < sizeof(Header) + kDibHeaderSize + dib.biSizeImage) {
    return {};
  }
  PictureView view{bytes.get() + sizeof(Header) + kDibHeaderSize, dib.biWidth, dib.biHeight, stride};
  return PictureBuffer(view);
}

}  // namespace sprocket
