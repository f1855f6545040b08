// FormHaul: the distribution dialog's controls and events, and the ribbon command behind it.
#include "haul/form_haul.h"

#include <optional>

#include "host/application.h"
#include "host/ui.h"
#include "haul/haul_request_text.h"
#include "util/number_text.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

// The non-blank lines of a multi-line box, trimmed.
std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (const std::string& line : FieldsOf(text, '\n'))
    if (std::string t = Trimmed(line); !t.empty()) lines.push_back(t);
  return lines;
}

// The entries of a list typed with commas (full-width ones too), semicolons or line breaks.
std::vector<std::string> ListOf(std::string text) {
  for (std::size_t at; (at = text.find("，")) != std::string::npos;) text.replace(at, 3, ",");
  for (char& c : text)
    if (c == ';' || c == '\n' || c == '\r') c = ',';
  std::vector<std::string> entries;
  for (const std::string& field : FieldsOf(text, ','))
    if (std::string t = Trimmed(field); !t.empty()) entries.push_back(t);
  return entries;
}

// The caption of an entry without its unit, for messages: "免费运距(m)" -> "免费运距".
std::string EntryName(const Control& label) { return label.text.substr(0, label.text.find('(')); }

double NumberOfBox(const Control& label, const Control& box) {
  const std::optional<double> n = StrictNumber(Trimmed(box.text));
  if (!n) throw HaulError("“" + EntryName(label) + "”不是数字：" + box.text);
  return *n;
}

std::string Volume(double value) { return GeneralText(RoundHalfAway(value, 2)); }

constexpr char kFailedTitle[] = "失败";

}  // namespace

FormHaul::FormHaul(Ui& ui, MassHaulPageWriter writePage) : ui_(ui), writePage_(writePage) {
  const HaulRequest defaults;
  LabelFreeHaul.text = "免费运距(m)";
  TextFreeHaul.text = GeneralText(defaults.Prices.FreeHaul);
  LabelOverhaul.text = "超运运价(元/m³·km)";
  TextOverhaul.text = GeneralText(defaults.Prices.Overhaul);
  LabelBorrowPrice.text = "借方单价(元/m³)";
  TextBorrowPrice.text = GeneralText(defaults.Prices.Borrow);
  LabelWastePrice.text = "废方单价(元/m³)";
  TextWastePrice.text = GeneralText(defaults.Prices.Waste);
  LabelBorrowDistance.text = "借方运距(m)";
  TextBorrowDistance.text = GeneralText(defaults.BorrowDistance);
  LabelWasteDistance.text = "废方运距(m)";
  TextWasteDistance.text = GeneralText(defaults.WasteDistance);
  LabelRoadClass.text = "公路等级";
  ComboRoadClass.items = {kHighRoadClass, kLowRoadClass};
  ComboRoadClass.listIndex = 0;
  LabelFactors.text = "换算系数(I～VI，以逗号分隔，空为公路等级的默认值)";
  LabelClasses.text = "土石分类(每行：起点,终点,I,II,III,IV,V,VI 百分数；空为全部普通土)";
  LabelExcluded.text = "桥梁隧道(每行：起点,终点，不计土石方)";
  LabelBarriers.text = "不可跨越的桩号(以逗号分隔)";
  CheckPrismoidal.text = "棱柱体修正";
  CheckPyramid.text = "填挖交界按棱锥体计算";
  LabelFrustum.text = "面积比大于此值按棱台体(0 为不用)";
  TextFrustum.text = GeneralText(defaults.Volumes.FrustumRatio);
  LabelRowsPerPage.text = "每页桩数(本页合计)";
  TextRowsPerPage.text = std::to_string(defaults.RowsPerPage);
  LabelDiagram.text = SvgOnly() ? "调配图文件(*.svg，可空)" : "调配图文件(*.pdf、*.svg、*.png，可空)";
  BrowseDiagram.text = "...";
  if (writePage_ == nullptr) {
    LabelDiagram.text = "调配图文件(本版本不提供)";
    TextDiagram.enabled = BrowseDiagram.enabled = false;
  }
  CommandOK.text = "调配";
  CommandCancel.text = "取消";
}

void FormHaul::Show(DialogHost& host) {
  cancelled_ = true;
  MarkShown();
  host.RunModal(*this);
}

std::optional<HaulRequest> FormHaul::Ask(DialogHost& host) {
  Show(host);
  if (cancelled_) return std::nullopt;
  return Request();
}

HaulRequest FormHaul::RequestOfControls() const {
  HaulRequest request;
  request.Prices.FreeHaul = NumberOfBox(LabelFreeHaul, TextFreeHaul);
  request.Prices.Overhaul = NumberOfBox(LabelOverhaul, TextOverhaul);
  request.Prices.Borrow = NumberOfBox(LabelBorrowPrice, TextBorrowPrice);
  request.Prices.Waste = NumberOfBox(LabelWastePrice, TextWastePrice);
  request.BorrowDistance = NumberOfBox(LabelBorrowDistance, TextBorrowDistance);
  request.WasteDistance = NumberOfBox(LabelWasteDistance, TextWasteDistance);
  const int roadClass = ComboRoadClass.listIndex;
  request.RoadClass = roadClass == 1 ? kLowRoadClass : kHighRoadClass;
  DefaultFactors(request.RoadClass, request.Factors);
  if (!Trimmed(TextFactors.text).empty()) FactorsOfText(EntryName(LabelFactors), Trimmed(TextFactors.text), request.Factors);
  for (const std::string& line : LinesOf(TextExcluded.text))
    request.Volumes.Excluded.push_back(RangeOfText(EntryName(LabelExcluded), line));
  for (const std::string& line : LinesOf(TextClasses.text))
    request.Classes.push_back(ClassRangeOfText(EntryName(LabelClasses), line));
  for (const std::string& station : ListOf(TextBarriers.text))
    request.Barriers.push_back(StationOfText(EntryName(LabelBarriers), station, station));
  request.Volumes.Prismoidal = CheckPrismoidal.checked;
  request.Volumes.Pyramid = CheckPyramid.checked;
  request.Volumes.FrustumRatio = NumberOfBox(LabelFrustum, TextFrustum);
  const double rows = NumberOfBox(LabelRowsPerPage, TextRowsPerPage);
  if (!(rows >= 1 && rows <= 10000 && rows == static_cast<int>(rows)))
    throw HaulError("“" + EntryName(LabelRowsPerPage) + "”应为 1 到 10000 的整数：" + TextRowsPerPage.text);
  request.RowsPerPage = static_cast<int>(rows);
  if (std::string problem = HaulRequestProblem(request); !problem.empty()) throw HaulError(problem);
  return request;
}

void FormHaul::OnBrowseDiagramClick() {
  const bool svg = SvgOnly();
  ChooseFileToWrite(ui_, TextDiagram, svg ? "haul.svg" : "haul.pdf",
                    svg ? "SVG 文件(*.svg),*.svg" : "PDF 文件(*.pdf),*.pdf,SVG 文件(*.svg),*.svg,PNG 图片(*.png),*.png",
                    "土石方调配图");
}

void FormHaul::OnCommandOKClick() {
  try {
    request_ = RequestOfControls();
  } catch (const HaulError& e) {
    ui_.MessageBox(std::string("输入有误：") + e.what(), "提示", MessageButtons::Ok, MessageIcon::Information);
    return;
  }
  diagram_ = TextDiagram.enabled ? Trimmed(TextDiagram.text) : "";
  cancelled_ = false;
  Hide();
}

void FormHaul::OnCloseRequest() {
  cancelled_ = true;
  Hide();
}

CommandOutcome HaulDistributionCommand(CommandContext& context, FormHaul& form) {
  const std::optional<HaulRequest> request = form.Ask(context.dialogs);
  if (!request) return CommandOutcome::Cancelled;
  HaulTable table;
  try {
    table = RunHaulOnActiveSheet(context.host, *request, form.DiagramFile(), form.PageWriter());
  } catch (const HaulError& e) {
    context.ui.MessageBox(std::string("土石方调配失败：") + e.what(), kFailedTitle, MessageButtons::Ok,
                          MessageIcon::None);
    return CommandOutcome::Stopped;
  }
  const HaulTotals totals = TotalsOf(table);
  std::string text = "已调配 " + std::to_string(table.Rows.size()) + " 段：纵向调运 " + Volume(totals.Hauled) +
                     " m³，借方 " + Volume(totals.Borrowed) + " m³，废方 " + Volume(totals.Wasted) +
                     " m³；费用 " + Volume(totals.Cost) + " 元。";
  if (!form.DiagramFile().empty()) text += "\r\n调配图：" + form.DiagramFile();
  context.ui.MessageBox(text, "提示", MessageButtons::Ok, MessageIcon::Information);
  return CommandOutcome::Completed;
}

}  // namespace kestrel
