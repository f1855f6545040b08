// The distribution dialog and its ribbon command on the in-memory workbook: what it refuses.
#include "haul/form_haul.h"

#include "support/command_fixture.h"

namespace kestrel {
namespace {

class FormHaulTest : public CommandFixture {};

std::string Written;

std::string RecordingPage(const MassHaulPlot&, const std::string& path) {
  Written = path;
  return "";
}

TEST_F(FormHaulTest, EntriesAreReadAsTheToolReadsThemAndStationsThatFailChangeNothing) {
  // A sheet that is neither design results nor a volume sheet.
  Sheet().SetValue({1, 1}, "not a table");
  dialogs.Queue([](Presenter& p) {
    auto& form = dynamic_cast<FormHaul&>(p);
    EXPECT_EQ(form.TextFreeHaul.text, "20");  // the tool's defaults
    EXPECT_TRUE(form.TextDiagram.enabled);
    form.TextBarriers.text = "K0+100，K0+300; 500\r\n";
    form.TextExcluded.text = "K0+020";  // one station is no range: said, and the dialog stays
    form.OnCommandOKClick();
    EXPECT_TRUE(form.Visible());
    form.TextExcluded.text = "";
    form.TextFactors.text = "1.2,1.1,1";  // three factors: said
    form.OnCommandOKClick();
    EXPECT_TRUE(form.Visible());
    form.TextFactors.text = " ";
    form.TextDiagram.text = " haul.svg ";
    form.OnCommandOKClick();
  });
  CommandContext context = Context();
  FormHaul form(ui, RecordingPage);
  Written.clear();
  EXPECT_EQ(HaulDistributionCommand(context, form), CommandOutcome::Stopped);
  EXPECT_EQ(form.Request().Barriers, (std::vector<double>{100, 300, 500}));
  EXPECT_EQ(form.DiagramFile(), "haul.svg");
  ASSERT_EQ(ui.Messages().size(), 3u);
  EXPECT_EQ(ui.Messages()[0].text, "输入有误：桥梁隧道: FROM,TO (two stations), not K0+020");
  EXPECT_EQ(ui.Messages()[1].text, "输入有误：换算系数: six factors (I to VI), not 1.2,1.1,1");
  EXPECT_EQ(ui.Messages()[2].title, "失败");
  EXPECT_EQ(ui.Messages()[2].text.rfind("土石方调配失败：", 0), 0u) << ui.Messages()[2].text;
  EXPECT_EQ(book.SheetCount(), 1);
  EXPECT_TRUE(Written.empty());  // no page for stations that fail

  // Without a page renderer the diagram entry is off and nothing is drawn.
  FormHaul plain(ui, nullptr);
  EXPECT_FALSE(plain.TextDiagram.enabled);
  EXPECT_FALSE(plain.BrowseDiagram.enabled);
  dialogs.Queue([](Presenter& p) { dynamic_cast<FormHaul&>(p).OnCommandCancelClick(); });
  EXPECT_EQ(HaulDistributionCommand(context, plain), CommandOutcome::Cancelled);
  EXPECT_EQ(ui.Messages().size(), 3u);
}

}  // namespace
}  // namespace kestrel
