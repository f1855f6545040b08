// FunCad's services to the CAD plug-in: numbers out of text, clipboard text, web pages.
#pragma once

#include <optional>
#include <string_view>

namespace kestrel {

class Clipboard;
class Shell;

// The number inside a text: from its first digit (or the "-" right before it) the longest
// leading number; 0 without a digit. "K12+345.6" -> 12, "ABC-5.5m" -> -5.5.
double FunGetNumber(std::string_view text);

// Empties the clipboard and puts the text on it: true when the text is there, false when the
// clipboard could not be opened or took nothing.
bool FunClipboardSetText(Clipboard& clipboard, std::string_view text);

// 1 when a non-empty text was put on the clipboard, else 0; an empty or missing text still
// empties the clipboard.
int ClipboardSetText(Clipboard& clipboard, std::optional<std::string_view> text);

// Opens the page known under the key, as the ribbon's web buttons do ("index", "CadWeb", ...).
void GotoWeb(std::string_view name, Shell& shell);

}  // namespace kestrel
