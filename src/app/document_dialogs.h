#pragma once
// The questions the document windows ask through dialogs: which timeline to
// open and where to save one. The editor asks with its file dialogs; tests
// answer from a script.

#include <optional>
#include <string>

class QWidget;

namespace sprocket {

inline constexpr const char* kTimelineFilter = "Timeline Files (*.tle)";
inline constexpr const char* kTimelineExtension = ".tle";

class DocumentDialogs {
public:
  virtual ~DocumentDialogs() = default;
  // The timeline file to open; nothing on Cancel.
  virtual std::optional<std::string> OpenTimelinePath(QWidget* parent) = 0;
  // The path to save a timeline to, starting from `suggested`; nothing on Cancel.
  virtual std::optional<std::string> SaveTimelinePath(QWidget* parent, const std::string& suggested) = 0;
};

// The file dialogs of the editor (CPreviewFileDialog).
class FileDocumentDialogs : public DocumentDialogs {
public:
  std::optional<std::string> OpenTimelinePath(QWidget* parent) override;
  std::optional<std::string> SaveTimelinePath(QWidget* parent, const std::string& suggested) override;
};

// A path that ends in the timeline extension (added when missing).
std::string WithTimelineExtension(const std::string& path);

}  // namespace sprocket
