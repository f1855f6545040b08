// The styles part of a saved workbook: one style record per distinct cell style, written by Kestrel.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "workbook/memory_style.h"

namespace kestrel {

// The style records of the file, numbered as cells refer to them (s="3"): record 0 is the plain
// style; each distinct style (and superscript variant) gets one record the first time a cell, row
// or column shows it, on any sheet. Fonts, borders and number formats are shared between records.
//   WriterStyles styles;
//   int record = styles.Record(cellStyle);   // 0 for the plain style
//   std::string xml = styles.Part();         // xl/styles.xml, once every sheet is written
class WriterStyles {
 public:
  WriterStyles();

  // With superscript the whole cell text is superscript (rich text needs two pieces, so a
  // one-character superscript text is written this way).
  int Record(const CellStyle& style, bool superscript = false);

  std::string Part() const;

 private:
  struct Font {
    FontStyle font;
    bool superscript = false;
    auto operator<=>(const Font&) const = default;
  };
  struct RecordKey {
    int numberFormat = 0;
    int font = 0;
    int border = 0;
    HAlign horizontal = HAlign::General;
    VAlign vertical = VAlign::Bottom;
    bool wrapText = false;
    auto operator<=>(const RecordKey&) const = default;
  };

  int NumberFormat(const std::string& code);
  template <typename T>
  static int Index(std::map<T, int>& index, std::vector<T>& items, const T& item);

  std::map<std::pair<CellStyle, bool>, int> byStyle_;
  std::map<std::string, int> numberFormats_;  // code -> id from 164
  std::vector<std::string> numberFormatCodes_;
  std::map<Font, int> fontIndex_;
  std::vector<Font> fonts_;
  std::map<CellBorders, int> borderIndex_;
  std::vector<CellBorders> borders_;
  std::map<RecordKey, int> recordIndex_;
  std::vector<RecordKey> records_;
};

// The host's colour number (red in the low byte) as the file's "FFRRGGBB".
std::string ArgbColor(long hostColor);

}  // namespace kestrel
