// Temporary part files and the shared-string table of the writer.
#include "io/xlsx_writer_parts.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <cstring>
#include <stdexcept>

#include "io/xlsx_strings.h"

namespace kestrel {

PartFile::PartFile() : file_(std::tmpfile()) {
  if (!file_) throw std::runtime_error(std::string("no temporary file (") + std::strerror(errno) + ")");
  buffer_.reserve(kBufferBytes + 4096);
}

PartFile::~PartFile() { std::fclose(file_); }

void AppendXmlText(std::string& out, std::string_view text) {
  size_t from = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '&' && c != '<' && c != '>') continue;
    out.append(text.substr(from, i - from));
    out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : "&gt;";
    from = i + 1;
  }
  out.append(text.substr(from));
}

void PartFile::AppendEscaped(std::string_view text) {
  AppendXmlText(buffer_, text);
  if (buffer_.size() >= kBufferBytes) Flush();
}

void PartFile::Flush() {
  if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
    throw std::runtime_error(std::string("writing a temporary file (") + std::strerror(errno) + ")");
  written_ += buffer_.size();
  buffer_.clear();
}

void PartFile::Finish() {
  Flush();
  if (std::fflush(file_) != 0)
    throw std::runtime_error(std::string("writing a temporary file (") + std::strerror(errno) + ")");
  Rewind();
}

void PartFile::Rewind() { std::rewind(file_); }

size_t PartFile::Read(char* into, size_t count) { return std::fread(into, 1, count, file_); }

bool NeedsPreservedSpace(std::string_view text) {
  auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  return !text.empty() && (space(text.front()) || space(text.back()));
}

int SharedStringTable::Plain(std::string_view text) {
  ++count_;
  const std::size_t hash = std::hash<std::string_view>{}(text);
  if (2 * (texts_.size() + 1) > slots_.size()) {
    std::vector<std::uint32_t> grown(std::max<std::size_t>(1024, 2 * slots_.size()), 0);
    for (std::uint32_t i = 0; i < texts_.size(); ++i) {
      std::size_t at = hashes_[i] & (grown.size() - 1);
      while (grown[at] != 0) at = (at + 1) & (grown.size() - 1);
      grown[at] = i + 1;
    }
    slots_.swap(grown);
  }
  std::size_t at = hash & (slots_.size() - 1);
  for (; slots_[at] != 0; at = (at + 1) & (slots_.size() - 1)) {
    const std::uint32_t i = slots_[at] - 1;
    if (hashes_[i] == hash && texts_[i] == text) return indexes_[i];
  }
  slots_[at] = static_cast<std::uint32_t>(texts_.size() + 1);
  texts_.push_back(text);
  hashes_.push_back(hash);
  indexes_.push_back(unique_);
  // A carriage return as well, which XML would read back as a line feed.
  std::string escaped = EncodeEscapes(text);
  for (size_t cr = escaped.find('\r'); cr != std::string::npos; cr = escaped.find('\r', cr))
    escaped.replace(cr, 1, "_x000D_");
  entries_.Append(NeedsPreservedSpace(escaped) ? "<si><t xml:space=\"preserve\">" : "<si><t>");
  entries_.AppendEscaped(escaped);
  entries_.Append("</t></si>");
  return unique_++;
}

int SharedStringTable::Rich(const std::string& runs) {
  ++count_;
  auto [it, added] = rich_.try_emplace(runs, unique_);
  if (!added) return it->second;
  entries_.Append("<si>");
  entries_.Append(runs);
  entries_.Append("</si>");
  return unique_++;
}

std::string SharedStringTable::Head() const {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"" +
         std::to_string(count_) + "\" uniqueCount=\"" + std::to_string(unique_) + "\">";
}

}  // namespace kestrel
