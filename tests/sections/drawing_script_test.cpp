// The AutoCAD script: the command columns' commands, one per line, between saving and restoring
// the settings they depend on.
#include "sections/drawing_script.h"

#include <algorithm>

#include "sections/drawing_fixture.h"

namespace kestrel {
namespace {

using Strings = std::vector<std::string>;

class DrawingScriptTest : public DrawingFixture {
 protected:
  // The script's lines, after checking the byte-order mark and that every line ends in CR LF.
  Strings DrawAndSplit(std::function<void(FormSet&)> change = {}) {
    return SplitScript(DrawingScript(ShapesOfPlan(Draw(change))));
  }
  static Strings SplitScript(const std::string& script) {
    EXPECT_EQ(script.substr(0, 3), "\xEF\xBB\xBF");
    Strings lines;
    size_t pos = 3;
    while (pos < script.size()) {
      const size_t end = script.find("\r\n", pos);
      EXPECT_NE(end, std::string::npos) << "the last line ends with CR LF too";
      if (end == std::string::npos) break;
      lines.push_back(script.substr(pos, end - pos));
      EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos);
      pos = end + 2;
    }
    return lines;
  }
  static size_t IndexOf(const Strings& lines, const std::string& line) {
    return static_cast<size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
  }
  // A TEXT line of the script against the column's TEXT command.
  static void ExpectSameText(const std::string& line, const TextCommandParts& command) {
    const std::string prefix = "_.-TEXT _J _MC ";
    ASSERT_EQ(line.substr(0, prefix.size()), prefix) << line;
    EXPECT_EQ(line.substr(prefix.size()),
              command.x + "," + command.y + " " + command.height + " " + command.rotation + " " + command.text);
  }
};

TEST_F(DrawingScriptTest, TheWorkedExampleRunsTheColumnsCommands) {
  WorkedExample();
  const Strings lines = DrawAndSplit();
  size_t at = IndexOf(lines, "_.-LAYER _M KESTREL-SECTIONS _C 7 KESTREL-SECTIONS");
  ASSERT_LT(at, lines.size());
  EXPECT_EQ(lines[++at], "");  // ends -LAYER

  // Column I: each polyline a PLINE with its points one per line, ended by an empty line.
  for (const Strings& polyline : PolylineColumn()) {
    ASSERT_EQ(lines.at(++at), "_.PLINE");
    for (const std::string& point : polyline) EXPECT_EQ(lines.at(++at), point);
    EXPECT_EQ(lines.at(++at), "");
  }
  EXPECT_EQ(lines.at(++at), "_.-LAYER _M KESTREL-STATIONS _C 3 KESTREL-STATIONS");
  EXPECT_EQ(lines.at(++at), "");
  for (const std::string& command : ColumnTexts(13)) ExpectSameText(lines.at(++at), SplitTextCommand(command));

  EXPECT_EQ(lines.at(++at), "_.-LAYER _M KESTREL-CENTRES _C 6 KESTREL-CENTRES");
  EXPECT_EQ(lines.at(++at), "");
  EXPECT_EQ(lines.at(++at), "_.POINT 200,11.3333333333333");
  EXPECT_EQ(lines.at(++at), "_.POINT 400,21");

  EXPECT_EQ(lines.at(++at), "_.-LAYER _M KESTREL-LEVELS _C 1 KESTREL-LEVELS");
  EXPECT_EQ(lines.at(++at), "");
  const Strings labels = ColumnTexts(15);
  ASSERT_EQ(labels.size(), 6u);
  for (const std::string& cell : labels) {
    const LabelCellParts parts = SplitLabelCell(cell);
    EXPECT_EQ(lines.at(++at), "_.PLINE");
    for (const std::string& point : parts.triangle) EXPECT_EQ(lines.at(++at), point);
    EXPECT_EQ(lines.at(++at), "_C");  // the command's "c": closed, and PLINE ends
    for (const TextCommandParts& text : parts.texts) ExpectSameText(lines.at(++at), text);
  }
  // Then only the restoring lines remain.
  EXPECT_EQ(lines.size() - at - 1, 4u);
}

TEST_F(DrawingScriptTest, ObjectSnapsAreOffWhileDrawingAndRestoredAtTheEnd) {
  WorkedExample();
  const Strings lines = DrawAndSplit();
  const size_t keep = IndexOf(lines,
                              "(setq kestrel:osmode (getvar \"OSMODE\") kestrel:plinewid (getvar \"PLINEWID\") "
                              "kestrel:clayer (getvar \"CLAYER\") kestrel:textstyle (getvar \"TEXTSTYLE\"))");
  const size_t off = IndexOf(lines, "_.SETVAR OSMODE 0");
  const size_t firstDrawing = IndexOf(lines, "_.PLINE");
  ASSERT_LT(firstDrawing, lines.size());
  EXPECT_LT(keep, off);
  EXPECT_LT(off, firstDrawing);
  EXPECT_LT(IndexOf(lines, "_.SETVAR PLINEWID 0"), firstDrawing);
  EXPECT_EQ(lines.back(), "(setvar \"OSMODE\" kestrel:osmode)");
  const Strings tail(lines.end() - 4, lines.end());
  EXPECT_EQ(tail, (Strings{"(setvar \"TEXTSTYLE\" kestrel:textstyle)", "(setvar \"CLAYER\" kestrel:clayer)",
                           "(setvar \"PLINEWID\" kestrel:plinewid)", "(setvar \"OSMODE\" kestrel:osmode)"}));
  // Nothing but comments before the first command.
  for (size_t i = 0; i < keep; ++i) EXPECT_EQ(lines[i].substr(0, 1), ";");
}

TEST_F(DrawingScriptTest, TextsNeverMeetAFixedHeightStyle) {
  WorkedExample();
  const Strings lines = DrawAndSplit();
  // The style is made current with height 0 before the first TEXT; its font name ends its line,
  // since that prompt reads blanks as part of the name.
  const size_t style = IndexOf(lines, "_.-STYLE KESTREL");
  ASSERT_LT(style + 2, lines.size());
  EXPECT_EQ(lines[style + 1], "simsun.ttc");
  EXPECT_EQ(lines[style + 2], "0 1 0 _N _N");
  const auto firstText =
      std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("_.-TEXT"); });
  ASSERT_NE(firstText, lines.end());
  EXPECT_LT(style, static_cast<size_t>(firstText - lines.begin()));
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("_.-TEXT"); }),
            8);
}

TEST_F(DrawingScriptTest, TheOffsetFormBecomesTwoTextLines) {
  WorkedExample();
  const Strings lines = DrawAndSplit([](FormSet& f) {
    f.ComboHeightModel.listIndex = 0;
    f.TextBoxDrawD.checked = true;
  });
  const Strings labels = ColumnTexts(15);
  ASSERT_EQ(labels.size(), 2u);  // the two centre labels
  size_t at = IndexOf(lines, "_.-LAYER _M KESTREL-LEVELS _C 1 KESTREL-LEVELS") + 1;
  for (const std::string& cell : labels) {
    const LabelCellParts parts = SplitLabelCell(cell);
    ASSERT_EQ(parts.texts.size(), 2u);
    at += 5;  // PLINE, three points, close
    ExpectSameText(lines.at(++at), parts.texts[0]);
    ExpectSameText(lines.at(++at), parts.texts[1]);
  }
  EXPECT_EQ(lines.at(IndexOf(lines, "_.-LAYER _M KESTREL-LEVELS _C 1 KESTREL-LEVELS") + 7),
            "_.-TEXT _J _MC 200,13.3333333333333 0.7 0 %%U11.333");
}

TEST_F(DrawingScriptTest, ChineseStationTextsAreWrittenInUtf8) {
  WorkedExample();
  Sheet().SetNumberFormat(RangeRef::WholeColumns(6, 6), "\"桩号\"0");
  const Strings lines = DrawAndSplit();
  EXPECT_LT(IndexOf(lines, "_.-TEXT _J _MC 200,20 1 0 桩号100"), lines.size());
}

TEST_F(DrawingScriptTest, AnEmptyDrawingStillRestoresWhatItChanged) {
  const Strings lines = SplitScript(DrawingScript(DrawingShapes{}));
  EXPECT_EQ(IndexOf(lines, "_.PLINE"), lines.size());
  EXPECT_LT(IndexOf(lines, "_.SETVAR OSMODE 0"), lines.size());
  EXPECT_EQ(lines.back(), "(setvar \"OSMODE\" kestrel:osmode)");
}

}  // namespace
}  // namespace kestrel
