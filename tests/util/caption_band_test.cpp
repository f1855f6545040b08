// The caption band's pixels against its colour rules.
#include "util/caption_band.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrel {
namespace {

const Rgb kFrame{173, 194, 220};

// Half-to-even rounding of a channel, written out independently of the renderer.
int Even(double v) {
  double f = std::floor(v);
  double frac = v - f;
  if (frac > 0.5) return static_cast<int>(f) + 1;
  if (frac < 0.5) return static_cast<int>(f);
  return static_cast<int>(f) % 2 == 0 ? static_cast<int>(f) : static_cast<int>(f) + 1;
}

TEST(CaptionBand, TopBandFadesOverEighteenRows) {
  PixelBuffer band = RenderCaptionBand(120, 40);
  for (int k = 1; k < 20; ++k) {
    SCOPED_TRACE(k);
    Rgb want{static_cast<uint8_t>(Even(211 - k * 44 / 18.0)), static_cast<uint8_t>(Even(224 - k * 27 / 18.0)),
             static_cast<uint8_t>(Even(247 - k * 10 / 18.0))};
    EXPECT_EQ(band.At(60, k), want);
  }
  EXPECT_EQ(band.At(60, 18), (Rgb{167, 197, 237}));
  EXPECT_EQ(band.At(60, 1), (Rgb{209, 222, 246}));  // 222.5 goes to the even 222
}

TEST(CaptionBand, LowerPartReachesItsEndColourAtTheLastRow) {
  PixelBuffer band = RenderCaptionBand(120, 60);
  EXPECT_EQ(band.At(60, 20), (Rgb{239, 244, 252}));
  // Row 58 is one step above the end colour; row 59 is the frame.
  float r = 239, g = 244, b = 252;
  for (int y = 20; y < 58; ++y) r -= (239 - 220) / 39.0f, g -= (244 - 231) / 39.0f, b -= (252 - 250) / 39.0f;
  EXPECT_EQ(band.At(60, 58), (Rgb{static_cast<uint8_t>(Even(r)), static_cast<uint8_t>(Even(g)),
                                 static_cast<uint8_t>(Even(b))}));
  EXPECT_NEAR(band.At(60, 58).r, 220, 1);
  for (int y = 21; y < 59; ++y) EXPECT_LE(band.At(60, y).r, band.At(60, y - 1).r);
}

TEST(CaptionBand, FramedAllAround) {
  PixelBuffer band = RenderCaptionBand(50, 30);
  for (int x = 0; x < 50; ++x) {
    EXPECT_EQ(band.At(x, 0), kFrame);
    EXPECT_EQ(band.At(x, 29), kFrame);
  }
  for (int y = 0; y < 30; ++y) {
    EXPECT_EQ(band.At(0, y), kFrame);
    EXPECT_EQ(band.At(49, y), kFrame);
  }
  EXPECT_NE(band.At(1, 1), kFrame);
}

TEST(CaptionBand, TwentyPixelsHighIsTheTopBandAndTheFrameOnly) {
  PixelBuffer band = RenderCaptionBand(80, 20);
  EXPECT_EQ(band.At(40, 18), (Rgb{167, 197, 237}));
  EXPECT_EQ(band.At(40, 19), kFrame);
  PixelBuffer tiny = RenderCaptionBand(10, 21);  // one lower row, no division by zero shows
  EXPECT_EQ(tiny.At(5, 19), (Rgb{165, 196, 236}));
  EXPECT_EQ(tiny.At(5, 20), kFrame);
}

TEST(CaptionBand, TextRectangle) {
  TextRect rect = CaptionTextRect(300);
  EXPECT_EQ(rect.left, 8);
  EXPECT_EQ(rect.top, 4);
  EXPECT_EQ(rect.right, 297);
  EXPECT_EQ(rect.bottom, 16);
}

}  // namespace
}  // namespace kestrel
