// The ServerContext of the loaded library.
#include "server_context.h"

namespace kestrel {

ServerContext::ServerContext() {
  HMODULE program = GetModuleHandleW(nullptr);
  holdServer_ = reinterpret_cast<void (*)()>(GetProcAddress(program, "KestrelHoldServer"));
  releaseServer_ = reinterpret_cast<void (*)()>(GetProcAddress(program, "KestrelReleaseServer"));
  if (holdServer_ == nullptr || releaseServer_ == nullptr) holdServer_ = releaseServer_ = nullptr;
}

void ServerContext::HoldServer() const {
  if (holdServer_ != nullptr) holdServer_();
}

void ServerContext::ReleaseServer() const {
  if (releaseServer_ != nullptr) releaseServer_();
}

ServerContext& LibraryContext() {
  static ServerContext context;
  return context;
}

}  // namespace kestrel
