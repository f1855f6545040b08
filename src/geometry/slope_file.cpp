// Cross slope and widening: .hp text and parsing, the parse cache, GetHP/GetJK's core, saving.
#include "geometry/slope_file.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "host/application.h"
#include "host/host_error.h"
#include "host/shell.h"
#include "host/ui.h"
#include "geometry/function_error.h"
#include "util/number_text.h"
#include "util/text_file.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

constexpr int kReadBlockRows = 512;
// A workbook names a handful of files; past this many the cache starts again.
constexpr size_t kMaxCachedFiles = 64;

std::optional<SlopeControl> ParseControl(std::string_view line) {
  const std::vector<std::string> fields = SplitText(line, ",");
  if (fields.size() < 3) return std::nullopt;
  std::optional<double> station = StrictNumber(fields[0]);
  std::optional<double> left = StrictNumber(fields[1]);
  std::optional<double> right = StrictNumber(fields[2]);
  if (!station || !left || !right) return std::nullopt;
  return SlopeControl{*station, *left, *right};
}

double ValueOn(const SlopeTables& tables, double station, double offset, int model) {
  const int k = FindSegmentIndex(tables.LeftSegments, station);
  const SlopeTable& side = offset < 0 ? tables.LeftSegments : tables.RightSegments;
  if (k < 0 || k >= static_cast<int>(side.size())) throw FunctionError("the station is outside every segment");
  return SegmentValue(station, side[static_cast<size_t>(k)], model);
}

}  // namespace

std::string SlopeFileText(const std::vector<SlopeControl>& controls) {
  std::string text = std::string(kSlopeMagic) + "\r\n";
  for (const SlopeControl& c : controls) {
    text += GeneralText(c.Station) + "," + GeneralText(c.Left) + "," + GeneralText(c.Right) + "\r\n";
  }
  return text;
}

int ParseSlopeText(std::string_view text, SlopeTables& tables) {
  const std::vector<std::string> lines = SplitText(text, "\r\n");
  SlopeTables built;
  bool ok = lines[0] == kSlopeMagic;
  // Lines i and i + 1 make segment i - 1 whenever line i + 1 is filled: the last control line is
  // read as the end of the segment before it, and a final CR LF adds nothing.
  for (size_t i = 1; ok && i + 1 < lines.size(); ++i) {
    if (lines[i + 1].empty()) continue;
    std::optional<SlopeControl> from = ParseControl(lines[i]);
    std::optional<SlopeControl> to = ParseControl(lines[i + 1]);
    if (!from || !to) {
      ok = false;
      break;
    }
    built.LeftSegments.resize(i);
    built.RightSegments.resize(i);
    const double length = to->Station - from->Station;
    built.LeftSegments[i - 1] = {from->Left, to->Left, from->Station, to->Station, length};
    built.RightSegments[i - 1] = {from->Right, to->Right, from->Station, to->Station, length};
  }
  if (!ok) {
    // What a failed load leaves is never evaluated (the caller gets -999999); the tables keep
    // their first segment only.
    tables.LeftSegments.resize(1);
    tables.RightSegments.resize(1);
    return 0;
  }
  tables = std::move(built);
  return 1;
}

int LoadSlopeFile(std::string_view path, SlopeTables& tables) { return ParseSlopeText(ReadTextFile(path), tables); }

double SideValueUncached(double station, double offset, std::string_view fileName, int model, SlopeTables& tables) {
  if (LoadSlopeFile(fileName, tables) != 1) return kSlopeFileUnreadable;
  return ValueOn(tables, station, offset, model);
}

double SideValue(double station, double offset, std::string_view fileName, int model, SlopeCache& cache) {
  const std::filesystem::path path = PathFromUtf8(fileName);
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return kSlopeFileUnreadable;
  const std::uintmax_t size = std::filesystem::file_size(absolute, error);
  if (error) return kSlopeFileUnreadable;
  const std::filesystem::file_time_type modified = std::filesystem::last_write_time(absolute, error);
  if (error) return kSlopeFileUnreadable;

  const std::string key = PathToUtf8(absolute.lexically_normal());
  auto found = cache.Files.find(key);
  if (found == cache.Files.end() || found->second.Size != size || found->second.Modified != modified) {
    if (found == cache.Files.end() && cache.Files.size() >= kMaxCachedFiles) cache.Files.clear();
    ParsedSlopeFile& parsed = cache.Files[key];
    parsed.Size = size;
    parsed.Modified = modified;
    parsed.Loaded = LoadSlopeFile(fileName, parsed.Tables);
    found = cache.Files.find(key);
  }
  if (found->second.Loaded != 1) return kSlopeFileUnreadable;
  return ValueOn(found->second.Tables, station, offset, model);
}

CommandOutcome SaveSlopeFile(CommandContext& context) {
  Application& host = context.host;
  try {
    Worksheet& sheet = host.ActiveSheet();
    std::vector<SlopeControl> controls;
    bool ended = false;
    const int rows = sheet.RowCount();
    for (int top = 1; top <= rows && !ended; top += kReadBlockRows) {
      const Grid block = sheet.Values(RangeRef::Block(top, 1, std::min(rows, top + kReadBlockRows - 1), 3));
      for (int r = 0; r < block.Rows(); ++r) {
        if (block.At(r, 0).AsText().empty()) {
          ended = true;
          break;
        }
        auto read = [&](int c) { return LeadingNumber(block.At(r, c).AsText()); };
        controls.push_back({read(0), read(1), read(2)});
      }
    }
    std::optional<std::string> path =
        context.ui.GetSaveAsFilename(context.shell.ModuleFolder(), "横坡文件(*.hp),*.hp", "保存横坡文件");
    if (!path || AsciiLower(*path) == "false") return CommandOutcome::Cancelled;
    if (WriteTextFile(*path, SlopeFileText(controls), true) != 1) {
      // The same texts as the profile file's command: users know them from there.
      context.ui.MessageBox("纵断面文件保存失败！", "失败", MessageButtons::Ok, MessageIcon::None);
      return CommandOutcome::Stopped;
    }
    context.ui.MessageBox("纵断面文件保存成功！\r\n" + *path, "提示", MessageButtons::Ok, MessageIcon::None);
    return CommandOutcome::Completed;
  } catch (const HostError&) {
    return CommandOutcome::Stopped;
  }
}

}  // namespace kestrel
