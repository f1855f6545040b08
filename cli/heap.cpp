// The tool's heap. On Linux the tool is linked with mimalloc, which takes the place of the C
// library's malloc: a million-point workbook is some seven million small blocks (cells, texts,
// rows), which mimalloc keeps in pages of blocks of one size with no header each, where the C
// library's heap gives each block a header and leaves freed pieces between them (about 90 MB
// less at the peak of a million points). Its memory comes in 2 MB pages where the system gives
// them, so a workbook's memory is taken in a few hundred page faults instead of a hundred
// thousand, which cost a fifth of a command's time on a virtual machine.
#include "heap.h"

#ifdef KESTREL_MIMALLOC
#include <sys/auxv.h>
#include <unistd.h>

#include <cstdlib>
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kestrel {

void SetUpHeap([[maybe_unused]] char** argv) {
#ifdef KESTREL_MIMALLOC
  // mimalloc takes its settings from the environment as the process starts, and has laid out its
  // first memory before main: the first time, the tool starts itself again with them set. Large
  // pages from the first thread's first memory on, and from each helper thread's (the reader
  // parses each run of rows on a new one). A setting of the user's own is left as it is; where
  // the tool cannot start again, it carries on with small pages.
  //
  // Started by naming the dynamic loader (`ld-linux-x86-64.so.2 kestrel ...`), the process's own
  // program is the loader, which would take the first argument for the program to run: then the
  // process has no program interpreter of its own (AT_BASE is 0), and the tool carries on.
  if (getauxval(AT_BASE) == 0) return;
  bool missing = false;
  auto setDefault = [&](const char* name, const char* value) {
    if (std::getenv(name) != nullptr) return;
    missing = true;
    setenv(name, value, 0);
  };
  setDefault("MIMALLOC_LARGE_OS_PAGES", "1");
  setDefault("MIMALLOC_EAGER_COMMIT_DELAY", "0");
  if (missing) execv("/proc/self/exe", argv);
#elif defined(__GLIBC__)
  // Two heaps: one for the main thread and one shared by the reader's and writer's helper threads.
  // With one heap for all, the helpers' allocations (parsed rows, deflated buffers) and the main
  // thread's (cells, texts) wait on each other's lock: reading a 100,000-point drawn workbook took
  // a sixth longer. Two keep the peak within about 20 MB of one (more heaps add nothing).
  mallopt(M_ARENA_MAX, 2);
#endif
}

}  // namespace kestrel
