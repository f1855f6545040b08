// IniFile: reading, rewriting and deleting keys and sections of an INI file held as lines.
#include "util/ini_file.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "util/text_file.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

std::string_view Trim(std::string_view s) {
  const char* blanks = " \t";
  const size_t first = s.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) { return AsciiLower(Trim(a)) == AsciiLower(Trim(b)); }

// The file as lines, remembering whether it was UTF-16 so that a rewrite keeps its encoding.
struct IniText {
  std::vector<std::string> lines;
  bool utf16 = false;
  bool utf8Mark = false;  // UTF-8 after EF BB BF, written back so: the mark is not part of the text
  bool exists = false;
};

IniText ReadIni(const std::string& path) {
  IniText ini;
  if (path.empty()) return ini;
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) return ini;
  ini.exists = true;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string text;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    ini.utf16 = true;
    std::u16string units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    text = Utf16ToUtf8(units);
  } else {
    ini.utf8Mark = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    text = ini.utf8Mark ? bytes.substr(3) : bytes;
  }
  ini.lines = SplitText(text, "\n");
  for (std::string& line : ini.lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  if (!ini.lines.empty() && ini.lines.back().empty()) ini.lines.pop_back();  // the final line break
  return ini;
}

bool WriteIni(const std::string& path, const IniText& ini) {
  std::string text = ini.utf8Mark ? "\xEF\xBB\xBF" : "";
  for (const std::string& line : ini.lines) text += line + "\r\n";
  if (ini.utf16) return WriteTextFile(path, text, true) == 1;
  return WriteFileAtomically(PathFromUtf8(path), text);
}

// The section name of a header line "[name]", nothing for other lines.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line[0] != '[') return std::nullopt;
  const size_t close = line.find(']');
  return Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

// The key of a key line, nothing for a comment or a blank line.
std::optional<std::string_view> KeyOf(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line[0] == ';') return std::nullopt;
  return Trim(line.substr(0, line.find('=')));
}

std::string_view ValueOf(std::string_view line) {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {};
  std::string_view value = Trim(line.substr(equals + 1));
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// Lines [begin, end) of each section of that name, after its header line.
struct SectionSpan {
  size_t header;
  size_t end;
};
std::vector<SectionSpan> FindSections(const std::vector<std::string>& lines, std::string_view name) {
  std::vector<SectionSpan> spans;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::optional<std::string_view> section = SectionOf(lines[i]);
    if (!section) continue;
    if (!spans.empty() && spans.back().end == lines.size()) spans.back().end = i;
    if (SameName(*section, name)) spans.push_back({i, lines.size()});
  }
  return spans;
}

std::optional<size_t> FindKey(const std::vector<std::string>& lines, const SectionSpan& span, std::string_view key) {
  for (size_t i = span.header + 1; i < span.end; ++i) {
    std::optional<std::string_view> k = KeyOf(lines[i]);
    if (k && SameName(*k, key)) return i;
  }
  return std::nullopt;
}

// At most limit bytes, never ending inside a UTF-8 character.
std::string CutTo(std::string_view s, size_t limit) {
  if (s.size() <= limit) return std::string(s);
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
  return std::string(s.substr(0, end));
}

}  // namespace

int IniFile::WriteIniKey(std::string_view section, std::string_view key, std::string_view value) {
  if (path_.empty()) return 0;
  IniText ini = ReadIni(path_);
  const std::string line = std::string(Trim(key)) + "=" + std::string(value);
  const std::vector<SectionSpan> spans = FindSections(ini.lines, section);
  if (spans.empty()) {
    ini.lines.push_back("[" + std::string(Trim(section)) + "]");
    ini.lines.push_back(line);
  } else if (std::optional<size_t> at = FindKey(ini.lines, spans.front(), key)) {
    ini.lines[*at] = line;
  } else {
    size_t after = spans.front().header;
    for (size_t i = after + 1; i < spans.front().end; ++i) {
      if (!Trim(ini.lines[i]).empty()) after = i;
    }
    ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(after + 1), line);
  }
  return WriteIni(path_, ini) ? 1 : 0;
}

std::string IniFile::GetIniKey(std::string_view section, std::string_view key, std::string_view defaultValue) const {
  const IniText ini = ReadIni(path_);
  const std::vector<SectionSpan> spans = FindSections(ini.lines, section);
  if (!spans.empty()) {
    if (std::optional<size_t> at = FindKey(ini.lines, spans.front(), key)) {
      return CutTo(ValueOf(ini.lines[*at]), kReadLimit);
    }
  }
  const size_t end = defaultValue.find_last_not_of(' ');
  return CutTo(end == std::string_view::npos ? std::string_view() : defaultValue.substr(0, end + 1), kReadLimit);
}

void IniFile::DelIniKey(std::string_view section, std::string_view key) {
  IniText ini = ReadIni(path_);
  if (!ini.exists) return;
  bool changed = false;
  // From the last section back, so that removing lines leaves the earlier spans valid.
  std::vector<SectionSpan> spans = FindSections(ini.lines, section);
  for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
    for (size_t i = span->end; i-- > span->header + 1;) {
      std::optional<std::string_view> k = KeyOf(ini.lines[i]);
      if (k && SameName(*k, key)) {
        ini.lines.erase(ini.lines.begin() + static_cast<std::ptrdiff_t>(i));
        changed = true;
      }
    }
  }
  if (changed) WriteIni(path_, ini);
}

void IniFile::DelIniSec(std::string_view section) {
  IniText ini = ReadIni(path_);
  if (!ini.exists) return;
  std::vector<SectionSpan> spans = FindSections(ini.lines, section);
  for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
    ini.lines.erase(ini.lines.begin() + static_cast<std::ptrdiff_t>(span->header),
                    ini.lines.begin() + static_cast<std::ptrdiff_t>(span->end));
  }
  if (!spans.empty()) WriteIni(path_, ini);
}

}  // namespace kestrel
