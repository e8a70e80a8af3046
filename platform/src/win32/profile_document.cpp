// Parsing and line-preserving editing of INI files for the private-profile functions.
#include "win32/profile_document.h"

#include <strings.h>

namespace platform {
namespace {

constexpr const char* kWhitespace = " \t\r\n\v\f";

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(kWhitespace);
  if (first == std::string::npos) return {};
  size_t last = text.find_last_not_of(kWhitespace);
  return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::string StripQuotes(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

ProfileDocument::Line ProfileDocument::Classify(std::string text) {
  Line line;
  line.text = std::move(text);
  std::string trimmed = Trim(line.text);
  if (trimmed.empty() || trimmed[0] == ';') return line;
  if (trimmed[0] == '[') {
    size_t close = trimmed.find(']');
    line.kind = Line::kSection;
    line.name = Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return line;
  }
  line.kind = Line::kKey;
  size_t equals = trimmed.find('=');
  if (equals == std::string::npos) {
    line.name = trimmed;
    return line;
  }
  line.name = Trim(trimmed.substr(0, equals));
  line.hasValue = true;
  line.value = Trim(trimmed.substr(equals + 1));
  return line;
}

void ProfileDocument::Parse(const std::string& text) {
  lines_.clear();
  crlf_ = text.find("\r\n") != std::string::npos;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(Classify(std::move(line)));
    start = end + 1;
  }
}

std::string ProfileDocument::Serialize() const {
  const char* eol = crlf_ ? "\r\n" : "\n";
  std::string text;
  for (const Line& line : lines_) {
    text += line.text;
    text += eol;
  }
  return text;
}

int ProfileDocument::FindSection(const std::string& section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Line::kSection && SameName(lines_[i].name, section)) return int(i);
  }
  return -1;
}

size_t ProfileDocument::SectionEnd(int header) const {
  size_t i = size_t(header) + 1;
  while (i < lines_.size() && lines_[i].kind != Line::kSection) ++i;
  return i;
}

int ProfileDocument::FindKey(int header, const std::string& key) const {
  size_t end = SectionEnd(header);
  for (size_t i = size_t(header) + 1; i < end; ++i) {
    if (lines_[i].kind == Line::kKey && SameName(lines_[i].name, key)) return int(i);
  }
  return -1;
}

std::optional<std::string> ProfileDocument::Value(const std::string& section,
                                                  const std::string& key) const {
  int header = FindSection(section);
  if (header < 0) return std::nullopt;
  int index = FindKey(header, key);
  if (index < 0 || !lines_[index].hasValue) return std::nullopt;
  return StripQuotes(lines_[index].value);
}

std::vector<std::string> ProfileDocument::SectionNames() const {
  std::vector<std::string> names;
  for (const Line& line : lines_) {
    if (line.kind == Line::kSection) names.push_back(line.name);
  }
  return names;
}

std::vector<std::string> ProfileDocument::KeyNames(const std::string& section) const {
  std::vector<std::string> names;
  int header = FindSection(section);
  if (header < 0) return names;
  for (size_t i = size_t(header) + 1, end = SectionEnd(header); i < end; ++i) {
    if (lines_[i].kind == Line::kKey) names.push_back(lines_[i].name);
  }
  return names;
}

std::vector<std::string> ProfileDocument::KeyLines(const std::string& section) const {
  std::vector<std::string> keyLines;
  int header = FindSection(section);
  if (header < 0) return keyLines;
  for (size_t i = size_t(header) + 1, end = SectionEnd(header); i < end; ++i) {
    if (lines_[i].kind != Line::kKey) continue;
    // A NUL cannot stand inside a NUL-separated list: the line ends there.
    std::string text = Trim(lines_[i].text.c_str());
    if (!text.empty()) keyLines.push_back(std::move(text));
  }
  return keyLines;
}

size_t ProfileDocument::AppendSection(const std::string& section) {
  // A new section goes at the end, separated from what precedes it by a blank line.
  if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(Classify(""));
  lines_.push_back(Classify("[" + section + "]"));
  return lines_.size();
}

bool ProfileDocument::ReplaceSection(const std::string& section, const std::vector<std::string>& keyLines) {
  int header = FindSection(section);
  size_t begin = header < 0 ? AppendSection(section) : size_t(header) + 1;
  size_t end = header < 0 ? begin : SectionEnd(header);
  while (end > begin && lines_[end - 1].kind == Line::kOther) --end;  // blank and comment lines
  std::vector<Line> replacement;
  for (const std::string& text : keyLines) replacement.push_back(Classify(text));
  bool same = end - begin == replacement.size();
  for (size_t i = 0; same && i < replacement.size(); ++i) same = lines_[begin + i].text == replacement[i].text;
  if (same) return header < 0;
  lines_.erase(lines_.begin() + long(begin), lines_.begin() + long(end));
  lines_.insert(lines_.begin() + long(begin), replacement.begin(), replacement.end());
  return true;
}

bool ProfileDocument::SetValue(const std::string& section, const std::string& key,
                               const std::string& value) {
  int header = FindSection(section);
  if (header < 0) {
    AppendSection(section);
    lines_.push_back(Classify(key + "=" + value));
    return true;
  }
  int index = FindKey(header, key);
  if (index >= 0) {
    Line& line = lines_[index];
    if (line.hasValue && line.value == value) return false;
    line = Classify(line.name + "=" + value);
    return true;
  }
  // A new key follows the section's last non-blank line.
  size_t insertAt = SectionEnd(header);
  while (insertAt > size_t(header) + 1 && Trim(lines_[insertAt - 1].text).empty()) --insertAt;
  lines_.insert(lines_.begin() + insertAt, Classify(key + "=" + value));
  return true;
}

bool ProfileDocument::RemoveKey(const std::string& section, const std::string& key) {
  int header = FindSection(section);
  if (header < 0) return false;
  int index = FindKey(header, key);
  if (index < 0) return false;
  lines_.erase(lines_.begin() + index);
  return true;
}

bool ProfileDocument::RemoveSection(const std::string& section) {
  bool removed = false;
  for (int header = FindSection(section); header >= 0; header = FindSection(section)) {
    lines_.erase(lines_.begin() + header, lines_.begin() + SectionEnd(header));
    removed = true;
  }
  return removed;
}

}  // namespace platform
