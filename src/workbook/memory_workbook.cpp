// MemoryWorkbook: sheets in tab order, the active sheet, the application switches.
#include "workbook/memory_workbook.h"

#include <stdexcept>

#include "util/unicode.h"

namespace kestrel {

MemoryWorkbook::MemoryWorkbook() { AddSheet(); }

std::vector<Worksheet*> MemoryWorkbook::Worksheets() {
  std::vector<Worksheet*> sheets;
  for (auto& sheet : sheets_) sheets.push_back(sheet.get());
  return sheets;
}

Worksheet& MemoryWorkbook::AddSheet() {
  std::string name;
  do {
    name = "Sheet" + std::to_string(nextNumber_++);
  } while (FindSheet(name));
  auto sheet = std::make_unique<MemoryWorksheet>(name);
  sheet->book_ = this;
  ++revision_;
  const int at = sheets_.empty() ? 0 : active_;
  sheets_.insert(sheets_.begin() + at, std::move(sheet));
  active_ = at;
  return *sheets_[at];
}

MemoryWorksheet& MemoryWorkbook::Sheet(int index) {
  if (index < 0 || index >= SheetCount()) throw std::out_of_range("no sheet " + std::to_string(index));
  return *sheets_[index];
}

MemoryWorksheet* MemoryWorkbook::FindSheet(std::string_view name) {
  // Sheet names are unique without regard to case, as in the host.
  const std::string wanted = AsciiLower(name);
  for (auto& sheet : sheets_)
    if (AsciiLower(sheet->SheetName()) == wanted) return sheet.get();
  return nullptr;
}

MemoryWorksheet& MemoryWorkbook::AppendSheet(std::string name) {
  if (FindSheet(name)) throw std::invalid_argument("a sheet named " + name + " exists already");
  auto sheet = std::make_unique<MemoryWorksheet>(std::move(name));
  sheet->book_ = this;
  ++revision_;
  sheets_.push_back(std::move(sheet));
  return *sheets_.back();
}

void MemoryWorkbook::Activate(int index) {
  Sheet(index);
  active_ = index;
}

void MemoryWorkbook::OnStructureChanged(const MemoryWorksheet& changed, const RefShift& shift) {
  for (auto& sheet : sheets_)
    if (sheet.get() != &changed) sheet->ShiftForeignReferences(changed.SheetName(), shift);
}

}  // namespace kestrel
