// Cell styles of the model turned into libxlsxwriter formats, created once per distinct style.
#include "io/xlsx_writer_formats.h"

#include "util/unicode.h"

namespace kestrel {

namespace {

// A font left at the model's default writes nothing, so that the file's default font (Calibri
// 11, automatic colour) stays in force; colour 0 is the host's automatic black.
void ApplyFont(lxw_format* format, const FontStyle& font, bool superscript) {
  const FontStyle standard;
  if (font.name != standard.name) format_set_font_name(format, font.name.c_str());
  if (font.size != standard.size) format_set_font_size(format, font.size);
  if (font.bold) format_set_bold(format);
  if (font.color != 0) format_set_font_color(format, WriterColor(font.color));
  if (superscript) format_set_font_script(format, LXW_FONT_SUPERSCRIPT);
}

uint8_t Horizontal(HAlign align) {
  switch (align) {
    case HAlign::Left:
      return LXW_ALIGN_LEFT;
    case HAlign::Center:
      return LXW_ALIGN_CENTER;
    case HAlign::Right:
      return LXW_ALIGN_RIGHT;
    case HAlign::Fill:
      return LXW_ALIGN_FILL;
    case HAlign::General:
      break;
  }
  return LXW_ALIGN_NONE;
}

uint8_t Vertical(VAlign align) {
  switch (align) {
    case VAlign::Top:
      return LXW_ALIGN_VERTICAL_TOP;
    case VAlign::Center:
      return LXW_ALIGN_VERTICAL_CENTER;
    case VAlign::Bottom:
      break;  // the file's default
  }
  return LXW_ALIGN_NONE;
}

// The host's continuous line of standard weight is the file's thin line.
uint8_t Border(LineStyle line) {
  return line == LineStyle::Continuous ? static_cast<uint8_t>(LXW_BORDER_THIN) : static_cast<uint8_t>(LXW_BORDER_NONE);
}

}  // namespace

lxw_color_t WriterColor(long hostColor) {
  const unsigned long c = static_cast<unsigned long>(hostColor) & 0xFFFFFF;
  const lxw_color_t rgb = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
  return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb;  // 0 means "no colour" to libxlsxwriter
}

lxw_format* WriterFormats::Cell(const CellStyle& style, bool superscript) {
  auto key = std::make_pair(style, superscript);
  if (auto it = cells_.find(key); it != cells_.end()) return it->second;
  // The plain style is the workbook's own first format (style record 0). A second format equal
  // to it would be matched against every format of the file again at each cell that uses it.
  lxw_format* first = STAILQ_FIRST(book_->formats);
  if (!superscript && style == CellStyle{} && first && first->xf_index == 0) {
    cells_.emplace(std::move(key), first);
    return first;
  }
  lxw_format* format = workbook_add_format(book_);
  if (AsciiLower(style.numberFormat) != "general") format_set_num_format(format, style.numberFormat.c_str());
  ApplyFont(format, style.font, superscript);
  if (uint8_t h = Horizontal(style.horizontal)) format_set_align(format, h);
  if (uint8_t v = Vertical(style.vertical)) format_set_align(format, v);
  if (style.wrapText) format_set_text_wrap(format);
  if (uint8_t b = Border(style.borders.left)) format_set_left(format, b);
  if (uint8_t b = Border(style.borders.right)) format_set_right(format, b);
  if (uint8_t b = Border(style.borders.top)) format_set_top(format, b);
  if (uint8_t b = Border(style.borders.bottom)) format_set_bottom(format, b);
  cells_.emplace(std::move(key), format);
  return format;
}

}  // namespace kestrel
