#pragma once
// The Preferences dialog: the "Movie" and "Preview" output records (picture
// size, frame rate, compressor and quality, sound on or off with its
// format, image-sequence and animation sizes) and the compressor field
// order table "AVI Field Info", one tab each. OK checks the values
// (OutputPreferencesProblems) and stays open, after saying what is wrong,
// until they can be stored.
//
// The main window asks through PreferencesDialogs, so that tests answer
// without a window.

#include <QDialog>
#include <array>
#include <optional>

#include "render/output/output_preferences.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QSpinBox;

namespace sprocket {

// The widgets of one output record; fields the dialog does not show keep
// their values.
class MovieRecordPage : public QWidget {
  Q_OBJECT
public:
  explicit MovieRecordPage(QWidget* parent = nullptr);
  void SetRecord(const MovieSettings& record);
  MovieSettings Record() const;

  QSpinBox* width = nullptr;
  QSpinBox* height = nullptr;
  QDoubleSpinBox* framesPerSecond = nullptr;
  QComboBox* compressor = nullptr;
  QSpinBox* quality = nullptr;
  QCheckBox* sound = nullptr;
  QComboBox* soundBits = nullptr;
  QComboBox* soundRate = nullptr;
  QComboBox* soundChannels = nullptr;
  QSpinBox* imageWidth = nullptr;
  QSpinBox* imageHeight = nullptr;
  QSpinBox* flcWidth = nullptr;
  QSpinBox* flcHeight = nullptr;

private:
  MovieSettings record_;
};

class CPreferencesDlg : public QDialog {
  Q_OBJECT
public:
  explicit CPreferencesDlg(const OutputPreferences& values, QWidget* parent = nullptr);

  OutputPreferences Values() const;

  MovieRecordPage* MoviePage() const { return moviePage_; }
  MovieRecordPage* PreviewPage() const { return previewPage_; }
  QLineEdit* FieldOrderEdit(int entry) const { return fieldOrderEdits_.at(static_cast<std::size_t>(entry)); }

  // Closes with OK only when the values can be stored.
  void accept() override;

private:
  QWidget* MakeFieldOrderPage(const OutputPreferences& values);

  MovieRecordPage* moviePage_ = nullptr;
  MovieRecordPage* previewPage_ = nullptr;
  std::array<QLineEdit*, settings::kAviFieldInfoEntries> fieldOrderEdits_{};
};

// Says what keeps the values from being stored, in one message; false (and
// nothing shown) when nothing does.
bool ShowPreferencesProblems(const OutputPreferences& values);

class PreferencesDialogs {
public:
  virtual ~PreferencesDialogs() = default;
  // The values after OK; nothing on Cancel.
  virtual std::optional<OutputPreferences> EditPreferences(QWidget* parent, const OutputPreferences& current) = 0;
};

// Runs CPreferencesDlg modally.
class EditorPreferencesDialogs : public PreferencesDialogs {
public:
  std::optional<OutputPreferences> EditPreferences(QWidget* parent, const OutputPreferences& current) override;
};

}  // namespace sprocket
