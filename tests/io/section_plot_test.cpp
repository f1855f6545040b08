// The cross-section sheets as cairo draws them: a design outline with its cut and fill, read back
// from the rendered page's pixels where the layout puts the section.
#include "io/section_plot.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>

namespace kestrel {
namespace {

struct Rgb {
  int r, g, b;
};

class SectionPlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("kestrel-plot-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                                    "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // The page rendered at 10 pixels a millimetre (A4: 2100 x 2970), and the section's placement.
  PlacedSection Render(const std::vector<SheetSection>& sections) {
    const SheetLayout layout = LayOutSheets(sections, {.paper = *PaperNamed("A4", false), .scale = 200, .columns = 1});
    const std::string png = (dir_ / "page.png").string();
    EXPECT_EQ(WriteSheetPagePicture(sections, layout, 0, "test", png, 2100, 2970), "");
    image_.reset(cairo_image_surface_create_from_png(png.c_str()));
    EXPECT_EQ(cairo_surface_status(image_.get()), CAIRO_STATUS_SUCCESS);
    return layout.placed.front();
  }
  Rgb At(const PlacedSection& p, double offset, double level) {
    const int x = static_cast<int>(p.X(offset) * 10), y = static_cast<int>(p.Y(level) * 10);
    const unsigned char* data = cairo_image_surface_get_data(image_.get());
    const uint32_t pixel =
        *reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(image_.get()) + 4 * x);
    return {static_cast<int>(pixel >> 16 & 255), static_cast<int>(pixel >> 8 & 255), static_cast<int>(pixel & 255)};
  }

  std::filesystem::path dir_;
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image_{nullptr, cairo_surface_destroy};
};

TEST_F(SectionPlotTest, TheDesignOutlineWithItsCutAndFill) {
  // Level ground at 101; a design rising from 100 to 102: cut on the left, fill on the right.
  std::vector<SheetSection> sections(1);
  sections[0].stationText = "K0+100.000";
  sections[0].ground = {{-10, 101}, {10, 101}};
  sections[0].centreLevel = 101;
  sections[0].design = DesignOutline{{{-10, 100}, {10, 102}}, std::nullopt, std::nullopt};
  PlacedSection p = Render(sections);
  const Rgb design = At(p, -4.5, 100.55), cut = At(p, -4.5, 100.78), fill = At(p, 4.5, 101.22);
  const Rgb ground = At(p, -4.5, 101), above = At(p, -4.5, 101.5);
  EXPECT_TRUE(design.r > 150 && design.g < 90 && design.b < 90) << design.r << "," << design.g << "," << design.b;
  EXPECT_GT(cut.r, cut.b + 60);
  EXPECT_GT(fill.b, fill.r + 60);
  EXPECT_LT(ground.r + ground.g + ground.b, 200);
  EXPECT_GT(above.r + above.g + above.b, 3 * 240);
  EXPECT_EQ(SectionNoteText(sections[0], p, 1), "中桩地面 101  挖方 5 m²  填方 5 m²");
  // The areas the design results state are the ones written.
  sections[0].design->cutArea = 12.345;
  EXPECT_EQ(SectionNoteText(sections[0], p, 1), "中桩地面 101  挖方 12.35 m²  填方 5 m²");

  // Without a design nothing is filled there.
  sections[0].design.reset();
  p = Render(sections);
  const Rgb empty = At(p, -4.5, 100.78);
  EXPECT_GT(empty.r + empty.g + empty.b, 3 * 240);
}

}  // namespace
}  // namespace kestrel
