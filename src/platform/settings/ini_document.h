#pragma once
// An INI file held as its lines, edited in place.
//
// Lookups follow the classic profile rules: section and key names compare
// case-insensitively, the first matching section and key win, values lose
// surrounding blanks and one pair of matching quotes, and lines starting
// with ';' are comments. Edits keep every other line (comments, blank lines,
// order, spelling of names) exactly as it was.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sprocket {

class IniDocument {
public:
  IniDocument() = default;
  static IniDocument Parse(std::string_view text);

  // The value of the key, or nothing when the section or the key is missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Every key of the section in file order (empty when the section is missing).
  std::vector<std::string> Keys(std::string_view section) const;
  bool HasSection(std::string_view section) const;

  // Replaces the key's value, or adds the key at the end of its section, or
  // adds the section at the end of the document.
  void Set(std::string_view section, std::string_view key, std::string_view value);
  // Returns true when something was removed.
  bool RemoveKey(std::string_view section, std::string_view key);
  bool RemoveSection(std::string_view section);

  std::string Serialize() const;

private:
  struct Line {
    std::string text;     // as read, without the line end
    std::string section;  // for a header: its name
    std::string key;      // for an entry: its name as written
    bool isHeader = false;
    bool isEntry = false;
  };
  static Line MakeLine(std::string text);
  // Index of the first header of the section, or npos.
  std::size_t FindSection(std::string_view section) const;
  // One past the last line of the section that starts at `header`.
  std::size_t SectionEnd(std::size_t header) const;
  std::size_t FindKey(std::size_t header, std::string_view key) const;

  std::vector<Line> lines_;
  std::string lineEnd_ = "\n";
};

// Leading-number rule of profile integers: optional blanks, an optional sign,
// then decimal digits or "0x" and hex digits; parsing stops at the first other
// character. A value without digits gives 0. Results saturate to 32 bits.
int ParseProfileInt(std::string_view value);

bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace sprocket
