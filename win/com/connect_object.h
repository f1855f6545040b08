// The COM object of class Connect: the _Connect dispatch that the ribbon calls by name, and the
// host's IDTExtensibility2 and IRibbonExtensibility. Each method crosses into the core's Connect.
#pragma once

#include <atomic>
#include <string_view>

#include "addin/connect.h"
#include "kestrel_h.h"
#include "server_context.h"

namespace kestrel {

class ConnectObject final : public _Connect, public ISupportErrorInfo {
 public:
  // A new object serving through `context`, answered through interface iid.
  static HRESULT Create(ServerContext& context, REFIID iid, void** object);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch: the members of _Connect, the ribbon interface's GetCustomUI and the ribbon's
  // callbacks from the command table, so that a late-bound client (the host's ribbon, a macro)
  // reaches every method of the object by name.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // _Connect
  HRESULT STDMETHODCALLTYPE GetRibbonXML(BSTR* xml) override;
  HRESULT STDMETHODCALLTYPE GetImage(IDispatch* control, IPictureDisp** picture) override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

 private:
  // The host interfaces are separate vtables, each with its own IDispatch, because their dispatch
  // ids overlap (both number their methods from 1).
  class AddinPart final : public IDTExtensibility2 {
   public:
    explicit AddinPart(ConnectObject& outer) : outer_(outer) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;
    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* addIn,
                                           SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode mode, SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

   private:
    ConnectObject& outer_;
  };

  class RibbonPart final : public IRibbonExtensibility {
   public:
    explicit RibbonPart(ConnectObject& outer) : outer_(outer) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;
    HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* xml) override;

   private:
    ConnectObject& outer_;
  };

  explicit ConnectObject(ServerContext& context);
  ~ConnectObject();

  void ConnectHost(IDispatch* application);
  void DisconnectHost();
  HRESULT RunCallback(std::string_view name);
  HRESULT InvokeCommand(size_t index, WORD flags, DISPPARAMS* params, VARIANT* result);

  std::atomic<ULONG> references_{1};
  ServerContext& context_;
  ServerReference server_;
  Connect connect_;
  bool connectedHost_ = false;
  AddinPart addin_{*this};
  RibbonPart ribbon_{*this};
};

}  // namespace kestrel
