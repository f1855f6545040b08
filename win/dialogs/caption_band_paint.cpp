// Caption band and picture painting for the owner-drawn controls of the dialog views.
#include "caption_band_paint.h"

#include <string>
#include <vector>

#include "com/module.h"
#include "util/caption_band.h"
#include "platform/wide_text.h"

namespace kestrel {

void PaintCaptionBand(HDC dc, const RECT& area, std::string_view caption, HFONT font) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  PixelBuffer band = RenderCaptionBand(width, height);
  std::vector<DWORD> bits(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Rgb c = band.At(x, y);
      bits[static_cast<size_t>(y) * width + x] = (DWORD{c.r} << 16) | (DWORD{c.g} << 8) | c.b;
    }
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, as the buffer is
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, area.left, area.top, width, height, 0, 0, 0, height, bits.data(), &info, DIB_RGB_COLORS);

  TextRect t = CaptionTextRect(width);
  RECT text = {area.left + t.left, area.top + t.top, area.left + t.right, area.top + t.bottom};
  std::wstring wide = ToWide(caption);
  HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(kCaptionTextColour.r, kCaptionTextColour.g, kCaptionTextColour.b));
  // Without DT_NOCLIP the text is cut at the rectangle.
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (previous != nullptr) SelectObject(dc, previous);
}

void PaintPicture(HDC dc, const RECT& area, const wchar_t* resource) {
  FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
  auto bitmap = static_cast<HBITMAP>(LoadImageW(ThisModule(), resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (bitmap == nullptr) return;
  BITMAP shape = {};
  GetObjectW(bitmap, sizeof shape, &shape);
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(source, bitmap);
  const int x = area.left + (area.right - area.left - shape.bmWidth) / 2;
  const int y = area.top + (area.bottom - area.top - shape.bmHeight) / 2;
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, x, y, shape.bmWidth, shape.bmHeight, source, 0, 0, shape.bmWidth, shape.bmHeight, blend);
  SelectObject(source, previous);
  DeleteDC(source);
  DeleteObject(bitmap);
}

}  // namespace kestrel
