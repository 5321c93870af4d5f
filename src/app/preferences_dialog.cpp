#include "app/preferences_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "platform/media/codec_table.h"
#include "platform/prompts.h"

namespace sprocket {

namespace {

// Wide enough that values no output can make reach the check and its message.
constexpr int kLargestSideEntry = 1000000;
constexpr double kHighestRateEntry = 10000.0;
constexpr int kHighestQuality = 10000;

QSpinBox* NumberBox(QWidget* parent, int highest) {
  auto* box = new QSpinBox(parent);
  box->setRange(0, highest);
  return box;
}

// Selects the item whose data is `value`, adding one for a value the list
// does not hold (so that a stored value survives the dialog).
void SelectData(QComboBox* combo, const QVariant& value, const QString& text) {
  int index = combo->findData(value);
  if (index < 0) {
    combo->addItem(text, value);
    index = combo->count() - 1;
  }
  combo->setCurrentIndex(index);
}

void SelectNumber(QComboBox* combo, int value) { SelectData(combo, value, QString::number(value)); }

QComboBox* NumberChoice(QWidget* parent, const std::vector<std::pair<QString, int>>& items) {
  auto* combo = new QComboBox(parent);
  for (const auto& [text, value] : items) combo->addItem(text, value);
  return combo;
}

// A row of two boxes for a width and a height.
void AddSizeRow(QFormLayout* form, QWidget* parent, QSpinBox** width, QSpinBox** height) {
  *width = NumberBox(parent, kLargestSideEntry);
  *height = NumberBox(parent, kLargestSideEntry);
  auto* row = new QHBoxLayout;
  row->addWidget(*width);
  row->addWidget(*height);
  form->addRow(QObject::tr("Width x Height:"), row);
}

QGroupBox* Group(const QString& title, QWidget* parent, QFormLayout** form) {
  auto* group = new QGroupBox(title, parent);
  *form = new QFormLayout(group);
  return group;
}

}  // namespace

MovieRecordPage::MovieRecordPage(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  QFormLayout* form = nullptr;

  layout->addWidget(Group(tr("Video"), this, &form));
  AddSizeRow(form, this, &width, &height);
  framesPerSecond = new QDoubleSpinBox(this);
  framesPerSecond->setDecimals(2);
  framesPerSecond->setRange(0.0, kHighestRateEntry);
  form->addRow(tr("Frames per second:"), framesPerSecond);
  compressor = new QComboBox(this);
  for (const std::string& code : AvailableCompressorCodes()) {
    compressor->addItem(QString::fromStdString(code), QString::fromStdString(code));
  }
  form->addRow(tr("Compressor:"), compressor);
  quality = NumberBox(this, kHighestQuality);
  form->addRow(tr("Quality (0 to 10000):"), quality);

  layout->addWidget(Group(tr("Sound"), this, &form));
  sound = new QCheckBox(tr("The output carries sound"), this);
  form->addRow(sound);
  soundBits = NumberChoice(this, {{tr("8 bit"), 8}, {tr("16 bit"), 16}});
  soundRate = NumberChoice(this, {{"11025", 11025}, {"22050", 22050}, {"44100", 44100}, {"48000", 48000}});
  soundChannels = NumberChoice(this, {{tr("Mono"), 1}, {tr("Stereo"), 2}});
  form->addRow(tr("Bits per sample:"), soundBits);
  form->addRow(tr("Samples per second:"), soundRate);
  form->addRow(tr("Channels:"), soundChannels);
  for (QComboBox* combo : {soundBits, soundRate, soundChannels}) {
    connect(sound, &QCheckBox::toggled, combo, &QWidget::setEnabled);
  }

  layout->addWidget(Group(tr("Image Sequence"), this, &form));
  AddSizeRow(form, this, &imageWidth, &imageHeight);

  layout->addWidget(Group(tr("Animation (FLI/FLC)"), this, &form));
  AddSizeRow(form, this, &flcWidth, &flcHeight);
  layout->addStretch();
}

void MovieRecordPage::SetRecord(const MovieSettings& record) {
  record_ = record;
  width->setValue(record.VResWidth);
  height->setValue(record.VResHeight);
  framesPerSecond->setValue(record.VFramesPerSec);
  const QString code = QString::fromStdString(record.VCompressionType);
  SelectData(compressor, code, code);
  quality->setValue(record.VQuality);
  sound->setChecked(record.VReserved1 != 0);
  for (QComboBox* combo : {soundBits, soundRate, soundChannels}) combo->setEnabled(record.VReserved1 != 0);
  SelectNumber(soundBits, record.ABitsPerSample);
  SelectNumber(soundRate, record.ASamplesPerSec);
  SelectNumber(soundChannels, record.AChannels);
  imageWidth->setValue(record.IResWidth);
  imageHeight->setValue(record.IResHeight);
  flcWidth->setValue(record.FResWidth);
  flcHeight->setValue(record.FResHeight);
}

MovieSettings MovieRecordPage::Record() const {
  MovieSettings record = record_;
  record.VResWidth = width->value();
  record.VResHeight = height->value();
  record.VFramesPerSec = static_cast<float>(framesPerSecond->value());
  record.VCompressionType = NormalizeFourcc(compressor->currentData().toString().toStdString());
  record.VQuality = quality->value();
  // A sound switch that was on keeps its stored value.
  if (!sound->isChecked()) {
    record.VReserved1 = 0;
  } else if (record.VReserved1 == 0) {
    record.VReserved1 = 1;
  }
  record.ABitsPerSample = soundBits->currentData().toInt();
  record.ASamplesPerSec = soundRate->currentData().toInt();
  record.AChannels = soundChannels->currentData().toInt();
  record.IResWidth = imageWidth->value();
  record.IResHeight = imageHeight->value();
  record.FResWidth = flcWidth->value();
  record.FResHeight = flcHeight->value();
  return record;
}

CPreferencesDlg::CPreferencesDlg(const OutputPreferences& values, QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Preferences"));
  auto* layout = new QVBoxLayout(this);
  auto* tabs = new QTabWidget(this);
  moviePage_ = new MovieRecordPage(tabs);
  moviePage_->SetRecord(values.movie);
  previewPage_ = new MovieRecordPage(tabs);
  previewPage_->SetRecord(values.preview);
  tabs->addTab(moviePage_, tr("Movie"));
  tabs->addTab(previewPage_, tr("Preview"));
  tabs->addTab(MakeFieldOrderPage(values), tr("AVI Field Info"));
  layout->addWidget(tabs);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &CPreferencesDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QWidget* CPreferencesDlg::MakeFieldOrderPage(const OutputPreferences& values) {
  auto* scroll = new QScrollArea;
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  form->addRow(new QLabel(tr("Field order of AVI clips by compressor: the code, then the order in parentheses, "
                             "for example CFCC(2)."),
                          page));
  for (int entry = 0; entry < settings::kAviFieldInfoEntries; ++entry) {
    auto* edit = new QLineEdit(QString::fromStdString(values.fieldOrders[static_cast<std::size_t>(entry)]), page);
    form->addRow(QStringLiteral("ENTRY%1:").arg(entry), edit);
    fieldOrderEdits_[static_cast<std::size_t>(entry)] = edit;
  }
  scroll->setWidget(page);
  scroll->setWidgetResizable(true);
  return scroll;
}

OutputPreferences CPreferencesDlg::Values() const {
  OutputPreferences values;
  values.movie = moviePage_->Record();
  values.preview = previewPage_->Record();
  for (int entry = 0; entry < settings::kAviFieldInfoEntries; ++entry) {
    values.fieldOrders[static_cast<std::size_t>(entry)] = FieldOrderEdit(entry)->text().trimmed().toStdString();
  }
  return values;
}

void CPreferencesDlg::accept() {
  if (ShowPreferencesProblems(Values())) return;
  QDialog::accept();
}

bool ShowPreferencesProblems(const OutputPreferences& values) {
  const std::vector<std::string> problems = OutputPreferencesProblems(values);
  if (problems.empty()) return false;
  std::string text = "These settings cannot be used:";
  for (const std::string& problem : problems) text += "\n" + problem;
  ShowMessage(text, MB_OK | MB_ICONSTOP, "Preferences");
  return true;
}

std::optional<OutputPreferences> EditorPreferencesDialogs::EditPreferences(QWidget* parent,
                                                                           const OutputPreferences& current) {
  CPreferencesDlg dialog(current, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Values();
}

}  // namespace sprocket
