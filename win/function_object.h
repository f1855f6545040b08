// The ClsFunction class: the worksheet functions of the catalogue as the host's automation add-in.
#pragma once

#include <initializer_list>
#include <optional>

#include "automation_object.h"
#include "geometry/function_value.h"
#include "kestrel_h.h"

namespace kestrel {

// Every member converts its arguments to the catalogue's values (a host Range arrives as a
// DispatchWorksheet over its sheet, read through the late-bound adaptor), runs the catalogue's
// call with the process-wide caches the add-in's commands use, writes changed by-reference
// arguments back, and converts the result. A failure the function has no sentinel for gives the
// host's #VALUE!: the error value itself for a variant result, otherwise the failure HRESULT
// 0x800A07DF (2015) that the host shows as #VALUE!.
class FunctionObject final : public AutomationObject<_ClsFunction> {
 public:
  HRESULT STDMETHODCALLTYPE GetH(double jsdzh, VARIANT* Adress, LONG Refresh, double* result) override;
  HRESULT STDMETHODCALLTYPE Text2(IDispatch* R, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE GetJK(double zh, double D, BSTR FileName, VARIANT* model, double* result) override;
  HRESULT STDMETHODCALLTYPE GetHP(double zh, double D, BSTR FileName, VARIANT* model, double* result) override;
  HRESULT STDMETHODCALLTYPE VlookZhD(double zh, VARIANT D, VARIANT* scrRange, LONG Column, VARIANT* zhDig,
                                     VARIANT* DDig, double* result) override;
  HRESULT STDMETHODCALLTYPE HHR(double L, double a, VARIANT R, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE GetPoint(BSTR SrcText, BSTR cs, SHORT Round, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE Pl(BSTR X, BSTR Y, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE Rand0(double lowerbound, double upperbound, LONG Digit, double* result) override;
  HRESULT STDMETHODCALLTYPE RangeAddress(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE DMS(double X, VARIANT* model, VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE DEG(double X, double* result) override;
  HRESULT STDMETHODCALLTYPE FWJ(double X1, double Y1, double X2, double Y2, VARIANT* model,
                                VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE JL(double X1, double Y1, double X2, double Y2, double* result) override;
  HRESULT STDMETHODCALLTYPE ViewF(VARIANT* rng, BSTR* result) override;

  // One argument as the member received it: a value already typed by the dispatch, a VARIANT
  // (by value or by reference, possibly a Range or missing), or an object.
  struct In {
    In(double v) : value(v) {}
    In(LONG v) : value(static_cast<double>(v)) {}
    In(SHORT v) : value(static_cast<double>(v)) {}
    In(BSTR v);
    In(VARIANT* v) : variant(v) {}
    In(IDispatch* v) : object(v) {}
    std::optional<FunctionValue> value;
    VARIANT* variant = nullptr;
    IDispatch* object = nullptr;
  };

 private:
  template <class Result>
  HRESULT Call(int slot, std::initializer_list<In> arguments, Result* result);
};

// The #VALUE! failure of a worksheet function with a typed result.
inline constexpr HRESULT kValueErrorResult = static_cast<HRESULT>(0x800A07DF);

}  // namespace kestrel
