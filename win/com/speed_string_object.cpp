// SpeedStringObject: the cSpeedString class over the core's SpeedString.
#include "automation_object.h"
#include "automation_objects.h"
#include "kestrel_h.h"
#include "util/speed_string.h"
#include "platform/wide_text.h"
#include "server_context.h"

namespace kestrel {
namespace {

class SpeedStringObject final : public AutomationObject<_cSpeedString> {
 public:
  explicit SpeedStringObject(ServerContext& context) : server_(context) {}

  HRESULT STDMETHODCALLTYPE Reset() override {
    return Barrier([&] {
      builder_.Reset();
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE Append(BSTR value) override {
    return Barrier([&] {
      builder_.Append(FromBstr(value));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_Data(LONG op, BSTR* text) override {
    return Barrier([&] {
      if (text == nullptr) return E_POINTER;
      *text = ToBstr(builder_.Data(op));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_SlotCount(LONG* count) override {
    return Barrier([&] {
      if (count == nullptr) return E_POINTER;
      *count = static_cast<LONG>(builder_.SlotCount());
      return S_OK;
    });
  }

 private:
  ServerReference server_;
  SpeedString builder_;
};

}  // namespace

HRESULT CreateSpeedStringObject(ServerContext& context, REFIID iid, void** object) {
  return CreateAutomationObject<SpeedStringObject>(iid, object, context);
}

}  // namespace kestrel
