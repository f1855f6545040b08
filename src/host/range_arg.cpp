// RangeArg: reading a range argument's texts, formula, address and cache key.
#include "host/range_arg.h"

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

// The unit separator cannot occur in a book path or a sheet name.
constexpr char kKeySeparator = '\x1F';

std::string RangeArg::Key() const { return *book_ + kKeySeparator + sheet_->Name() + kKeySeparator + Address(); }

bool RangeArg::HasKey(std::string_view key) const {
  // Each part in turn is cut off the front of the key.
  auto take = [&key](std::string_view part) {
    if (key.substr(0, part.size()) != part) return false;
    key.remove_prefix(part.size());
    return true;
  };
  const std::string_view separator(&kKeySeparator, 1);
  if (!take(*book_) || !take(separator)) return false;
  // Cheap before the host is asked: a key without this address at its end cannot match.
  const std::string address = Address();
  if (key.size() < address.size() + 1 || key.substr(key.size() - address.size()) != address) return false;
  key.remove_suffix(address.size());
  return take(sheet_->Name()) && take(separator) && key.empty();
}

}  // namespace kestrel
