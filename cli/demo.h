// The demo: the main job on the bundled sample survey, written into one folder.
#pragma once

#include <ostream>
#include <string>

namespace kestrel {

// Writes every file the demo produces into dir and says what it did; returns the exit status.
int RunDemo(const std::string& dir, std::ostream& out);

}  // namespace kestrel
