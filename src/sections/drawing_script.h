// The drawing as an AutoCAD script: the command columns' commands, run with SCRIPT.
#pragma once

#include <string>

#include "sections/drawing_shapes.h"

namespace kestrel {

// A script file in UTF-8 with a byte-order mark (the encoding current AutoCAD reads scripts in,
// Chinese station texts included) and CR LF line ends. One command per line; a PLINE has its
// points one per line and ends at an empty line (a triangle ends with its close option).
// Around the drawing the script
//   - keeps OSMODE, PLINEWID, CLAYER and TEXTSTYLE in AutoLISP variables, sets OSMODE 0 so
//     that no object snap moves a typed point, PLINEWID 0, and restores all four at its end;
//   - makes the text style KESTREL (TrueType font simsun.ttc, height 0) current, so that TEXT
//     always asks for the height that each command then gives;
//   - puts each column's objects on its own layer (LayerName), made current with -LAYER.
// Example lines of the worked example (" / " parts lines):
//   _.PLINE / 196,10 / 202,12 / 206,11 / (empty)
//   _.-TEXT _J _MC 200,20 1 0 K0+100.000
//   _.POINT 200,11.3333333333333
//   _.PLINE / 196,10 / 196.4,10.6 / 195.6,10.6 / _C
//   _.-TEXT _J _MC 196,11.05 0.7 0 10
std::string DrawingScript(const DrawingShapes& shapes);

}  // namespace kestrel
