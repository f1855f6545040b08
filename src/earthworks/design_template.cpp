// The template file: writing, reading and the commented example.
#include "earthworks/design_template.h"

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "util/number_text.h"
#include "util/text_file.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return std::string(s.substr(b, e - b));
}

// A number as the file keeps it: its general text, or, where that would round it (beyond 15
// significant digits), the shortest text that reads back as the same number.
//   ExactText(1.5) == "1.5";  ExactText(2.6666666666666666e99) == "2.6666666666666666e+99"
std::string ExactText(double v) {
  std::string text = GeneralText(v);
  if (StrictNumber(text) == v) return text;
  char buffer[32];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
}

std::string StagesText(const std::vector<SlopeStage>& stages) {
  std::string out;
  for (size_t i = 0; i < stages.size(); ++i) {
    if (i) out += ", ";
    out += ExactText(stages[i].Ratio);
    if (i + 1 < stages.size()) out += "x" + ExactText(stages[i].Height);
  }
  return out;
}

std::string DitchText(const DitchShape& d) {
  return ExactText(d.BottomWidth) + ", " + ExactText(d.Depth) + ", " + ExactText(d.InnerRatio) + ", " +
         ExactText(d.OuterRatio);
}

// The keys of one side, in file order, with their text.
std::vector<std::pair<std::string, std::string>> SideEntries(const SideTemplate& s) {
  return {{"half_width", ExactText(s.HalfWidth)},
          {"cross_slope", ExactText(s.CrossSlope)},
          {"shoulder_width", ExactText(s.ShoulderWidth)},
          {"shoulder_slope", ExactText(s.ShoulderSlope)},
          {"fill_slopes", StagesText(s.FillStages)},
          {"fill_berm_width", ExactText(s.FillBermWidth)},
          {"fill_berm_slope", ExactText(s.FillBermSlope)},
          {"ditch", DitchText(s.Ditch)},
          {"cut_slopes", StagesText(s.CutStages)},
          {"cut_berm_width", ExactText(s.CutBermWidth)},
          {"cut_berm_slope", ExactText(s.CutBermSlope)}};
}

// The values a road can have; a template beyond them describes none (and would give levels and
// areas past what a cell holds).
struct Bounds {
  double Low;
  double High;
  bool Holds(double v) const { return v >= Low && v <= High; }  // false for NaN
  std::string Text() const { return "a number from " + GeneralText(Low) + " to " + GeneralText(High) + " is needed"; }
};
constexpr Bounds kWidth{0, 50};         // carriageway, shoulder and berm widths, metres
constexpr Bounds kCrossSlope{-20, 20};  // the carriageway, per cent
constexpr Bounds kSideSlope{-30, 30};   // shoulders and berms, per cent
constexpr Bounds kRatio{0, 20};         // 1:ratio of a side slope or a ditch face
constexpr Bounds kStageHeight{0, 100};  // metres; above 0
constexpr Bounds kDitchSize{0, 20};     // bottom width and depth, metres
constexpr Bounds kThickness{0, 5};      // pavement and topsoil, metres
constexpr size_t kMostStages = 20;      // of one side slope
// A template is a page of text; a larger file is refused before it is read.
constexpr std::uintmax_t kMostTemplateBytes = 1 << 20;

// "1.5x8, 1.75x8, 2": every stage but the last has a positive height; the last has none.
std::optional<std::vector<SlopeStage>> ParseStages(std::string_view text, std::string& why) {
  std::vector<SlopeStage> stages;
  const std::vector<std::string> parts = SplitText(text, ",");
  if (parts.size() > kMostStages) {
    why = "at most " + std::to_string(kMostStages) + " stages, not " + std::to_string(parts.size());
    return std::nullopt;
  }
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string part = Trim(parts[i]);
    const size_t x = part.find_first_of("xX");
    const bool last = i + 1 == parts.size();
    SlopeStage stage;
    const auto ratio = StrictNumber(x == std::string::npos ? part : part.substr(0, x));
    if (!ratio || !kRatio.Holds(*ratio)) {
      why = "stage " + std::to_string(i + 1) + ": a ratio from 0 to 20 is needed";
      return std::nullopt;
    }
    stage.Ratio = *ratio;
    if (x != std::string::npos) {
      const auto height = StrictNumber(part.substr(x + 1));
      if (!height || !(*height > 0) || !kStageHeight.Holds(*height)) {
        why = "stage " + std::to_string(i + 1) + ": a height above 0 and up to 100 is needed after x";
        return std::nullopt;
      }
      if (last) {
        why = "the last stage runs to the ground and has no height";
        return std::nullopt;
      }
      stage.Height = *height;
    } else if (!last) {
      why = "stage " + std::to_string(i + 1) + " needs a height (ratio x height)";
      return std::nullopt;
    }
    stages.push_back(stage);
  }
  if (stages.empty()) why = "at least one stage is needed";
  if (stages.empty()) return std::nullopt;
  return stages;
}

// Sets one side's key; false with why when the value does not fit.
bool SetSideKey(SideTemplate& s, const std::string& key, const std::string& value, std::string& why) {
  auto number = [&](double& target, Bounds bounds) {
    const auto v = StrictNumber(value);
    if (!v || !bounds.Holds(*v)) {
      why = bounds.Text();
      return false;
    }
    target = *v;
    return true;
  };
  if (key == "half_width") return number(s.HalfWidth, kWidth);
  if (key == "cross_slope") return number(s.CrossSlope, kCrossSlope);
  if (key == "shoulder_width") return number(s.ShoulderWidth, kWidth);
  if (key == "shoulder_slope") return number(s.ShoulderSlope, kSideSlope);
  if (key == "fill_berm_width") return number(s.FillBermWidth, kWidth);
  if (key == "fill_berm_slope") return number(s.FillBermSlope, kSideSlope);
  if (key == "cut_berm_width") return number(s.CutBermWidth, kWidth);
  if (key == "cut_berm_slope") return number(s.CutBermSlope, kSideSlope);
  if (key == "fill_slopes" || key == "cut_slopes") {
    auto stages = ParseStages(value, why);
    if (!stages) return false;
    (key == "fill_slopes" ? s.FillStages : s.CutStages) = std::move(*stages);
    return true;
  }
  if (key == "ditch") {
    const std::vector<std::string> parts = SplitText(value, ",");
    double v[4];
    if (parts.size() != 4) {
      why = "four numbers are needed: bottom width, depth, inner ratio, outer ratio";
      return false;
    }
    for (int i = 0; i < 4; ++i) {
      const auto n = StrictNumber(Trim(parts[i]));
      if (!n || !(i < 2 ? kDitchSize : kRatio).Holds(*n)) {
        why = "bottom width and depth from 0 to 20, inner and outer ratio from 0 to 20 are needed";
        return false;
      }
      v[i] = *n;
    }
    s.Ditch = {v[0], v[1], v[2], v[3]};
    return true;
  }
  why = "unknown key";
  return false;
}

}  // namespace

std::string TemplateText(const DesignTemplate& tpl) {
  std::string out(kTemplateMagic);
  out += "\r\n";
  const auto left = SideEntries(tpl.Left), right = SideEntries(tpl.Right);
  for (size_t i = 0; i < left.size(); ++i) {
    if (left[i].second == right[i].second) {
      out += left[i].first + " = " + left[i].second + "\r\n";
    } else {
      out += "left." + left[i].first + " = " + left[i].second + "\r\n";
      out += "right." + right[i].first + " = " + right[i].second + "\r\n";
    }
  }
  out += "pavement_thickness = " + ExactText(tpl.PavementThickness) + "\r\n";
  out += std::string("areas_to = ") + (tpl.AreasTo == AreaSurface::Subgrade ? "subgrade" : "finished") + "\r\n";
  out += "strip_depth = " + ExactText(tpl.StripDepth) + "\r\n";
  out += "slope_model = " + std::to_string(tpl.SlopeModel) + "\r\n";
  return out;
}

std::string TemplateExampleText() {
  const char* lines[] = {
      "# Kestrel road template: one \"key = value\" per line; \"#\" starts a comment.",
      "# A key sets both sides; \"left.key\" or \"right.key\" sets one side only.",
      "# Widths, heights and depths in metres. Slopes in per cent, positive rising away from the",
      "# centre line (a normal crown is -2). Side slopes as 1:ratio (metres across per metre up",
      "# or down), in stages \"ratio x height\" from the road outwards; the last stage has no",
      "# height and runs until it meets the ground.",
      "",
      "# Carriageway from the centre line to its edge; a widening file adds to it.",
      "half_width = 3.75",
      "# Cross slope when no cross-slope file is given.",
      "cross_slope = -2",
      "shoulder_width = 0.75",
      "shoulder_slope = -4",
      "",
      "# Fill (embankment): 1:1.5 for 8 m, a berm, then 1:1.75 to the ground.",
      "fill_slopes = 1.5x8, 1.75",
      "fill_berm_width = 2",
      "fill_berm_slope = 0",
      "",
      "# Cut: first the ditch (bottom width, depth, inner ratio, outer ratio; depth 0: none),",
      "# then the cut slope from the ditch's outer top edge: 1:0.75 for 10 m, a berm, then 1:1.",
      "ditch = 0.6, 0.6, 1, 1",
      "cut_slopes = 0.75x10, 1",
      "cut_berm_width = 2",
      "cut_berm_slope = 0",
      "",
      "# Pavement thickness, and whether areas are measured to the finished surface or to the",
      "# subgrade (the surface lowered by this thickness between the shoulder edges).",
      "pavement_thickness = 0.7",
      "areas_to = finished",
      "# Topsoil stripped under the road's whole footprint (0: none).",
      "strip_depth = 0.3",
      "# Interpolation of the cross-slope and widening files: 1 linear, 3 cubic transition.",
      "slope_model = 1",
  };
  std::string out;
  out += kTemplateMagic;
  out += "\r\n";
  for (const char* line : lines) out += std::string(line) + "\r\n";
  return out;
}

std::optional<DesignTemplate> ParseTemplateText(std::string_view text, std::string& error) {
  std::vector<std::string> lines = SplitText(text, "\n");
  if (lines.empty() || Trim(lines[0]) != kTemplateMagic) {
    error = "not a template: the first line must be " + std::string(kTemplateMagic);
    return std::nullopt;
  }
  DesignTemplate tpl;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string line = lines[i];
    if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    line = Trim(line);
    if (line.empty()) continue;
    auto fail = [&](const std::string& what) {
      error = "line " + std::to_string(i + 1) + ": " + what;
      return std::nullopt;
    };
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return fail("\"key = value\" expected");
    const std::string key = AsciiLower(Trim(line.substr(0, eq)));
    const std::string value = Trim(line.substr(eq + 1));
    std::string why;
    if (key == "pavement_thickness" || key == "strip_depth") {
      const auto v = StrictNumber(value);
      if (!v || !kThickness.Holds(*v)) return fail(key + ": " + kThickness.Text());
      (key == "strip_depth" ? tpl.StripDepth : tpl.PavementThickness) = *v;
    } else if (key == "areas_to") {
      const std::string v = AsciiLower(value);
      if (v == "finished")
        tpl.AreasTo = AreaSurface::Finished;
      else if (v == "subgrade")
        tpl.AreasTo = AreaSurface::Subgrade;
      else
        return fail("areas_to: finished or subgrade");
    } else if (key == "slope_model") {
      if (value != "1" && value != "3") return fail("slope_model: 1 (linear) or 3 (cubic)");
      tpl.SlopeModel = value == "1" ? 1 : 3;
    } else if (key.rfind("left.", 0) == 0) {
      if (!SetSideKey(tpl.Left, key.substr(5), value, why)) return fail(key + ": " + why);
    } else if (key.rfind("right.", 0) == 0) {
      if (!SetSideKey(tpl.Right, key.substr(6), value, why)) return fail(key + ": " + why);
    } else {
      if (!SetSideKey(tpl.Left, key, value, why) || !SetSideKey(tpl.Right, key, value, why))
        return fail(key + ": " + why);
    }
  }
  return tpl;
}

std::optional<DesignTemplate> LoadTemplateFile(std::string_view path, std::string& error) {
  const std::filesystem::path file = PathFromUtf8(path);
  std::error_code failure;
  if (!std::filesystem::is_regular_file(file, failure)) {
    error = "cannot read " + std::string(path) + ": not a file";
    return std::nullopt;
  }
  if (std::filesystem::file_size(file, failure) > kMostTemplateBytes) {
    error = "cannot read " + std::string(path) + ": over 1 MB, too large for a template";
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "cannot read " + std::string(path);
    return std::nullopt;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string wide;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    text = Utf16ToUtf8(FoldFullWidth(wide));
  } else if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
    text = bytes.substr(3);
  } else {
    text = bytes;
  }
  auto tpl = ParseTemplateText(text, error);
  if (!tpl) error = std::string(path) + ": " + error;
  return tpl;
}

bool SaveTemplateText(std::string_view path, std::string_view text) { return WriteTextFile(path, text) == 1; }

bool SaveTemplateFile(std::string_view path, const DesignTemplate& tpl) {
  return SaveTemplateText(path, TemplateText(tpl));
}

}  // namespace kestrel
