// CellValue: what a cell's Value holds (empty, number, text, boolean or an error value).
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
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

// What a cell's Value holds, in 8 bytes, so that a sheet of millions of cells and the blocks of
// values read from it stay small. A number is its own bits (every NaN is kept as the one quiet
// NaN); the other kinds are NaNs the arithmetic never makes, carrying their kind and payload: a
// text is a pointer to one stored copy shared by every value made from another, so that copying
// a value (a cell read, sorted, moved or written to a file) copies a pointer, and the cells that
// show one of a workbook's shared strings keep that string once.
class CellValue {
 public:
  CellValue() = default;
  CellValue(double n) : bits_(NumberBits(n)) {}
  CellValue(int n) : CellValue(static_cast<double>(n)) {}
  CellValue(std::string_view s) : bits_(NewText(s)) {}
  CellValue(const std::string& s) : CellValue(std::string_view(s)) {}
  CellValue(const char* s) : CellValue(std::string_view(s)) {}
  static CellValue Boolean(bool b) { return CellValue(Tagged(Kind::Boolean, b ? 1 : 0)); }
  static CellValue Error(CellError e) {
    return CellValue(Tagged(Kind::Error, static_cast<std::uint32_t>(static_cast<int>(e))));
  }

  CellValue(const CellValue& other) noexcept : bits_(other.bits_) { Hold(); }
  CellValue(CellValue&& other) noexcept : bits_(other.bits_) { other.bits_ = kEmpty; }
  CellValue& operator=(const CellValue& other) noexcept {
    CellValue copy(other);
    std::swap(bits_, copy.bits_);
    return *this;
  }
  CellValue& operator=(CellValue&& other) noexcept {
    std::swap(bits_, other.bits_);
    return *this;
  }
  ~CellValue() { Release(); }

  bool IsEmpty() const { return bits_ == kEmpty; }
  bool IsNumber() const { return (bits_ & kTagMask) != kTagMask; }
  bool IsText() const { return KindOf() == Kind::Text; }
  bool IsBoolean() const { return KindOf() == Kind::Boolean; }
  bool IsError() const { return KindOf() == Kind::Error; }

  double Number() const {
    double n;
    std::memcpy(&n, &bits_, sizeof n);
    return n;
  }
  std::string_view Text() const { return {Block()->Chars(), Block()->size}; }
  bool Bool() const { return Payload() != 0; }
  CellError Error() const { return static_cast<CellError>(static_cast<int>(static_cast<std::uint32_t>(Payload()))); }

  // A value lent to a holder of its own as room for a pointer (a cell's record pointing at its
  // fuller form): no kind of value, never shown to anyone else; copied as it is and never freed
  // by the value, so its holder frees what it points at.
  static CellValue Lent(void* p) { return CellValue(Tagged(Kind::Lent, reinterpret_cast<std::uintptr_t>(p))); }
  // What a lent value points at; nullptr for every other value.
  void* LentTo() const {
    return KindOf() == Kind::Lent ? reinterpret_cast<void*>(static_cast<std::uintptr_t>(Payload())) : nullptr;
  }

  // The value as a macro sees it converted to a string: "" for empty, t(v) for numbers,
  // "True"/"False", the text itself, the error's text.
  std::string AsText() const;

  // The same kind and value: numbers by ==, texts by their characters.
  friend bool operator==(const CellValue& a, const CellValue& b) {
    if (a.IsNumber() || b.IsNumber()) return a.IsNumber() && b.IsNumber() && a.Number() == b.Number();
    if (a.bits_ == b.bits_) return true;
    return a.IsText() && b.IsText() && a.Text() == b.Text();
  }

 private:
  enum class Kind : std::uint64_t { Empty = 1, Text = 2, Boolean = 3, Error = 4, Lent = 5 };
  // A text's characters follow its block in one allocation.
  struct TextBlock {
    std::atomic<std::uint32_t> holders;
    std::uint32_t size;  // a cell's text is far shorter than 4 GB
    const char* Chars() const { return reinterpret_cast<const char*>(this + 1); }
  };
  // A new block holding `text`, held once, as the value's bits. Throws std::length_error for a
  // text of 4 GB or more.
  static std::uint64_t NewText(std::string_view text);
  static void FreeText(TextBlock* block);
  // Sign, exponent and quiet bit set: a NaN, which a number never is once NumberBits has made
  // every NaN the positive one. The kind is in the three bits below, the payload in the low 48
  // (a pointer of the address spaces the tool runs in fits there).
  static constexpr std::uint64_t kTagMask = 0xFFF8'0000'0000'0000;
  static constexpr int kKindShift = 48;
  static constexpr std::uint64_t kPayloadMask = (std::uint64_t{1} << kKindShift) - 1;
  static constexpr std::uint64_t Tagged(Kind kind, std::uint64_t payload) {
    return kTagMask | (static_cast<std::uint64_t>(kind) << kKindShift) | payload;
  }
  static constexpr std::uint64_t kEmpty = kTagMask | (std::uint64_t{1} << kKindShift);  // Kind::Empty
  static std::uint64_t NumberBits(double n) {
    std::uint64_t bits = 0x7FF8'0000'0000'0000;  // every NaN is this quiet one
    if (n == n) std::memcpy(&bits, &n, sizeof bits);
    return bits;
  }

  explicit CellValue(std::uint64_t bits) : bits_(bits) {}
  Kind KindOf() const {
    return IsNumber() ? Kind{0} : static_cast<Kind>((bits_ >> kKindShift) & 7);
  }
  std::uint64_t Payload() const { return bits_ & kPayloadMask; }
  TextBlock* Block() const { return reinterpret_cast<TextBlock*>(static_cast<std::uintptr_t>(Payload())); }
  void Hold() {
    if (IsText()) Block()->holders.fetch_add(1, std::memory_order_relaxed);
  }
  void Release() {
    if (IsText() && Block()->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) FreeText(Block());
  }

  std::uint64_t bits_ = kEmpty;
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
