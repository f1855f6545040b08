// The caption band: a top band fading over 18 rows, a lower gradient, a one-pixel frame.
#include "util/caption_band.h"

#include <cmath>

namespace kestrel {
namespace {

constexpr Rgb kTopStart{211, 224, 247}, kTopEnd{167, 197, 237};
constexpr Rgb kLowStart{239, 244, 252}, kLowEnd{220, 231, 250};
constexpr Rgb kFrame{173, 194, 220};
constexpr int kTopRows = 20;

// A channel as a whole number, halves to the even neighbour, clipped to a byte.
uint8_t Channel(double v) {
  double r = std::nearbyint(v);  // the default rounding mode rounds halves to even
  return static_cast<uint8_t>(r < 0 ? 0 : r > 255 ? 255 : r);
}

}  // namespace

PixelBuffer RenderCaptionBand(int width, int height) {
  PixelBuffer band(width, height);
  if (width <= 0 || height <= 0) return band;

  for (int k = 0; k < kTopRows && k < height; ++k) {
    auto step = [k](uint8_t from, uint8_t to) { return Channel(from - k * (from - to) / 18.0); };
    band.HorizontalLine(k, 0, width - 1,
                        {step(kTopStart.r, kTopEnd.r), step(kTopStart.g, kTopEnd.g), step(kTopStart.b, kTopEnd.b)});
  }

  // The lower part counts down in single precision from row 20 so that row H - 1 reaches the end
  // colour; a band of 21 rows draws row 20 only, before the step is ever used.
  float r = kLowStart.r, g = kLowStart.g, b = kLowStart.b;
  const float rows = static_cast<float>(height - 21);
  const float dr = (r - kLowEnd.r) / rows, dg = (g - kLowEnd.g) / rows, db = (b - kLowEnd.b) / rows;
  for (int y = kTopRows; y < height; ++y) {
    band.HorizontalLine(y, 0, width - 1, {Channel(r), Channel(g), Channel(b)});
    r -= dr;
    g -= dg;
    b -= db;
  }

  band.HorizontalLine(0, 0, width - 1, kFrame);
  band.HorizontalLine(height - 1, 0, width - 1, kFrame);
  band.VerticalLine(0, 0, height - 1, kFrame);
  band.VerticalLine(width - 1, 0, height - 1, kFrame);
  return band;
}

TextRect CaptionTextRect(int width) { return {8, 4, width - 3, 16}; }

}  // namespace kestrel
