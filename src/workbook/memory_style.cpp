// Interning of memory-worksheet styles.
#include "workbook/memory_style.h"

namespace kestrel {

StyleId StyleTable::Intern(const CellStyle& style) {
  auto it = index_.find(style);
  if (it != index_.end()) return it->second;
  auto id = static_cast<StyleId>(styles_.size());
  styles_.push_back(style);
  index_.emplace(style, id);
  return id;
}

}  // namespace kestrel
