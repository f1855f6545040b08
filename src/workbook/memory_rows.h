// Sparse cell storage of the memory worksheet: rows in chunks that shift in bulk on insert and delete.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/cell_value.h"
#include "workbook/memory_style.h"
#include "host/worksheet.h"

namespace kestrel {

// Characters [start, start + length) of a cell's text, counted in code points from 1.
struct TextRun {
  int start = 1;
  int length = 0;
  friend bool operator==(const TextRun&, const TextRun&) = default;
};

// What few cells carry; kept apart so that a plain cell stays small.
struct CellExtras {
  CellExtras() = default;
  CellExtras(const CellExtras& other)
      : formula(other.formula), superscripts(other.superscripts),
        note(other.note ? std::make_unique<Note>(*other.note) : nullptr) {}

  std::string formula;               // "=A5-A4"; empty for a constant
  std::vector<TextRun> superscripts;
  std::unique_ptr<Note> note;        // apart: a formula's block needs no room for one
  bool Empty() const { return formula.empty() && superscripts.empty() && !note; }
};

// One cell's record, in 16 bytes: a sheet holds millions. The few cells that carry more than a
// value and a style (a formula, superscripts, a note) keep their value with those in a block of
// their own, which the record's value slot points at.
class MemoryCell {
 public:
  explicit MemoryCell(int col) : column(col) {}
  MemoryCell(MemoryCell&& other) noexcept = default;
  MemoryCell& operator=(MemoryCell&& other) noexcept {
    std::swap(column, other.column);
    std::swap(style, other.style);
    std::swap(slot_, other.slot_);  // the other record frees what this one held
    return *this;
  }
  ~MemoryCell() { delete Full(); }
  MemoryCell Clone() const;

  int column;
  StyleId style = kInheritStyle;

  // The constant, or the cached result of the formula.
  const CellValue& Value() const { return Full() ? Full()->value : slot_; }
  void SetValue(CellValue value);
  // What the cell carries besides, or nullptr.
  const CellExtras* ExtrasIfAny() const { return Full() ? &Full()->extras : nullptr; }
  CellExtras* ExtrasIfAny() { return Full() ? &Full()->extras : nullptr; }
  // Made when the cell has none yet.
  CellExtras& Extras();
  // Back to a plain record when the cell carries nothing besides its value.
  void DropEmptyExtras();

  bool HasFormula() const { return Full() && !Full()->extras.formula.empty(); }
  // The formula ("=A5-A4"), or nullptr for a constant.
  const std::string* FormulaIfAny() const { return HasFormula() ? &Full()->extras.formula : nullptr; }
  std::string* FormulaIfAny() { return HasFormula() ? &Full()->extras.formula : nullptr; }
  // Filled as the host's End sees it: a value or a formula.
  bool IsFilled() const { return HasFormula() || !Value().IsEmpty(); }
  // Holds nothing at all, so the record can go.
  bool IsBlank() const {
    return Value().IsEmpty() && style == kInheritStyle && (!Full() || Full()->extras.Empty());
  }

 private:
  struct FullCell {
    CellValue value;
    CellExtras extras;
  };
  FullCell* Full() const { return static_cast<FullCell*>(slot_.LentTo()); }

  CellValue slot_;  // the value, or lent to point at the cell's FullCell
};
static_assert(sizeof(MemoryCell) == 16);

struct MemoryRow {
  std::vector<MemoryCell> cells;  // ascending by column, one record per column at most
  StyleId style = kInheritStyle;
  std::optional<double> height;

  MemoryCell* Find(int column);
  const MemoryCell* Find(int column) const;
  MemoryCell& GetOrCreate(int column);
  void EraseIfBlank(int column);
  // The cells of columns first..last, as an index range into `cells`.
  std::pair<size_t, size_t> Span(int first, int last) const;
  // The index of the first cell at `column` or right of it.
  size_t Lower(int column) const;
  bool IsBlank() const { return cells.empty() && style == kInheritStyle && !height; }
  int FormulaCount() const;
};

// Rows 1..kMaxRows, of which only rows holding something are stored. The rows are cut into
// chunks, each covering `span` consecutive row numbers with its rows keyed by their offset from
// the chunk's first row; inserting or deleting rows changes one chunk's span and the offsets
// inside that chunk only. Each chunk counts the formulas it holds, so a change of structure
// visits only the rows that can hold a formula.
class MemoryRowStore {
 public:
  MemoryRowStore() { Clear(); }
  void Clear();

  MemoryRow* Find(int row);
  const MemoryRow* Find(int row) const;
  // May split a chunk: references to other rows obtained before are no longer valid.
  MemoryRow& GetOrCreate(int row);
  void EraseIfBlank(int row);

  // f(int row, MemoryRow&) for each stored row of first..last, ascending. f must not add or
  // remove rows.
  template <class F> void ForEach(int first, int last, F&& f) {
    ++changes_;
    Walk(*this, first, last, f);
  }
  template <class F> void ForEach(int first, int last, F&& f) const { Walk(*this, first, last, f); }
  // f(int row, const MemoryRow&) from `last` down to `first`; stops when f returns false.
  template <class F> void ForEachDescending(int last, int first, F&& f) const;
  // f(int row, MemoryRow&) for the stored rows of every chunk that holds a formula.
  template <class F> void ForEachFormulaRow(F&& f) {
    ++changes_;
    WalkFormulaRows(*this, f);
  }
  template <class F> void ForEachFormulaRow(F&& f) const { WalkFormulaRows(*this, f); }

  // Rows pushed past kMaxRows fall off; the caller checks first that they hold nothing.
  void InsertRows(int at, int count);
  // The rows below move up; empty rows come in at the bottom.
  void DeleteRows(int at, int count);

  // Keeps the per-chunk formula counts right after a cell of `row` gained (+1) or lost (-1) its
  // formula; RecountFormulas after changes that move cells between rows.
  void AddFormulas(int row, int delta);
  void RecountFormulas();
  int FormulaCount() const;

  int LastRow() const;  // 0 when no row is stored
  size_t RowCount() const;
  // Counts the calls that could change a row: every one that gives a row to change, or moves
  // rows. What is worked out from the rows holds while the count stays.
  std::uint64_t Changes() const { return changes_; }

 private:
  static constexpr size_t kMaxChunkRows = 512;
  struct Entry {
    int offset;
    MemoryRow row;
  };
  struct Chunk {
    int span = 0;
    int formulas = 0;
    std::vector<Entry> entries;  // ascending offsets, all below span
  };

  const std::vector<int>& Starts() const;
  size_t ChunkOf(int row) const;
  // Where `offset` is, or would go, among the chunk's entries.
  size_t PlaceOf(size_t chunk, int offset) const;
  void Split(size_t chunk);
  MemoryRow& StartChunk(size_t chunk, int offset);
  void Coalesce();
  static bool Before(const Entry& e, int offset) { return e.offset < offset; }

  template <class Self, class F> static void Walk(Self& self, int first, int last, F& f);
  template <class Self, class F> static void WalkFormulaRows(Self& self, F& f);

  std::vector<Chunk> chunks_;            // spans add up to kMaxRows
  mutable std::vector<int> starts_;      // first row number of each chunk
  mutable bool startsValid_ = false;
  mutable size_t lastChunk_ = 0;         // the chunk ChunkOf found last
  mutable size_t lastEntry_ = 0;         // the place PlaceOf found last, in whichever chunk
  std::uint64_t changes_ = 0;
};

template <class Self, class F>
void MemoryRowStore::Walk(Self& self, int first, int last, F& f) {
  if (first > last) return;
  const std::vector<int>& starts = self.Starts();
  size_t c = self.ChunkOf(first);
  for (bool firstChunk = true; c < self.chunks_.size() && starts[c] <= last; ++c, firstChunk = false) {
    auto& entries = self.chunks_[c].entries;
    int base = starts[c];
    auto it = firstChunk ? std::lower_bound(entries.begin(), entries.end(), first - base, Before) : entries.begin();
    for (; it != entries.end(); ++it) {
      int row = base + it->offset;
      if (row > last) return;
      f(row, it->row);
    }
  }
}

template <class F>
void MemoryRowStore::ForEachDescending(int last, int first, F&& f) const {
  if (first > last) return;
  const std::vector<int>& starts = Starts();
  size_t c = ChunkOf(last);
  for (bool firstChunk = true;; firstChunk = false) {
    const auto& entries = chunks_[c].entries;
    int base = starts[c];
    auto end = firstChunk ? std::upper_bound(entries.begin(), entries.end(), last - base,
                                             [](int offset, const Entry& e) { return offset < e.offset; })
                          : entries.end();
    for (auto it = end; it != entries.begin();) {
      --it;
      int row = base + it->offset;
      if (row < first) return;
      if (!f(row, it->row)) return;
    }
    if (c == 0 || starts[c] <= first) return;
    --c;
  }
}

template <class Self, class F>
void MemoryRowStore::WalkFormulaRows(Self& self, F& f) {
  const std::vector<int>& starts = self.Starts();
  for (size_t c = 0; c < self.chunks_.size(); ++c) {
    if (self.chunks_[c].formulas == 0) continue;
    for (auto& e : self.chunks_[c].entries) f(starts[c] + e.offset, e.row);
  }
}

}  // namespace kestrel
