// DispatchApplication: the host's switches by IDispatch; the sheet operations are not wired to the host yet.
#include "dispatch_application.h"

#include <string>

#include "addin/host/host_error.h"
#include "dispatch_call.h"
#include "wide_text.h"

namespace kestrel {
namespace {

[[noreturn]] void NotAvailable(std::string_view member) {
  throw HostError("Application." + std::string(member) + " is not available in this build of the Windows add-in");
}

}  // namespace

DispatchApplication::DispatchApplication(IDispatch* host) : host_(host) {
  if (host_ != nullptr) host_->AddRef();
}

DispatchApplication::~DispatchApplication() {
  if (host_ != nullptr) host_->Release();
}

Worksheet& DispatchApplication::ActiveSheet() { NotAvailable("ActiveSheet"); }
Worksheet& DispatchApplication::AddSheet() { NotAvailable("Sheets.Add"); }

bool DispatchApplication::ScreenUpdating() { return GetSwitch(L"ScreenUpdating"); }
void DispatchApplication::SetScreenUpdating(bool on) { SetSwitch(L"ScreenUpdating", on); }
bool DispatchApplication::DisplayAlerts() { return GetSwitch(L"DisplayAlerts"); }
void DispatchApplication::SetDisplayAlerts(bool on) { SetSwitch(L"DisplayAlerts", on); }

double DispatchApplication::InchesToPoints(double) { NotAvailable("InchesToPoints"); }
std::optional<CallerCell> DispatchApplication::Caller() { NotAvailable("Caller"); }

bool DispatchApplication::GetSwitch(std::wstring_view name) {
  Variant value;
  GetProperty(host_, name, value);
  return VariantToBool(value.Get(), "Application." + FromWide(name));
}

void DispatchApplication::SetSwitch(std::wstring_view name, bool on) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
  PutProperty(host_, name, value);
}

}  // namespace kestrel
