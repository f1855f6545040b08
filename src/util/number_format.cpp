// Display text of numbers under number-format codes (the subset a surveyor's sheet uses).
#include "util/number_format.h"

#include <cmath>
#include <vector>

#include "util/decimal_digits.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

enum class TokenKind { Literal, Digit, Point, Comma, Percent, General, TextPlaceholder };

struct Token {
  TokenKind kind;
  std::string text;  // the literal, or the placeholder character "0", "#", "?"
};

// Splits a code into its sections at ";" outside quotes, brackets and escapes.
std::vector<std::string> SplitSections(std::string_view code) {
  std::vector<std::string> sections(1);
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == '"') {
      size_t end = code.find('"', i + 1);
      if (end == std::string_view::npos) end = code.size() - 1;
      sections.back() += code.substr(i, end - i + 1);
      i = end;
    } else if (c == '\\' && i + 1 < code.size()) {
      sections.back() += code.substr(i, 2);
      ++i;
    } else if (c == ';') {
      sections.emplace_back();
    } else {
      sections.back() += c;
    }
  }
  return sections;
}

// Byte length of the UTF-8 sequence that starts with c.
size_t SequenceLength(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
}

std::vector<Token> Tokenize(std::string_view section) {
  std::vector<Token> tokens;
  for (size_t i = 0; i < section.size();) {
    char c = section[i];
    if (c == '"') {
      size_t end = section.find('"', i + 1);
      if (end == std::string_view::npos) end = section.size();
      tokens.push_back({TokenKind::Literal, std::string(section.substr(i + 1, end - i - 1))});
      i = end + 1;
    } else if (c == '\\' && i + 1 < section.size()) {
      size_t n = SequenceLength(section[i + 1]);
      tokens.push_back({TokenKind::Literal, std::string(section.substr(i + 1, n))});
      i += 1 + n;
    } else if (c == '_' && i + 1 < section.size()) {
      tokens.push_back({TokenKind::Literal, " "});  // a blank as wide as the next character
      i += 1 + SequenceLength(section[i + 1]);
    } else if (c == '*' && i + 1 < section.size()) {
      i += 1 + SequenceLength(section[i + 1]);  // fill character: nothing in a text rendering
    } else if (c == '[') {
      size_t end = section.find(']', i);
      i = end == std::string_view::npos ? section.size() : end + 1;  // colour or condition
    } else if (c == '0' || c == '#' || c == '?') {
      tokens.push_back({TokenKind::Digit, std::string(1, c)});
      ++i;
    } else if (c == '.') {
      tokens.push_back({TokenKind::Point, "."});
      ++i;
    } else if (c == ',') {
      tokens.push_back({TokenKind::Comma, ","});
      ++i;
    } else if (c == '%') {
      tokens.push_back({TokenKind::Percent, "%"});
      ++i;
    } else if (c == '@') {
      tokens.push_back({TokenKind::TextPlaceholder, "@"});
      ++i;
    } else if ((c == 'G' || c == 'g') && section.substr(i, 7) == "General") {
      tokens.push_back({TokenKind::General, ""});
      i += 7;
    } else {
      size_t n = SequenceLength(c);
      tokens.push_back({TokenKind::Literal, std::string(section.substr(i, n))});
      i += n;
    }
  }
  return tokens;
}

std::string GroupThousands(const std::string& digits) {
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// Renders |value| (the sign is the caller's) with one section's tokens.
std::string RenderSection(double magnitude, const std::vector<Token>& tokens) {
  size_t point = tokens.size();
  int integerSlots = 0, decimalSlots = 0;
  bool percent = false, grouping = false, general = false, literalInsideInteger = false;
  int firstDigit = -1, lastIntegerDigit = -1;
  for (size_t k = 0; k < tokens.size(); ++k) {
    const Token& t = tokens[k];
    if (t.kind == TokenKind::Point && point == tokens.size()) point = k;
    if (t.kind == TokenKind::Percent) percent = true;
    if (t.kind == TokenKind::General) general = true;
    if (t.kind == TokenKind::Digit) {
      if (k < point) {
        ++integerSlots;
        if (firstDigit < 0) firstDigit = static_cast<int>(k);
        lastIntegerDigit = static_cast<int>(k);
      } else {
        ++decimalSlots;
      }
    }
  }
  for (int k = firstDigit + 1; firstDigit >= 0 && k < lastIntegerDigit; ++k) {
    if (tokens[k].kind == TokenKind::Comma) grouping = true;
    if (tokens[k].kind == TokenKind::Literal) literalInsideInteger = true;
  }

  if (general) {
    std::string out;
    for (const Token& t : tokens) out += t.kind == TokenKind::General ? GeneralDisplay(magnitude) : t.kind == TokenKind::Literal ? t.text : "";
    return out;
  }

  DecimalDigits d = DecimalDigits::FromDouble(percent ? magnitude * 100 : magnitude);
  d.negative = false;
  d.RoundHalfAway(decimalSlots);
  std::string integerDigits = d.IntegerDigits();
  std::string fraction = d.FractionDigits(decimalSlots);

  // Integer placeholders take digits from the right; the leftmost takes all that remain.
  std::vector<std::string> slotText(tokens.size());
  {
    int remaining = static_cast<int>(integerDigits.size());
    int slotsLeft = integerSlots;
    for (int k = static_cast<int>(point) - 1; k >= 0; --k) {
      if (tokens[k].kind != TokenKind::Digit) continue;
      --slotsLeft;
      if (slotsLeft == 0 && remaining > 0) {
        slotText[k] = integerDigits.substr(0, remaining);
        remaining = 0;
      } else if (remaining > 0) {
        slotText[k] = integerDigits.substr(remaining - 1, 1);
        --remaining;
      } else {
        slotText[k] = tokens[k].text == "0" ? "0" : tokens[k].text == "?" ? " " : "";
      }
    }
  }
  // Decimal placeholders: trailing zeros under "#" and "?" are dropped from the right.
  {
    bool dropping = true;
    int index = decimalSlots;
    for (int k = static_cast<int>(tokens.size()) - 1; k > static_cast<int>(point); --k) {
      if (tokens[k].kind != TokenKind::Digit) continue;
      char digit = fraction[--index];
      if (dropping && digit == '0' && tokens[k].text != "0") {
        slotText[k] = tokens[k].text == "?" ? " " : "";
      } else {
        dropping = false;
        slotText[k] = std::string(1, digit);
      }
    }
  }

  std::string out;
  bool integerWritten = false;
  for (size_t k = 0; k < tokens.size(); ++k) {
    const Token& t = tokens[k];
    switch (t.kind) {
      case TokenKind::Digit:
        if (grouping && !literalInsideInteger && k < point) {
          if (!integerWritten) {
            std::string all;
            for (size_t j = 0; j < point; ++j)
              if (tokens[j].kind == TokenKind::Digit) all += slotText[j];
            out += GroupThousands(all);
            integerWritten = true;
          }
        } else {
          out += slotText[k];
        }
        break;
      case TokenKind::Point:
        out += k == point ? "." : "";
        break;
      case TokenKind::Comma:
        break;  // grouping (handled above) or scaling, which this renderer does not need
      case TokenKind::Literal:
      case TokenKind::Percent:
        out += t.text;
        break;
      default:
        break;
    }
  }
  return out;
}

}  // namespace

std::string FormatNumber(double value, std::string_view code) {
  if (!std::isfinite(value)) return "#NUM!";
  std::string neutral = NeutralFormatCode(code);
  if (neutral.empty() || neutral == "General") return GeneralDisplay(value);
  if (neutral == "@") return GeneralText(value);
  std::vector<std::string> sections = SplitSections(neutral);
  // A fourth section is for texts only; a section of "@" alone does not format numbers.
  if (sections.size() > 3) sections.resize(3);
  if (value == 0 && sections.size() >= 3) return RenderSection(0, Tokenize(sections[2]));
  if (value < 0 && sections.size() >= 2) return RenderSection(-value, Tokenize(sections[1]));
  std::string text = RenderSection(std::fabs(value), Tokenize(sections[0]));
  return value < 0 ? "-" + text : text;
}

std::string NeutralFormatCode(std::string_view localCode) {
  static const std::pair<std::string_view, std::string_view> kLocalWords[] = {
      {"G/通用格式", "General"}, {"[红色]", "[Red]"},   {"[蓝色]", "[Blue]"},   {"[黑色]", "[Black]"},
      {"[绿色]", "[Green]"},     {"[白色]", "[White]"}, {"[黄色]", "[Yellow]"}, {"[洋红]", "[Magenta]"},
      {"[青色]", "[Cyan]"}};
  std::string code(localCode);
  for (const auto& [local, neutral] : kLocalWords) {
    for (size_t at = code.find(local); at != std::string::npos; at = code.find(local, at + neutral.size())) {
      code.replace(at, local.size(), neutral);
    }
  }
  return code;
}

std::string GeneralDisplay(double value) {
  constexpr size_t kWidth = 11;  // characters of a cell of standard width
  std::string text = GeneralText(value);
  if (text.size() <= kWidth && text.find('E') == std::string::npos) return text;
  double magnitude = std::fabs(value);
  if (magnitude >= 1e-5 && magnitude < 1e11) {
    size_t integerLength = GeneralText(std::trunc(magnitude)).size() + (value < 0 ? 1 : 0);
    int decimals = static_cast<int>(kWidth) - static_cast<int>(integerLength) - 1;
    if (decimals >= 0) return GeneralText(RoundHalfAway(value, decimals));
  }
  // Exponent form with as many mantissa digits as fit: "1.23457E+11".
  DecimalDigits d = DecimalDigits::FromDouble(value);
  int exponent = d.pointPos - 1;
  DecimalDigits mantissa = DecimalDigits::FromDouble(value / std::pow(10.0, exponent));
  mantissa.RoundHalfAway(5);
  if (mantissa.pointPos > 1) {  // 9.999995 rounded up to 10
    ++exponent;
    mantissa = DecimalDigits::FromDouble(value / std::pow(10.0, exponent));
    mantissa.RoundHalfAway(5);
  }
  std::string s = GeneralText(mantissa.ToDouble());
  std::string e = std::to_string(std::abs(exponent));
  if (e.size() < 2) e = "0" + e;
  return s + (exponent < 0 ? "E-" : "E+") + e;
}

}  // namespace kestrel
