// How the tool's heap is set up, before anything else runs.
#pragma once

namespace kestrel {

void SetUpHeap();

}  // namespace kestrel
