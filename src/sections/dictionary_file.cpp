// The station-location dictionary file (.Dic) and the commands around it.
#include "sections/dictionary_file.h"

#include <optional>

#include "host/application.h"
#include "host/host_error.h"
#include "host/ui.h"
#include "util/number_text.h"
#include "util/text_file.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

// Rows are read in blocks, so that a long list costs a few host calls.
constexpr int kReadBlockRows = 512;

void CutToFirstRecord(DictionaryState& dictionary) {
  dictionary.StationDictionary.resize(1);
}

}  // namespace

int ReadDicFile(std::string_view path, DictionaryState& dictionary) {
  const std::vector<std::string> lines = SplitText(ReadTextFile(path), "\r\n");
  if (lines[0] != kDicMagic) {
    CutToFirstRecord(dictionary);
    return 0;
  }
  // The list is filled in place: a failure part-way leaves the records read so far, cut down to
  // the first one.
  std::vector<DicRecord>& records = dictionary.StationDictionary;
  for (size_t k = 1; k < lines.size(); ++k) {
    if (lines[k].empty()) continue;
    const std::vector<std::string> fields = SplitText(lines[k], ",");
    double values[4];
    for (int f = 0; f < 4; ++f) {
      std::optional<double> v = f < static_cast<int>(fields.size()) ? StrictNumber(fields[f]) : std::nullopt;
      if (!v) {
        CutToFirstRecord(dictionary);
        return 0;
      }
      values[f] = *v;
    }
    // Line k always fills record k - 1: a blank line leaves a record of zeros at its place.
    records.resize(k);
    records[k - 1] = {values[0], values[1], values[2], values[3]};
  }
  return 1;
}

std::string DicFileText(const std::vector<DicRecord>& records) {
  std::string text = std::string(kDicMagic) + "\r\n";
  for (const DicRecord& r : records) {
    text += GeneralText(r.Station) + "," + GeneralText(r.OriginX) + "," + GeneralText(r.OriginY) + "," +
            GeneralText(r.OriginLevel) + "\r\n";
  }
  return text;
}

int WriteDicFile(std::string_view path, Application& host, DictionaryState& dictionary) {
  try {
    Worksheet& sheet = host.ActiveSheet();
    std::vector<DicRecord> records;
    const int rows = sheet.RowCount();
    for (int top = 1; top <= rows; top += kReadBlockRows) {
      const int bottom = std::min(rows, top + kReadBlockRows - 1);
      const Grid block = sheet.Values(RangeRef::Block(top, 1, bottom, 4));
      bool ended = false;
      for (int r = 0; r < block.Rows() && !ended; ++r) {
        if (block.At(r, 0).IsEmpty()) {
          ended = true;
          break;
        }
        // Cells are read the way a person reads them: the leading number of the value's text.
        auto read = [&](int c) { return LeadingNumber(block.At(r, c).AsText()); };
        records.push_back({read(0), read(1), read(2), read(3)});
      }
      if (ended) break;
    }
    dictionary.StationDictionary = records;
    return WriteTextFile(path, DicFileText(records), true);
  } catch (const HostError&) {
    return 0;
  }
}

CommandOutcome SaveDictionaryCommand(CommandContext& context, DictionaryState& dictionary) {
  Application& host = context.host;
  std::optional<std::string> path = context.ui.GetSaveAsFilename("", "KestrelDicFiles (*.Dic),*.Dic", "保存字典文件");
  if (!path || AsciiLower(*path) == "false") return CommandOutcome::Cancelled;
  if (WriteDicFile(*path, host, dictionary) == 1) {
    context.ui.MessageBox("断面位置字典文件成功保存到：\r\n" + *path, "保存成功", MessageButtons::Ok, MessageIcon::None);
    return CommandOutcome::Completed;
  }
  context.ui.MessageBox("断面位置字典文件保存不成功！", "保存失败", MessageButtons::Ok, MessageIcon::None);
  return CommandOutcome::Stopped;
}

void ShowDictionarySheet(std::string_view path, Application& host, const DictionaryState& dictionary) {
  if (path.empty()) return;
  ScreenUpdatingOff screen(host);
  Worksheet& sheet = host.AddSheet();
  const auto& records = dictionary.StationDictionary;
  if (records.empty()) return;
  Grid block(static_cast<int>(records.size()), 4);
  for (size_t k = 0; k < records.size(); ++k) {
    block.At(static_cast<int>(k), 0) = records[k].Station;
    block.At(static_cast<int>(k), 1) = records[k].OriginX;
    block.At(static_cast<int>(k), 2) = records[k].OriginY;
    block.At(static_cast<int>(k), 3) = records[k].OriginLevel;
  }
  sheet.SetValues({1, 1}, block);
}

}  // namespace kestrel
