#include "platform/qt/qt_audio_out.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace sprocket {

namespace {

QAudioFormat ToQtFormat(const AudioOutFormat& format) {
  QAudioFormat qt;
  qt.setSampleRate(format.sampleRate);
  qt.setChannelCount(format.channels);
  qt.setSampleFormat(format.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
  return qt;
}

}  // namespace

QtAudioOut::QtAudioOut() : QtAudioOut(QMediaDevices::defaultAudioOutput()) {}

QtAudioOut::QtAudioOut(QAudioDevice device) : device_(std::move(device)) {}

QtAudioOut::~QtAudioOut() { Stop(); }

bool QtAudioOut::Start(const AudioOutFormat& format) {
  if (!format.IsValid()) return false;
  Stop();
  format_ = format;
  started_ = true;
  silent_.Start(format);
  const QAudioFormat qtFormat = ToQtFormat(format);
  if (device_.isNull() || !device_.isFormatSupported(qtFormat)) return true;
  sink_ = std::make_unique<QAudioSink>(device_, qtFormat);
  stream_ = sink_->start();
  if (stream_ == nullptr || DeviceFailed()) {
    sink_.reset();
    stream_ = nullptr;
  }
  return true;
}

bool QtAudioOut::DeviceFailed() const {
  return sink_ != nullptr && sink_->error() != QAudio::NoError && sink_->error() != QAudio::UnderrunError;
}

bool QtAudioOut::IsAudible() const { return started_ && stream_ != nullptr && !DeviceFailed(); }

std::size_t QtAudioOut::Write(std::span<const std::uint8_t> samples) {
  if (!started_) return 0;
  if (!IsAudible()) return silent_.Write(samples);
  const std::size_t bytes = WholeFrameBytes(std::min(samples.size(), FreeBytes()), format_);
  if (bytes == 0) return 0;
  const qint64 written = stream_->write(reinterpret_cast<const char*>(samples.data()), static_cast<qint64>(bytes));
  // A device that stops taking samples is treated as gone: the rest plays silently.
  if (written < 0) return silent_.Write(samples);
  return WholeFrameBytes(static_cast<std::size_t>(written), format_);
}

std::size_t QtAudioOut::FreeBytes() const {
  if (!started_) return 0;
  if (!IsAudible()) return silent_.FreeBytes();
  return static_cast<std::size_t>(std::max<qsizetype>(0, sink_->bytesFree()));
}

void QtAudioOut::Stop() {
  if (sink_ != nullptr) {
    sink_->reset();
    sink_->stop();
  }
  sink_.reset();
  stream_ = nullptr;
  silent_.Stop();
  started_ = false;
}

}  // namespace sprocket
