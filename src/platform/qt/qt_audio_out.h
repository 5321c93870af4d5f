#pragma once
// Sound played on the machine's audio output through Qt Multimedia.
//
// The output is the given device (the system's default output unless told
// otherwise). Without a device, with a format the device refuses, or when
// the device fails while playing, it goes silent: it takes every byte,
// plays nothing and says nothing, so playback goes on without sound.

#include <memory>

#include <QAudioDevice>

#include "platform/audioout/audio_out.h"

class QAudioSink;
class QIODevice;

namespace sprocket {

class QtAudioOut final : public AudioOut {
public:
  // The system's default output.
  QtAudioOut();
  // A chosen device; a null device gives a silent output.
  explicit QtAudioOut(QAudioDevice device);
  ~QtAudioOut() override;
  QtAudioOut(const QtAudioOut&) = delete;
  QtAudioOut& operator=(const QtAudioOut&) = delete;

  bool Start(const AudioOutFormat& format) override;
  std::size_t Write(std::span<const std::uint8_t> samples) override;
  std::size_t FreeBytes() const override;
  void Stop() override;
  bool IsStarted() const override { return started_; }

  // True while samples go to the device (false when silent).
  bool IsAudible() const;

private:
  bool DeviceFailed() const;

  QAudioDevice device_;
  std::unique_ptr<QAudioSink> sink_;
  QIODevice* stream_ = nullptr;  // owned by the sink
  SilentAudioOut silent_;
  AudioOutFormat format_;
  bool started_ = false;
};

}  // namespace sprocket
