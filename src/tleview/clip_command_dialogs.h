#pragma once
// The small dialogs of the clip commands, in plain widgets, and the dialog
// provider that runs them modally for the commands.
//
//   CSetVolumeDlg          "Set Volume Control": a percent in volume,
//                          balance or speed mode
//   CGoToDlg               "Go To" in duration mode: the timeline duration
//   CFieldHandlingDlg      "AVI Clip Field Handling": a clip's field order
//   CAudioPreviewTracksDlg "Select Audio Preview Tracks": four channels

#include <QDialog>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "commands/command_seams.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QSlider;
class QSpinBox;
class QTimeEdit;

namespace sprocket {

class CSetVolumeDlg : public QDialog {
  Q_OBJECT
public:
  CSetVolumeDlg(SetValueMode mode, int percent, QWidget* parent = nullptr);
  int Percent() const;
  void SetPercent(int percent);

private:
  QSpinBox* spin_;
  QSlider* slider_;
};

class CGoToDlg : public QDialog {
  Q_OBJECT
public:
  // Duration mode: a duration within [minMs, maxMs], starting at currentMs.
  CGoToDlg(std::int32_t minMs, std::int32_t maxMs, std::int32_t currentMs, QWidget* parent = nullptr);
  std::int32_t DurationMs() const;
  void SetDurationMs(std::int32_t ms);
  // Accepts a duration within range; otherwise says the range and stays.
  void accept() override;

private:
  std::int32_t minMs_;
  std::int32_t maxMs_;
  QSpinBox* hours_;
  QSpinBox* minutes_;
  QSpinBox* seconds_;
};

class CFieldHandlingDlg : public QDialog {
  Q_OBJECT
public:
  CFieldHandlingDlg(std::int32_t fieldOrder, const std::string& path, QWidget* parent = nullptr);
  std::int32_t FieldOrder() const;
  void SetFieldOrder(std::int32_t order);

private:
  QButtonGroup* orders_;
};

class CAudioPreviewTracksDlg : public QDialog {
  Q_OBJECT
public:
  CAudioPreviewTracksDlg(const AudioPreviewChoice& current, const std::vector<AudioPreviewChannel>& tracks,
                         QWidget* parent = nullptr);
  AudioPreviewChoice Choice() const;
  // Channel `index` takes the track at `trackIndex` of the offered tracks (-1: none).
  void SetChannel(int index, int trackIndex, bool switchedOff);

private:
  std::vector<AudioPreviewChannel> tracks_;
  QCheckBox* enable_;
  std::array<QComboBox*, kAudioPreviewChannels> combos_{};
  std::array<QCheckBox*, kAudioPreviewChannels> offBoxes_{};
};

// Runs the dialogs above modally over `parent`.
class WidgetDialogProvider : public DialogProvider {
public:
  explicit WidgetDialogProvider(QWidget* parent) : parent_(parent) {}
  std::optional<int> SetValue(SetValueMode mode, int percent) override;
  std::optional<std::int32_t> TimelineDuration(std::int32_t minMs, std::int32_t maxMs, std::int32_t currentMs) override;
  std::optional<std::int32_t> FieldHandling(std::int32_t fieldOrder, const std::string& path) override;
  std::optional<AudioPreviewChoice> AudioPreviewTracks(const AudioPreviewChoice& current,
                                                       const std::vector<AudioPreviewChannel>& tracks) override;

private:
  QWidget* parent_;
};

}  // namespace sprocket
