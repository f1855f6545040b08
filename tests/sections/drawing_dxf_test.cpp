// The DXF file: complete for strict readers, and drawing exactly what the command columns draw.
#include "sections/drawing_dxf.h"

#include <algorithm>
#include <map>
#include <set>

#include "sections/drawing_fixture.h"

namespace kestrel {
namespace {

using Strings = std::vector<std::string>;

struct Tag {
  int code;
  std::string value;
};

// One object of the file: its type (the 0 tag) and the tags up to the next 0 tag.
struct Object {
  std::string type;
  std::vector<Tag> tags;
  std::string First(int code) const {
    for (const Tag& t : tags)
      if (t.code == code) return t.value;
    return "<none>";
  }
  Strings All(int code) const {
    Strings out;
    for (const Tag& t : tags)
      if (t.code == code) out.push_back(t.value);
    return out;
  }
  // The values of one group code after the n-th subclass marker (to tell the two AcDbText
  // parts of a TEXT apart).
  Strings InSubclass(int n, int code) const {
    Strings out;
    int seen = 0;
    for (const Tag& t : tags) {
      if (t.code == 100)
        ++seen;
      else if (seen == n && t.code == code)
        out.push_back(t.value);
    }
    return out;
  }
};

struct DxfFile {
  std::vector<Tag> tags;
  std::vector<Object> objects;                          // every 0 tag starts one, SECTION and ENDSEC included
  std::map<std::string, std::vector<Object>> sections;  // objects of each section, by name
  std::map<std::string, std::string> header;            // variable -> first value
};

DxfFile Parse(const std::string& text) {
  DxfFile file;
  size_t pos = 0;
  auto line = [&]() {
    const size_t end = text.find("\r\n", pos);
    EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
    std::string l = text.substr(pos, end - pos);
    pos = end + 2;
    return l;
  };
  while (pos < text.size()) {
    const std::string code = line();
    const std::string value = line();
    EXPECT_FALSE(code.empty());
    EXPECT_EQ(code.find_first_not_of(" 0123456789"), std::string::npos) << "a group code: " << code;
    file.tags.push_back({std::stoi(code), value});
  }
  for (const Tag& t : file.tags) {
    if (t.code == 0)
      file.objects.push_back({t.value, {}});
    else if (!file.objects.empty())
      file.objects.back().tags.push_back(t);
  }
  std::string section;
  for (const Object& o : file.objects) {
    if (o.type == "SECTION")
      section = o.First(2);
    else if (o.type == "ENDSEC")
      section.clear();
    else if (o.type != "EOF")
      file.sections[section].push_back(o);
  }
  // Header variables: a 9 tag and the value after it.
  for (size_t i = 0; i + 1 < file.tags.size(); ++i) {
    if (file.tags[i].code == 9 && !file.header.count(file.tags[i].value))
      file.header[file.tags[i].value] = file.tags[i + 1].value;
  }
  return file;
}

std::vector<Object> Entities(const DxfFile& file, const std::string& type, const std::string& layer) {
  std::vector<Object> out;
  auto it = file.sections.find("ENTITIES");
  if (it == file.sections.end()) return out;
  for (const Object& o : it->second)
    if (o.type == type && o.First(8) == layer) out.push_back(o);
  return out;
}

// "x,y" of each vertex of an LWPOLYLINE, as written.
Strings Vertices(const Object& polyline) {
  Strings xs = polyline.All(10), ys = polyline.All(20), out;
  EXPECT_EQ(xs.size(), ys.size());
  for (size_t i = 0; i < xs.size(); ++i) out.push_back(xs[i] + "," + ys[i]);
  return out;
}

class DrawingDxfTest : public DrawingFixture {
 protected:
  DxfFile DrawAndParse(std::function<void(FormSet&)> change = {}) {
    plan = Draw(change);
    dxf = DrawingDxf(ShapesOfPlan(plan));
    return Parse(dxf);
  }
  // Each TEXT against its command: both alignment points, height, rotation, justification.
  void ExpectTextAsCommanded(const Object& text, const TextCommandParts& command) {
    SCOPED_TRACE(command.text);
    EXPECT_EQ(text.First(1), command.text);
    EXPECT_EQ(text.First(10), command.x);
    EXPECT_EQ(text.First(20), command.y);
    EXPECT_EQ(text.First(11), command.x);
    EXPECT_EQ(text.First(21), command.y);
    EXPECT_EQ(text.First(40), command.height);
    EXPECT_EQ(text.First(50), command.rotation);
    EXPECT_EQ(text.InSubclass(2, 72), Strings{"1"});  // centre, in the first AcDbText part
    EXPECT_EQ(text.InSubclass(3, 73), Strings{"2"});  // middle, in the second
    EXPECT_EQ(text.First(7), kDrawingTextStyle);
  }
  DrawingPlan plan;
  std::string dxf;
};

TEST_F(DrawingDxfTest, TheWorkedExampleDrawsWhatItsColumnsDraw) {
  WorkedExample();
  const DxfFile file = DrawAndParse();

  const auto lines = Entities(file, "LWPOLYLINE", "KESTREL-SECTIONS");
  const auto columnLines = PolylineColumn();
  ASSERT_EQ(lines.size(), 2u);
  ASSERT_EQ(columnLines.size(), 2u);
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(Vertices(lines[i]), columnLines[i]);
    EXPECT_EQ(lines[i].First(70), "0");
    EXPECT_EQ(lines[i].First(90), std::to_string(columnLines[i].size()));
  }
  EXPECT_EQ(columnLines[0], (Strings{"196,10", "202,12", "206,11"}));

  const auto stations = Entities(file, "TEXT", "KESTREL-STATIONS");
  const Strings stationColumn = ColumnTexts(13);
  ASSERT_EQ(stations.size(), 2u);
  ASSERT_EQ(stationColumn.size(), 2u);
  for (size_t i = 0; i < stations.size(); ++i) ExpectTextAsCommanded(stations[i], SplitTextCommand(stationColumn[i]));
  EXPECT_EQ(stations[1].First(1), "K0+120.000");

  const auto triangles = Entities(file, "LWPOLYLINE", "KESTREL-LEVELS");
  const auto levelTexts = Entities(file, "TEXT", "KESTREL-LEVELS");
  const Strings labelColumn = ColumnTexts(15);
  ASSERT_EQ(labelColumn.size(), 6u);
  ASSERT_EQ(triangles.size(), 6u);
  ASSERT_EQ(levelTexts.size(), 6u);
  for (size_t i = 0; i < labelColumn.size(); ++i) {
    const LabelCellParts cell = SplitLabelCell(labelColumn[i]);
    EXPECT_EQ(Vertices(triangles[i]), cell.triangle);
    EXPECT_EQ(triangles[i].First(70), "1");  // closed, as the command's "c"
    ASSERT_EQ(cell.texts.size(), 1u);
    ExpectTextAsCommanded(levelTexts[i], cell.texts[0]);
  }
  // The digits as the columns write them: 15 significant.
  EXPECT_EQ(triangles[0].All(20)[1], "11.9333333333333");

  // Design-centre points: on the centre line, at the measured centre level, where the centre
  // level label has its tip.
  const auto centres = Entities(file, "POINT", "KESTREL-CENTRES");
  ASSERT_EQ(centres.size(), 2u);
  EXPECT_EQ(centres[0].First(10) + "," + centres[0].First(20), "200,11.3333333333333");
  EXPECT_EQ(centres[0].First(10) + "," + centres[0].First(20), SplitLabelCell(labelColumn[0]).triangle[0]);
  EXPECT_EQ(centres[1].First(10) + "," + centres[1].First(20), "400,21");
}

TEST_F(DrawingDxfTest, TheOffsetFormKeepsTheUnderlineCodeAndBothTexts) {
  WorkedExample();
  const DxfFile file = DrawAndParse([](FormSet& f) {
    f.ComboHeightModel.listIndex = 2;
    f.TextBoxDrawD.checked = true;
    f.TextBoxHeightSize.text = "1.4";
  });
  const Strings labelColumn = ColumnTexts(15);
  const auto triangles = Entities(file, "LWPOLYLINE", "KESTREL-LEVELS");
  const auto texts = Entities(file, "TEXT", "KESTREL-LEVELS");
  ASSERT_EQ(labelColumn.size(), 5u);  // every point
  ASSERT_EQ(triangles.size(), 5u);
  ASSERT_EQ(texts.size(), 10u);
  for (size_t i = 0; i < labelColumn.size(); ++i) {
    const LabelCellParts cell = SplitLabelCell(labelColumn[i]);
    ASSERT_EQ(cell.texts.size(), 2u);
    EXPECT_EQ(Vertices(triangles[i]), cell.triangle);
    ExpectTextAsCommanded(texts[2 * i], cell.texts[0]);
    ExpectTextAsCommanded(texts[2 * i + 1], cell.texts[1]);
    EXPECT_EQ(texts[2 * i].First(1).substr(0, 3), "%%U");
  }
  EXPECT_EQ(texts[0].First(1), "%%U10");
  EXPECT_EQ(texts[1].First(1), "-4");
  EXPECT_EQ(texts[0].First(40), "1.4");
  // Mode 2 has no centre label, yet the centre points are the command's centre column.
  EXPECT_EQ(Entities(file, "POINT", "KESTREL-CENTRES").size(), 2u);
}

TEST_F(DrawingDxfTest, TheFileHasEverythingAStrictReaderNeeds) {
  WorkedExample();
  const DxfFile file = DrawAndParse();
  Strings sections;
  for (size_t i = 0; i + 1 < file.tags.size(); ++i)
    if (file.tags[i].code == 0 && file.tags[i].value == "SECTION") sections.push_back(file.tags[i + 1].value);
  EXPECT_EQ(sections, (Strings{"HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"}));
  EXPECT_EQ(file.tags.back().code, 0);
  EXPECT_EQ(file.tags.back().value, "EOF");
  EXPECT_EQ(file.header.at("$ACADVER"), "AC1021");
  EXPECT_TRUE(file.header.count("$HANDSEED"));

  // Table name -> its records' names.
  std::map<std::string, Strings> tables;
  std::string table;
  for (const Object& o : file.sections.at("TABLES")) {
    if (o.type == "TABLE") {
      table = o.First(2);
      tables[table];
      EXPECT_EQ(o.First(330), "0");
      EXPECT_EQ(o.First(100), "AcDbSymbolTable");
    } else if (o.type != "ENDTAB") {
      EXPECT_EQ(o.type, table);
      tables[table].push_back(o.First(2));
      EXPECT_EQ(o.All(100).at(0), "AcDbSymbolTableRecord");
    }
  }
  EXPECT_EQ(tables.at("VPORT"), Strings{"*ACTIVE"});
  EXPECT_EQ(tables.at("LTYPE"), (Strings{"ByBlock", "ByLayer", "Continuous"}));
  EXPECT_EQ(tables.at("LAYER"),
            (Strings{"0", "KESTREL-SECTIONS", "KESTREL-STATIONS", "KESTREL-CENTRES", "KESTREL-LEVELS", "KESTREL-DESIGN"}));
  EXPECT_EQ(tables.at("STYLE"), (Strings{"Standard", "KESTREL"}));
  EXPECT_TRUE(tables.at("VIEW").empty());
  EXPECT_TRUE(tables.at("UCS").empty());
  EXPECT_EQ(tables.at("APPID"), Strings{"ACAD"});
  EXPECT_EQ(tables.at("DIMSTYLE"), Strings{"Standard"});
  EXPECT_EQ(tables.at("BLOCK_RECORD"), (Strings{"*Model_Space", "*Paper_Space"}));

  // The style of the texts: no fixed height, a TrueType font with the Chinese characters.
  for (const Object& o : file.sections.at("TABLES")) {
    if (o.type == "STYLE" && o.First(2) == "KESTREL") {
      EXPECT_EQ(o.First(40), "0");
      EXPECT_EQ(o.First(3), "simsun.ttc");
    }
  }

  Strings blocks;
  for (const Object& o : file.sections.at("BLOCKS"))
    if (o.type == "BLOCK") blocks.push_back(o.First(2));
  EXPECT_EQ(blocks, (Strings{"*Model_Space", "*Paper_Space"}));

  const Object& root = file.sections.at("OBJECTS").at(0);
  EXPECT_EQ(root.type, "DICTIONARY");
  EXPECT_EQ(root.First(330), "0");
  const Strings entries = root.All(3);
  EXPECT_NE(std::find(entries.begin(), entries.end(), "ACAD_GROUP"), entries.end());
  EXPECT_NE(std::find(entries.begin(), entries.end(), "ACAD_LAYOUT"), entries.end());

  // Every entity and every record has its subclass markers.
  for (const Object& o : file.sections.at("ENTITIES")) {
    const Strings markers = o.All(100);
    ASSERT_FALSE(markers.empty());
    EXPECT_EQ(markers[0], "AcDbEntity");
    const std::string second = o.type == "TEXT" ? "AcDbText" : o.type == "POINT" ? "AcDbPoint" : "AcDbPolyline";
    EXPECT_EQ(markers.at(1), second) << o.type;
  }
}

TEST_F(DrawingDxfTest, HandlesAreUniqueAndEveryPointerFindsItsObject) {
  WorkedExample();
  const DxfFile file = DrawAndParse();
  std::set<std::string> handles;
  unsigned long long largest = 0;
  for (const Object& o : file.objects) {
    if (o.type == "SECTION" || o.type == "ENDSEC" || o.type == "EOF" || o.type == "ENDTAB") continue;
    // In the header, 5 is $HANDSEED's value, not a handle of an object.
    const std::string handle = o.type == "DIMSTYLE" ? o.First(105) : o.First(5);
    ASSERT_NE(handle, "<none>") << o.type;
    EXPECT_TRUE(handles.insert(handle).second) << "handle " << handle << " twice";
    largest = std::max(largest, std::stoull(handle, nullptr, 16));
  }
  EXPECT_GT(std::stoull(file.header.at("$HANDSEED"), nullptr, 16), largest);
  for (const Object& o : file.objects) {
    for (const Tag& t : o.tags) {
      if (t.code == 330 && t.value == "0") continue;
      if (t.code == 330 || t.code == 340 || t.code == 350 || t.code == 331) {
        EXPECT_TRUE(handles.count(t.value)) << o.type << " points at " << t.value << " (" << t.code << ")";
      }
    }
  }
  // The entities belong to model space; their layers and styles exist.
  std::string modelSpace, layers = "|";
  for (const Object& o : file.sections.at("TABLES")) {
    if (o.type == "BLOCK_RECORD" && o.First(2) == "*Model_Space") modelSpace = o.First(5);
    if (o.type == "LAYER") layers += o.First(2) + "|";
  }
  for (const Object& o : file.sections.at("ENTITIES")) {
    EXPECT_EQ(o.First(330), modelSpace);
    EXPECT_NE(layers.find("|" + o.First(8) + "|"), std::string::npos) << o.First(8);
  }
}

TEST_F(DrawingDxfTest, ChineseStationTextsStayIntactInUtf8) {
  WorkedExample();
  Sheet().SetNumberFormat(RangeRef::WholeColumns(6, 6), "\"桩号\"0");
  const DxfFile file = DrawAndParse();
  const auto stations = Entities(file, "TEXT", "KESTREL-STATIONS");
  ASSERT_EQ(stations.size(), 2u);
  EXPECT_EQ(stations[0].First(1), "桩号100");
  EXPECT_EQ(SplitTextCommand(ColumnTexts(13)[0]).text, stations[0].First(1));
  EXPECT_NE(dxf.find("\xE6\xA1\xA9\xE5\x8F\xB7"
                     "100"),
            std::string::npos);  // UTF-8 bytes of 桩号
}

TEST_F(DrawingDxfTest, ASectionOfOnePointDrawsNoLineButKeepsItsLabels) {
  int row = 1;
  Section(row, 100, {{-4, 10}, {2, 12}});
  Section(row, 120, {{5, 20}});
  const DxfFile file = DrawAndParse();
  // Pasted, "397,20" after PLINE and the end of the column make no polyline.
  EXPECT_EQ(Entities(file, "LWPOLYLINE", "KESTREL-SECTIONS").size(), 1u);
  EXPECT_EQ(Entities(file, "TEXT", "KESTREL-STATIONS").size(), 2u);
  // Its two end labels (the same point) are still drawn; it has no centre level, so no centre point.
  EXPECT_EQ(Entities(file, "LWPOLYLINE", "KESTREL-LEVELS").size(), ColumnTexts(15).size());
  EXPECT_EQ(Entities(file, "POINT", "KESTREL-CENTRES").size(), 1u);
}

TEST_F(DrawingDxfTest, CaretsAndLineEndsInTextsCannotBreakTheFile) {
  DrawingShapes shapes;
  shapes.stationLabels.push_back(MakeLabelText(1, 2, "1", "a^b\r\nc"));
  shapes.stationLabels.push_back(MakeLabelText(3, 4, "1", ""));  // nothing to write: TEXT makes nothing
  const DxfFile file = Parse(DrawingDxf(shapes));
  const auto texts = Entities(file, "TEXT", "KESTREL-STATIONS");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].First(1), "a^ b  c");
}

TEST_F(DrawingDxfTest, AnEmptyDrawingIsStillAWholeFile) {
  const DxfFile file = Parse(DrawingDxf(DrawingShapes{}));
  EXPECT_FALSE(file.sections.count("ENTITIES") && !file.sections.at("ENTITIES").empty());
  EXPECT_EQ(file.objects.size() > 0 ? file.objects[0].type : "", "SECTION");
  EXPECT_EQ(file.header.at("$ACADVER"), "AC1021");
  EXPECT_EQ(file.tags.back().value, "EOF");
}

}  // namespace
}  // namespace kestrel
