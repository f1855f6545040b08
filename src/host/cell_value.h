// CellValue: what a cell's Value holds (empty, number, text, boolean or an error value).
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestrel {

// The host's error values, numbered as the host numbers them (xlErrNull 2000 ... xlErrBusy 2051).
// A code the add-in has no name for is kept as its own value: static_cast<CellError>(2099).
enum class CellError : int {
  Null = 2000, Div0 = 2007, Value = 2015, Ref = 2023, Name = 2029, Num = 2036, NA = 2042,
  GettingData = 2043, Spill = 2045, Connect = 2046, Blocked = 2047, Unknown = 2048, Field = 2049,
  Calc = 2050, Busy = 2051
};
// "#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A", "#GETTING_DATA", "#SPILL!",
// "#CONNECT!", "#BLOCKED!", "#UNKNOWN!", "#FIELD!", "#CALC!", "#BUSY!"; "#ERR2099" for a code
// without a name.
std::string CellErrorText(CellError e);
// The error value a cell showing this text holds; nothing for any other text.
std::optional<CellError> CellErrorOfText(std::string_view text);

// A text as values hold it: one stored copy shared by every value made from another, so that
// copying a value (a cell read, sorted, moved or written to a file) copies a pointer, and the
// cells that show one of a workbook's shared strings keep that string once.
class SharedText {
 public:
  explicit SharedText(std::string text) : block_(new Block{{1}, std::move(text)}) {}
  SharedText(const SharedText& other) noexcept : block_(other.block_) { Hold(); }
  SharedText(SharedText&& other) noexcept : block_(other.block_) { other.block_ = Empty(); }
  SharedText& operator=(const SharedText& other) noexcept {
    SharedText copy(other);
    std::swap(block_, copy.block_);
    return *this;
  }
  SharedText& operator=(SharedText&& other) noexcept {
    std::swap(block_, other.block_);
    return *this;
  }
  ~SharedText() { Release(); }

  const std::string& Get() const { return block_->text; }

  friend bool operator==(const SharedText& a, const SharedText& b) {
    return a.block_ == b.block_ || a.Get() == b.Get();
  }

 private:
  struct Block {
    std::atomic<std::uint32_t> holders;
    std::string text;
  };
  // What a moved-from text holds: "", never freed.
  static Block empty_;
  static Block* Empty() { return &empty_; }
  void Hold() {
    if (block_ != Empty()) block_->holders.fetch_add(1, std::memory_order_relaxed);
  }
  void Release() {
    if (block_ != Empty() && block_->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) delete block_;
  }

  Block* block_;
};

inline SharedText::Block SharedText::empty_{{1}, std::string()};

class CellValue {
 public:
  CellValue() = default;
  CellValue(double n) : v_(n) {}
  CellValue(int n) : v_(static_cast<double>(n)) {}
  CellValue(std::string s) : v_(SharedText(std::move(s))) {}
  CellValue(const char* s) : v_(SharedText(s)) {}
  CellValue(SharedText s) : v_(std::move(s)) {}
  static CellValue Boolean(bool b) { CellValue c; c.v_ = b; return c; }
  static CellValue Error(CellError e) { CellValue c; c.v_ = e; return c; }

  bool IsEmpty() const { return std::holds_alternative<std::monostate>(v_); }
  bool IsNumber() const { return std::holds_alternative<double>(v_); }
  bool IsText() const { return std::holds_alternative<SharedText>(v_); }
  bool IsBoolean() const { return std::holds_alternative<bool>(v_); }
  bool IsError() const { return std::holds_alternative<CellError>(v_); }

  double Number() const { return std::get<double>(v_); }
  const std::string& Text() const { return std::get<SharedText>(v_).Get(); }
  bool Bool() const { return std::get<bool>(v_); }
  CellError Error() const { return std::get<CellError>(v_); }

  // The value as a macro sees it converted to a string: "" for empty, t(v) for numbers,
  // "True"/"False", the text itself, the error's text.
  std::string AsText() const;

  friend bool operator==(const CellValue&, const CellValue&) = default;

 private:
  std::variant<std::monostate, double, SharedText, bool, CellError> v_;
};

// A block of values read from or written to a range, row-major, indexed from 0.
class Grid {
 public:
  Grid() = default;
  Grid(int rows, int columns) : rows_(rows), columns_(columns), cells_(static_cast<size_t>(rows) * columns) {}
  int Rows() const { return rows_; }
  int Columns() const { return columns_; }
  CellValue& At(int row, int column) { return cells_[static_cast<size_t>(row) * columns_ + column]; }
  const CellValue& At(int row, int column) const { return cells_[static_cast<size_t>(row) * columns_ + column]; }

 private:
  int rows_ = 0;
  int columns_ = 0;
  std::vector<CellValue> cells_;
};

}  // namespace kestrel
