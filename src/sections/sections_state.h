// What the section commands (sort, draw data, the dictionary) keep between runs.
#pragma once

#include "sections/dictionary_state.h"
#include "sections/drawn_sections.h"

namespace kestrel {

// What the section commands keep between runs: the dictionary both dialogs load and the last
// drawing (the volume sheet and the CAD tools read its section list).
struct SectionsState : DictionaryState, DrawnSections {
  SectionsState() = default;
  SectionsState(const SectionsState&) = delete;
  SectionsState& operator=(const SectionsState&) = delete;
};

}  // namespace kestrel
