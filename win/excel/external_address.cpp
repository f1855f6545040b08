// Reading a Range's address as the host writes it for another book.
#include "external_address.h"

namespace kestrel {

std::optional<ExternalAddress> ParseExternalAddress(char* text, size_t length) {
  std::string_view prefix;
  size_t rest = 0;
  if (length > 0 && text[0] == '\'') {
    // Quoted: the closing apostrophe is the first one not doubled; doubled ones become one.
    size_t out = 1, i = 1;
    for (;; ++i) {
      if (i >= length) return std::nullopt;
      if (text[i] != '\'') {
        text[out++] = text[i];
      } else if (i + 1 < length && text[i + 1] == '\'') {
        text[out++] = '\'';
        ++i;
      } else {
        break;
      }
    }
    if (i + 1 >= length || text[i + 1] != '!') return std::nullopt;
    prefix = std::string_view(text + 1, out - 1);
    rest = i + 2;
  } else {
    const std::string_view whole(text, length);
    const size_t bang = whole.find('!');
    if (bang == std::string_view::npos) return std::nullopt;
    prefix = whole.substr(0, bang);
    rest = bang + 1;
  }
  // A sheet's name never holds "]", so the book ends at the last one.
  const size_t close = prefix.rfind(']');
  if (prefix.empty() || prefix.front() != '[' || close == std::string_view::npos || close + 1 == prefix.size()) {
    return std::nullopt;
  }
  const std::optional<RangeRef> range = RangeRef::Parse(std::string_view(text + rest, length - rest));
  if (!range) return std::nullopt;
  return ExternalAddress{prefix.substr(1, close - 1), prefix.substr(close + 1), *range};
}

}  // namespace kestrel
