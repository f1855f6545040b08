// The design results sheet: writing it, reading it back, and filling a volume sheet from it.
#include "earthworks/design_results.h"

#include <algorithm>

#include <cmath>
#include <memory>

#include "sections/section_sheets.h"
#include "host/application.h"
#include "util/number_text.h"
#include "util/unicode.h"
#include "volumes/volume_layout.h"
#include "volumes/volume_sheet.h"

namespace kestrel {
namespace {

constexpr const char* kHeaders[] = {"桩号",     "地面中桩高程", "设计中桩高程", "填高(+)挖深(-)", "左侧坡脚/坡顶距",
                                    "右侧坡脚/坡顶距", "挖方面积", "填方面积", "左侧挖方", "左侧填方",
                                    "右侧挖方", "右侧填方", "清表面积", "备注", "设计线"};
constexpr const char* kLeftExtended = "左侧地面线水平延长";
constexpr const char* kRightExtended = "右侧地面线水平延长";

double NumberOf(const CellValue& v) { return v.IsNumber() ? v.Number() : LeadingNumber(v.AsText()); }

// The results of a design run for the cross-section sheets, by station (within 1 mm): sorted once,
// so that each section of a long plot finds its outline by a binary search.
class SheetDesignResults final : public DesignResults {
 public:
  explicit SheetDesignResults(std::vector<DesignSection> sections) : sections_(std::move(sections)) {
    std::erase_if(sections_, [](const DesignSection& s) { return s.Outline.empty(); });
    std::stable_sort(sections_.begin(), sections_.end(),
                     [](const DesignSection& a, const DesignSection& b) { return a.Station < b.Station; });
  }
  std::optional<DesignOutline> OutlineAt(double station) const override {
    auto s = std::lower_bound(sections_.begin(), sections_.end(), station - 1e-3,
                              [](const DesignSection& a, double value) { return a.Station <= value; });
    if (s == sections_.end() || std::abs(s->Station - station) >= 1e-3) return std::nullopt;
    DesignOutline outline;
    for (const SectionPoint& p : s->Outline) outline.points.push_back({p.Offset, p.Level});
    outline.cutArea = s->Areas.Cut();
    outline.fillArea = s->Areas.Fill();
    return outline;
  }

 private:
  std::vector<DesignSection> sections_;
};

}  // namespace

std::string OutlineText(const std::vector<SectionPoint>& outline) {
  std::string text;
  for (const SectionPoint& p : outline) {
    if (!text.empty()) text += ';';
    text += GeneralText(p.Offset) + "," + GeneralText(p.Level);
  }
  return text;
}

std::vector<SectionPoint> OutlineFromText(const std::string& text) {
  std::vector<SectionPoint> outline;
  if (text.empty()) return outline;
  for (const std::string& pair : SplitText(text, ";")) {
    const size_t comma = pair.find(',');
    if (comma == std::string::npos) continue;
    const auto offset = StrictNumber(pair.substr(0, comma)), level = StrictNumber(pair.substr(comma + 1));
    if (offset && level) outline.push_back({*offset, *level});
  }
  return outline;
}

void WriteDesignResults(Worksheet& sheet, const std::vector<DesignSection>& sections) {
  sheet.SetValue({1, 1}, kDesignResultsTitle);
  Grid headers(1, kResultLastColumn);
  for (int c = 0; c < kResultLastColumn; ++c) headers.At(0, c) = kHeaders[c];
  sheet.SetValues({2, 1}, headers);
  const int n = static_cast<int>(sections.size());
  if (n > 0) {
    Grid rows(n, kResultLastColumn);
    for (int i = 0; i < n; ++i) {
      const DesignSection& s = sections[i];
      auto set = [&](int column, CellValue v) { rows.At(i, column - 1) = std::move(v); };
      set(kResultStation, s.Station);
      set(kResultGround, s.CentreGroundLevel);
      set(kResultDesign, s.CentreDesignLevel);
      set(kResultHeight, s.CentreDesignLevel - s.CentreGroundLevel);
      set(kResultLeftDaylight, s.Left.Point.Offset);
      set(kResultRightDaylight, s.Right.Point.Offset);
      set(kResultCut, s.Areas.Cut());
      set(kResultFill, s.Areas.Fill());
      set(kResultCutLeft, s.Areas.CutLeft);
      set(kResultFillLeft, s.Areas.FillLeft);
      set(kResultCutRight, s.Areas.CutRight);
      set(kResultFillRight, s.Areas.FillRight);
      set(kResultStrip, s.Areas.Strip);
      std::string remarks;
      if (s.Left.GroundExtended) remarks = kLeftExtended;
      if (s.Right.GroundExtended) remarks += std::string(remarks.empty() ? "" : "；") + kRightExtended;
      set(kResultRemarks, remarks.empty() ? CellValue() : CellValue(remarks));
      set(kResultOutline, OutlineText(s.Outline));
    }
    sheet.SetValues({kResultFirstRow, 1}, rows);
    const int last = kResultFirstRow + n - 1;
    sheet.SetNumberFormat(RangeRef::Block(kResultFirstRow, kResultStation, last, kResultStation),
                          kStationNumberFormat);
    sheet.SetNumberFormat(RangeRef::Block(kResultFirstRow, kResultGround, last, kResultRightDaylight), "0.000");
    sheet.SetNumberFormat(RangeRef::Block(kResultFirstRow, kResultCut, last, kResultStrip), "0.000");
  }
  FontChange bold;
  bold.bold = true;
  sheet.SetFont(RangeRef::Block(1, 1, 2, kResultLastColumn), bold);
  sheet.SetColumnWidth(kResultStation, kResultStation, 14);
  sheet.SetColumnWidth(kResultGround, kResultStrip, 12);
  sheet.SetColumnWidth(kResultRemarks, kResultRemarks, 20);
}

bool IsDesignResultsSheet(Worksheet& sheet) { return sheet.Value({1, 1}) == CellValue(kDesignResultsTitle); }

std::vector<DesignSection> ReadDesignResults(Worksheet& sheet) {
  std::vector<DesignSection> sections;
  const int last = sheet.EndUp({sheet.RowCount(), kResultStation});
  if (last < kResultFirstRow) return sections;
  const Grid rows = sheet.Values(RangeRef::Block(kResultFirstRow, 1, last, kResultLastColumn));
  for (int i = 0; i < rows.Rows(); ++i) {
    auto at = [&](int column) -> const CellValue& { return rows.At(i, column - 1); };
    if (at(kResultStation).IsEmpty()) break;
    DesignSection s;
    s.Station = NumberOf(at(kResultStation));
    s.CentreGroundLevel = NumberOf(at(kResultGround));
    s.CentreDesignLevel = NumberOf(at(kResultDesign));
    s.Outline = OutlineFromText(at(kResultOutline).AsText());
    s.Left.Point.Offset = NumberOf(at(kResultLeftDaylight));
    s.Right.Point.Offset = NumberOf(at(kResultRightDaylight));
    if (!s.Outline.empty()) {
      s.Left.Point.Level = s.Outline.front().Level;
      s.Right.Point.Level = s.Outline.back().Level;
    }
    s.Areas.CutLeft = NumberOf(at(kResultCutLeft));
    s.Areas.FillLeft = NumberOf(at(kResultFillLeft));
    s.Areas.CutRight = NumberOf(at(kResultCutRight));
    s.Areas.FillRight = NumberOf(at(kResultFillRight));
    s.Areas.Strip = NumberOf(at(kResultStrip));
    const std::string remarks = at(kResultRemarks).AsText();
    s.Left.GroundExtended = remarks.find(kLeftExtended) != std::string::npos;
    s.Right.GroundExtended = remarks.find(kRightExtended) != std::string::npos;
    sections.push_back(std::move(s));
  }
  return sections;
}

std::vector<DesignSection> ReadWorkbookDesignResults(Application& workbook) {
  for (Worksheet* sheet : workbook.Worksheets())
    if (IsDesignResultsSheet(*sheet)) return ReadDesignResults(*sheet);
  return {};
}

std::unique_ptr<DesignResults> WorkbookDesignResults(Application& workbook) {
  return DesignResultsOf(ReadWorkbookDesignResults(workbook));
}

std::unique_ptr<DesignResults> DesignResultsOf(std::vector<DesignSection> sections) {
  return std::make_unique<SheetDesignResults>(std::move(sections));
}

void FillVolumeAreas(Worksheet& volumeSheet, const std::vector<DesignSection>& sections) {
  const int n = static_cast<int>(sections.size());
  if (n == 0) return;
  Grid rows(n, 3);
  for (int i = 0; i < n; ++i) {
    rows.At(i, 0) = sections[i].Station;
    rows.At(i, 1) = sections[i].Areas.Cut();
    rows.At(i, 2) = sections[i].Areas.Fill();
  }
  volumeSheet.SetValues({kFirstSectionRow, 1}, rows);
}

}  // namespace kestrel
