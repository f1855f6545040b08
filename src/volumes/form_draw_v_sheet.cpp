// FormDrawVSheet: the volume sheet dialog's controls and events.
#include "volumes/form_draw_v_sheet.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "host/shell.h"
#include "host/ui.h"
#include "sections/drawn_sections.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

constexpr const char* kTooFewSections =
    "以下注意事项:\r\n\r\n1.请执行第二步绘制数据之后,再重新检测断面数量!\r\n2.并保证断面数量至少有2个!";

// The row of the totals for the typed number of sections: |leading number| + 4 to the nearest
// whole number, halves to even, at least 6; nothing when it does not fit a 32-bit signed integer.
std::optional<int> LastRowOf(const std::string& typed) {
  const double sum = std::fabs(LeadingNumber(typed)) + 4;
  if (!std::isfinite(sum)) return std::nullopt;  // "1e400": too large for any number
  const double rounded = RoundHalfEven(sum, 0);
  if (rounded > std::numeric_limits<int>::max()) return std::nullopt;
  return std::max(static_cast<int>(rounded), 6);
}

}  // namespace

std::optional<VolumeSheetRequest> VolumeSheetRequestFrom(const VolumeSheetEntries& entries) {
  const std::optional<int> lastRow = LastRowOf(entries.Sections);
  if (!lastRow) return std::nullopt;
  return VolumeSheetRequest{(entries.VariantIndex + 1) * 2, *lastRow, entries.FillStations};
}

bool CanFillStations(const DrawnSections& sections, Ui& ui) {
  if (sections.SectionCount >= 2) return true;
  ui.MessageBox(kTooFewSections, "提示", MessageButtons::Ok, MessageIcon::Information);
  return false;
}

FormDrawVSheet::FormDrawVSheet(const DrawnSections& sections, Ui& ui, Shell& shell)
    : sections_(sections), ui_(ui), shell_(shell) {
  uc1.text = "设置方量计算表";
  uc1.height = 24;
  TextDrawDMnumber.text = "16";
  CommandOK.text = "绘表";
  CommandCancel.text = "取消";
  LabelInfo[11].text = "方量计算表内容";
  LabelInfo[0].text = "是否智能填桩号";
  LabelInfo[1].text = "横断面数量";
  LabelInfo[6].text = "检查更新";
  LabelInfo[7].text = "更多原创软件";
}

void FormDrawVSheet::Show(DialogHost& host) {
  if (!loaded_) OnLoad();
  MarkShown();
  request_.reset();
  host.RunModal(*this);
}

std::optional<VolumeSheetRequest> FormDrawVSheet::Ask(DialogHost& host) {
  Show(host);
  return request_;
}

void FormDrawVSheet::OnLoad() {
  loaded_ = true;
  ComboVMode.items = {"实测", "设计+实测", "设计+实测+剩余"};
  ComboVMode.listIndex = 1;
  ComboHDMnumber.items = {"检测横断面数量+填入桩号", "填入横断面数量+不填入桩号"};
  ComboHDMnumber.listIndex = kTypeSections;
  OnComboHDMnumberClick();
  LabelInfo[6].handCursor = true;
  LabelInfo[7].handCursor = true;
}

void FormDrawVSheet::OnResize(int innerWidth) {
  uc1.left = 0;
  uc1.top = 0;
  uc1.width = innerWidth;
}

void FormDrawVSheet::OnComboHDMnumberClick() {
  if (ComboHDMnumber.listIndex != kDetectSections) return;
  if (!CanFillStations(sections_, ui_)) {
    ComboHDMnumber.listIndex = kTypeSections;
    OnComboHDMnumberClick();  // the new selection's own rule, which changes nothing
    return;
  }
  TextDrawDMnumber.text = std::to_string(sections_.SectionCount);
}

void FormDrawVSheet::OnLabelInfoClick(int index) { GoWebPage(index == 6 ? "index" : "Corvane", shell_); }

void FormDrawVSheet::OnCommandOKClick() {
  // A number too large for the last row leaves everything as it was and the dialog open.
  request_ = VolumeSheetRequestFrom(
      {ComboVMode.listIndex, ComboHDMnumber.listIndex == kDetectSections, TextDrawDMnumber.text});
  if (request_) Hide();
}

void FormDrawVSheet::OnCloseRequest() {
  Hide();
  request_.reset();
}

}  // namespace kestrel
