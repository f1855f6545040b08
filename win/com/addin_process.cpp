// The one AddinProcess of the loaded library.
#include "addin_process.h"

namespace kestrel {

AddinProcess& TheAddinProcess() {
  static AddinProcess process;
  return process;
}

}  // namespace kestrel
