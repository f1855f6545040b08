// How the tool's heap is set up, before anything else runs: may start the tool again with the
// same arguments (`argv` as main has it).
#pragma once

namespace kestrel {

void SetUpHeap(char** argv);

}  // namespace kestrel
