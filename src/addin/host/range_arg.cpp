// RangeArg: reading a range argument's texts, formula, address and cache key.
#include "addin/host/range_arg.h"

#include <algorithm>
#include <functional>

namespace kestrel {

RangeArg RangeArg::RowBlock(int first, int count) const {
  RangeRef block = range_;
  block.first.row = range_.first.row + first;
  block.last.row = std::min(range_.last.row, block.first.row + count - 1);
  return RangeArg(*sheet_, block, book_);
}

std::optional<std::string> RangeArg::Text() const {
  if (IsSingleCell()) return sheet_->Text(range_.first);
  const std::vector<std::string> texts = sheet_->Texts(range_);
  if (std::adjacent_find(texts.begin(), texts.end(), std::not_equal_to<>()) != texts.end()) return std::nullopt;
  return texts.empty() ? std::string() : texts.front();
}

std::optional<std::string> RangeArg::Formula() const {
  if (!IsSingleCell()) return std::nullopt;
  return sheet_->Formula(range_.first);
}

std::string RangeArg::Address() const {
  if (IsSingleCell()) return CellA1(range_.first, true);
  return CellA1(range_.first, true) + ":" + CellA1(range_.last, true);
}

std::string RangeArg::Key() const {
  // The unit separator cannot occur in a book path or a sheet name.
  return book_ + '\x1F' + sheet_->Name() + '\x1F' + Address();
}

}  // namespace kestrel
