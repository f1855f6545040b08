// Loads the embedded type library once and caches the type info of each interface asked for.
#include "type_library.h"

#include <oleauto.h>

#include <mutex>
#include <utility>
#include <vector>

#include "com_error.h"
#include "module.h"

namespace kestrel {
namespace {

struct Cache {
  std::mutex lock;
  ITypeLib* library = nullptr;
  std::vector<std::pair<GUID, ITypeInfo*>> types;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

}  // namespace

ITypeInfo* LibraryTypeInfo(REFGUID guid) {
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> guard(cache.lock);
  for (const auto& [id, info] : cache.types) {
    if (IsEqualGUID(id, guid)) return info;
  }
  if (cache.library == nullptr) {
    // The module path alone names resource TYPELIB 1 of the module.
    CheckHresult(LoadTypeLibEx(ThisModulePath().c_str(), REGKIND_NONE, &cache.library),
                 "Loading the embedded type library");
  }
  ITypeInfo* info = nullptr;
  CheckHresult(cache.library->GetTypeInfoOfGuid(guid, &info), "Finding a type in the embedded type library");
  cache.types.emplace_back(guid, info);
  return info;
}

void ReleaseLibraryTypeInfo() {
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> guard(cache.lock);
  for (auto& entry : cache.types) entry.second->Release();
  cache.types.clear();
  if (cache.library != nullptr) cache.library->Release();
  cache.library = nullptr;
}

}  // namespace kestrel
