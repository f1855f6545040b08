// Sparse, chunked row storage of the memory worksheet.
#include "workbook/memory_rows.h"

#include <cstdint>

#include "host/address.h"

namespace kestrel {

MemoryCell MemoryCell::Clone() const {
  MemoryCell copy(column);
  copy.style = style;
  if (const FullCell* full = Full())
    copy.slot_ = CellValue::Lent(new FullCell(*full));
  else
    copy.slot_ = slot_;
  return copy;
}

void MemoryCell::SetValue(CellValue value) {
  if (FullCell* full = Full())
    full->value = std::move(value);
  else
    slot_ = std::move(value);
}

CellExtras& MemoryCell::Extras() {
  if (!Full()) slot_ = CellValue::Lent(new FullCell{std::move(slot_), {}});
  return Full()->extras;
}

void MemoryCell::DropEmptyExtras() {
  FullCell* full = Full();
  if (!full || !full->extras.Empty()) return;
  slot_ = std::move(full->value);
  delete full;
}

namespace {
bool ColumnBefore(const MemoryCell& c, int column) { return c.column < column; }

// A row's cells, and a chunk's rows, grow by a quarter (at least to 8) instead of doubling: a
// sheet's rows mostly hold a handful of cells and gain a column or two, and a chunk split in two
// mostly gains a few rows (a column written down past the blank rows between sections), so
// doubling would leave up to half of the room unused (about 170 MB over a million rows gaining a
// ninth cell, 50 MB over their chunks).
template <class T>
void MakeRoomForOne(std::vector<T>& items, size_t most = SIZE_MAX) {
  if (items.size() < items.capacity()) return;
  items.reserve(std::min(most, std::max<size_t>(8, items.size() + items.size() / 4)));
}
}  // namespace

// Cells are mostly written in column order: a column past the last cell is found without a search.

MemoryCell* MemoryRow::Find(int column) {
  if (cells.empty() || cells.back().column < column) return nullptr;
  auto it = std::lower_bound(cells.begin(), cells.end(), column, ColumnBefore);
  return it != cells.end() && it->column == column ? &*it : nullptr;
}

const MemoryCell* MemoryRow::Find(int column) const {
  if (cells.empty() || cells.back().column < column) return nullptr;
  auto it = std::lower_bound(cells.begin(), cells.end(), column, ColumnBefore);
  return it != cells.end() && it->column == column ? &*it : nullptr;
}

MemoryCell& MemoryRow::GetOrCreate(int column) {
  if (cells.empty() || cells.back().column < column) {
    MakeRoomForOne(cells);
    return cells.emplace_back(column);
  }
  auto it = std::lower_bound(cells.begin(), cells.end(), column, ColumnBefore);
  if (it != cells.end() && it->column == column) return *it;
  const auto at = it - cells.begin();
  MakeRoomForOne(cells);
  return *cells.emplace(cells.begin() + at, column);
}

void MemoryRow::EraseIfBlank(int column) {
  if (cells.empty() || cells.back().column < column) return;
  auto it = std::lower_bound(cells.begin(), cells.end(), column, ColumnBefore);
  if (it != cells.end() && it->column == column && it->IsBlank()) cells.erase(it);
}

std::pair<size_t, size_t> MemoryRow::Span(int first, int last) const {
  const size_t lo = Lower(first);
  const auto hi = std::lower_bound(cells.begin() + static_cast<std::ptrdiff_t>(lo), cells.end(), last + 1, ColumnBefore);
  return {lo, static_cast<size_t>(hi - cells.begin())};
}

size_t MemoryRow::Lower(int column) const {
  return static_cast<size_t>(std::lower_bound(cells.begin(), cells.end(), column, ColumnBefore) - cells.begin());
}

int MemoryRow::FormulaCount() const {
  int n = 0;
  for (const auto& c : cells) n += c.HasFormula();
  return n;
}

void MemoryRowStore::Clear() {
  ++changes_;
  chunks_.clear();
  chunks_.push_back(Chunk{kMaxRows, 0, {}});
  startsValid_ = false;
}

const std::vector<int>& MemoryRowStore::Starts() const {
  if (!startsValid_) {
    starts_.resize(chunks_.size());
    int start = 1;
    for (size_t i = 0; i < chunks_.size(); ++i) {
      starts_[i] = start;
      start += chunks_[i].span;
    }
    startsValid_ = true;
  }
  return starts_;
}

size_t MemoryRowStore::ChunkOf(int row) const {
  const auto& starts = Starts();
  // Rows are mostly looked up in order, many times each: the chunk found last comes first.
  if (lastChunk_ < starts.size() && starts[lastChunk_] <= row &&
      (lastChunk_ + 1 == starts.size() || row < starts[lastChunk_ + 1]))
    return lastChunk_;
  lastChunk_ = static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), row) - starts.begin()) - 1;
  return lastChunk_;
}

MemoryRow* MemoryRowStore::Find(int row) {
  ++changes_;
  return const_cast<MemoryRow*>(static_cast<const MemoryRowStore*>(this)->Find(row));
}

size_t MemoryRowStore::PlaceOf(size_t chunk, int offset) const {
  const auto& entries = chunks_[chunk].entries;
  // Rows are mostly looked up in order (a sheet read, filled or walked downwards): the place
  // found last, and the one after it, come first.
  const size_t hint = lastEntry_;
  if (hint < entries.size() && entries[hint].offset <= offset) {
    if (entries[hint].offset == offset) return hint;
    if (hint + 1 == entries.size() || entries[hint + 1].offset >= offset) return lastEntry_ = hint + 1;
  }
  lastEntry_ = static_cast<size_t>(std::lower_bound(entries.begin(), entries.end(), offset, Before) - entries.begin());
  return lastEntry_;
}

const MemoryRow* MemoryRowStore::Find(int row) const {
  size_t c = ChunkOf(row);
  int offset = row - Starts()[c];
  const auto& entries = chunks_[c].entries;
  const size_t at = PlaceOf(c, offset);
  return at < entries.size() && entries[at].offset == offset ? &entries[at].row : nullptr;
}

MemoryRow& MemoryRowStore::GetOrCreate(int row) {
  ++changes_;
  size_t c = ChunkOf(row);
  int offset = row - Starts()[c];
  auto& entries = chunks_[c].entries;
  auto it = entries.begin() + static_cast<std::ptrdiff_t>(PlaceOf(c, offset));
  if (it != entries.end() && it->offset == offset) return it->row;
  if (entries.size() == kMaxChunkRows) {
    if (it == entries.end()) return StartChunk(c, offset);
    Split(c);
    return GetOrCreate(row);
  }
  const auto at = it - entries.begin();
  MakeRoomForOne(entries, kMaxChunkRows);
  return entries.insert(entries.begin() + at, Entry{offset, MemoryRow{}})->row;
}

// A row past the last of a full chunk starts the next chunk, with room for a whole chunk: rows
// are mostly stored in order (a sheet read, a column written down), and the full chunk is left
// as it is.
MemoryRow& MemoryRowStore::StartChunk(size_t c, int offset) {
  Chunk next;
  next.span = chunks_[c].span - offset;
  next.entries.reserve(kMaxChunkRows);
  next.entries.push_back(Entry{0, MemoryRow{}});
  chunks_[c].span = offset;
  chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(c) + 1, std::move(next));
  startsValid_ = false;
  lastChunk_ = c + 1;
  lastEntry_ = 0;
  return chunks_[c + 1].entries.front().row;
}

void MemoryRowStore::EraseIfBlank(int row) {
  ++changes_;
  size_t c = ChunkOf(row);
  int offset = row - Starts()[c];
  auto& entries = chunks_[c].entries;
  auto it = entries.begin() + static_cast<std::ptrdiff_t>(PlaceOf(c, offset));
  if (it != entries.end() && it->offset == offset && it->row.IsBlank()) entries.erase(it);
}

void MemoryRowStore::Split(size_t c) {
  Chunk& left = chunks_[c];
  size_t mid = left.entries.size() / 2;
  int cut = left.entries[mid].offset;
  Chunk right;
  right.span = left.span - cut;
  right.entries.reserve(left.entries.size() - mid);
  for (size_t i = mid; i < left.entries.size(); ++i) {
    right.entries.push_back(Entry{left.entries[i].offset - cut, std::move(left.entries[i].row)});
    right.formulas += right.entries.back().row.FormulaCount();
  }
  left.entries.resize(mid);
  left.entries.shrink_to_fit();  // a full chunk's room would be twice its rows
  left.span = cut;
  left.formulas -= right.formulas;
  chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(c) + 1, std::move(right));
  startsValid_ = false;
}

void MemoryRowStore::InsertRows(int at, int count) {
  ++changes_;
  size_t c = ChunkOf(at);
  Chunk& chunk = chunks_[c];
  int offset = at - Starts()[c];
  for (auto& e : chunk.entries)
    if (e.offset >= offset) e.offset += count;
  chunk.span += count;
  // The sheet keeps kMaxRows rows: the last `count` fall off the end.
  for (int excess = count; excess > 0;) {
    Chunk& last = chunks_.back();
    int cut = std::min(excess, last.span);
    last.span -= cut;
    excess -= cut;
    while (!last.entries.empty() && last.entries.back().offset >= last.span) {
      last.formulas -= last.entries.back().row.FormulaCount();
      last.entries.pop_back();
    }
    if (last.span == 0) chunks_.pop_back();
  }
  startsValid_ = false;
}

void MemoryRowStore::DeleteRows(int at, int count) {
  ++changes_;
  const int a = at, b = at + count - 1;
  std::vector<int> starts = Starts();  // the numbering before the deletion
  for (size_t c = ChunkOf(a); c < chunks_.size() && starts[c] <= b; ++c) {
    Chunk& chunk = chunks_[c];
    int base = starts[c];
    int lo = std::max(a, base) - base;
    int hi = std::min(b, base + chunk.span - 1) - base;
    int removed = hi - lo + 1;
    auto first = std::lower_bound(chunk.entries.begin(), chunk.entries.end(), lo, Before);
    auto last = std::lower_bound(first, chunk.entries.end(), hi + 1, Before);
    for (auto it = first; it != last; ++it) chunk.formulas -= it->row.FormulaCount();
    auto rest = chunk.entries.erase(first, last);
    for (; rest != chunk.entries.end(); ++rest) rest->offset -= removed;
    chunk.span -= removed;
  }
  chunks_.back().span += count;
  Coalesce();
  startsValid_ = false;
}

// Drops chunks left without rows, giving their span to a neighbour, so that the chunk list
// stays proportional to the rows stored.
void MemoryRowStore::Coalesce() {
  std::vector<Chunk> kept;
  kept.reserve(chunks_.size());
  int pendingSpan = 0;  // span of dropped chunks in front of the next kept one
  for (auto& chunk : chunks_) {
    if (chunk.span == 0) continue;
    if (chunk.entries.empty() && !kept.empty()) {
      kept.back().span += chunk.span;
      continue;
    }
    if (chunk.entries.empty()) {
      pendingSpan += chunk.span;
      continue;
    }
    if (pendingSpan) {
      for (auto& e : chunk.entries) e.offset += pendingSpan;
      chunk.span += pendingSpan;
      pendingSpan = 0;
    }
    kept.push_back(std::move(chunk));
  }
  if (kept.empty()) kept.push_back(Chunk{pendingSpan, 0, {}});
  else kept.back().span += pendingSpan;
  chunks_ = std::move(kept);
  startsValid_ = false;
}

void MemoryRowStore::AddFormulas(int row, int delta) { chunks_[ChunkOf(row)].formulas += delta; }

void MemoryRowStore::RecountFormulas() {
  for (auto& chunk : chunks_) {
    chunk.formulas = 0;
    for (const auto& e : chunk.entries) chunk.formulas += e.row.FormulaCount();
  }
}

int MemoryRowStore::FormulaCount() const {
  int n = 0;
  for (const auto& chunk : chunks_) n += chunk.formulas;
  return n;
}

int MemoryRowStore::LastRow() const {
  const auto& starts = Starts();
  for (size_t c = chunks_.size(); c-- > 0;)
    if (!chunks_[c].entries.empty()) return starts[c] + chunks_[c].entries.back().offset;
  return 0;
}

size_t MemoryRowStore::RowCount() const {
  size_t n = 0;
  for (const auto& chunk : chunks_) n += chunk.entries.size();
  return n;
}

}  // namespace kestrel
