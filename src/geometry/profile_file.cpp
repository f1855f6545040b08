// The vertical-profile file (.ZM): name rules, text, loading and the save command.
#include "geometry/profile_file.h"

#include <optional>
#include <vector>

#include "host/application.h"
#include "host/host_error.h"
#include "host/range_arg.h"
#include "host/shell.h"
#include "host/ui.h"
#include "geometry/profile_table.h"
#include "util/number_text.h"
#include "util/text_file.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

constexpr int kProfileFields = 7;

void FailLoad(VerticalProfile& profile) { profile.assign(1, VerticalCurve{}); }

}  // namespace

PathStyle NativePathStyle() {
#ifdef _WIN32
  return PathStyle::Drive;
#else
  return PathStyle::Root;
#endif
}

std::string ProfileFilePath(std::string_view name, std::string_view moduleFolder, PathStyle style) {
  std::string path(name);
  const size_t length = CodePointCount(path);
  const std::string tail = length >= 3 ? CodePointSubstr(path, length - 3) : path;
  if (AsciiUpper(tail) != ".ZM") path += ".ZM";
  if (style == PathStyle::Drive) {
    if (path.find(":\\") == std::string::npos) path = std::string(moduleFolder) + "\\" + path;
  } else if (path.empty() || path[0] != '/') {
    path = std::string(moduleFolder) + "/" + path;
  }
  return path;
}

std::string ProfileFileText(const VerticalProfile& records) {
  std::string text = std::string(kProfileMagic) + "\r\n";
  for (const VerticalCurve& r : records) {
    const double fields[kProfileFields] = {r.StartStation, r.StartElevation, r.PviStation, r.PviElevation,
                                           r.EndStation,   r.EndElevation,   r.Radius};
    for (int f = 0; f < kProfileFields; ++f) text += (f ? "," : "") + GeneralText(fields[f]);
    text += "\r\n";
  }
  return text;
}

int LoadProfileFile(std::string_view path, VerticalProfile& profile) {
  const std::vector<std::string> lines = SplitText(ReadTextFile(path), "\r\n");
  if (lines[0] != kProfileMagic) {
    FailLoad(profile);
    return 0;
  }
  VerticalProfile loaded;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    const std::vector<std::string> fields = SplitText(lines[i], ",");
    double v[kProfileFields];
    for (int f = 0; f < kProfileFields; ++f) {
      std::optional<double> n = f < static_cast<int>(fields.size()) ? StrictNumber(fields[f]) : std::nullopt;
      if (!n) {
        FailLoad(profile);
        return 0;
      }
      v[f] = *n;
    }
    // Line i always fills record i - 1, so a blank line leaves a record of zeros at its place.
    loaded.resize(i);
    VerticalCurve& r = loaded[i - 1];
    r = VerticalCurve{v[0], v[1], v[2], v[3], v[4], v[5]};
    r.Radius = v[6];
    ComputeCurveElements(r);
  }
  profile = std::move(loaded);
  return 1;
}

CommandOutcome SaveProfileFile(CommandContext& context) {
  Application& host = context.host;
  auto fail = [&context] {
    context.ui.MessageBox("纵断面文件保存失败！", "失败", MessageButtons::Ok, MessageIcon::None);
    return CommandOutcome::Stopped;
  };
  try {
    Worksheet& sheet = host.ActiveSheet();
    const RangeArg table(sheet, RangeRef::Block(1, 1, sheet.RowCount(), 3));
    const std::string text = ProfileFileText(ProfileRecords(ReadProfilePoints(table)));
    std::optional<std::string> path = context.ui.GetSaveAsFilename(
        context.shell.ModuleFolder(), "Quillbeck项目纵断面文件(*.ZM),*.ZM", "保存竖曲线参数");
    if (!path || AsciiLower(*path) == "false") return CommandOutcome::Cancelled;
    if (WriteTextFile(*path, text, true) != 1) return fail();
    context.ui.MessageBox("纵断面文件保存成功！\r\n" + *path, "提示", MessageButtons::Ok, MessageIcon::None);
    return CommandOutcome::Completed;
  } catch (const HostError&) {
    return fail();
  }
}

}  // namespace kestrel
