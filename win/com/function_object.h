// The ClsFunction class: the worksheet functions of the catalogue as the host's automation add-in.
#pragma once

#include <initializer_list>
#include <optional>
#include <string_view>

#include "cls_function_members.h"
#include "geometry/function_value.h"
#include "server_context.h"

namespace kestrel {

// Every member converts its arguments to the catalogue's values (a host Range arrives as a
// DispatchWorksheet over its sheet, read through the late-bound adaptor), runs the catalogue's
// call with the process-wide caches the add-in's commands use, writes changed by-reference
// arguments back, and converts the result; the session, the shell and the host are those of the
// server context it was made for. A failure the function has no sentinel for gives the host's
// #VALUE!: the error value itself for a variant result, otherwise the failure HRESULT 0x800A07DF
// (2015) that the host shows as #VALUE!.
class FunctionObject final : public ClsFunctionMembers<FunctionObject> {
 public:
  explicit FunctionObject(ServerContext& server) : server_(server), held_(server) {}

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

  // The catalogue row named `name` called with `arguments` (each member of ClsFunctionMembers
  // passes its own name).
  template <class Result>
  HRESULT Call(std::string_view name, std::initializer_list<In> arguments, Result* result);

 private:
  ServerContext& server_;
  ServerReference held_;
};

// The #VALUE! failure of a worksheet function with a typed result.
inline constexpr HRESULT kValueErrorResult = static_cast<HRESULT>(0x800A07DF);

}  // namespace kestrel
