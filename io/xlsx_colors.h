// Colours of a .xlsx file (RGB, theme with tint, legacy palette index) as the host's colour numbers.
#pragma once

#include <optional>
#include <vector>

#include <pugixml.hpp>

namespace kestrel {

// 0xRRGGBB -> the host's colour number, red in the low byte: 0xFF0000 (red) -> 255.
long HostColor(unsigned rgb);

class XlsxPalette {
 public:
  // Office's default theme and legacy palette until the file's own are read.
  XlsxPalette();
  // <a:theme>: the colour scheme of the file's theme part.
  void ReadTheme(pugi::xml_node theme);
  // <colors>: a replaced legacy palette (<indexedColors>).
  void ReadIndexed(pugi::xml_node colors);
  // A <color> element as 0xRRGGBB; nothing for "auto", a missing element or a reference that
  // points nowhere.
  std::optional<unsigned> Resolve(pugi::xml_node color) const;

 private:
  std::vector<unsigned> theme_;    // in the file's theme order: dk1 lt1 dk2 lt2 accent1..6 hlink folHlink
  std::vector<unsigned> indexed_;
};

}  // namespace kestrel
