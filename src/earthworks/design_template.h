// The road template of the design sections: its values per side and its plain-text file (.tpl).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

inline constexpr std::string_view kTemplateMagic = "KestrelFile2.0-TPL";

// One stage of a side slope: 1:Ratio (horizontal metres per metre of height, 0 for a vertical
// face) over Height metres; Height 0 on the last stage means "until the ground".
struct SlopeStage {
  double Ratio = 1.5;
  double Height = 0;
  friend bool operator==(const SlopeStage&, const SlopeStage&) = default;
};

// The ditch at the foot of a cut: inner face 1:InnerRatio down Depth from the shoulder edge, a
// flat bottom BottomWidth wide, outer face 1:OuterRatio back up Depth. Depth 0: no ditch.
struct DitchShape {
  double BottomWidth = 0;
  double Depth = 0;
  double InnerRatio = 1;
  double OuterRatio = 1;
  friend bool operator==(const DitchShape&, const DitchShape&) = default;
};

// One side of the road, outwards from the centre line. Slopes in per cent, positive rising away
// from the centre line (a normal crown is -2); widths, heights and depths in metres.
struct SideTemplate {
  double HalfWidth = 3.75;    // carriageway, centre line to its edge
  double CrossSlope = -2;     // used when no cross-slope file is given
  double ShoulderWidth = 0.75;
  double ShoulderSlope = -4;
  std::vector<SlopeStage> FillStages{{1.5, 0}};  // from the shoulder edge downwards
  double FillBermWidth = 1;   // between two fill stages
  double FillBermSlope = 0;   // per cent, positive rising away from the road
  DitchShape Ditch;
  std::vector<SlopeStage> CutStages{{1, 0}};  // from the ditch's outer top edge upwards
  double CutBermWidth = 1;
  double CutBermSlope = 0;
  friend bool operator==(const SideTemplate&, const SideTemplate&) = default;
};

// Where the areas are measured: to the finished road surface or to the subgrade (the surface
// lowered by the pavement thickness between the shoulder edges).
enum class AreaSurface { Finished, Subgrade };

struct DesignTemplate {
  SideTemplate Left;
  SideTemplate Right;
  double PavementThickness = 0;  // metres
  AreaSurface AreasTo = AreaSurface::Finished;
  double StripDepth = 0;  // topsoil stripped under the whole footprint, metres; 0: none
  int SlopeModel = 1;     // how .hp values are interpolated: 1 linear, 3 cubic
  friend bool operator==(const DesignTemplate&, const DesignTemplate&) = default;
};

// The file's text: the magic line, then "key = value" lines; "#" starts a comment; a key applies
// to both sides unless written "left.key" or "right.key". Keys (see TemplateExampleText):
//   half_width, cross_slope, shoulder_width, shoulder_slope,
//   fill_slopes (stages "1.5x8, 1.75x8, 2": ratio x height, the last without height),
//   fill_berm_width, fill_berm_slope, cut_slopes, cut_berm_width, cut_berm_slope,
//   ditch (bottom width, depth, inner ratio, outer ratio: "0.6, 0.6, 1, 1"),
//   pavement_thickness, areas_to (finished | subgrade), strip_depth, slope_model (1 | 3)
std::string TemplateText(const DesignTemplate& tpl);
// The example `kestrel template` writes: every key, commented.
std::string TemplateExampleText();

// Reads a template from its text (magic line first). On failure returns nothing and says why in
// error ("line 7: fill_slopes: ..."), one line.
std::optional<DesignTemplate> ParseTemplateText(std::string_view text, std::string& error);
// From a file in UTF-16LE with FF FE or in UTF-8 (with or without EF BB BF).
std::optional<DesignTemplate> LoadTemplateFile(std::string_view path, std::string& error);
// Saves as UTF-16LE with FF FE and CR LF line ends, atomically; false on a write error.
bool SaveTemplateFile(std::string_view path, const DesignTemplate& tpl);
bool SaveTemplateText(std::string_view path, std::string_view text);

}  // namespace kestrel
