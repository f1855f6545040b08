// A small ISO 10303-21 (STEP physical file) writer: numbered entity instances, STEP text, reals
// and IFC's compressed globally unique identifiers.
#include "exchange/step_writer.h"

#include <cstdio>

#include "util/number_text.h"
#include "util/sha256.h"
#include "util/unicode.h"

namespace kestrel {

int StepWriter::Add(std::string_view type, std::initializer_list<std::string> attributes) {
  return Add(type, std::vector<std::string>(attributes));
}

int StepWriter::Add(std::string_view type, const std::vector<std::string>& attributes) {
  const int id = next_++;
  data_ += '#' + std::to_string(id) + '=';
  data_ += type;
  data_ += '(';
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    if (i) data_ += ',';
    data_ += attributes[i];
  }
  data_ += ");\n";
  return id;
}

std::string StepWriter::NewGlobalId() {
  static constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$";
  const Sha256Digest digest = Sha256Of(seed_ + "/" + std::to_string(++ids_));
  // 128 bits: the first character holds the top 2, each of the other 21 six.
  std::string id = "'";
  id += kAlphabet[digest[0] >> 6];
  unsigned buffer = digest[0] & 0x3F;
  int bits = 6, byte = 1;
  for (int c = 0; c < 21; ++c) {
    while (bits < 6) {
      buffer = (buffer << 8) | digest[byte++];
      bits += 8;
    }
    id += kAlphabet[(buffer >> (bits - 6)) & 0x3F];
    bits -= 6;
    buffer &= (1u << bits) - 1;
  }
  return id + "'";
}

std::string StepWriter::Text(std::string_view fileName, std::string_view timeStamp, std::string_view schema) const {
  std::string text = "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('ViewDefinition [Alignment-basedView]'),'2;1');\n";
  text += "FILE_NAME(" + StepString(fileName) + "," + StepString(timeStamp) +
          ",(''),(''),'Kestrel','Kestrel','');\n";
  text += "FILE_SCHEMA((" + StepString(schema) + "));\nENDSEC;\nDATA;\n";
  text += data_;
  text += "ENDSEC;\nEND-ISO-10303-21;\n";
  return text;
}

std::string StepRef(int id) { return '#' + std::to_string(id); }

std::string StepReal(double value) {
  if (value == 0) return "0.";
  std::string text = GeneralText(value);
  const std::size_t exponent = text.find('E');
  if (text.find('.') != std::string::npos) return text;
  if (exponent == std::string::npos) return text + '.';
  return text.substr(0, exponent) + '.' + text.substr(exponent);
}

std::string StepString(std::string_view utf8) {
  std::string out = "'";
  std::string wide;  // pending \X2\ run
  auto flush = [&] {
    if (wide.empty()) return;
    out += "\\X2\\" + wide + "\\X0\\";
    wide.clear();
  };
  const std::u16string units = Utf8ToUtf16(utf8);
  for (char16_t u : units) {
    if (u >= 0x20 && u < 0x7F) {
      flush();
      if (u == '\'') out += "''";
      else if (u == '\\') out += "\\\\";
      else out += static_cast<char>(u);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(u));
      wide += hex;
    }
  }
  flush();
  return out + "'";
}

std::string StepEnum(std::string_view name) {
  std::string text(1, '.');
  text.append(name).push_back('.');
  return text;
}

std::string StepList(const std::vector<std::string>& items) {
  std::string text = "(";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) text += ',';
    text += items[i];
  }
  return text + ")";
}

std::string StepTyped(std::string_view type, const std::string& value) { return std::string(type) + "(" + value + ")"; }

}  // namespace kestrel
