// The fake host's languages: what a call's locale changes in formulas, typed texts and number formats.
#pragma once

#include <windows.h>

#include <string>

namespace kestrel::testing {

// The languages the fake models. A call made in US English (LCID 1033) sees the host's neutral
// forms whatever the user's language; a call in another locale (or LOCALE_USER_DEFAULT on a
// machine of that language) sees that language's forms, as a late-bound call to the host does:
//   German (1031): function names SUMME, RUNDEN, WENN, MITTELWERT, ABS; ";" between arguments;
//     "," as the decimal sign; "1.5" and "1.5.2026" are dates (day.month[.year]); format codes
//     "Standard", "[Rot]", "0,000".
//   Chinese (2052): function names, separators, numbers and dates as in US English; format codes
//     "G/通用格式", "[红色]".
enum class FakeLanguage { English, German, Chinese };

// The language of a call's LCID on a machine whose user's language is userLocale.
FakeLanguage LanguageOf(LCID callLocale, LCID userLocale);

// A text written to a cell's Value, as the neutral text the model reads: a formula with English
// names and "," separators ("=SUMME(A1;A2)" -> "=SUM(A1,A2)"; a name the language does not have
// gives "#NAME?"), a number with "." ("12,5" -> "12.5"), a date as its serial number text, and in
// every language a percentage or a fraction as its number ("12%" -> "0.12", "1 1/2" -> "1.5") and a
// date the language reads ("3/4/2026" in US English, "2026/3/4" in Chinese, "2026-03-04") as a date.
std::wstring NeutralTyped(const std::wstring& text, FakeLanguage language);
// A formula as the model holds it, in the language ("=SUM(A1,A2)" -> "=SUMME(A1;A2)").
std::wstring LocalFormula(const std::wstring& formula, FakeLanguage language);
// Number format codes between the neutral form and the language's.
std::wstring LocalFormatCode(const std::wstring& code, FakeLanguage language);
std::wstring NeutralFormatCode(const std::wstring& code, FakeLanguage language);
// The separator between the areas of an address: "," or, in German, ";".
wchar_t ListSeparator(FakeLanguage language);

}  // namespace kestrel::testing
