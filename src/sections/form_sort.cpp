// FormSort: the sort dialog's controls and events.
#include "sections/form_sort.h"

#include <cmath>
#include <limits>
#include <optional>

#include "host/shell.h"
#include "host/ui.h"
#include "sections/dictionary_chooser.h"
#include "sections/dictionary_file.h"
#include "sections/dictionary_state.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

// The spacing as a whole number of metres greater than zero, or nothing: the text must be a
// number whose plain reading equals its strict conversion.
std::optional<int> ValidSpacing(const std::string& text) {
  std::optional<double> strict = StrictNumber(text);
  if (!strict || LeadingNumber(text) != *strict) return std::nullopt;
  if (!(*strict > 0) || std::trunc(*strict) != *strict) return std::nullopt;
  if (*strict > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(*strict);
}

}  // namespace

std::optional<SortRequest> SortRequestFrom(const SortEntries& entries, Ui& ui) {
  std::optional<int> spacing = ValidSpacing(entries.Spacing);
  if (!spacing) {
    ui.MessageBox("横断面整理间距请填入大于零的整数,例如:5米填入5,10米填入10", "错误", MessageButtons::Ok,
                  MessageIcon::None);
    return std::nullopt;
  }
  return SortRequest{*spacing, std::fabs(LeadingNumber(entries.Tolerance)), entries.UseDictionary};
}

FormSort::FormSort(DictionaryState& dictionary, Ui& ui, Shell& shell) : dictionary_(dictionary), ui_(ui), shell_(shell) {
  CommandOK.text = "排序";
  CommandCancel.text = "取消";
  uc1.text = "横断面初步整理";
  uc1.height = 24;
  CheckAddFile.text = "匹配断面文件桩号";
  TextOffset.text = "1";
  TextOffset.enabled = false;
  CheckDistance.text = "横断面整理间距(米)";
  CheckDistance.checked = true;
  Frame1.visible = false;
  TextBoxDistance.text = "5";
  TextBoxDistance.toolTip = "间距请填入大于零的整数,例如:5米填入5,10米填入10";
  TextFileName.enabled = false;
  TextFileName.readOnly = true;
  CBFileAdd.text = "..";
  CBFileAdd.enabled = false;
  LabelInfo[0].text = "允许偏差精度(米)";
  LabelInfo[6].text = "检查更新";
  LabelInfo[7].text = "更多原创软件";
}

void FormSort::Show(DialogHost& dialogs, Application* host) {
  host_ = host;
  if (!loaded_) OnLoad();
  MarkShown();
  OnPaint();
  dialogs.RunModal(*this);
}

std::optional<SortRequest> FormSort::Ask(DialogHost& dialogs, Application* host) {
  Show(dialogs, host);
  return request_;
}

void FormSort::OnLoad() {
  loaded_ = true;
  LabelInfo[6].handCursor = true;
  LabelInfo[7].handCursor = true;
}

void FormSort::OnPaint() {
  PaintDictionaryPath(dictionary_, TextFileName, Frame1);
  request_.reset();
}

void FormSort::OnResize(int innerWidth) {
  uc1.left = 0;
  uc1.top = 0;
  uc1.width = innerWidth;
}

void FormSort::OnCheckAddFileClick() {
  const bool on = CheckAddFile.checked;
  TextFileName.enabled = on;
  TextOffset.enabled = on;
  CBFileAdd.enabled = on;
  Frame1.enabled = on;
}

void FormSort::OnCheckDistanceClick() { CheckDistance.checked = true; }

void FormSort::OnCBFileAddClick() { ChooseDictionaryInto(dictionary_, ui_, TextFileName, Frame1); }

void FormSort::OnImageViewClick() {
  if (host_ != nullptr) ShowDictionarySheet(TextFileName.text, *host_, dictionary_);
  Hide();
}

void FormSort::OnLabelInfoClick(int index) { GoWebPage(index == 6 ? "index" : "Corvane", shell_); }

void FormSort::OnCommandOKClick() {
  request_ = SortRequestFrom({TextBoxDistance.text, TextOffset.text, CheckAddFile.checked}, ui_);
  if (request_) Hide();
}

void FormSort::OnCloseRequest() {
  Hide();
  request_.reset();
}

}  // namespace kestrel
