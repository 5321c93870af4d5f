#include "libs/moviejoin/stored_frame_copier.h"

#include <algorithm>
#include <vector>

#include "imagelib/dib_image.h"

namespace sprocket {

bool PieceFrameCopier::OpenFile(const std::string& file, std::string* error) {
  file_.clear();
  index_.reset();
  reader_.reset();
  stream_ = -1;
  copyable_ = false;
  frameCount_ = 0;
  chainSample_ = chainFrames_ = -1;

  auto index = std::make_unique<AviFileIndex>();
  if (index->Open(file) && (stream_ = index->FindStream(kStreamTypeVideo)) >= 0) {
    frameCount_ = index->SampleCount(stream_);
    copyable_ = output_->AcceptsSamplesOf(index->Stream(stream_).format);
    index_ = std::move(index);
  } else {
    // Not an AVI file we can index: its frames can still be decoded.
    reader_ = std::make_unique<VideoFrameReader>();
    if (!reader_->Open(file)) {
      *error = "The piece \"" + file + "\" cannot be read: " + reader_->ErrorText();
      reader_.reset();
      return false;
    }
    frameCount_ = reader_->FrameCount();
  }
  if (frameCount_ < 1) {
    *error = "The piece \"" + file + "\" holds no frames.";
    return false;
  }
  file_ = file;
  return true;
}

PieceFrameCopier::Status PieceFrameCopier::WriteFrame(const std::string& file, std::int32_t frame, std::string* error) {
  if (file != file_ && !OpenFile(file, error)) return Status::kSourceFailed;
  std::int64_t n = std::clamp<std::int64_t>(frame, 0, frameCount_ - 1);
  if (!copyable_) return Recompress(n, error);

  const AviSample& sample = index_->Stream(stream_).samples[static_cast<std::size_t>(n)];
  bool chained = chainSample_ >= 0 && output_->Frames() == chainFrames_;
  if (chained && n == chainSample_ && !sample.key) {
    // The same frame again (past the end of the file): the player keeps
    // showing it, and the chain stays where it was.
    if (!output_->WriteRepeat()) return Status::kWriteFailed;
    chainFrames_ = output_->Frames();
    ++copied_;
    return Status::kWritten;
  }
  if (sample.key || (chained && n == chainSample_ + 1)) return Copy(n, error);
  return Recompress(n, error);
}

PieceFrameCopier::Status PieceFrameCopier::Copy(std::int64_t n, std::string* error) {
  std::vector<std::uint8_t> bytes;
  if (!index_->ReadSample(stream_, n, &bytes)) {
    *error = "The piece \"" + file_ + "\" cannot be read: " + index_->ErrorText();
    return Status::kSourceFailed;
  }
  bool key = index_->Stream(stream_).samples[static_cast<std::size_t>(n)].key;
  if (!output_->WriteSample(bytes, key)) return Status::kWriteFailed;
  chainSample_ = n;
  chainFrames_ = output_->Frames();
  ++copied_;
  return Status::kWritten;
}

PieceFrameCopier::Status PieceFrameCopier::Recompress(std::int64_t n, std::string* error) {
  if (!reader_) {
    reader_ = std::make_unique<VideoFrameReader>();
    if (!reader_->Open(file_)) {
      *error = "The piece \"" + file_ + "\" cannot be decoded: " + reader_->ErrorText();
      reader_.reset();
      return Status::kSourceFailed;
    }
  }
  GlobalBlock picture = reader_->ReadFrame(std::min(n, reader_->FrameCount() - 1));
  if (!picture) {
    *error = "Frame " + std::to_string(n) + " of \"" + file_ + "\" cannot be decoded: " + reader_->ErrorText();
    return Status::kSourceFailed;
  }
  const JoinVideoShape& shape = output_->Shape();
  if (reader_->Width() != shape.width || reader_->Height() != shape.height) {
    HGLOBAL handle = picture.release();
    CDibImage image(&handle);
    DibResult scaled = image.Resize(shape.width, shape.height, kFilterTriangle);
    picture.reset(handle);
    if (scaled != kDibDone) {
      *error = "Frame " + std::to_string(n) + " of \"" + file_ + "\" cannot be scaled to the movie's size.";
      return Status::kSourceFailed;
    }
  }
  chainSample_ = chainFrames_ = -1;
  GlobalLockGuard<std::uint8_t> bytes(picture.get());
  if (!output_->WritePicture(bytes.get(), picture.size(), false)) return Status::kWriteFailed;
  ++recompressed_;
  return Status::kWritten;
}

}  // namespace sprocket
