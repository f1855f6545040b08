// Texts of a .xlsx file: shared strings, inline strings and note texts, with their runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "workbook/memory_rows.h"

namespace kestrel {

// A text with what the reader keeps of its runs' formats. Positions count code points from 1.
struct RichText {
  std::string text;
  std::vector<TextRun> superscripts;
  int boldLength = 0;  // the leading bold run(s), as a note's author line is bold
};

// The text of <si>, <is> or a note's <text>: one <t>, or the <t> of every run <r> concatenated.
// Phonetic runs (<rPh>) are not part of the text.
RichText ReadRichText(pugi::xml_node holder);

// The file format's escapes of a text, the inverse of DecodeEscapes: characters XML cannot carry
// (U+0000 to U+001F but tab, line feed and carriage return) as "_xHHHH_", and an underscore
// that would start such an escape as "_x005F_", so that every text reads back as it was.
std::string EncodeEscapes(std::string_view text);

// Undoes the file format's escapes of characters XML cannot carry: "_x000D_" -> CR,
// "_x005F_" -> "_" (an escaped underscore).
std::string DecodeEscapes(std::string_view text);

}  // namespace kestrel
