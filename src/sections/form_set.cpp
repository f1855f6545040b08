// FormSet: the drawing settings, the dictionary file, and the clipboard watcher.
#include "sections/form_set.h"

#include "host/clipboard.h"
#include "host/host_error.h"
#include "host/shell.h"
#include "host/timer.h"
#include "sections/dictionary_chooser.h"
#include "sections/dictionary_file.h"
#include "sections/dictionary_state.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

constexpr int kWatchIntervalMs = 1000;

Control TextBox(const char* text, const char* toolTip = "") {
  Control c;
  c.text = text;
  c.toolTip = toolTip;
  return c;
}

}  // namespace

DrawRequest DrawRequestFrom(const DrawEntries& entries) {
  DrawRequest r;
  r.ColumnSpacing = LeadingNumber(entries.ColumnSpacing);
  r.RowSpacing = LeadingNumber(entries.RowSpacing);
  r.StationLabelDX = LeadingNumber(entries.StationLabelDX);
  r.StationLabelDY = LeadingNumber(entries.StationLabelDY);
  r.StationTextHeight = LeadingNumber(entries.StationTextHeight);
  r.LevelTextHeight = LeadingNumber(entries.LevelTextHeight);
  r.LevelDigits = LeadingNumber(entries.LevelDigits);
  r.LabelMode = entries.LabelMode;
  r.LabelOffsets = entries.LabelOffsets;
  r.UseDictionary = entries.UseDictionary;
  return r;
}

FormSet::FormSet(DictionaryState& dictionary, Ui& ui, Shell& shell, Clipboard* clipboard, Timer* timer)
    : dictionary_(dictionary), ui_(ui), shell_(shell), clipboard_(clipboard), timer_(timer) {
  uc1.text = "横断面设置";
  uc1.height = 24;
  uc2.text = "桩号标注（相对于断面零坐标）";
  UC3.text = "高程与偏距标注";
  TextBoxCol = TextBox("200");
  TextBoxRow = TextBox("0");
  CheckAddFile.text = "断面文件";
  TextFileName.readOnly = true;
  TextFileName.enabled = false;
  CBFileAdd.text = "..";
  CBFileAdd.enabled = false;
  Frame1.visible = false;
  TextBoxZHX = TextBox("0", "建议值：0");
  TextBoxZHY = TextBox("20", "建议值：①比设计横断面中桩高程低1-5 ②或者比实测横断面中桩高程低1-5");
  TextBoxZHsize = TextBox("1");
  Text5 = TextBox("MC");
  TextBoxHeightDigit = TextBox("3");
  TextBoxHeightSize = TextBox("0.7");
  TextBoxDrawD.text = "同时标注偏距";
  CommandOK.text = "计算";
  CommandCancel.text = "取消";
  const std::pair<int, const char*> labels[] = {{0, "断面列间距"}, {1, "断面行间距"},   {2, "X偏差值"},
                                                {3, "Y偏差值"},    {4, "字体大小"},     {5, "对齐方式"},
                                                {6, "检查更新"},   {7, "更多原创软件"}, {9, "字体大小"},
                                                {10, "小数位数"},  {11, "标注模式"}};
  for (const auto& [index, text] : labels) LabelInfo[index].text = text;
}

FormSet::~FormSet() {
  if (timer_ != nullptr && timer_->Running()) timer_->Stop();
}

void FormSet::Show(DialogHost& dialogs, Application* host) {
  host_ = host;
  if (!loaded_) OnLoad();
  MarkShown();
  OnPaint();
  dialogs.RunModal(*this);
}

std::optional<DrawRequest> FormSet::Ask(DialogHost& dialogs, Application* host) {
  Show(dialogs, host);
  return request_;
}

void FormSet::OnLoad() {
  loaded_ = true;
  ComboHeightModel.items = {"只标中桩", "只标左中右", "标注全部"};
  ComboHeightModel.listIndex = 1;
  LabelInfo[6].handCursor = true;
  LabelInfo[7].handCursor = true;
}

void FormSet::OnPaint() {
  PaintDictionaryPath(dictionary_, TextFileName, Frame1);
  request_.reset();
}

void FormSet::OnResize(int innerWidth) {
  uc1.left = 0;
  uc1.top = 0;
  uc1.width = innerWidth;
}

void FormSet::OnCheckAddFileClick() {
  const bool on = CheckAddFile.checked;
  TextFileName.enabled = on;
  CBFileAdd.enabled = on;
  Frame1.enabled = on;
}

void FormSet::OnCBFileAddClick() { ChooseDictionaryInto(dictionary_, ui_, TextFileName, Frame1); }

void FormSet::OnImageViewClick() {
  if (host_ != nullptr) ShowDictionarySheet(TextFileName.text, *host_, dictionary_);
  Hide();
}

void FormSet::OnLabelInfoClick(int index) { GoWebPage(index == 6 ? "index" : "Corvane", shell_); }

void FormSet::OnTextBoxDrawDClick() {
  if (timer_ == nullptr || clipboard_ == nullptr) return;
  if (TextBoxDrawD.checked) {
    timer_->Start(kWatchIntervalMs, [this] { OnTimerTick(); });
  } else {
    timer_->Stop();
  }
}

void FormSet::OnTimerTick() {
  if (clipboard_ == nullptr) return;
  try {
    std::optional<std::string> text = clipboard_->GetText();
    if (!text || !text->starts_with("\"pl")) return;
    std::string unquoted;
    for (char c : *text)
      if (c != '"') unquoted += c;
    clipboard_->Clear();
    clipboard_->SetText(unquoted);
  } catch (const HostError&) {
    // The clipboard may be held by another program: the next tick tries again.
  }
}

void FormSet::OnCommandOKClick() {
  request_ = DrawRequestFrom({TextBoxCol.text, TextBoxRow.text, TextBoxZHX.text, TextBoxZHY.text, TextBoxZHsize.text,
                              TextBoxHeightDigit.text, TextBoxHeightSize.text, ComboHeightModel.listIndex,
                              TextBoxDrawD.checked, CheckAddFile.checked});
  Hide();
}

void FormSet::OnCloseRequest() {
  Hide();
  request_.reset();
}

}  // namespace kestrel
