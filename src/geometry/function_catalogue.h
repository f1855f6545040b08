// The worksheet functions, declared once: names, arguments, defaults and help, and how each is called.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/function_value.h"

namespace kestrel {

class Application;
class Clock;
class Shell;
struct GeometryState;

// What the functions share while they run: the geometry caches, the clock of the profile
// cache and Rand0, the module folder that relative profile names are taken from, and the host
// for the calling cell (null outside a host).
struct FunctionContext {
  GeometryState& geometry;
  Clock& clock;
  Shell& shell;
  Application* host = nullptr;
};

// The types of the published interface: float64, int32, int16, text, variant (any value or a
// range, passed as it is) and object (a range).
enum class ArgumentType { Double, Long, Integer, String, Variant, Range };
enum class ResultType { Double, String, Variant };

// The arguments of one call, held in place (a call allocates nothing for them): at most
// kMaxFunctionArguments, more than any function takes; adding one beyond throws std::length_error.
//   FunctionArguments args{12.5043055556};  args.push_back(2);  args.size() == 2
class FunctionArguments {
 public:
  static constexpr std::size_t kMaxFunctionArguments = 8;

  FunctionArguments() = default;
  FunctionArguments(std::initializer_list<FunctionValue> values);

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  FunctionValue& operator[](std::size_t i) { return values_[i]; }
  const FunctionValue& operator[](std::size_t i) const { return values_[i]; }
  FunctionValue* begin() { return values_.data(); }
  FunctionValue* end() { return values_.data() + size_; }
  const FunctionValue* begin() const { return values_.data(); }
  const FunctionValue* end() const { return values_.data() + size_; }
  void push_back(FunctionValue value);

 private:
  std::array<FunctionValue, kMaxFunctionArguments> values_;
  std::size_t size_ = 0;
};

struct FunctionArgument {
  std::string_view name;
  ArgumentType type;
  bool byReference = false;
  std::optional<double> defaultValue;  // set exactly for an optional argument
  std::string_view help;
  bool Optional() const { return defaultValue.has_value(); }
};

struct WorksheetFunction {
  std::string_view name;
  std::vector<FunctionArgument> arguments;
  ResultType result;
  std::string_view help;
  // Runs the function on arguments already completed with their defaults, converting each to
  // its type; by-reference arguments the function changes are written back into `arguments`.
  FunctionValue (*invoke)(FunctionArguments& arguments, FunctionContext& context);

  int RequiredCount() const;
  // "GetH(jsdzh, Adress, [Refresh=1])".
  std::string Signature() const;
};

// Every function, in the order of ClsFunction's DISPIDs (1, 2, ...). The Windows build writes
// ClsFunction's interface and its members from this table: a new function is a row here and its
// implementation.
const std::vector<WorksheetFunction>& WorksheetFunctions();
// The function with this name without regard to case; null when none has it.
const WorksheetFunction* FindWorksheetFunction(std::string_view name);

// The barrier of one call, as the host makes it: too few or too many arguments, a value that
// does not convert to its argument's type, and any failure inside give the host's #VALUE!;
// omitted optional arguments take their defaults. `arguments` holds the by-reference results
// afterwards.
//   FunctionArguments args{12.5043055556};
//   CallWorksheetFunction(*FindWorksheetFunction("DMS"), args, context).ResultText() == "12°30′15.5″"
FunctionValue CallWorksheetFunction(const WorksheetFunction& function, FunctionArguments& arguments,
                                    FunctionContext& context);

}  // namespace kestrel
