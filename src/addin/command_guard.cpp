// ViewProblem and RefusalMessage: the add-in's words for a host that cannot or will not do a command's work.
#include "addin/command_guard.h"

#include <utility>
#include <vector>

namespace kestrel {
namespace {

// Kinds of change, each with the calls that make it, in the order a message names them.
struct ChangeKind {
  const char* words;
  std::vector<HostCall> calls;
};

const std::vector<ChangeKind>& ChangeKinds() {
  using enum HostCall;
  static const std::vector<ChangeKind> kinds = {
      {"新建工作表", {AddSheet}},
      {"写入单元格", {SetValue, SetValues, Replace}},
      {"插入或删除行列", {InsertRows, InsertRowsAbove, DeleteRowsAt, DeleteRows, InsertColumns, DeleteColumns}},
      {"排序", {Sort}},
      {"合并单元格", {Merge}},
      {"设置格式", {SetNumberFormat, SetFont, SetSuperscript, SetAlignment, SetWrapText, SetColumnWidth, SetRowHeight,
                    AutoFitColumns, SetBorder, SetPageSetup}},
      {"修改批注", {ClearNotes, SetNote}},
  };
  return kinds;
}

}  // namespace

std::optional<std::string> ViewProblem(const HostView& view, SheetUse use, std::string_view label) {
  const char* reason = nullptr;
  if (use == SheetUse::None) return std::nullopt;
  if (!view.workbookOpen) {
    reason = "没有打开的工作簿，请先打开或新建一个工作簿！";
  } else if (use == SheetUse::AddsSheet) {
    return std::nullopt;
  } else if (!view.worksheetActive) {
    reason = "当前是图表工作表，请先切换到数据所在的工作表！";
  } else if (use == SheetUse::Reads) {
    return std::nullopt;
  } else if (view.sheetProtected) {
    reason = "当前工作表受保护，请先撤消工作表保护！";
  } else if (!view.cellsSelected) {
    reason = "当前选中的是图形或图表，请先选中工作表中的单元格！";
  } else {
    return std::nullopt;
  }
  return "“" + std::string(label) + "”无法执行：" + reason;
}

std::string RefusalMessage(std::string_view label, const CallCounter& calls, std::string_view hostText) {
  // The refused call is counted but changed nothing.
  std::optional<HostCall> refused;
  if (calls.FirstRefusal() && calls.FirstRefusal()->atCall >= 1 &&
      static_cast<size_t>(calls.FirstRefusal()->atCall) <= calls.Log().size()) {
    refused = calls.Log()[static_cast<size_t>(calls.FirstRefusal()->atCall) - 1];
  }
  std::string changed;
  for (const ChangeKind& kind : ChangeKinds()) {
    long count = 0;
    for (HostCall call : kind.calls) count += calls.Calls(call) - (refused == call ? 1 : 0);
    if (count > 0) changed += (changed.empty() ? "" : "、") + std::string(kind.words);
  }
  std::string text = "“" + std::string(label) + "”未能完成：表格程序拒绝了其中的一步操作。\r\n";
  text += changed.empty() ? "工作簿没有被改动。" : "已做的改动（" + changed + "）保留在工作簿中，请检查。";
  if (!hostText.empty()) text += "\r\n\r\n" + std::string(hostText);
  return text;
}

}  // namespace kestrel
