// Fuzz target: INI files (UTF-8, or UTF-16LE after FF FE) read, changed and read back.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "util/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  IniFile ini;
  ini.SetINIFileName(fuzz::InputFile(fuzz::Bytes(data, size), ".ini"));
  for (const char* section : {"CAD", "Kestrel", ""})
    for (const char* key : {"Path", "Version", ""})
      if (ini.GetIniKey(section, key, "none").size() > IniFile::kReadLimit) __builtin_trap();
  // A key written is read back as written, whatever the file held around it.
  if (ini.WriteIniKey("CAD", "Path", "C:\\CAD") != 1) __builtin_trap();
  if (ini.GetIniKey(" cad ", "PATH", "none") != "C:\\CAD") __builtin_trap();
  ini.DelIniKey("Kestrel", "Version");
  ini.DelIniSec("CAD");
  if (ini.GetIniKey("CAD", "Path", "none") != "none") __builtin_trap();
  return 0;
}
