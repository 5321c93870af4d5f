#include "tleview/clip_command_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/prompts.h"

namespace sprocket {

namespace {

constexpr const char* kDurationRangeMessage = "Timeline Duration Range is from 3 Min to 2 Hours";

QDialogButtonBox* AddOkCancel(QDialog* dialog, QLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
  return buttons;
}

QString TrackLabel(const AudioPreviewChannel& track) {
  const char* kind = track.trackType == 'A' ? "Audio" : "Video";
  return QStringLiteral("%1 %2").arg(kind).arg(track.ordinal);
}

}  // namespace

// --- CSetVolumeDlg ---

CSetVolumeDlg::CSetVolumeDlg(SetValueMode mode, int percent, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Set Volume Control");
  auto* layout = new QVBoxLayout(this);
  const char* caption = mode == SetValueMode::kSpeed     ? "Clip speed (%):"
                        : mode == SetValueMode::kBalance ? "Balance (%; 100 is the centre):"
                                                         : "Volume (%):";
  layout->addWidget(new QLabel(caption, this));
  auto* row = new QHBoxLayout;
  slider_ = new QSlider(Qt::Horizontal, this);
  spin_ = new QSpinBox(this);
  const int lowest = mode == SetValueMode::kSpeed ? kMinSpeedPercent : 0;
  slider_->setRange(lowest, kSetValueMax);
  spin_->setRange(lowest, kSetValueMax);
  spin_->setSuffix(" %");
  connect(slider_, &QSlider::valueChanged, spin_, &QSpinBox::setValue);
  connect(spin_, &QSpinBox::valueChanged, slider_, &QSlider::setValue);
  row->addWidget(slider_, 1);
  row->addWidget(spin_);
  layout->addLayout(row);
  AddOkCancel(this, layout);
  SetPercent(percent);
  // Typing replaces the value at once.
  spin_->setFocus();
  spin_->selectAll();
}

int CSetVolumeDlg::Percent() const { return spin_->value(); }
void CSetVolumeDlg::SetPercent(int percent) { spin_->setValue(percent); }

// --- CGoToDlg ---

CGoToDlg::CGoToDlg(std::int32_t minMs, std::int32_t maxMs, std::int32_t currentMs, QWidget* parent)
    : QDialog(parent), minMs_(minMs), maxMs_(maxMs) {
  setWindowTitle("Go To");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Timeline duration:", this));
  auto* row = new QHBoxLayout;
  hours_ = new QSpinBox(this);
  minutes_ = new QSpinBox(this);
  seconds_ = new QSpinBox(this);
  hours_->setRange(0, 10);
  minutes_->setRange(0, 59);
  seconds_->setRange(0, 59);
  hours_->setSuffix(" h");
  minutes_->setSuffix(" min");
  seconds_->setSuffix(" s");
  for (QSpinBox* box : {hours_, minutes_, seconds_}) row->addWidget(box);
  layout->addLayout(row);
  AddOkCancel(this, layout);
  SetDurationMs(currentMs);
}

std::int32_t CGoToDlg::DurationMs() const {
  return ((hours_->value() * 60 + minutes_->value()) * 60 + seconds_->value()) * 1000;
}

void CGoToDlg::SetDurationMs(std::int32_t ms) {
  const std::int32_t seconds = (ms + 999) / 1000;
  hours_->setValue(seconds / 3600);
  minutes_->setValue(seconds / 60 % 60);
  seconds_->setValue(seconds % 60);
}

void CGoToDlg::accept() {
  // Whole seconds: a latest clip end inside a second still counts as in range.
  const std::int32_t duration = DurationMs();
  if (duration + 999 < minMs_ || duration > maxMs_) {
    ShowMessage(kDurationRangeMessage, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  QDialog::accept();
}

// --- CFieldHandlingDlg ---

CFieldHandlingDlg::CFieldHandlingDlg(std::int32_t fieldOrder, const std::string& path, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("AVI Clip Field Handling");
  auto* layout = new QVBoxLayout(this);
  auto* pathLabel = new QLabel(QString::fromStdString(path), this);
  pathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(pathLabel);
  orders_ = new QButtonGroup(this);
  const char* captions[] = {"Whole frames (no field handling)", "Field order 1", "Field order 2", "Field order 3",
                            "Field order 4"};
  for (int order = 0; order < 5; ++order) {
    auto* button = new QRadioButton(captions[order], this);
    orders_->addButton(button, order);
    layout->addWidget(button);
  }
  AddOkCancel(this, layout);
  SetFieldOrder(fieldOrder);
}

std::int32_t CFieldHandlingDlg::FieldOrder() const { return std::max(0, orders_->checkedId()); }

void CFieldHandlingDlg::SetFieldOrder(std::int32_t order) {
  if (QAbstractButton* button = orders_->button(std::clamp(order, 0, 4))) button->setChecked(true);
}

// --- CAudioPreviewTracksDlg ---

CAudioPreviewTracksDlg::CAudioPreviewTracksDlg(const AudioPreviewChoice& current,
                                               const std::vector<AudioPreviewChannel>& tracks, QWidget* parent)
    : QDialog(parent), tracks_(tracks) {
  setWindowTitle("Select Audio Preview Tracks");
  auto* layout = new QVBoxLayout(this);
  enable_ = new QCheckBox("Audio preview on", this);
  enable_->setChecked(current.option != 0);
  layout->addWidget(enable_);
  auto* form = new QFormLayout;
  for (int index = 0; index < kAudioPreviewChannels; ++index) {
    auto* row = new QHBoxLayout;
    combos_[index] = new QComboBox(this);
    combos_[index]->addItem("(none)");
    for (const AudioPreviewChannel& track : tracks_) combos_[index]->addItem(TrackLabel(track));
    offBoxes_[index] = new QCheckBox("Off", this);
    row->addWidget(combos_[index], 1);
    row->addWidget(offBoxes_[index]);
    form->addRow(QStringLiteral("Channel %1:").arg(index + 1), row);
    const AudioPreviewChannel& channel = current.channels[index];
    const auto found = std::find_if(tracks_.begin(), tracks_.end(), [&](const AudioPreviewChannel& track) {
      return track.trackType == channel.trackType && track.ordinal == channel.ordinal;
    });
    SetChannel(index, found == tracks_.end() ? -1 : static_cast<int>(found - tracks_.begin()), channel.switchedOff);
  }
  layout->addLayout(form);
  AddOkCancel(this, layout);
}

void CAudioPreviewTracksDlg::SetChannel(int index, int trackIndex, bool switchedOff) {
  combos_[index]->setCurrentIndex(trackIndex + 1);
  offBoxes_[index]->setChecked(switchedOff);
}

AudioPreviewChoice CAudioPreviewTracksDlg::Choice() const {
  AudioPreviewChoice choice;
  choice.option = enable_->isChecked() ? 1 : 0;
  for (int index = 0; index < kAudioPreviewChannels; ++index) {
    const int trackIndex = combos_[index]->currentIndex() - 1;
    if (trackIndex < 0) continue;
    choice.channels[index] = tracks_[trackIndex];
    choice.channels[index].switchedOff = offBoxes_[index]->isChecked();
  }
  return choice;
}

// --- WidgetDialogProvider ---

std::optional<int> WidgetDialogProvider::SetValue(SetValueMode mode, int percent) {
  CSetVolumeDlg dialog(mode, percent, parent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Percent();
}

std::optional<std::int32_t> WidgetDialogProvider::TimelineDuration(std::int32_t minMs, std::int32_t maxMs,
                                                                   std::int32_t currentMs) {
  CGoToDlg dialog(minMs, maxMs, currentMs, parent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return std::clamp(dialog.DurationMs(), minMs, maxMs);
}

std::optional<std::int32_t> WidgetDialogProvider::FieldHandling(std::int32_t fieldOrder, const std::string& path) {
  CFieldHandlingDlg dialog(fieldOrder, path, parent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.FieldOrder();
}

std::optional<AudioPreviewChoice> WidgetDialogProvider::AudioPreviewTracks(
    const AudioPreviewChoice& current, const std::vector<AudioPreviewChannel>& tracks) {
  CAudioPreviewTracksDlg dialog(current, tracks, parent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Choice();
}

}  // namespace sprocket
