// Paints the core's caption band (pixels and text rectangle) into a window's device context.
#pragma once

#include <windows.h>

#include <string_view>

namespace kestrel {

// The band rendered for the rectangle's size, then the caption on one line in the band's text
// rectangle (cut at its right edge, centred vertically) in the caption colour, with `font`.
void PaintCaptionBand(HDC dc, const RECT& area, std::string_view caption, HFONT font);

// A 32-bit premultiplied-alpha bitmap resource of the module, blended over the rectangle's
// background, centred; nothing when the resource is missing.
void PaintPicture(HDC dc, const RECT& area, const wchar_t* resource);

}  // namespace kestrel
