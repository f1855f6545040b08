// FunctionObject: each member of ClsFunction is one call of the worksheet-function catalogue row of its name.
#include "function_object.h"

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "host/address.h"
#include "host/host_error.h"
#include "host/system_clock.h"
#include "automation_objects.h"
#include "excel/cell_variant.h"
#include "excel/dispatch_call.h"
#include "excel/dispatch_worksheet.h"
#include "excel/external_address.h"
#include "geometry/function_catalogue.h"
#include "platform/wide_text.h"
#include "server_context.h"

namespace kestrel {
namespace {

// The VARIANT a by-reference argument stands for.
VARIANT* Target(VARIANT* v) {
  while (v != nullptr && V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
  return v;
}

bool Missing(const VARIANT* v) {
  return v == nullptr || (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND);
}

// A book's name, shared with the previous call's ranges when it is the same book: a worksheet's
// recalculation names its book once, not once per call.
std::shared_ptr<const std::string> BookName(std::string_view name) {
  static std::mutex lock;
  static std::shared_ptr<const std::string> last;
  std::lock_guard<std::mutex> guard(lock);
  if (!last || *last != name) last = std::make_shared<const std::string>(name);
  return last;
}

// The host's xlA1 reference style.
constexpr long kA1Style = 1;

// Range.Address(True, True, xlA1, External:=True): the range's book, sheet and block in one
// call, "'[G312 road.xlsx]Sheet 1'!$A$1:$C$3". The usual address is read without allocating.
template <class Use>
auto WithExternalAddress(IDispatch* range, Use use) {
  Variant address;
  GetProperty(range, L"Address", {BoolArg(true), BoolArg(true), LongArg(kA1Style), BoolArg(true)}, address);
  const VARIANT& v = address.Get();
  std::optional<ExternalAddress> parts;
  char utf8[2048];
  std::string longer;
  if (v.vt == VT_BSTR) {
    const int length = static_cast<int>(SysStringLen(v.bstrVal));
    int size = length == 0 ? 0 : WideCharToMultiByte(CP_UTF8, 0, v.bstrVal, length, utf8, sizeof utf8, nullptr, nullptr);
    char* text = utf8;
    if (size == 0 && length > 0) {
      longer = VariantToText(v, "Range.Address");
      text = longer.data();
      size = static_cast<int>(longer.size());
    }
    parts = ParseExternalAddress(text, static_cast<size_t>(size));
  }
  if (!parts) throw HostError("Range.Address gave " + VariantToText(v, "Range.Address"));
  return use(*parts);
}

// The sheets of the Range arguments of one call, held in place for its length.
class CallRanges {
 public:
  // A host Range as the catalogue's RangeArg, from one host call (its external address): the
  // sheet is asked for only when a function reads more than the range's own values.
  FunctionValue RangeOf(IDispatch* range) {
    if (used_ == sheets_.size()) throw HostError("more ranges than a function takes");
    try {
      return WithExternalAddress(range, [&](const ExternalAddress& parts) {
        std::optional<DispatchWorksheet>& slot = sheets_[used_++];
        slot.emplace(DispatchRef::Share(range), parts.range, std::string(parts.sheet), nullptr);
        return FunctionValue(RangeArg(*slot, parts.range, BookName(parts.book)));
      });
    } catch (const HostError&) {
      return PlainRangeOf(range);
    }
  }

  // A range of a host that writes no external address (a script's stand-in): its sheet
  // (Range.Worksheet), its absolute address (Range.Address) and its book (Worksheet.Parent.FullName,
  // "" when the host has none).
  FunctionValue PlainRangeOf(IDispatch* range) {
    DispatchRef sheet = GetObject(range, L"Worksheet");
    Variant address;
    GetProperty(range, L"Address", address);
    const std::string text = VariantToText(address.Get(), "Range.Address");
    std::optional<RangeRef> ref = RangeRef::Parse(text);
    if (!ref) throw HostError("Range.Address gave " + text);
    std::shared_ptr<const std::string> book;
    try {
      DispatchRef parent = GetObject(sheet.Get(), L"Parent");
      Variant name;
      GetProperty(parent.Get(), L"FullName", name);
      book = BookName(VariantToText(name.Get(), "Workbook.FullName"));
    } catch (const HostError&) {
      // A sheet without a book: the key still tells its ranges apart by sheet and address.
      book = std::make_shared<const std::string>();
    }
    std::optional<DispatchWorksheet>& slot = sheets_[used_++];
    slot.emplace(std::move(sheet), nullptr);
    return RangeArg(*slot, *ref, std::move(book));
  }

  FunctionValue ValueOf(VARIANT* given, const FunctionArgument& argument) {
    VARIANT* v = Target(given);
    if (Missing(v)) {
      if (argument.Optional()) return FunctionValue(*argument.defaultValue);
      return FunctionValue();
    }
    VARIANT plain;
    VariantInit(&plain);
    // A typed by-reference variable (a Double passed ByRef) reads as its value.
    if ((V_VT(v) & VT_BYREF) != 0) {
      if (FAILED(VariantCopyInd(&plain, v))) throw HostError("an argument that cannot be read");
      v = &plain;
    }
    struct Clear {
      VARIANT* v;
      ~Clear() { VariantClear(v); }
    } clear{&plain};
    if (V_VT(v) == VT_DISPATCH) {
      if (V_DISPATCH(v) == nullptr) throw HostError("Nothing where a value or a range is wanted");
      return RangeOf(V_DISPATCH(v));
    }
    return FunctionValue(CellFromVariant(*v, argument.name));
  }

 private:
  std::array<std::optional<DispatchWorksheet>, FunctionArguments::kMaxFunctionArguments> sheets_;
  size_t used_ = 0;
};

void WriteBack(VARIANT* given, const FunctionValue& value) {
  VARIANT* v = Target(given);
  if (Missing(v) || value.IsRange()) return;
  VARIANT fresh = VariantFromCell(value.Value());
  if (V_VT(v) == (VT_BYREF | VT_R8) && V_VT(&fresh) == VT_R8) {
    *V_R8REF(v) = V_R8(&fresh);
  } else if ((V_VT(v) & VT_BYREF) == 0) {
    VariantClear(v);
    *v = fresh;
    return;
  }
  VariantClear(&fresh);
}

// The catalogue row of a member, by the member's name: the type information maps a DISPID to the
// member of that name, and the member to the row of that name.
const WorksheetFunction& RowNamed(std::string_view name) {
  for (const WorksheetFunction& f : WorksheetFunctions()) {
    if (f.name == name) return f;
  }
  throw ComError(E_NOTIMPL, "ClsFunction." + std::string(name) + " has no worksheet function");
}

[[noreturn]] void ThrowValueError() { throw ComError(kValueErrorResult, "#VALUE!"); }

void Store(const FunctionValue& value, double* result) {
  if (value.IsError()) ThrowValueError();
  try {
    *result = ToNumber(value);
  } catch (const std::exception&) {
    ThrowValueError();
  }
}

void Store(const FunctionValue& value, BSTR* result) {
  if (value.IsError()) ThrowValueError();
  *result = ToBstr(ToText(value));
}

void Store(const FunctionValue& value, VARIANT* result) {
  VariantInit(result);
  *result = VariantFromCell(value.IsRange() ? value.Scalar() : value.Value());
}

}  // namespace

FunctionObject::In::In(BSTR v) : value(FunctionValue(FromBstr(v))) {}

template <class Result>
HRESULT FunctionObject::Call(std::string_view name, std::initializer_list<In> arguments, Result* result) {
  return Barrier([&] {
    if (result == nullptr) return E_POINTER;
    const WorksheetFunction& function = RowNamed(name);
    static SystemClock clock;
    FunctionContext context{server_.session.Geometry, clock, server_.shell, server_.Host()};
    CallRanges ranges;
    FunctionArguments values;
    // What the by-reference value arguments held before the call.
    std::array<std::optional<CellValue>, FunctionArguments::kMaxFunctionArguments> before;
    FunctionValue answer;
    try {
      size_t i = 0;
      for (const In& in : arguments) {
        const FunctionArgument& argument = function.arguments.at(i);
        if (in.value) {
          values.push_back(*in.value);
        } else if (in.object != nullptr) {
          values.push_back(ranges.RangeOf(in.object));
        } else {
          values.push_back(ranges.ValueOf(in.variant, argument));
        }
        if (argument.byReference && !values[i].IsRange()) before[i] = values[i].Value();
        ++i;
      }
      answer = CallWorksheetFunction(function, values, context);
    } catch (const HostError&) {
      // An argument the host could not hand over (a refused Range call, an unknown value type).
      answer = FunctionValue::Error(CellError::Value);
    }
    size_t i = 0;
    for (const In& in : arguments) {
      // Only what the function changed goes back, so that a caller's variable keeps its type.
      if (in.variant != nullptr && before[i] && !values[i].IsRange() && !(*before[i] == values[i].Value())) {
        WriteBack(in.variant, values[i]);
      }
      ++i;
    }
    Store(answer, result);
    return S_OK;
  });
}

HRESULT CreateFunctionObject(ServerContext& context, REFIID iid, void** object) {
  return CreateAutomationObject<FunctionObject>(iid, object, context);
}

}  // namespace kestrel
