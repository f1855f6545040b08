// Counts the heap allocations one module makes, by rewriting its import table: every allocating
// function it imports (the C runtime's malloc family, which operator new calls; the system heaps;
// BSTRs, safe arrays and error objects; VariantCopy/ChangeType results that own memory) goes
// through a counting wrapper first. What the system or the host allocate inside their own code
// (DispInvoke's argument arrays, a host's BSTR answers) is not this module's and is not counted.
//   CountAllocationsOf(LoadLibraryW(L"Kestrel.dll"));
//   const long before = AllocationCount();  ...  AllocationCount() - before
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdlib>
#include <cstring>

namespace kestrel::testing {

namespace allocation_detail {

inline long count = 0;

struct Original {
  void*(__cdecl* malloc)(size_t) = nullptr;
  void*(__cdecl* calloc)(size_t, size_t) = nullptr;
  void*(__cdecl* realloc)(void*, size_t) = nullptr;
  char*(__cdecl* strdup)(const char*) = nullptr;
  HGLOBAL(WINAPI* globalAlloc)(UINT, SIZE_T) = nullptr;
  HLOCAL(WINAPI* localAlloc)(UINT, SIZE_T) = nullptr;
  LPVOID(WINAPI* heapAlloc)(HANDLE, DWORD, SIZE_T) = nullptr;
  LPVOID(WINAPI* heapReAlloc)(HANDLE, DWORD, LPVOID, SIZE_T) = nullptr;
  LPVOID(WINAPI* coTaskMemAlloc)(SIZE_T) = nullptr;
  HRESULT(WINAPI* createErrorInfo)(ICreateErrorInfo**) = nullptr;
  BSTR(WINAPI* sysAllocString)(const OLECHAR*) = nullptr;
  BSTR(WINAPI* sysAllocStringLen)(const OLECHAR*, UINT) = nullptr;
  BSTR(WINAPI* sysAllocStringByteLen)(LPCSTR, UINT) = nullptr;
  SAFEARRAY*(WINAPI* safeArrayCreate)(VARTYPE, UINT, SAFEARRAYBOUND*) = nullptr;
  SAFEARRAY*(WINAPI* safeArrayCreateVector)(VARTYPE, LONG, ULONG) = nullptr;
  HRESULT(WINAPI* variantCopy)(VARIANTARG*, const VARIANTARG*) = nullptr;
  HRESULT(WINAPI* variantCopyInd)(VARIANT*, const VARIANTARG*) = nullptr;
  HRESULT(WINAPI* variantChangeType)(VARIANTARG*, const VARIANTARG*, USHORT, VARTYPE) = nullptr;
  HRESULT(WINAPI* variantChangeTypeEx)(VARIANTARG*, const VARIANTARG*, LCID, USHORT, VARTYPE) = nullptr;
};
inline Original original;

// A VARIANT result that owns heap memory: a BSTR, an array or a record.
inline void CountOwned(HRESULT hr, const VARIANT* v) {
  if (SUCCEEDED(hr) && v != nullptr && (V_VT(v) & VT_BYREF) == 0 &&
      (V_VT(v) == VT_BSTR || (V_VT(v) & VT_ARRAY) != 0 || V_VT(v) == VT_RECORD)) {
    ++count;
  }
}

inline void* __cdecl Malloc(size_t n) { return ++count, original.malloc(n); }
inline void* __cdecl Calloc(size_t n, size_t s) { return ++count, original.calloc(n, s); }
inline void* __cdecl Realloc(void* p, size_t n) { return ++count, original.realloc(p, n); }
inline char* __cdecl Strdup(const char* s) { return ++count, original.strdup(s); }
inline HGLOBAL WINAPI GlobalAllocCounted(UINT f, SIZE_T n) { return ++count, original.globalAlloc(f, n); }
inline HLOCAL WINAPI LocalAllocCounted(UINT f, SIZE_T n) { return ++count, original.localAlloc(f, n); }
inline LPVOID WINAPI HeapAllocCounted(HANDLE h, DWORD f, SIZE_T n) { return ++count, original.heapAlloc(h, f, n); }
inline LPVOID WINAPI HeapReAllocCounted(HANDLE h, DWORD f, LPVOID p, SIZE_T n) {
  return ++count, original.heapReAlloc(h, f, p, n);
}
inline LPVOID WINAPI CoTaskMemAllocCounted(SIZE_T n) { return ++count, original.coTaskMemAlloc(n); }
inline HRESULT WINAPI CreateErrorInfoCounted(ICreateErrorInfo** p) { return ++count, original.createErrorInfo(p); }
inline BSTR WINAPI SysAllocStringCounted(const OLECHAR* s) { return ++count, original.sysAllocString(s); }
inline BSTR WINAPI SysAllocStringLenCounted(const OLECHAR* s, UINT n) {
  return ++count, original.sysAllocStringLen(s, n);
}
inline BSTR WINAPI SysAllocStringByteLenCounted(LPCSTR s, UINT n) {
  return ++count, original.sysAllocStringByteLen(s, n);
}
inline SAFEARRAY* WINAPI SafeArrayCreateCounted(VARTYPE t, UINT d, SAFEARRAYBOUND* b) {
  return ++count, original.safeArrayCreate(t, d, b);
}
inline SAFEARRAY* WINAPI SafeArrayCreateVectorCounted(VARTYPE t, LONG l, ULONG n) {
  return ++count, original.safeArrayCreateVector(t, l, n);
}
inline HRESULT WINAPI VariantCopyCounted(VARIANTARG* d, const VARIANTARG* s) {
  const HRESULT hr = original.variantCopy(d, s);
  CountOwned(hr, d);
  return hr;
}
inline HRESULT WINAPI VariantCopyIndCounted(VARIANT* d, const VARIANTARG* s) {
  const HRESULT hr = original.variantCopyInd(d, s);
  CountOwned(hr, d);
  return hr;
}
inline HRESULT WINAPI VariantChangeTypeCounted(VARIANTARG* d, const VARIANTARG* s, USHORT f, VARTYPE t) {
  const HRESULT hr = original.variantChangeType(d, s, f, t);
  CountOwned(hr, d);
  return hr;
}
inline HRESULT WINAPI VariantChangeTypeExCounted(VARIANTARG* d, const VARIANTARG* s, LCID l, USHORT f, VARTYPE t) {
  const HRESULT hr = original.variantChangeTypeEx(d, s, l, f, t);
  CountOwned(hr, d);
  return hr;
}

// Replaces the import `name` of `module` by `wrapper`, keeping the bound function in `saved`.
template <class F>
int Hook(HMODULE module, const char* name, F wrapper, F& saved) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  int hooked = 0;
  for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); d->Name != 0; ++d) {
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
    auto* bound = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++bound) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
      DWORD protection = 0;
      VirtualProtect(&bound->u1.Function, sizeof bound->u1.Function, PAGE_READWRITE, &protection);
      saved = reinterpret_cast<F>(bound->u1.Function);
      bound->u1.Function = reinterpret_cast<decltype(bound->u1.Function)>(wrapper);
      VirtualProtect(&bound->u1.Function, sizeof bound->u1.Function, protection, &protection);
      ++hooked;
    }
  }
  return hooked;
}

}  // namespace allocation_detail

// Starts counting the allocations of `module` (call once, before its first counted call).
// Answers how many allocating imports it found: 0 means nothing of the module would be counted.
inline int CountAllocationsOf(HMODULE module) {
  using namespace allocation_detail;
  Original& o = original;
  return Hook(module, "malloc", &Malloc, o.malloc) + Hook(module, "calloc", &Calloc, o.calloc) +
         Hook(module, "realloc", &Realloc, o.realloc) + Hook(module, "_strdup", &Strdup, o.strdup) +
         Hook(module, "GlobalAlloc", &GlobalAllocCounted, o.globalAlloc) +
         Hook(module, "LocalAlloc", &LocalAllocCounted, o.localAlloc) +
         Hook(module, "HeapAlloc", &HeapAllocCounted, o.heapAlloc) +
         Hook(module, "HeapReAlloc", &HeapReAllocCounted, o.heapReAlloc) +
         Hook(module, "CoTaskMemAlloc", &CoTaskMemAllocCounted, o.coTaskMemAlloc) +
         Hook(module, "CreateErrorInfo", &CreateErrorInfoCounted, o.createErrorInfo) +
         Hook(module, "SysAllocString", &SysAllocStringCounted, o.sysAllocString) +
         Hook(module, "SysAllocStringLen", &SysAllocStringLenCounted, o.sysAllocStringLen) +
         Hook(module, "SysAllocStringByteLen", &SysAllocStringByteLenCounted, o.sysAllocStringByteLen) +
         Hook(module, "SafeArrayCreate", &SafeArrayCreateCounted, o.safeArrayCreate) +
         Hook(module, "SafeArrayCreateVector", &SafeArrayCreateVectorCounted, o.safeArrayCreateVector) +
         Hook(module, "VariantCopy", &VariantCopyCounted, o.variantCopy) +
         Hook(module, "VariantCopyInd", &VariantCopyIndCounted, o.variantCopyInd) +
         Hook(module, "VariantChangeType", &VariantChangeTypeCounted, o.variantChangeType) +
         Hook(module, "VariantChangeTypeEx", &VariantChangeTypeExCounted, o.variantChangeTypeEx);
}

// The allocations counted so far.
inline long AllocationCount() { return allocation_detail::count; }

}  // namespace kestrel::testing
