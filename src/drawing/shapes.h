// The shapes a drawing is made of (points, texts, level-label triangles, layers) and what is
// measured on them: what the DXF, the script and the preview render, each in its own form.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// A point of the drawing, in drawing units (metres).
struct PlanePoint {
  double x = 0;
  double y = 0;
  friend bool operator==(const PlanePoint&, const PlanePoint&) = default;
};

// One TEXT the commands place: middle-centre at (x, y), rotation 0. The height is kept as the
// command types it, since that text is what a CAD program reads: "1", "0.7", "12." (a height of
// 12.0004 with three decimals).
struct LabelText {
  double x = 0;
  double y = 0;
  std::string heightText;
  double height = 0;  // the number heightText reads as
  std::string text;   // as typed; "%%U" switches the underline on and off
};

// What one label draws: a closed triangle with its tip on the point and its base 0.6h above it
// (h = height / 0.7), then the level 1.05h above the point; with offsets, the level underlined
// 2h above the point and the offset 1.05h above it, so that the underline parts the two.
struct LevelLabelShape {
  std::array<PlanePoint, 3> triangle;  // tip, upper right, upper left
  std::vector<LabelText> texts;        // the level; or the underlined level, then the offset
};

// The layers of a drawing, one per command column, and the design sections' own.
enum class DrawingLayer { Sections, Stations, CentrePoints, LevelLabels, Design };
constexpr DrawingLayer kDrawingLayers[] = {DrawingLayer::Sections, DrawingLayer::Stations, DrawingLayer::CentrePoints,
                                           DrawingLayer::LevelLabels, DrawingLayer::Design};
// "KESTREL-SECTIONS", "KESTREL-STATIONS", "KESTREL-CENTRES", "KESTREL-LEVELS", "KESTREL-DESIGN".
const char* LayerName(DrawingLayer layer);
// The layer's colour as an AutoCAD colour index: white, green, magenta, red, blue (each reads
// on a dark and on a light background).
int LayerColourIndex(DrawingLayer layer);

// The name of the text style the drawings use: height 0 (each TEXT gives its own) and a
// TrueType font with the Chinese characters, so that any station text shows.
inline constexpr const char* kDrawingTextStyle = "KESTREL";
inline constexpr const char* kDrawingFontFile = "simsun.ttc";

struct DrawingShapes {
  // The polyline column: one line per section, its points from left to right. A section of
  // one point draws nothing (a PLINE given one point makes no object) and has no line here.
  std::vector<std::vector<PlanePoint>> sectionLines;
  // The station label column, one per section.
  std::vector<LabelText> stationLabels;
  // The design-centre column. The design level is unknown until the user types it, so each
  // section whose ground level at offset 0 was measured gets its point there: on the centre
  // line at the measured centre level, the point the user moves up or down to the design
  // level (the tip of the centre level label, when there is one). Sections whose centre level
  // could not be found (0, the level column left empty) get none.
  std::vector<PlanePoint> centrePoints;
  // The level label column, in the order the labels were produced.
  std::vector<LevelLabelShape> levelLabels;
  // The design sections, when a design run's results are at hand: each design line from its
  // left daylight point to its right one, and the area texts beside its section.
  std::vector<std::vector<PlanePoint>> designLines;
  std::vector<LabelText> designLabels;
  // Size of a centre point's marker: the level text height.
  double markerSize = 0.7;
};

// A drawing's bounding box; empty when there is nothing to draw.
struct DrawingExtents {
  bool empty = true;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  void Add(double x, double y);
  double Width() const { return maxX - minX; }
  double Height() const { return maxY - minY; }
};

// The width a text takes in drawing units, for a text of that height.
using TextWidth = std::function<double(const LabelText&)>;
// A width from the characters alone (Latin about 0.8 of the height, CJK about 1.0), for when
// no font is at hand.
double EstimatedTextWidth(const LabelText& text);
// Everything drawn, texts as their middle-centre boxes.
DrawingExtents ExtentsOf(const DrawingShapes& shapes, const TextWidth& textWidth = EstimatedTextWidth);

// A TEXT's characters as they show, with where the underline runs: AutoCAD's %%U/%%u switch
// it, %%d, %%p, %%c give the degree, plus-minus and diameter signs, %%% a percent sign.
struct ShownRun {
  std::string text;  // UTF-8
  bool underlined = false;
};
// "%%U11.333" -> {{"11.333", underlined}}; "K0+100.000" -> {{"K0+100.000"}}.
std::vector<ShownRun> ShownTextOf(std::string_view typed);

}  // namespace kestrel
