// The shared strings of a .xlsx file, read a run of entries at a time and held in one buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/cell_value.h"
#include "workbook/memory_rows.h"
#include "io/zip_archive.h"

namespace kestrel {

// Texts by index, each held once for all the cells that show it: an empty entry costs 4 bytes
// (all of them show one empty text), so that the table is bounded by the part's real content.
class SharedTexts {
 public:
  void Add(std::string text) {
    if (text.empty()) {
      slots_.push_back(0);
      return;
    }
    texts_.emplace_back(std::move(text));
    slots_.push_back(static_cast<std::uint32_t>(texts_.size()));  // a part holds fewer than 2^32 entries
  }
  size_t size() const { return slots_.size(); }
  const CellValue& operator[](size_t i) const { return slots_[i] == 0 ? empty_ : texts_[slots_[i] - 1]; }

 private:
  CellValue empty_{std::string()};
  std::vector<CellValue> texts_;     // the entries that hold text
  std::vector<std::uint32_t> slots_;  // by index: 0 for the empty text, else 1 + its place in texts_
};

struct SharedStrings {
  SharedTexts texts;
  std::unordered_map<size_t, std::vector<TextRun>> superscripts;  // by index, of the texts that have any
};

// Reads the shared-strings part: its <si> entries are read in runs of about 2 MB of the part,
// one at a time, so that the parsed form held is one run's whatever the number of entries. A run
// of plain entries only (<si><t>text</t></si>) is read straight from its text; any other is
// parsed (a part with a comment, CDATA or a processing instruction among its entries is parsed
// whole, within the limit of elements of XmlPart). Throws WorkbookFileError.
SharedStrings ReadSharedStrings(ZipArchive& zip, const std::string& part);

}  // namespace kestrel
