// The fake host's language rules: function names, separators, decimal signs, dates and format codes.
#include "fake_locale.h"

#include <cwctype>
#include <regex>
#include <utility>

namespace kestrel::testing {
namespace {

constexpr std::pair<const wchar_t*, const wchar_t*> kGermanNames[] = {
    {L"SUMME", L"SUM"}, {L"RUNDEN", L"ROUND"}, {L"WENN", L"IF"}, {L"MITTELWERT", L"AVERAGE"}, {L"ABS", L"ABS"}};
constexpr std::pair<const wchar_t*, const wchar_t*> kChineseWords[] = {{L"G/通用格式", L"General"},
                                                                      {L"[红色]", L"[Red]"}};
constexpr std::pair<const wchar_t*, const wchar_t*> kGermanWords[] = {{L"Standard", L"General"}, {L"[Rot]", L"[Red]"}};

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
  return text;
}

// Each function name (letters before "("), mapped from one language's names to the other's;
// `unknown` answers for a name the map lacks.
template <class Map>
std::wstring MapNames(const std::wstring& formula, Map map, bool& unknown) {
  std::wstring out;
  for (size_t i = 0; i < formula.size();) {
    if (!iswalpha(formula[i])) {
      out += formula[i++];
      continue;
    }
    size_t end = i;
    while (end < formula.size() && (iswalnum(formula[end]) || formula[end] == L'.')) ++end;
    std::wstring word = formula.substr(i, end - i);
    if (end < formula.size() && formula[end] == L'(') {
      std::wstring mapped = map(Upper(word));
      if (mapped.empty()) unknown = true;
      out += mapped.empty() ? word : mapped;
    } else {
      out += word;  // a cell reference
    }
    i = end;
  }
  return out;
}

// Swaps "." and "," outside quoted literals (a German number or format code and the neutral one).
std::wstring SwapDecimalSigns(const std::wstring& text) {
  std::wstring out = text;
  bool quoted = false;
  for (wchar_t& c : out) {
    if (c == L'"') quoted = !quoted;
    if (quoted) continue;
    if (c == L'.') {
      c = L',';
    } else if (c == L',') {
      c = L'.';
    }
  }
  return out;
}

std::wstring ReplaceWords(std::wstring code, const std::pair<const wchar_t*, const wchar_t*>* words, size_t count,
                          bool toNeutral) {
  for (size_t i = 0; i < count; ++i) {
    const std::wstring from = toNeutral ? words[i].first : words[i].second;
    const std::wstring to = toNeutral ? words[i].second : words[i].first;
    for (size_t at = code.find(from); at != std::wstring::npos; at = code.find(from, at + to.size())) {
      code.replace(at, from.size(), to);
    }
  }
  return code;
}

// Days since 1899-12-30 (the host's serial dates) of a date of the Gregorian calendar.
long Serial(int year, int month, int day) {
  const int a = (14 - month) / 12, y = year + 4800 - a, m = month + 12 * a - 3;
  const long julian = day + (153 * m + 2) / 5 + 365L * y + y / 4 - y / 100 + y / 400 - 32045;
  return julian - 2415019;  // the Julian day number of 1899-12-30
}

}  // namespace

FakeLanguage LanguageOf(LCID callLocale, LCID userLocale) {
  const LCID effective =
      (callLocale == LOCALE_USER_DEFAULT || callLocale == LOCALE_SYSTEM_DEFAULT || callLocale == 0) ? userLocale
                                                                                                     : callLocale;
  switch (PRIMARYLANGID(LANGIDFROMLCID(effective))) {
    case LANG_GERMAN: return FakeLanguage::German;
    case LANG_CHINESE: return FakeLanguage::Chinese;
    default: return FakeLanguage::English;
  }
}

namespace {

std::wstring NumberText(double value) {
  wchar_t buffer[40];
  swprintf(buffer, 40, L"%.15g", value);
  return buffer;
}

int ThisYear() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now.wYear;
}

// A date as its serial number text, or nothing for a day the calendar has not.
std::wstring DateText(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1 || day > 31) return L"";
  return std::to_wstring(Serial(year, month, day));
}

// What the host makes of a typed percentage, fraction or date in any language: "12%" -> 0.12,
// "1 1/2" -> 1.5 (a fraction needs its whole part), "2026-03-04" -> a date; in US English "3/4"
// and "3/4/2026" are month/day[/year], in Chinese "2026/3/4" is year/month/day and "3/4"
// month/day. The decimal sign is the language's. Nothing when the text is none of them.
std::wstring TypedNumber(const std::wstring& text, FakeLanguage language) {
  const wchar_t decimal = language == FakeLanguage::German ? L',' : L'.';
  std::wsmatch m;
  std::wstring number = text.substr(0, text.empty() ? 0 : text.size() - 1);
  if (!text.empty() && text.back() == L'%' && std::regex_match(number, std::wregex(L"-?\\d+([.,]\\d+)?")) &&
      (number.find_first_of(L".,") == std::wstring::npos || number[number.find_first_of(L".,")] == decimal)) {
    for (wchar_t& c : number)
      if (c == decimal) c = L'.';
    return NumberText(std::stod(number) / 100);
  }
  if (std::regex_match(text, m, std::wregex(L"(-?)(\\d+) (\\d+)/(\\d+)")) && std::stod(m[4].str()) != 0) {
    const double value = std::stod(m[2].str()) + std::stod(m[3].str()) / std::stod(m[4].str());
    return NumberText(m[1].length() ? -value : value);
  }
  if (std::regex_match(text, m, std::wregex(L"(\\d{4})-(\\d{1,2})-(\\d{1,2})")))
    return DateText(std::stoi(m[1].str()), std::stoi(m[2].str()), std::stoi(m[3].str()));
  if (language == FakeLanguage::German) return L"";
  if (language == FakeLanguage::Chinese && std::regex_match(text, m, std::wregex(L"(\\d{4})/(\\d{1,2})/(\\d{1,2})")))
    return DateText(std::stoi(m[1].str()), std::stoi(m[2].str()), std::stoi(m[3].str()));
  if (std::regex_match(text, m, std::wregex(L"(\\d{1,2})/(\\d{1,2})(?:/(\\d{4}))?")))
    return DateText(m[3].matched ? std::stoi(m[3].str()) : ThisYear(), std::stoi(m[1].str()), std::stoi(m[2].str()));
  return L"";
}

}  // namespace

std::wstring NeutralTyped(const std::wstring& text, FakeLanguage language) {
  if (text.empty() || text[0] != L'=') {
    if (std::wstring number = TypedNumber(text, language); !number.empty()) return number;
  }
  if (language != FakeLanguage::German) return text;
  if (!text.empty() && text[0] == L'=') {
    bool unknown = false;
    std::wstring english = MapNames(text, [](const std::wstring& name) -> std::wstring {
      for (const auto& [german, neutral] : kGermanNames)
        if (name == german) return neutral;
      return L"";
    }, unknown);
    if (unknown) return L"#NAME?";
    // Decimal commas become points first, then the argument separators commas.
    english = std::regex_replace(english, std::wregex(L"(\\d),(\\d)"), L"$1.$2");
    for (wchar_t& c : english)
      if (c == L';') c = L',';
    return english;
  }
  std::wsmatch m;
  if (std::regex_match(text, std::wregex(L"-?\\d+,\\d+"))) return SwapDecimalSigns(text);
  if (std::regex_match(text, m, std::wregex(L"(\\d{1,2})\\.(\\d{1,2})(?:\\.(\\d{4}))?"))) {
    const int day = std::stoi(m[1].str()), month = std::stoi(m[2].str());
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int year = m[3].matched ? std::stoi(m[3].str()) : now.wYear;
    if (month >= 1 && month <= 12 && day >= 1 && day <= 31) return std::to_wstring(Serial(year, month, day));
  }
  return text;
}

std::wstring LocalFormula(const std::wstring& formula, FakeLanguage language) {
  if (language != FakeLanguage::German) return formula;
  if (formula.empty() || formula[0] != L'=') {  // a constant: only a number changes its decimal sign
    return std::regex_match(formula, std::wregex(L"-?\\d+(\\.\\d+)?(E[-+]?\\d+)?")) ? SwapDecimalSigns(formula) : formula;
  }
  bool unknown = false;
  std::wstring german = MapNames(formula, [](const std::wstring& name) -> std::wstring {
    for (const auto& [local, neutral] : kGermanNames)
      if (name == neutral) return local;
    return name;
  }, unknown);
  german = std::regex_replace(german, std::wregex(L","), L";");
  return std::regex_replace(german, std::wregex(L"(\\d)\\.(\\d)"), L"$1,$2");
}

std::wstring LocalFormatCode(const std::wstring& code, FakeLanguage language) {
  if (language == FakeLanguage::Chinese) return ReplaceWords(code, kChineseWords, std::size(kChineseWords), false);
  if (language == FakeLanguage::German) {
    return ReplaceWords(SwapDecimalSigns(code), kGermanWords, std::size(kGermanWords), false);
  }
  return code;
}

std::wstring NeutralFormatCode(const std::wstring& code, FakeLanguage language) {
  if (language == FakeLanguage::Chinese) return ReplaceWords(code, kChineseWords, std::size(kChineseWords), true);
  if (language == FakeLanguage::German) {
    return SwapDecimalSigns(ReplaceWords(code, kGermanWords, std::size(kGermanWords), true));
  }
  return code;
}

wchar_t ListSeparator(FakeLanguage language) { return language == FakeLanguage::German ? L';' : L','; }

}  // namespace kestrel::testing
