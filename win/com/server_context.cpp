// The ServerContext of the loaded library.
#include "server_context.h"

namespace kestrel {

ServerContext& LibraryContext() {
  static ServerContext context;
  return context;
}

}  // namespace kestrel
