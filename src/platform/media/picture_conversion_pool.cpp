#include "platform/media/picture_conversion_pool.h"

#include <new>
#include <system_error>

#include "platform/media/frame_conversion.h"
#include "platform/run_ahead.h"

namespace sprocket::media_detail {

struct PictureConversionPool::Job {
  PaddedPixels copy;  // the picture's rows, with FFmpeg's padding
  FramePtr decoded;   // or a decoded movie picture (a new reference to it)
  bool fromDecoded = false;
  DibInfoHeader header;
  std::int32_t stride = 0;
  bool claimed = false;  // a thread converts it
  bool done = false;
  Converted result;
};

PictureConversionPool::PictureConversionPool(unsigned threads, int width, int height, AVPixelFormat format)
    : threadCount_(threads), width_(width), height_(height), format_(format) {}

PictureConversionPool::~PictureConversionPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

bool PictureConversionPool::Start() {
  try {
    while (threads_.size() < threadCount_) threads_.emplace_back([this] { Loop(); });
  } catch (const std::system_error&) {
  }
  return !threads_.empty();
}

void PictureConversionPool::Submit(const DibInfoHeader& header, const std::uint8_t* pixels, std::int32_t stride) {
  auto job = std::make_unique<Job>();
  {
    std::lock_guard lock(mutex_);
    if (!spareCopies_.empty()) {
      job->copy = std::move(spareCopies_.back());
      spareCopies_.pop_back();
    }
  }
  const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(header.biHeight);
  if (!job->copy.Assign(pixels, bytes)) throw std::bad_alloc();
  job->header = header;
  job->stride = stride;
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  changed_.notify_all();
}

void PictureConversionPool::SubmitDecoded(const AVFrame* frame) {
  auto job = std::make_unique<Job>();
  job->decoded.reset(av_frame_clone(frame));
  if (!job->decoded) throw std::bad_alloc();
  job->fromDecoded = true;
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  changed_.notify_all();
}

bool PictureConversionPool::OldestReady() const {
  std::lock_guard lock(mutex_);
  return !jobs_.empty() && jobs_.front()->done;
}

PictureConversionPool::Converted PictureConversionPool::Take() {
  std::unique_lock lock(mutex_);
  if (jobs_.empty()) return {nullptr, "No picture is waiting to be converted."};
  changed_.wait(lock, [this] { return jobs_.front()->done; });
  std::unique_ptr<Job> job = std::move(jobs_.front());
  jobs_.pop_front();
  // The caller bounds the pictures in flight, and so the spare copies.
  if (!job->fromDecoded) spareCopies_.push_back(std::move(job->copy));
  return std::move(job->result);
}

void PictureConversionPool::Loop() {
  // Each thread converts whole pictures: other pictures are in flight beside
  // its own, so its conversions are not cut into slices.
  run_ahead_detail::MarkRunAheadThread();
  EncoderFrameConverter converter;
  converter.Configure(width_, height_, format_);
  std::unique_lock lock(mutex_);
  for (;;) {
    Job* job = nullptr;
    changed_.wait(lock, [&] {
      if (stopping_) return true;
      for (const std::unique_ptr<Job>& queued : jobs_) {
        if (!queued->claimed) {
          job = queued.get();
          return true;
        }
      }
      return false;
    });
    if (stopping_) return;
    job->claimed = true;
    lock.unlock();
    Converted result{FramePtr(av_frame_alloc()), {}};
    try {
      const bool converted =
          result.frame &&
          (job->fromDecoded
               ? converter.FromDecoded(job->decoded.get(), result.frame.get(), &result.error)
               : converter.FromDib(job->header, nullptr, job->copy, job->stride, result.frame.get(), &result.error));
      if (!converted) result.frame.reset();
      job->decoded.reset();  // the decoder may have its picture back
    } catch (const std::bad_alloc&) {
      result.frame.reset();
    }
    if (!result.frame && result.error.empty()) result.error = "Not enough memory!";
    lock.lock();
    job->result = std::move(result);
    job->done = true;
    changed_.notify_all();
  }
}

}  // namespace sprocket::media_detail
