// A draw-data run on an in-memory sheet whose columns the drawing tests read back and take apart
// themselves: the columns are what the drawing files must draw.
#pragma once

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "sections/draw_data.h"
#include "sections/drawing_shapes.h"
#include "sections/form_set.h"
#include "support/command_fixture.h"

namespace kestrel {

class DrawingFixture : public CommandFixture {
 protected:
  struct P {
    double g, z;
  };
  // Section rows {offset G, level D}, every row carrying the station in E and F, then one empty row.
  void Section(int& row, double station, std::vector<P> points) {
    for (const P& p : points) {
      Sheet().SetValue({row, 1}, "p" + std::to_string(row));
      Sheet().SetValue({row, 4}, p.z);
      Sheet().SetValue({row, 5}, station);
      Sheet().SetValue({row, 6}, station);
      Sheet().SetValue({row, 7}, p.g);
      ++row;
    }
    ++row;
  }
  void WorkedExample() {
    int row = 1;
    Section(row, 100, {{-4, 10}, {2, 12}, {6, 11}});
    Section(row, 120, {{-3, 20}, {3, 22}});
  }
  // Runs the command, the dialog answered with OK after the change; returns the plan it drew.
  DrawingPlan Draw(std::function<void(FormSet&)> change = {}) {
    dialogs.Queue([change](Presenter& p) {
      auto& form = dynamic_cast<FormSet&>(p);
      if (change) change(form);
      form.OnCommandOKClick();
    });
    CommandContext context = Context();
    DrawingPlan plan;
    EXPECT_EQ(DrawSectionData(context, DrawDialog(), session.Sections, plan), CommandOutcome::Completed);
    return plan;
  }

  // The final columns: I polylines, M station labels, O level labels.
  std::vector<std::string> ColumnTexts(int column) {
    std::vector<std::string> out;
    const int last = Sheet().EndUp({kMaxRows, column});
    for (int r = 1; r <= last; ++r) out.push_back(Sheet().Value({r, column}).AsText());
    if (out.size() == 1 && out[0].empty()) out.clear();
    return out;
  }

  // Column I taken apart: one list of "x,y" per polyline, as PLINE receives them.
  std::vector<std::vector<std::string>> PolylineColumn() {
    std::vector<std::vector<std::string>> lines(1);
    for (const std::string& cell : ColumnTexts(9)) {
      if (cell == "  pl")
        lines.emplace_back();
      else
        lines.back().push_back(cell);
    }
    return lines;
  }

  // One TEXT command of a column: "-text j MC x,y h 0 text".
  struct TextCommandParts {
    std::string x, y, height, rotation, text;
  };
  static TextCommandParts SplitTextCommand(std::string command) {
    const std::string prefix = "-text j MC ";
    EXPECT_EQ(command.substr(0, prefix.size()), prefix) << command;
    command = command.substr(prefix.size());
    TextCommandParts parts;
    std::string point;
    std::istringstream in(command);
    in >> point >> parts.height >> parts.rotation;
    std::getline(in, parts.text);
    if (!parts.text.empty() && parts.text[0] == ' ') parts.text.erase(0, 1);
    const size_t comma = point.find(',');
    parts.x = point.substr(0, comma);
    parts.y = point.substr(comma + 1);
    return parts;
  }

  // One level-label cell: "pl p1 p2 p3 c " and one TEXT, or two parted by a carriage return.
  struct LabelCellParts {
    std::vector<std::string> triangle;  // "x,y"
    std::vector<TextCommandParts> texts;
  };
  static LabelCellParts SplitLabelCell(const std::string& cell) {
    LabelCellParts parts;
    const size_t c = cell.find(" c ");
    std::istringstream points(cell.substr(0, c));
    std::string word;
    points >> word;
    EXPECT_EQ(word, "pl");
    while (points >> word) parts.triangle.push_back(word);
    std::string rest = cell.substr(c + 3);
    const size_t cr = rest.find('\r');
    parts.texts.push_back(SplitTextCommand(rest.substr(0, cr)));
    if (cr != std::string::npos) parts.texts.push_back(SplitTextCommand(rest.substr(cr + 2)));  // "\r "
    return parts;
  }
};

}  // namespace kestrel
