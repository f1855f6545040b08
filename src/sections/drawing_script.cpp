// DrawingScript: the shapes of a draw-data run as an AutoCAD script.
#include "sections/drawing_script.h"

#include "util/number_text.h"

namespace kestrel {
namespace {

// Commands and options with the prefixes that every language version of AutoCAD reads: "_" for
// the English name, "." for the built-in command even where it was redefined.
class ScriptWriter {
 public:
  void Line(std::string_view text) {
    out_ += text;
    out_ += "\r\n";
  }
  void Point(const PlanePoint& p) { Line(GeneralText(p.x) + "," + GeneralText(p.y)); }
  void Layer(DrawingLayer layer) {
    const std::string name = LayerName(layer);
    // Make (or make current) the layer, give it its colour; the empty line ends -LAYER.
    Line("_.-LAYER _M " + name + " _C " + std::to_string(LayerColourIndex(layer)) + " " + name);
    Line("");
  }
  // The text's command as the columns type it, with the prefixes; the text runs to the end of
  // the line, since TEXT reads blanks as part of the text.
  void Text(const LabelText& text) {
    std::string typed;
    for (char c : text.text) typed += (c == '\r' || c == '\n') ? ' ' : c;
    Line("_.-TEXT _J _MC " + GeneralText(text.x) + "," + GeneralText(text.y) + " " + text.heightText + " 0 " + typed);
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_ = "\xEF\xBB\xBF";
};

}  // namespace

std::string DrawingScript(const DrawingShapes& shapes) {
  ScriptWriter s;
  s.Line("; Kestrel: the sections, station labels, design-centre points and level labels of the draw-data columns.");
  s.Line(
      "; Run it with the SCRIPT command; it restores the object snaps, polyline width, layer and text style it "
      "changes.");
  s.Line(
      "(setq kestrel:osmode (getvar \"OSMODE\") kestrel:plinewid (getvar \"PLINEWID\") "
      "kestrel:clayer (getvar \"CLAYER\") kestrel:textstyle (getvar \"TEXTSTYLE\"))");
  s.Line("_.SETVAR OSMODE 0");
  s.Line("_.SETVAR PLINEWID 0");
  // The font prompt takes blanks as part of the name: the font ends its line. Then height 0,
  // width factor 1, obliquing 0, not backwards, not upside-down.
  s.Line(std::string("_.-STYLE ") + kDrawingTextStyle);
  s.Line(kDrawingFontFile);
  s.Line("0 1 0 _N _N");

  s.Layer(DrawingLayer::Sections);
  for (const auto& line : shapes.sectionLines) {
    s.Line("_.PLINE");
    for (const PlanePoint& p : line) s.Point(p);
    s.Line("");
  }
  s.Layer(DrawingLayer::Stations);
  for (const LabelText& text : shapes.stationLabels) s.Text(text);
  if (!shapes.centrePoints.empty()) {
    s.Layer(DrawingLayer::CentrePoints);
    for (const PlanePoint& p : shapes.centrePoints) s.Line("_.POINT " + GeneralText(p.x) + "," + GeneralText(p.y));
  }
  if (!shapes.levelLabels.empty()) {
    s.Layer(DrawingLayer::LevelLabels);
    for (const LevelLabelShape& label : shapes.levelLabels) {
      s.Line("_.PLINE");
      for (const PlanePoint& p : label.triangle) s.Point(p);
      s.Line("_C");
      for (const LabelText& text : label.texts) s.Text(text);
    }
  }
  if (!shapes.designLines.empty() || !shapes.designLabels.empty()) {
    s.Layer(DrawingLayer::Design);
    for (const auto& line : shapes.designLines) {
      s.Line("_.PLINE");
      for (const PlanePoint& p : line) s.Point(p);
      s.Line("");
    }
    for (const LabelText& text : shapes.designLabels) s.Text(text);
  }

  s.Line("(setvar \"TEXTSTYLE\" kestrel:textstyle)");
  s.Line("(setvar \"CLAYER\" kestrel:clayer)");
  s.Line("(setvar \"PLINEWID\" kestrel:plinewid)");
  s.Line("(setvar \"OSMODE\" kestrel:osmode)");
  return s.Take();
}

}  // namespace kestrel
