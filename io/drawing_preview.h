// The preview picture of a drawing (PNG or SVG, through cairo): the sections as pasting the
// command columns would draw them, with their labels, to look at before going to CAD.
#pragma once

#include <string>

#include "drawing/shapes.h"

typedef struct _cairo cairo_t;

namespace kestrel {

// Selects the drawings' font (WenQuanYi Micro Hei, Latin and Chinese alike) with unhinted
// metrics and outlines, so that glyph sizes grow exactly with the font size.
void UseDrawingFont(cairo_t* cr);

struct PreviewOptions {
  // The picture's size in pixels; 0 and 0: from the drawing, so that the smallest text is
  // about 16 pixels high (at most 4096 pixels a side, at least 640 wide).
  int width = 0;
  int height = 0;
  std::string title;  // written above the drawing
};

// The picture's size for these options, as WriteDrawingPreview makes it.
struct PreviewSize {
  int width = 0;
  int height = 0;
};
PreviewSize PreviewSizeOf(const DrawingShapes& shapes, const PreviewOptions& options);

// Whether the file name ends in .png or .svg (any case): the pictures WriteDrawingPreview makes.
bool IsPreviewFileName(const std::string& path);

// Writes a PNG or an SVG picture, as the file name ends (.png, .svg, any case): the drawing's
// extents fitted to the picture with margins, y up, lines, triangles and texts at the
// drawing's scale, colours by layer, the title above. Returns "" on success, else the reason.
//   WriteDrawingPreview(ShapesOfPlan(plan), "sections.png", {.title = "实测横断面: 2 sections"});
std::string WriteDrawingPreview(const DrawingShapes& shapes, const std::string& path, const PreviewOptions& options);

}  // namespace kestrel
