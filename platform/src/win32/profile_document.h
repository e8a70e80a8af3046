// An INI file held as its lines, so that edits replace or insert single lines and keep the rest
// of the file (comments, blank lines, spelling) as it was. Sections and keys compare without
// regard to letter case, as the Windows profile functions do.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

class ProfileDocument {
 public:
  // Splits text into lines; a file that used CRLF keeps CRLF when written back.
  void Parse(const std::string& text);
  std::string Serialize() const;

  // The value of key in section with surrounding whitespace and matching quotes removed;
  // nothing when the section or key is missing or the key line has no '='.
  std::optional<std::string> Value(const std::string& section, const std::string& key) const;
  std::vector<std::string> SectionNames() const;
  std::vector<std::string> KeyNames(const std::string& section) const;
  // The section's key lines as written, trimmed ("key=value") and cut at any NUL byte; empty
  // when the section is missing.
  std::vector<std::string> KeyLines(const std::string& section) const;

  // Edits; each returns true when the document changed.
  bool SetValue(const std::string& section, const std::string& key, const std::string& value);
  bool RemoveKey(const std::string& section, const std::string& key);
  bool RemoveSection(const std::string& section);
  // Replaces the section's lines with the given ones, keeping the blank and comment lines at its
  // end (they lead to the next section); a missing section is added at the end.
  bool ReplaceSection(const std::string& section, const std::vector<std::string>& keyLines);

 private:
  struct Line {
    std::string text;
    enum Kind { kOther, kSection, kKey } kind = kOther;
    std::string name;   // section or key name, trimmed
    bool hasValue = false;
    std::string value;  // trimmed, quotes kept
  };
  static Line Classify(std::string text);
  // Index of the section's header line, or -1.
  int FindSection(const std::string& section) const;
  // One past the last line belonging to the section that starts at header.
  size_t SectionEnd(int header) const;
  int FindKey(int header, const std::string& key) const;
  // Adds "[section]" at the end; returns the index after its header.
  size_t AppendSection(const std::string& section);

  std::vector<Line> lines_;
  bool crlf_ = false;
};

}  // namespace platform
