// Cell styles of the memory worksheet (number format, font, alignment, wrap, borders), interned.
#pragma once

#include <compare>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/worksheet.h"

namespace kestrel {

struct FontStyle {
  std::string name = "Calibri";
  double size = 11;  // points
  bool bold = false;
  long color = 0;  // the host's colour number
  auto operator<=>(const FontStyle&) const = default;
};

// The four edges of one cell.
struct CellBorders {
  LineStyle left = LineStyle::None;
  LineStyle top = LineStyle::None;
  LineStyle bottom = LineStyle::None;
  LineStyle right = LineStyle::None;
  auto operator<=>(const CellBorders&) const = default;
};

// Everything a cell, a row or a column can carry as format. The default value is the format of
// a fresh sheet.
struct CellStyle {
  std::string numberFormat = "General";  // neutral code
  FontStyle font;
  HAlign horizontal = HAlign::General;
  VAlign vertical = VAlign::Bottom;
  bool wrapText = false;
  CellBorders borders;
  auto operator<=>(const CellStyle&) const = default;
};

// Styles are stored once and referred to by number. Number 0 means "no style of its own" on a
// cell, row or column (the format comes from the next level); Get(0) is the default style.
using StyleId = std::uint32_t;
inline constexpr StyleId kInheritStyle = 0;

class StyleTable {
 public:
  StyleTable() : styles_(1) {}
  // Never returns kInheritStyle, also for the default style: a cell that states the default
  // style explicitly must not fall through to its row's or column's style.
  StyleId Intern(const CellStyle& style);
  const CellStyle& Get(StyleId id) const { return styles_[id]; }

 private:
  std::vector<CellStyle> styles_;
  std::map<CellStyle, StyleId> index_;
};

}  // namespace kestrel
