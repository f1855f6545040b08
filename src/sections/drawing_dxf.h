// The drawing as a DXF file: what pasting the command columns into AutoCAD would draw.
#pragma once

#include <string>

#include "sections/drawing_shapes.h"

namespace kestrel {

// An AutoCAD 2007 DXF (AC1021) in UTF-8 with CR LF line ends, complete for strict readers:
// HEADER, CLASSES, TABLES (VPORT, LTYPE, LAYER, STYLE, VIEW, UCS, APPID, DIMSTYLE,
// BLOCK_RECORD), BLOCKS, ENTITIES, OBJECTS (root dictionary, ACAD_GROUP, the layouts).
// Entities, one layer per command column (LayerName):
//   section line   LWPOLYLINE through the section's points
//   station label  TEXT, middle-centre (72=1, 73=2) at 10/20 = 11/21, the command's height
//   centre point   POINT (shown as a circled cross, $PDMODE 35, of the level text height)
//   level label    closed LWPOLYLINE (the triangle), then its one or two TEXTs; the
//                  underline of the offset form stays the %%U code inside the text
// Every coordinate is written as the columns write it (15 significant digits), so each entity
// sits exactly where the pasted command puts it.
std::string DrawingDxf(const DrawingShapes& shapes);

}  // namespace kestrel
