// ConnectObject: COM plumbing around the core's Connect (interfaces, dispatch, error barriers).
#include "connect_object.h"

#include <new>
#include <string>

#include "addin/commands.h"
#include "com_error.h"
#include "excel/dispatch_call.h"
#include "dual_dispatch.h"
#include "module.h"
#include "ribbon_picture.h"
#include "server_context.h"
#include "platform/wide_text.h"

namespace kestrel {
namespace {

// Dispatch ids of the ribbon interface's members as the object's own IDispatch answers them,
// kept apart from the ids of _Connect.
constexpr DISPID kRibbonDispidBase = 0x10000;
// The ribbon's callbacks: the command table's index from here on (ConnectCommands in the type
// library gives the same ids).
constexpr DISPID kCommandDispidBase = 0x100;

// The Id of the ribbon control that asks for a picture; "" when the host passes none.
std::string ControlId(IDispatch* control) {
  if (control == nullptr) return std::string();
  Variant id;
  GetProperty(control, L"Id", id);
  return VariantToText(id.Get(), "IRibbonControl.Id");
}

}  // namespace

HRESULT ConnectObject::Create(ServerContext& context, REFIID iid, void** object) {
  return ComBarrier(IID__Connect, [&] {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    ConnectObject* created = new ConnectObject(context);
    HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
  });
}

ConnectObject::ConnectObject(ServerContext& context)
    : context_(context),
      server_(context),
      connect_(context.session, context.ui, context.shell, context.dialogs, &context.clipboard, &context.timer,
               &context.cadInstall) {
  LockModule();
}

ConnectObject::~ConnectObject() {
  if (connectedHost_) {
    try {
      DisconnectHost();
    } catch (...) {
    }
  }
  UnlockModule();
}

HRESULT ConnectObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID__Connect)) {
    *object = static_cast<_Connect*>(this);
  } else if (IsEqualIID(iid, IID_IDTExtensibility2)) {
    *object = &addin_;
  } else if (IsEqualIID(iid, IID_IRibbonExtensibility)) {
    *object = &ribbon_;
  } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG ConnectObject::AddRef() { return ++references_; }

ULONG ConnectObject::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT ConnectObject::GetTypeInfoCount(UINT* count) { return DualGetTypeInfoCount(count); }

HRESULT ConnectObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  return DualGetTypeInfo(IID__Connect, index, info);
}

HRESULT ConnectObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  HRESULT hr = DualGetIDsOfNames(IID__Connect, names, count, ids);
  if (hr != DISP_E_UNKNOWNNAME || count == 0 || ids[0] != DISPID_UNKNOWN) return hr;
  if (DualGetIDsOfNames(IID_IRibbonExtensibility, names, count, ids) == S_OK) {
    ids[0] += kRibbonDispidBase;
    return S_OK;
  }
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return ComBarrier(IID__Connect, [&] {
    const RibbonCommand* command = FindRibbonCommand(FromWide(names[0]));
    if (command == nullptr) return hr;
    ids[0] = kCommandDispidBase + static_cast<DISPID>(command - RibbonCommands().data());
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;  // the callbacks' argument is not named
  });
}

HRESULT ConnectObject::Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (member > kRibbonDispidBase && member < 2 * kRibbonDispidBase) {
    return ribbon_.Invoke(member - kRibbonDispidBase, iid, locale, flags, params, result, exception,
                          argumentError);
  }
  if (member >= kCommandDispidBase && member < kCommandDispidBase + static_cast<DISPID>(RibbonCommands().size())) {
    return InvokeCommand(member - kCommandDispidBase, flags, params, result);
  }
  return DualInvoke(IID__Connect, static_cast<_Connect*>(this), member, flags, params, result, exception,
                    argumentError);
}

// A ribbon callback: a method with the pressed control as its only, ignored argument.
HRESULT ConnectObject::InvokeCommand(size_t index, WORD flags, DISPPARAMS* params, VARIANT* result) {
  if ((flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
  if (params != nullptr && (params->cArgs > 1 || params->cNamedArgs > 0)) return DISP_E_BADPARAMCOUNT;
  if (result != nullptr) VariantInit(result);
  return RunCallback(RibbonCommands()[index].callback);
}

HRESULT ConnectObject::GetRibbonXML(BSTR* xml) {
  return ComBarrier(IID__Connect, [&] {
    if (xml == nullptr) return E_POINTER;
    *xml = nullptr;
    *xml = ToBstr(connect_.GetRibbonXML());
    return S_OK;
  });
}

HRESULT ConnectObject::GetImage(IDispatch* control, IPictureDisp** picture) {
  return ComBarrier(IID__Connect, [&] {
    if (picture == nullptr) return E_POINTER;
    *picture = nullptr;
    std::string_view name = Connect::ImageFor(ControlId(control));
    if (!name.empty()) *picture = LoadRibbonPicture(name);
    return S_OK;
  });
}


HRESULT ConnectObject::RunCallback(std::string_view name) {
  return ComBarrier(IID__Connect, [&] {
    // Host objects are held only while a command runs.
    struct SheetRelease {
      ~SheetRelease() {
        if (DispatchApplication* host = context.Host()) host->ReleaseSheets();
      }
      ServerContext& context;
    } release{context_};
    if (!connect_.RunCallback(name)) {
      throw ComError(DISP_E_MEMBERNOTFOUND, "No ribbon command is named " + std::string(name));
    }
    return S_OK;
  });
}

HRESULT ConnectObject::InterfaceSupportsErrorInfo(REFIID iid) {
  bool ours = IsEqualIID(iid, IID__Connect) || IsEqualIID(iid, IID_IDTExtensibility2) ||
              IsEqualIID(iid, IID_IRibbonExtensibility);
  return ours ? S_OK : S_FALSE;
}

void ConnectObject::ConnectHost(IDispatch* application) {
  context_.ConnectHost(application, [&](DispatchApplication* host) { connect_.OnConnection(host); });
  connectedHost_ = true;
}

void ConnectObject::DisconnectHost() {
  context_.DisconnectHost([&] { connect_.OnDisconnection(); });
  connectedHost_ = false;
}

// IDTExtensibility2 ------------------------------------------------------------------------------

HRESULT ConnectObject::AddinPart::QueryInterface(REFIID iid, void** object) {
  return outer_.QueryInterface(iid, object);
}
ULONG ConnectObject::AddinPart::AddRef() { return outer_.AddRef(); }
ULONG ConnectObject::AddinPart::Release() { return outer_.Release(); }

HRESULT ConnectObject::AddinPart::GetTypeInfoCount(UINT* count) { return DualGetTypeInfoCount(count); }

HRESULT ConnectObject::AddinPart::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  return DualGetTypeInfo(IID_IDTExtensibility2, index, info);
}

HRESULT ConnectObject::AddinPart::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return DualGetIDsOfNames(IID_IDTExtensibility2, names, count, ids);
}

HRESULT ConnectObject::AddinPart::Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                         VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return DualInvoke(IID_IDTExtensibility2, static_cast<IDTExtensibility2*>(this), member, flags, params, result,
                    exception, argumentError);
}

HRESULT ConnectObject::AddinPart::OnConnection(IDispatch* application, ext_ConnectMode, IDispatch*, SAFEARRAY**) {
  return ComBarrier(IID_IDTExtensibility2, [&] {
    outer_.ConnectHost(application);
    return S_OK;
  });
}

HRESULT ConnectObject::AddinPart::OnDisconnection(ext_DisconnectMode, SAFEARRAY**) {
  return ComBarrier(IID_IDTExtensibility2, [&] {
    outer_.DisconnectHost();
    return S_OK;
  });
}

HRESULT ConnectObject::AddinPart::OnAddInsUpdate(SAFEARRAY**) { return S_OK; }
HRESULT ConnectObject::AddinPart::OnStartupComplete(SAFEARRAY**) { return S_OK; }
HRESULT ConnectObject::AddinPart::OnBeginShutdown(SAFEARRAY**) { return S_OK; }

// IRibbonExtensibility --------------------------------------------------------------------------

HRESULT ConnectObject::RibbonPart::QueryInterface(REFIID iid, void** object) {
  return outer_.QueryInterface(iid, object);
}
ULONG ConnectObject::RibbonPart::AddRef() { return outer_.AddRef(); }
ULONG ConnectObject::RibbonPart::Release() { return outer_.Release(); }

HRESULT ConnectObject::RibbonPart::GetTypeInfoCount(UINT* count) { return DualGetTypeInfoCount(count); }

HRESULT ConnectObject::RibbonPart::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  return DualGetTypeInfo(IID_IRibbonExtensibility, index, info);
}

HRESULT ConnectObject::RibbonPart::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return DualGetIDsOfNames(IID_IRibbonExtensibility, names, count, ids);
}

HRESULT ConnectObject::RibbonPart::Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                          VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return DualInvoke(IID_IRibbonExtensibility, static_cast<IRibbonExtensibility*>(this), member, flags, params,
                    result, exception, argumentError);
}

HRESULT ConnectObject::RibbonPart::GetCustomUI(BSTR ribbonId, BSTR* xml) {
  return ComBarrier(IID_IRibbonExtensibility, [&] {
    if (xml == nullptr) return E_POINTER;
    *xml = nullptr;
    *xml = ToBstr(outer_.connect_.GetCustomUI(FromBstr(ribbonId)));
    return S_OK;
  });
}

}  // namespace kestrel
