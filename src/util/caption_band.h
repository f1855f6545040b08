// The caption band of the dialogs: a shaded title band drawn into a pixel buffer of any size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Width × height pixels, row by row from the top.
class PixelBuffer {
 public:
  PixelBuffer(int width, int height) : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgb At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  void Set(int x, int y, Rgb c) {
    if (x >= 0 && x < width_ && y >= 0 && y < height_) pixels_[static_cast<size_t>(y) * width_ + x] = c;
  }
  void HorizontalLine(int y, int x0, int x1, Rgb c) {  // x0..x1 inclusive
    for (int x = x0; x <= x1; ++x) Set(x, y, c);
  }
  void VerticalLine(int x, int y0, int y1, Rgb c) {
    for (int y = y0; y <= y1; ++y) Set(x, y, c);
  }

 private:
  int width_, height_;
  std::vector<Rgb> pixels_;
};

// Where the caption goes, on one line, centred vertically and cut at the right edge.
struct TextRect {
  int left, top, right, bottom;
};

inline constexpr Rgb kCaptionTextColour{2, 45, 123};

// The band without its text: the top band (rows 0 to 19), the lower gradient and the frame.
//   PixelBuffer band = RenderCaptionBand(300, 24);   // band.At(5, 1) == Rgb{209, 222, 246}
PixelBuffer RenderCaptionBand(int width, int height);
TextRect CaptionTextRect(int width);

}  // namespace kestrel
