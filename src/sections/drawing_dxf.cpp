// DrawingDxf: the shapes of a draw-data run as an AC1021 DXF file.
#include "sections/drawing_dxf.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "util/number_text.h"

namespace kestrel {
namespace {

// Group codes and values, one per line; codes right-aligned in three places as AutoCAD writes.
class TagWriter {
 public:
  void Tag(int code, std::string_view value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%3d", code);
    out_ += buffer;
    out_ += "\r\n";
    out_ += value;
    out_ += "\r\n";
  }
  void Int(int code, long long value) { Tag(code, std::to_string(value)); }
  // The numbers as the command columns type them.
  void Real(int code, double value) { Tag(code, GeneralText(value)); }
  // A point or vector: x, y (and z) under the code and the code plus 10 (and 20).
  void Point(int code, double x, double y) { Point(code, x, y, 0); }
  void Point(int code, double x, double y, double z) {
    Real(code, x);
    Real(code + 10, y);
    Real(code + 20, z);
  }
  void Point2(int code, double x, double y) {
    Real(code, x);
    Real(code + 10, y);
  }
  void Append(const TagWriter& other) { out_ += other.out_; }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

// Handles: upper-case hexadecimal, from 1 up, each given out once.
class Handles {
 public:
  std::string Next() { return Hex(next_++); }
  // The first handle not given out: $HANDSEED.
  std::string Seed() const { return Hex(next_); }

 private:
  static std::string Hex(unsigned long long value) {
    std::string digits;
    do {
      digits.insert(digits.begin(), "0123456789ABCDEF"[value % 16]);
      value /= 16;
    } while (value != 0);
    return digits;
  }
  unsigned long long next_ = 1;
};

// A text value: a DXF line cannot hold a line end, and a caret starts a control character, so
// a caret of the text is written as "^ ".
std::string DxfText(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\r' || c == '\n')
      out += ' ';
    else if (c == '^')
      out += "^ ";
    else
      out += c;
  }
  return out;
}

// Handles of everything that is not an entity, fixed before anything is written since the
// structure points forwards (a block record to its layout, the root dictionary to its entries).
struct Structure {
  explicit Structure(Handles& h)
      : vportTable(h.Next()),
        ltypeTable(h.Next()),
        layerTable(h.Next()),
        styleTable(h.Next()),
        viewTable(h.Next()),
        ucsTable(h.Next()),
        appidTable(h.Next()),
        dimstyleTable(h.Next()),
        blockRecordTable(h.Next()),
        vportActive(h.Next()),
        ltypeByBlock(h.Next()),
        ltypeByLayer(h.Next()),
        ltypeContinuous(h.Next()),
        layerZero(h.Next()),
        styleStandard(h.Next()),
        styleDrawing(h.Next()),
        appidAcad(h.Next()),
        dimstyleStandard(h.Next()),
        modelRecord(h.Next()),
        paperRecord(h.Next()),
        modelBlock(h.Next()),
        modelBlockEnd(h.Next()),
        paperBlock(h.Next()),
        paperBlockEnd(h.Next()),
        rootDictionary(h.Next()),
        groupDictionary(h.Next()),
        layoutDictionary(h.Next()),
        modelLayout(h.Next()),
        paperLayout(h.Next()) {
    for (std::string& layer : layers) layer = h.Next();
  }
  std::string vportTable, ltypeTable, layerTable, styleTable, viewTable, ucsTable, appidTable, dimstyleTable,
      blockRecordTable, vportActive, ltypeByBlock, ltypeByLayer, ltypeContinuous, layerZero, styleStandard,
      styleDrawing, appidAcad, dimstyleStandard, modelRecord, paperRecord, modelBlock, modelBlockEnd, paperBlock,
      paperBlockEnd, rootDictionary, groupDictionary, layoutDictionary, modelLayout, paperLayout;
  std::string layers[std::size(kDrawingLayers)];
};

class EntityWriter {
 public:
  EntityWriter(TagWriter& out, Handles& handles, const std::string& owner)
      : out_(out), handles_(handles), owner_(owner) {}

  void Polyline(DrawingLayer layer, const PlanePoint* points, size_t count, bool closed) {
    Start("LWPOLYLINE", layer);
    out_.Tag(100, "AcDbPolyline");
    out_.Int(90, static_cast<long long>(count));
    out_.Int(70, closed ? 1 : 0);
    out_.Real(43, 0);
    for (size_t i = 0; i < count; ++i) {
      out_.Real(10, points[i].x);
      out_.Real(20, points[i].y);
    }
  }
  // Middle-centre: AutoCAD places a justified text by its second alignment point and works out
  // the first; both are written, the same, so that readers that take either agree.
  void Text(DrawingLayer layer, const LabelText& text) {
    if (text.text.empty()) return;  // TEXT given no text makes no object
    Start("TEXT", layer);
    out_.Tag(100, "AcDbText");
    out_.Point(10, text.x, text.y);
    out_.Real(40, text.height);
    out_.Tag(1, DxfText(text.text));
    out_.Real(50, 0);
    out_.Real(41, 1);
    out_.Tag(7, kDrawingTextStyle);
    out_.Int(72, 1);
    out_.Point(11, text.x, text.y);
    out_.Tag(100, "AcDbText");
    out_.Int(73, 2);
  }
  void Point(DrawingLayer layer, const PlanePoint& p) {
    Start("POINT", layer);
    out_.Tag(100, "AcDbPoint");
    out_.Point(10, p.x, p.y);
  }

 private:
  void Start(const char* type, DrawingLayer layer) {
    out_.Tag(0, type);
    out_.Tag(5, handles_.Next());
    out_.Tag(330, owner_);
    out_.Tag(100, "AcDbEntity");
    out_.Tag(8, LayerName(layer));
  }
  TagWriter& out_;
  Handles& handles_;
  const std::string& owner_;
};

// Where a CAD program opens the drawing: all of it in a window of about 16:10.
struct View {
  double centreX = 0, centreY = 0, height = 1;
  static constexpr double kAspect = 1.6;
};

View ViewOf(const DrawingExtents& e) {
  if (e.empty) return {};
  const double height = std::max({e.Height(), e.Width() / View::kAspect, 1e-3}) * 1.1;
  return {(e.minX + e.maxX) / 2, (e.minY + e.maxY) / 2, height};
}

void HeaderVariable(TagWriter& out, const char* name) { out.Tag(9, name); }

void Header(TagWriter& out, const DrawingShapes& shapes, const DrawingExtents& e, const std::string& seed) {
  out.Tag(0, "SECTION");
  out.Tag(2, "HEADER");
  HeaderVariable(out, "$ACADVER");
  out.Tag(1, "AC1021");
  // Only read when the drawing is saved in a release before 2007: the Chinese code page.
  HeaderVariable(out, "$DWGCODEPAGE");
  out.Tag(3, "ANSI_936");
  HeaderVariable(out, "$INSBASE");
  out.Point(10, 0, 0);
  HeaderVariable(out, "$EXTMIN");
  out.Point(10, e.empty ? 0 : e.minX, e.empty ? 0 : e.minY);
  HeaderVariable(out, "$EXTMAX");
  out.Point(10, e.empty ? 0 : e.maxX, e.empty ? 0 : e.maxY);
  HeaderVariable(out, "$LIMMIN");
  out.Real(10, e.empty ? 0 : e.minX);
  out.Real(20, e.empty ? 0 : e.minY);
  HeaderVariable(out, "$LIMMAX");
  out.Real(10, e.empty ? 420 : e.maxX);
  out.Real(20, e.empty ? 297 : e.maxY);
  HeaderVariable(out, "$CLAYER");
  out.Tag(8, "0");
  HeaderVariable(out, "$CELTYPE");
  out.Tag(6, "ByLayer");
  HeaderVariable(out, "$TEXTSTYLE");
  out.Tag(7, kDrawingTextStyle);
  HeaderVariable(out, "$TEXTSIZE");
  out.Real(40, shapes.markerSize);
  HeaderVariable(out, "$PDMODE");
  out.Int(70, 35);
  HeaderVariable(out, "$PDSIZE");
  out.Real(40, shapes.markerSize);
  HeaderVariable(out, "$LUNITS");
  out.Int(70, 2);
  HeaderVariable(out, "$LUPREC");
  out.Int(70, 3);
  HeaderVariable(out, "$MEASUREMENT");
  out.Int(70, 1);
  // Unitless, though one unit is one metre: the pasted columns carry no unit either, and a
  // drawing with units is scaled when its objects are pasted into one with other units.
  HeaderVariable(out, "$INSUNITS");
  out.Int(70, 0);
  HeaderVariable(out, "$HANDSEED");
  out.Tag(5, seed);
  out.Tag(0, "ENDSEC");
}

void TableStart(TagWriter& out, const char* name, const std::string& handle, int count) {
  out.Tag(0, "TABLE");
  out.Tag(2, name);
  out.Tag(5, handle);
  out.Tag(330, "0");
  out.Tag(100, "AcDbSymbolTable");
  out.Int(70, count);
}

void RecordStart(TagWriter& out, const char* type, const std::string& handle, const std::string& table,
                 const char* subclass) {
  out.Tag(0, type);
  out.Tag(5, handle);
  out.Tag(330, table);
  out.Tag(100, "AcDbSymbolTableRecord");
  out.Tag(100, subclass);
}

void LineType(TagWriter& out, const Structure& s, const std::string& handle, const char* name, const char* text) {
  RecordStart(out, "LTYPE", handle, s.ltypeTable, "AcDbLinetypeTableRecord");
  out.Tag(2, name);
  out.Int(70, 0);
  out.Tag(3, text);
  out.Int(72, 65);
  out.Int(73, 0);
  out.Real(40, 0);
}

void Layer(TagWriter& out, const Structure& s, const std::string& handle, const char* name, int colour) {
  RecordStart(out, "LAYER", handle, s.layerTable, "AcDbLayerTableRecord");
  out.Tag(2, name);
  out.Int(70, 0);
  out.Int(62, colour);
  out.Tag(6, "Continuous");
  out.Int(290, 1);
  out.Int(370, -3);
}

void TextStyle(TagWriter& out, const Structure& s, const std::string& handle, const char* name, const char* font) {
  RecordStart(out, "STYLE", handle, s.styleTable, "AcDbTextStyleTableRecord");
  out.Tag(2, name);
  out.Int(70, 0);
  out.Real(40, 0);  // no fixed height: TEXT asks for it, each entity carries its own
  out.Real(41, 1);
  out.Real(50, 0);
  out.Int(71, 0);
  out.Real(42, 2.5);
  out.Tag(3, font);
  out.Tag(4, "");
}

void Tables(TagWriter& out, const Structure& s, const View& view) {
  out.Tag(0, "SECTION");
  out.Tag(2, "TABLES");

  TableStart(out, "VPORT", s.vportTable, 1);
  RecordStart(out, "VPORT", s.vportActive, s.vportTable, "AcDbViewportTableRecord");
  out.Tag(2, "*ACTIVE");
  out.Int(70, 0);
  out.Point2(10, 0, 0);
  out.Point2(11, 1, 1);
  out.Point2(12, view.centreX, view.centreY);
  out.Point2(13, 0, 0);
  out.Point2(14, 1, 1);
  out.Point2(15, 10, 10);
  out.Point(16, 0, 0, 1);
  out.Point(17, 0, 0, 0);
  out.Real(40, view.height);
  out.Real(41, View::kAspect);
  out.Real(42, 50);
  out.Real(43, 0);
  out.Real(44, 0);
  out.Real(50, 0);
  out.Real(51, 0);
  out.Int(71, 0);
  out.Int(72, 1000);
  out.Int(73, 1);
  out.Int(74, 3);
  out.Int(75, 0);
  out.Int(76, 0);
  out.Int(77, 0);
  out.Int(78, 0);
  out.Int(281, 0);
  out.Int(65, 1);
  out.Point(110, 0, 0);
  out.Point(111, 1, 0, 0);
  out.Point(112, 0, 1, 0);
  out.Int(79, 0);
  out.Real(146, 0);
  out.Tag(0, "ENDTAB");

  TableStart(out, "LTYPE", s.ltypeTable, 3);
  LineType(out, s, s.ltypeByBlock, "ByBlock", "");
  LineType(out, s, s.ltypeByLayer, "ByLayer", "");
  LineType(out, s, s.ltypeContinuous, "Continuous", "Solid line");
  out.Tag(0, "ENDTAB");

  TableStart(out, "LAYER", s.layerTable, 1 + static_cast<int>(std::size(kDrawingLayers)));
  Layer(out, s, s.layerZero, "0", 7);
  for (size_t i = 0; i < std::size(kDrawingLayers); ++i) {
    Layer(out, s, s.layers[i], LayerName(kDrawingLayers[i]), LayerColourIndex(kDrawingLayers[i]));
  }
  out.Tag(0, "ENDTAB");

  TableStart(out, "STYLE", s.styleTable, 2);
  TextStyle(out, s, s.styleStandard, "Standard", "txt");
  TextStyle(out, s, s.styleDrawing, kDrawingTextStyle, kDrawingFontFile);
  out.Tag(0, "ENDTAB");

  TableStart(out, "VIEW", s.viewTable, 0);
  out.Tag(0, "ENDTAB");
  TableStart(out, "UCS", s.ucsTable, 0);
  out.Tag(0, "ENDTAB");

  TableStart(out, "APPID", s.appidTable, 1);
  RecordStart(out, "APPID", s.appidAcad, s.appidTable, "AcDbRegAppTableRecord");
  out.Tag(2, "ACAD");
  out.Int(70, 0);
  out.Tag(0, "ENDTAB");

  TableStart(out, "DIMSTYLE", s.dimstyleTable, 1);
  out.Tag(100, "AcDbDimStyleTable");
  out.Int(71, 0);
  // Dimension styles carry their handle in group 105.
  out.Tag(0, "DIMSTYLE");
  out.Tag(105, s.dimstyleStandard);
  out.Tag(330, s.dimstyleTable);
  out.Tag(100, "AcDbSymbolTableRecord");
  out.Tag(100, "AcDbDimStyleTableRecord");
  out.Tag(2, "Standard");
  out.Int(70, 0);
  out.Tag(340, s.styleStandard);
  out.Tag(0, "ENDTAB");

  TableStart(out, "BLOCK_RECORD", s.blockRecordTable, 2);
  RecordStart(out, "BLOCK_RECORD", s.modelRecord, s.blockRecordTable, "AcDbBlockTableRecord");
  out.Tag(2, "*Model_Space");
  out.Tag(340, s.modelLayout);
  out.Int(70, 0);  // unitless, as $INSUNITS
  out.Int(280, 1);
  out.Int(281, 0);
  RecordStart(out, "BLOCK_RECORD", s.paperRecord, s.blockRecordTable, "AcDbBlockTableRecord");
  out.Tag(2, "*Paper_Space");
  out.Tag(340, s.paperLayout);
  out.Int(70, 0);
  out.Int(280, 1);
  out.Int(281, 0);
  out.Tag(0, "ENDTAB");

  out.Tag(0, "ENDSEC");
}

void Block(TagWriter& out, const std::string& handle, const std::string& endHandle, const std::string& record,
           const char* name, bool paper) {
  out.Tag(0, "BLOCK");
  out.Tag(5, handle);
  out.Tag(330, record);
  out.Tag(100, "AcDbEntity");
  if (paper) out.Int(67, 1);
  out.Tag(8, "0");
  out.Tag(100, "AcDbBlockBegin");
  out.Tag(2, name);
  out.Int(70, 0);
  out.Point(10, 0, 0);
  out.Tag(3, name);
  out.Tag(1, "");
  out.Tag(0, "ENDBLK");
  out.Tag(5, endHandle);
  out.Tag(330, record);
  out.Tag(100, "AcDbEntity");
  if (paper) out.Int(67, 1);
  out.Tag(8, "0");
  out.Tag(100, "AcDbBlockEnd");
}

void Dictionary(TagWriter& out, const std::string& handle, const std::string& owner,
                std::initializer_list<std::pair<const char*, const std::string*>> entries) {
  out.Tag(0, "DICTIONARY");
  out.Tag(5, handle);
  out.Tag(330, owner);
  out.Tag(100, "AcDbDictionary");
  out.Int(281, 1);
  for (const auto& [name, entry] : entries) {
    out.Tag(3, name);
    out.Tag(350, *entry);
  }
}

// A layout with plain plot settings (no device, A3 landscape in millimetres).
void Layout(TagWriter& out, const Structure& s, const std::string& handle, const char* name, int tab,
            const std::string& record, const DrawingExtents& e, const std::string* viewport) {
  out.Tag(0, "LAYOUT");
  out.Tag(5, handle);
  out.Tag(330, s.layoutDictionary);
  out.Tag(100, "AcDbPlotSettings");
  out.Tag(1, "");
  out.Tag(2, "none_device");
  out.Tag(4, "ISO_A3_(420.00_x_297.00_MM)");
  out.Tag(6, "");
  for (int code : {40, 41, 42, 43}) out.Real(code, 7.5);
  out.Real(44, 420);  // paper width and height
  out.Real(45, 297);
  for (int code : {46, 47, 48, 49, 140, 141}) out.Real(code, 0);
  out.Real(142, 1);  // plot scale 1:1
  out.Real(143, 1);
  out.Int(70, 688);
  out.Int(72, 1);
  out.Int(73, 0);
  out.Int(74, 5);
  out.Tag(7, "");
  out.Int(75, 16);
  out.Real(147, 1);
  out.Real(148, 0);
  out.Real(149, 0);
  out.Tag(100, "AcDbLayout");
  out.Tag(1, name);
  out.Int(70, 1);
  out.Int(71, tab);
  out.Point2(10, 0, 0);
  out.Point2(11, 420, 297);
  out.Point(12, 0, 0);
  out.Point(14, e.empty ? 0 : e.minX, e.empty ? 0 : e.minY);
  out.Point(15, e.empty ? 0 : e.maxX, e.empty ? 0 : e.maxY);
  out.Real(146, 0);
  out.Point(13, 0, 0);
  out.Point(16, 1, 0, 0);
  out.Point(17, 0, 1, 0);
  out.Int(76, 0);
  out.Tag(330, record);
  if (viewport) out.Tag(331, *viewport);
}

void Objects(TagWriter& out, const Structure& s, const DrawingExtents& e) {
  out.Tag(0, "SECTION");
  out.Tag(2, "OBJECTS");
  Dictionary(out, s.rootDictionary, "0", {{"ACAD_GROUP", &s.groupDictionary}, {"ACAD_LAYOUT", &s.layoutDictionary}});
  Dictionary(out, s.groupDictionary, s.rootDictionary, {});
  Dictionary(out, s.layoutDictionary, s.rootDictionary, {{"Layout1", &s.paperLayout}, {"Model", &s.modelLayout}});
  Layout(out, s, s.modelLayout, "Model", 0, s.modelRecord, e, &s.vportActive);
  Layout(out, s, s.paperLayout, "Layout1", 1, s.paperRecord, DrawingExtents{}, nullptr);
  out.Tag(0, "ENDSEC");
}

}  // namespace

std::string DrawingDxf(const DrawingShapes& shapes) {
  Handles handles;
  const Structure structure(handles);
  const DrawingExtents extents = ExtentsOf(shapes);

  // The entities first: they take the handles up to $HANDSEED. In the order the columns are
  // pasted: section lines, station labels, centre points, level labels; then the design lines.
  TagWriter entities;
  EntityWriter draw(entities, handles, structure.modelRecord);
  for (const auto& line : shapes.sectionLines) draw.Polyline(DrawingLayer::Sections, line.data(), line.size(), false);
  for (const LabelText& text : shapes.stationLabels) draw.Text(DrawingLayer::Stations, text);
  for (const PlanePoint& p : shapes.centrePoints) draw.Point(DrawingLayer::CentrePoints, p);
  for (const LevelLabelShape& label : shapes.levelLabels) {
    draw.Polyline(DrawingLayer::LevelLabels, label.triangle.data(), label.triangle.size(), true);
    for (const LabelText& text : label.texts) draw.Text(DrawingLayer::LevelLabels, text);
  }
  for (const auto& line : shapes.designLines) draw.Polyline(DrawingLayer::Design, line.data(), line.size(), false);
  for (const LabelText& text : shapes.designLabels) draw.Text(DrawingLayer::Design, text);

  TagWriter out;
  Header(out, shapes, extents, handles.Seed());
  out.Tag(0, "SECTION");
  out.Tag(2, "CLASSES");
  out.Tag(0, "ENDSEC");
  Tables(out, structure, ViewOf(extents));
  out.Tag(0, "SECTION");
  out.Tag(2, "BLOCKS");
  Block(out, structure.modelBlock, structure.modelBlockEnd, structure.modelRecord, "*Model_Space", false);
  Block(out, structure.paperBlock, structure.paperBlockEnd, structure.paperRecord, "*Paper_Space", true);
  out.Tag(0, "ENDSEC");
  out.Tag(0, "SECTION");
  out.Tag(2, "ENTITIES");
  out.Append(entities);
  out.Tag(0, "ENDSEC");
  Objects(out, structure, extents);
  out.Tag(0, "EOF");
  return out.Take();
}

}  // namespace kestrel
