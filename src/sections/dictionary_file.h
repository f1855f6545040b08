// The station-location dictionary: .Dic files, saving from a sheet, listing on a new sheet.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/command_context.h"
#include "sections/dictionary_state.h"

namespace kestrel {

class Application;

inline constexpr std::string_view kDicMagic = "KestrelFile2.0";

// Reads the file into the dictionary's StationDictionary: 1 on success, 0 on failure (a file that
// is missing, empty, has another first line, a line with fewer than four fields or a field that
// is not a number). A failure leaves the list cut down to its first record; a file without any
// record line leaves the previous list as it was.
int ReadDicFile(std::string_view path, DictionaryState& dictionary);

// The file's text for these records: the magic line, then "Station,OriginX,OriginY,OriginLevel"
// per record, every line ending with CR LF.
std::string DicFileText(const std::vector<DicRecord>& records);

// Fills the dictionary's StationDictionary from columns A to D of the active sheet (rows 1, 2, ...
// until A is empty) and writes the file: 1 on success, 0 on any error. A sheet whose A1 is empty
// gives a file with the magic line only.
int WriteDicFile(std::string_view path, Application& host, DictionaryState& dictionary);

// The save command: asks for the file name, writes, says how it went. Stopped when the file could
// not be written, Cancelled when no name was given.
CommandOutcome SaveDictionaryCommand(CommandContext& context, DictionaryState& dictionary);

// Lists the dictionary's StationDictionary on a new sheet (A to D from row 1); nothing for an empty
// path.
void ShowDictionarySheet(std::string_view path, Application& host, const DictionaryState& dictionary);

}  // namespace kestrel
