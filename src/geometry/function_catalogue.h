// The worksheet functions, declared once: names, arguments, defaults and help, and how each is called.
#pragma once

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
  FunctionValue (*invoke)(std::vector<FunctionValue>& arguments, FunctionContext& context);

  int RequiredCount() const;
  // "GetH(jsdzh, Adress, [Refresh=1])".
  std::string Signature() const;
};

// Every function, in the order of the interface's slots.
const std::vector<WorksheetFunction>& WorksheetFunctions();
// The function with this name without regard to case; null when none has it.
const WorksheetFunction* FindWorksheetFunction(std::string_view name);

// The barrier of one call, as the host makes it: too few or too many arguments, a value that
// does not convert to its argument's type, and any failure inside give the host's #VALUE!;
// omitted optional arguments take their defaults. `arguments` holds the by-reference results
// afterwards.
//   std::vector<FunctionValue> args{12.5043055556};
//   CallWorksheetFunction(*FindWorksheetFunction("DMS"), args, context).ResultText() == "12°30′15.5″"
FunctionValue CallWorksheetFunction(const WorksheetFunction& function, std::vector<FunctionValue>& arguments,
                                    FunctionContext& context);

}  // namespace kestrel
