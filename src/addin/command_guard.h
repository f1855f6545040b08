// The checks before a ribbon command changes a workbook, and the message of a host's refusal during one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/application.h"
#include "host_doubles/counting_host.h"

namespace kestrel {

// What a command does with the host's workbook, which decides what it needs of the host's view.
enum class SheetUse {
  None,       // nothing (web pages, the plug-in installation)
  Reads,      // reads the active worksheet (the file savers): a workbook and a worksheet
  AddsSheet,  // adds a sheet of its own (the volume sheet): a workbook
  Changes,    // changes the active worksheet: a workbook, a worksheet, unprotected, cells selected
};

// Why the command labelled `label` cannot run on what the host shows, as the message the user
// reads; nothing when it can.
//   ViewProblem({.sheetProtected = true}, SheetUse::Changes, "初次排序")
//     -> "“初次排序”无法执行：当前工作表受保护，请先撤消工作表保护！"
std::optional<std::string> ViewProblem(const HostView& view, SheetUse use, std::string_view label);

// The message after the host refused a call of the command labelled `label`: what the refusal
// ended and what the command had changed by then (from the calls counted in `calls`), then the
// host's own words.
std::string RefusalMessage(std::string_view label, const CallCounter& calls, std::string_view hostText);

inline constexpr char kViewProblemTitle[] = "错误";
inline constexpr char kRefusalTitle[] = "失败";

}  // namespace kestrel
