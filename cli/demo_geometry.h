// The demo's road-geometry steps: .ZM and .hp files from the sample's sheets, design elevations of its sections.
#pragma once

#include <filesystem>
#include <iosfwd>

#include "cli_context.h"

namespace kestrel {

// Saves the sheets "纵断面" and "横坡" as profile.ZM and crossfall.hp in `out`, then puts on a
// new sheet "设计高程" every section station of the sorted survey (column F of "实测横断面") with
// its design elevation from GetH on the .ZM file and its cross slopes from GetHP on the .hp file.
// Steps are numbered from firstStep. Returns the exit status (kExitDone when all went through).
int RunGeometryDemo(CliContext& context, MemoryWorkbook& book, const std::filesystem::path& out, std::ostream& say,
                    int firstStep);

}  // namespace kestrel
