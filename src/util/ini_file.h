// IniFile: keys of one INI file with the private-profile semantics, for platforms without them.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Section and key names compare without regard to (ASCII) case and without the blanks around
// them; values lose the blanks around them and one pair of enclosing quotes. The first section
// and the first key of a name are the ones read and written, so the last write wins. Files are
// read as UTF-8 (or UTF-16LE after FF FE, written back so), written with CR LF and replaced
// whole; text before the first section and lines starting with ";" are kept and never matched.
//
//   IniFile ini;
//   ini.SetINIFileName("/home/me/.kestrel.ini");
//   ini.WriteIniKey("CAD", "Path", "C:\\CAD");      // non-zero on success
//   ini.GetIniKey("cad", "PATH", "none") == "C:\\CAD"
//   ini.DelIniSec("Cad");                           // GetIniKey(...) now gives "none"
class IniFile {
 public:
  // A value read back is cut to this many bytes (whole UTF-8 characters only): the read buffer
  // of 256 characters, its terminator included.
  static constexpr size_t kReadLimit = 255;

  void SetINIFileName(std::string path) { path_ = std::move(path); }
  const std::string& INIFileName() const { return path_; }

  // Writes key=value into the section, creating the file, the section (at the end) and the key
  // (after the section's last line that is not blank) as needed: 1, or 0 when the file cannot be
  // written (no name set, a missing folder).
  int WriteIniKey(std::string_view section, std::string_view key, std::string_view value);
  // The key's value; the default (without its trailing blanks) when the file, the section or
  // the key is missing. Both cut to kReadLimit bytes.
  std::string GetIniKey(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  // Removes every line of the key in every section of that name; nothing when there is none.
  void DelIniKey(std::string_view section, std::string_view key);
  // Removes every section of that name with all its lines.
  void DelIniSec(std::string_view section);

 private:
  std::string path_;
};

}  // namespace kestrel
