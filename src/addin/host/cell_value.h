// CellValue: what a cell's Value holds (empty, number, text, boolean or an error value).
#pragma once

#include <string>
#include <variant>
#include <vector>

namespace kestrel {

// The host's error values, as a cell shows them.
enum class CellError { Null, Div0, Value, Ref, Name, Num, NA };
// "#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A".
const char* CellErrorText(CellError e);

class CellValue {
 public:
  CellValue() = default;
  CellValue(double n) : v_(n) {}
  CellValue(int n) : v_(static_cast<double>(n)) {}
  CellValue(std::string s) : v_(std::move(s)) {}
  CellValue(const char* s) : v_(std::string(s)) {}
  static CellValue Boolean(bool b) { CellValue c; c.v_ = b; return c; }
  static CellValue Error(CellError e) { CellValue c; c.v_ = e; return c; }

  bool IsEmpty() const { return std::holds_alternative<std::monostate>(v_); }
  bool IsNumber() const { return std::holds_alternative<double>(v_); }
  bool IsText() const { return std::holds_alternative<std::string>(v_); }
  bool IsBoolean() const { return std::holds_alternative<bool>(v_); }
  bool IsError() const { return std::holds_alternative<CellError>(v_); }

  double Number() const { return std::get<double>(v_); }
  const std::string& Text() const { return std::get<std::string>(v_); }
  bool Bool() const { return std::get<bool>(v_); }
  CellError Error() const { return std::get<CellError>(v_); }

  // The value as a macro sees it converted to a string: "" for empty, t(v) for numbers,
  // "True"/"False", the text itself, the error's text.
  std::string AsText() const;

  friend bool operator==(const CellValue&, const CellValue&) = default;

 private:
  std::variant<std::monostate, double, std::string, bool, CellError> v_;
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
