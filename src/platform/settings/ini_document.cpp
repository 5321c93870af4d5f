#include "platform/settings/ini_document.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>

namespace sprocket {

namespace {

constexpr std::size_t npos = std::string::npos;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::string_view Unquote(std::string_view s) {
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
    return s.substr(1, s.size() - 2);
  }
  return s;
}

std::string_view ValueOf(const std::string& line) {
  std::size_t eq = line.find('=');
  return Unquote(Trim(std::string_view(line).substr(eq + 1)));
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

int ParseProfileInt(std::string_view value) {
  value = Trim(value);
  bool negative = false;
  if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  int base = 10;
  if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X') &&
      std::isxdigit(static_cast<unsigned char>(value[2]))) {
    base = 16;
    value.remove_prefix(2);
  }
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<int>::max()} + 1;
  std::int64_t magnitude = 0;
  for (char c : value) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c))) {
      digit = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    } else {
      break;
    }
    magnitude = std::min(magnitude * base + digit, kLimit);
  }
  if (negative) return static_cast<int>(-magnitude);
  return static_cast<int>(std::min<std::int64_t>(magnitude, kLimit - 1));
}

IniDocument::Line IniDocument::MakeLine(std::string text) {
  Line line;
  std::string_view body = Trim(text);
  if (!body.empty() && body.front() == '[') {
    std::size_t close = body.find(']');
    if (close != npos) {
      line.isHeader = true;
      line.section = std::string(Trim(body.substr(1, close - 1)));
    }
  } else if (!body.empty() && body.front() != ';') {
    std::size_t eq = body.find('=');
    if (eq != npos) {
      line.isEntry = true;
      line.key = std::string(Trim(body.substr(0, eq)));
    }
  }
  line.text = std::move(text);
  return line;
}

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument doc;
  std::size_t first = text.find('\n');
  if (first != npos && first > 0 && text[first - 1] == '\r') doc.lineEnd_ = "\r\n";
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text = end == npos ? std::string_view() : text.substr(end + 1);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    doc.lines_.push_back(MakeLine(std::string(raw)));
  }
  return doc;
}

std::size_t IniDocument::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].isHeader && EqualsNoCase(lines_[i].section, section)) return i;
  }
  return npos;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && !lines_[i].isHeader) ++i;
  return i;
}

std::size_t IniDocument::FindKey(std::size_t header, std::string_view key) const {
  for (std::size_t i = header + 1; i < SectionEnd(header); ++i) {
    if (lines_[i].isEntry && EqualsNoCase(lines_[i].key, key)) return i;
  }
  return npos;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  std::size_t header = FindSection(section);
  if (header == npos) return std::nullopt;
  std::size_t line = FindKey(header, key);
  if (line == npos) return std::nullopt;
  return std::string(ValueOf(lines_[line].text));
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  std::size_t header = FindSection(section);
  if (header == npos) return keys;
  for (std::size_t i = header + 1; i < SectionEnd(header); ++i) {
    if (lines_[i].isEntry) keys.push_back(lines_[i].key);
  }
  return keys;
}

bool IniDocument::HasSection(std::string_view section) const { return FindSection(section) != npos; }

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::size_t header = FindSection(section);
  if (header == npos) {
    lines_.push_back(MakeLine("[" + std::string(section) + "]"));
    lines_.push_back(MakeLine(std::string(key) + "=" + std::string(value)));
    return;
  }
  std::size_t line = FindKey(header, key);
  if (line != npos) {
    lines_[line] = MakeLine(lines_[line].key + "=" + std::string(value));
    return;
  }
  // After the section's last entry, so trailing comments and blank lines that
  // separate it from the next section stay where they are.
  std::size_t insertAt = header + 1;
  for (std::size_t i = header + 1; i < SectionEnd(header); ++i) {
    if (lines_[i].isEntry) insertAt = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                MakeLine(std::string(key) + "=" + std::string(value)));
}

bool IniDocument::RemoveKey(std::string_view section, std::string_view key) {
  std::size_t header = FindSection(section);
  if (header == npos) return false;
  std::size_t line = FindKey(header, key);
  if (line == npos) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
  return true;
}

bool IniDocument::RemoveSection(std::string_view section) {
  std::size_t header = FindSection(section);
  if (header == npos) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
               lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
  return true;
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const Line& line : lines_) {
    out += line.text;
    out += lineEnd_;
  }
  return out;
}

}  // namespace sprocket
