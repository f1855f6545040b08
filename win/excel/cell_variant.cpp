// Conversions between the port's cell values and the host's VARIANTs and SAFEARRAYs.
#include "cell_variant.h"

#include <oleauto.h>

#include <string>

#include "host/host_error.h"
#include "com/com_error.h"
#include "dispatch_call.h"
#include "platform/wide_text.h"

namespace kestrel {
namespace {

// Reads one element of a locked SAFEARRAY of VARIANTs at (row, column), 0-based from its bounds.
class ArrayReader {
 public:
  explicit ArrayReader(SAFEARRAY* array) : array_(array) {
    CheckHresult(SafeArrayAccessData(array_, reinterpret_cast<void**>(&data_)), "Reading a block of cells");
  }
  ~ArrayReader() { SafeArrayUnaccessData(array_); }
  ArrayReader(const ArrayReader&) = delete;
  ArrayReader& operator=(const ArrayReader&) = delete;
  // Column-major, as SAFEARRAYs store their first dimension fastest.
  const VARIANT& At(long row, long column, long rows) const { return data_[column * rows + row]; }

 private:
  SAFEARRAY* array_;
  VARIANT* data_ = nullptr;
};

}  // namespace

int HostErrorCode(CellError error) { return static_cast<int>(error); }

CellValue CellFromVariant(const VARIANT& value, std::string_view what) {
  const VARIANT* v = &value;
  if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal != nullptr) v = v->pvarVal;
  switch (v->vt) {
    case VT_EMPTY:
      return CellValue();
    case VT_BSTR:
      return CellValue(FromBstr(v->bstrVal));
    case VT_BOOL:
      return CellValue::Boolean(v->boolVal != VARIANT_FALSE);
    case VT_R8:
      return CellValue(v->dblVal);
    case VT_ERROR:  // every code is an error value of its own, named or not
      return CellValue::Error(static_cast<CellError>(static_cast<unsigned long>(v->scode) & 0xFFFF));
    case VT_R4: case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_UI1: case VT_UI2: case VT_UI4:
    case VT_UI8: case VT_INT: case VT_UINT: case VT_CY: case VT_DATE: case VT_DECIMAL:
      return CellValue(VariantToNumber(*v, what));
    default:
      throw HostError(std::string(what) + " is not a cell value (variant type " + std::to_string(v->vt) + ")");
  }
}

VARIANT VariantFromCell(const CellValue& value) {
  if (value.IsNumber()) return NumberArg(value.Number());
  if (value.IsText()) return TextArg(value.Text());
  if (value.IsBoolean()) return BoolArg(value.Bool());
  VARIANT v;
  VariantInit(&v);
  if (value.IsError()) {
    v.vt = VT_ERROR;
    v.scode = static_cast<SCODE>(0x800A0000UL | static_cast<unsigned long>(HostErrorCode(value.Error())));
  }
  return v;
}

Grid GridFromVariant(const VARIANT& value, int rows, int columns, std::string_view what) {
  Grid grid(rows, columns);
  const VARIANT* v = &value;
  if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal != nullptr) v = v->pvarVal;
  if (!(v->vt & VT_ARRAY)) {
    if (rows != 1 || columns != 1) throw HostError(std::string(what) + " is a single value, not a block");
    grid.At(0, 0) = CellFromVariant(*v, what);
    return grid;
  }
  SAFEARRAY* array = (v->vt & VT_BYREF) ? *v->pparray : v->parray;
  VARTYPE type = VT_EMPTY;
  if (array == nullptr || SafeArrayGetDim(array) != 2 || FAILED(SafeArrayGetVartype(array, &type)) ||
      type != VT_VARIANT) {
    throw HostError(std::string(what) + " is not a two-dimensional array of values");
  }
  long low1 = 0, high1 = 0, low2 = 0, high2 = 0;
  SafeArrayGetLBound(array, 1, &low1);
  SafeArrayGetUBound(array, 1, &high1);
  SafeArrayGetLBound(array, 2, &low2);
  SafeArrayGetUBound(array, 2, &high2);
  if (high1 - low1 + 1 != rows || high2 - low2 + 1 != columns) {
    throw HostError(std::string(what) + " has " + std::to_string(high1 - low1 + 1) + " x " +
                    std::to_string(high2 - low2 + 1) + " values, expected " + std::to_string(rows) + " x " +
                    std::to_string(columns));
  }
  ArrayReader reader(array);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) grid.At(r, c) = CellFromVariant(reader.At(r, c, rows), what);
  }
  return grid;
}

VARIANT VariantFromGrid(const Grid& grid) {
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(grid.Rows()), 1}, {static_cast<ULONG>(grid.Columns()), 1}};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
  if (array == nullptr) throw std::bad_alloc();
  VARIANT* data = nullptr;
  HRESULT hr = SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    CheckHresult(hr, "Filling a block of cells");
  }
  try {
    for (int c = 0; c < grid.Columns(); ++c) {
      for (int r = 0; r < grid.Rows(); ++r) data[static_cast<size_t>(c) * grid.Rows() + r] = VariantFromCell(grid.At(r, c));
    }
  } catch (...) {
    SafeArrayUnaccessData(array);
    SafeArrayDestroy(array);
    throw;
  }
  SafeArrayUnaccessData(array);
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | VT_VARIANT;
  v.parray = array;
  return v;
}

}  // namespace kestrel
