// UTF-8 <-> UTF-16 conversion and code-point counting; invalid input becomes U+FFFD, never a crash.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// One code point (at most U+10FFFF) appended as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// Number of code points (what the behaviour calls characters).
size_t CodePointCount(std::string_view utf8);
// The code points [start, start + count) of the text (0-based, clipped to its end).
std::string CodePointSubstr(std::string_view utf8, size_t start, size_t count = std::string::npos);

// ASCII-only lower and upper case (the keys and markers the system compares are ASCII).
std::string AsciiLower(std::string_view s);
std::string AsciiUpper(std::string_view s);
// The text without the blanks, tabs and line ends around it: what a user typed into an entry.
std::string Trimmed(std::string_view s);

// Full-width forms folded to half-width: U+FF01..U+FF5E to U+0021..U+007E, U+3000 to a blank.
std::u16string FoldFullWidth(std::u16string_view text);

// Splits at every occurrence of sep ("\r\n"); n separators give n + 1 parts.
std::vector<std::string> SplitText(std::string_view text, std::string_view sep);

// The text of a file as the readers keep it: itself when it is valid UTF-8, else with every
// malformed sequence as U+FFFD, so that everything read, and so everything written, is sound.
std::string RepairUtf8(std::string text);
// Whether RepairUtf8 leaves the text as it is.
bool IsValidUtf8(std::string_view text);

}  // namespace kestrel
