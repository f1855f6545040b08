// Loads the embedded type library once and caches the type info of each interface asked for.
#include "type_library.h"

#include <oleauto.h>

#include <mutex>
#include <string>
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
  struct Members {
    GUID guid;
    std::vector<std::pair<std::wstring, DISPID>> ids;
  };
  std::vector<Members> members;
};

// The names and ids of the functions and properties of a type.
std::vector<std::pair<std::wstring, DISPID>> MemberTable(ITypeInfo* info) {
  std::vector<std::pair<std::wstring, DISPID>> ids;
  TYPEATTR* attributes = nullptr;
  CheckHresult(info->GetTypeAttr(&attributes), "Reading a type of the embedded type library");
  auto add = [&](MEMBERID id) {
    BSTR name = nullptr;
    UINT got = 0;
    if (SUCCEEDED(info->GetNames(id, &name, 1, &got)) && got == 1 && name != nullptr) ids.emplace_back(name, id);
    SysFreeString(name);
  };
  for (UINT i = 0; i < attributes->cFuncs; ++i) {
    FUNCDESC* function = nullptr;
    if (FAILED(info->GetFuncDesc(i, &function))) continue;
    add(function->memid);
    info->ReleaseFuncDesc(function);
  }
  for (UINT i = 0; i < attributes->cVars; ++i) {
    VARDESC* variable = nullptr;
    if (FAILED(info->GetVarDesc(i, &variable))) continue;
    add(variable->memid);
    info->ReleaseVarDesc(variable);
  }
  info->ReleaseTypeAttr(attributes);
  return ids;
}

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

bool LibraryMemberId(REFGUID guid, const wchar_t* name, DISPID* id) {
  ITypeInfo* info = LibraryTypeInfo(guid);
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> guard(cache.lock);
  const Cache::Members* table = nullptr;
  for (const Cache::Members& m : cache.members) {
    if (IsEqualGUID(m.guid, guid)) table = &m;
  }
  if (table == nullptr) table = &cache.members.emplace_back(Cache::Members{guid, MemberTable(info)});
  for (const auto& [member, memberId] : table->ids) {
    if (CompareStringOrdinal(member.c_str(), -1, name, -1, TRUE) == CSTR_EQUAL) {
      *id = memberId;
      return true;
    }
  }
  return false;
}

void ReleaseLibraryTypeInfo() {
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> guard(cache.lock);
  cache.members.clear();
  for (auto& entry : cache.types) entry.second->Release();
  cache.types.clear();
  if (cache.library != nullptr) cache.library->Release();
  cache.library = nullptr;
}

}  // namespace kestrel
