// The template file: what it holds, its two encodings, and the lines it refuses.
#include "earthworks/design_template.h"

#include <fstream>

#include "support/command_fixture.h"

namespace kestrel {
namespace {

class DesignTemplateTest : public CommandFixture {};

TEST_F(DesignTemplateTest, ExampleHoldsEveryElementAndSurvivesASaveAndLoad) {
  std::string error;
  const auto example = ParseTemplateText(TemplateExampleText(), error);
  ASSERT_TRUE(example) << error;
  const SideTemplate& s = example->Right;
  EXPECT_EQ(s.HalfWidth, 3.75);
  EXPECT_EQ(s.ShoulderSlope, -4);
  EXPECT_EQ(s.FillStages, (std::vector<SlopeStage>{{1.5, 8}, {1.75, 0}}));
  EXPECT_EQ(s.FillBermWidth, 2);
  EXPECT_EQ(s.Ditch, (DitchShape{0.6, 0.6, 1, 1}));
  EXPECT_EQ(s.CutStages, (std::vector<SlopeStage>{{0.75, 10}, {1, 0}}));
  EXPECT_EQ(example->PavementThickness, 0.7);
  EXPECT_EQ(example->StripDepth, 0.3);
  EXPECT_EQ(example->Left, example->Right);

  DesignTemplate tpl = *example;
  tpl.Left.HalfWidth = 5.5;
  tpl.Right.CutStages = {{0.5, 6}, {0.75, 0}};
  tpl.AreasTo = AreaSurface::Subgrade;
  tpl.SlopeModel = 3;
  const std::string path = TempPath("road.tpl");
  ASSERT_TRUE(SaveTemplateFile(path, tpl));
  std::ifstream in(path, std::ios::binary);
  char mark[2] = {};
  in.read(mark, 2);
  EXPECT_EQ(std::string(mark, 2), "\xFF\xFE");
  const auto back = LoadTemplateFile(path, error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(*back, tpl);
  EXPECT_NE(TemplateText(tpl).find("left.half_width = 5.5\r\n"), std::string::npos);
}

TEST_F(DesignTemplateTest, ReadsHandWrittenUtf8WithSideKeysAndComments) {
  const std::string path = TempPath("hand.tpl");
  std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBFKestrelFile2.0-TPL\n"
                                           "# my road\n"
                                           "half_width = 4   # both sides\n"
                                           "RIGHT.half_width = 6\n"
                                           "left.fill_slopes = 2\n\n"
                                           "areas_to = Subgrade\n";
  std::string error;
  const auto tpl = LoadTemplateFile(path, error);
  ASSERT_TRUE(tpl) << error;
  EXPECT_EQ(tpl->Left.HalfWidth, 4);
  EXPECT_EQ(tpl->Right.HalfWidth, 6);
  EXPECT_EQ(tpl->Left.FillStages, (std::vector<SlopeStage>{{2, 0}}));
  EXPECT_EQ(tpl->Right.FillStages, DesignTemplate{}.Right.FillStages);
  EXPECT_EQ(tpl->AreasTo, AreaSurface::Subgrade);
}

TEST_F(DesignTemplateTest, RefusesWhatItCannotUseNamingTheLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"KestrelFile2.0-ZM\r\n", "not a template"},
      {"KestrelFile2.0-TPL\r\nhalf_width 4\r\n", "line 2: \"key = value\" expected"},
      {"KestrelFile2.0-TPL\r\n\r\nhalf_width = -1\r\n", "line 3: half_width: a number from 0 to 50 is needed"},
      {"KestrelFile2.0-TPL\r\nfill_slopes = 1.5, 2\r\n", "line 2: fill_slopes: stage 1 needs a height"},
      {"KestrelFile2.0-TPL\r\ncut_slopes = 1x5, 1x5\r\n", "the last stage runs to the ground"},
      {"KestrelFile2.0-TPL\r\nditch = 1, 1, 1\r\n", "four numbers"},
      {"KestrelFile2.0-TPL\r\nleft.kerb = 1\r\n", "left.kerb: unknown key"},
      {"KestrelFile2.0-TPL\r\nareas_to = top\r\n", "finished or subgrade"},
  };
  for (const auto& [text, message] : cases) {
    std::string error;
    EXPECT_FALSE(ParseTemplateText(text, error)) << text;
    EXPECT_NE(error.find(message), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace kestrel
