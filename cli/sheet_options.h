// The sheet layout options the plot and the draw preview share.
#pragma once

#include <optional>
#include <string>

#include "sections/section_sheets.h"

namespace CLI {
class App;
}

namespace kestrel {

struct SheetArguments {
  std::string paper = "A3";
  bool landscape = false;
  std::string scale = "1:200";
  double exaggeration = 1;
  int columns = 0;
};

// Adds --paper, --landscape, --scale, --vertical-exaggeration and --columns.
void AddSheetArguments(CLI::App& command, SheetArguments& arguments);
// The layout options; a CliError names a paper or scale that is none.
SheetOptions SheetOptionsOf(const SheetArguments& arguments);

}  // namespace kestrel
