#pragma once
// A bounded reader of RIFF files (AVI, WAV, palette files and the chunks the
// editor stores inside them).
//
// A chunk is an id, a 32-bit size and that many data bytes, padded to an even
// length. "RIFF" and "LIST" chunks begin their data with a four-character form
// or list type and hold further chunks after it. Every chunk the reader hands
// out lies wholly inside its parent and inside the file; a chunk that claims
// more bytes than are there is reported as truncated and never read.
//
//   RiffReader riff;
//   if (!riff.Open(path)) return riff.ErrorText();
//   auto wave = riff.FindRiff(MakeFourCC("WAVE"));
//   auto fmt = wave ? riff.FindChunk(*wave, MakeFourCC("fmt ")) : std::nullopt;
//   std::vector<std::uint8_t> bytes;
//   if (fmt && riff.ReadData(*fmt, &bytes, 1024)) ...

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/media/fourcc.h"

namespace sprocket {

enum class RiffStatus {
  kOk,
  kOpenFailed,  // the file cannot be opened
  kNotRiff,     // no RIFF chunk of the asked form at the start of the file
  kTruncated,   // a chunk claims more bytes than its parent or the file holds
  kTooLarge,    // a chunk is larger than the caller allows
  kNotFound,    // no chunk of the asked id inside the parent
  kReadFailed,  // the operating system refused a read
};

struct RiffChunk {
  FourCC id = 0;             // "RIFF", "LIST", "fmt ", ...
  FourCC formType = 0;       // the form or list type of a "RIFF" or "LIST" chunk; else 0
  std::uint64_t offset = 0;  // file offset of the chunk's 8-byte header
  std::uint32_t size = 0;    // data bytes as stored in the header

  bool IsList() const;
  std::uint64_t DataOffset() const { return offset + 8; }
  // The sub-chunks of a list start after its type.
  std::uint64_t ContentOffset() const { return DataOffset() + (IsList() ? 4 : 0); }
  std::uint64_t ContentEnd() const { return DataOffset() + size; }
  // Where the next chunk begins (data padded to an even length).
  std::uint64_t End() const { return DataOffset() + size + (size & 1u); }
};

class RiffReader {
public:
  RiffReader() = default;
  ~RiffReader();
  RiffReader(const RiffReader&) = delete;
  RiffReader& operator=(const RiffReader&) = delete;
  RiffReader(RiffReader&& other) noexcept;
  RiffReader& operator=(RiffReader&& other) noexcept;

  // Opens the file for reading. False (status kOpenFailed) when it cannot.
  bool Open(const std::filesystem::path& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  std::uint64_t FileSize() const { return fileSize_; }

  // The first chunk of the file when it is a "RIFF" chunk of `formType`.
  std::optional<RiffChunk> FindRiff(FourCC formType);
  // The RIFF chunk that starts at `offset` (for the extra RIFF chunks of large
  // AVI files that follow the first one), of any form.
  std::optional<RiffChunk> RiffAt(std::uint64_t offset);

  // Every chunk inside a list, in file order. A child that does not fit
  // inside the list stops the walk with kTruncated (and no children).
  std::optional<std::vector<RiffChunk>> Children(const RiffChunk& list);
  // The first chunk with `id` inside the list (not looking into sub-lists).
  std::optional<RiffChunk> FindChunk(const RiffChunk& list, FourCC id);
  // The first "LIST" of `listType` inside the list.
  std::optional<RiffChunk> FindList(const RiffChunk& list, FourCC listType);

  // Reads a chunk's data (after the type for lists). kTooLarge when it holds
  // more than `maxBytes`.
  bool ReadData(const RiffChunk& chunk, std::vector<std::uint8_t>* out, std::size_t maxBytes);
  // Reads exactly `count` bytes at a file offset inside the file.
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count);

  RiffStatus Status() const { return status_; }
  // A sentence for the user or the log describing the last failure.
  std::string ErrorText() const;

private:
  std::optional<RiffChunk> ReadHeader(std::uint64_t offset, std::uint64_t limit);
  bool Fail(RiffStatus status);

  int fd_ = -1;
  std::uint64_t fileSize_ = 0;
  std::filesystem::path path_;
  RiffStatus status_ = RiffStatus::kOk;
};

}  // namespace sprocket
