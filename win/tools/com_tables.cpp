// Build tool: writes the type-library sources and ClsFunction's members from the tables they restate.
//
//   com_tables idl TEMPLATE OUT      the template with every @...@ marker replaced:
//     @LibraryId(Kestrel)@, @LibraryId(Hollin)@   the type library ids
//     @ClassId(Row)@, @InterfaceId(Row)@          a class-table row's CLSID and default interface id
//     @ClsFunctionMembers@                        _ClsFunction's methods, from the function catalogue
//     @ConnectCommands@                           the ribbon callbacks, from the command table
//   com_tables members OUT          ClsFunctionMembers, the C++ base that implements _ClsFunction's
//                                   methods, each calling the catalogue row of its name
// An unknown marker or row is an error (exit code 1, one line on standard error), so that a
// template cannot name what the tables do not hold.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "addin/commands.h"
#include "geometry/function_catalogue.h"
#include "registration/registration.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

std::string Unbraced(std::string_view guid) {
  if (guid.size() < 2 || guid.front() != '{' || guid.back() != '}') throw std::runtime_error("not a GUID: " + std::string(guid));
  return std::string(guid.substr(1, guid.size() - 2));
}

const ComClass& Row(std::string_view name) {
  for (const ComClass& c : ComClasses()) {
    if (c.name == name) return c;
  }
  throw std::runtime_error("no class-table row " + std::string(name));
}

// How an argument crosses the interface: by-reference ones as VARIANT* (late-bound callers pass
// any variable); an optional by-value one with its default, typed when the type library can hold
// the default (long, short), else as a VARIANT (no float64 default exists).
struct Parameter {
  std::string attributes;  // "[in, optional, defaultvalue(1)]"
  std::string idlType;     // "long"
  std::string cppType;     // "LONG"
  bool passAddress;        // a by-value VARIANT reaches the call as its address
};

std::string TypeName(ArgumentType type, bool cpp) {
  switch (type) {
    case ArgumentType::Double:
      return "double";
    case ArgumentType::Long:
      return cpp ? "LONG" : "long";
    case ArgumentType::Integer:
      return cpp ? "SHORT" : "short";
    case ArgumentType::String:
      return "BSTR";
    case ArgumentType::Variant:
      return "VARIANT";
    case ArgumentType::Range:
      return "IDispatch*";
  }
  throw std::logic_error("an argument type without a name");
}

Parameter ParameterOf(const FunctionArgument& a) {
  if (a.byReference) return {a.Optional() ? "[in, out, optional]" : "[in, out]", "VARIANT*", "VARIANT*", false};
  if (!a.Optional()) {
    return {"[in]", TypeName(a.type, false), TypeName(a.type, true), a.type == ArgumentType::Variant};
  }
  const std::string attributes = "[in, optional, defaultvalue(" + GeneralText(*a.defaultValue) + ")]";
  if (a.type == ArgumentType::Long || a.type == ArgumentType::Integer) {
    return {attributes, TypeName(a.type, false), TypeName(a.type, true), false};
  }
  return {attributes, "VARIANT", "VARIANT", true};
}

std::string ResultTypeName(const WorksheetFunction& f) {
  switch (f.result) {
    case ResultType::Double:
      return "double*";
    case ResultType::String:
      return "BSTR*";
    case ResultType::Variant:
      return "VARIANT*";
  }
  throw std::logic_error("a result type without a name");
}

std::string ClsFunctionMembersIdl() {
  std::ostringstream out;
  int id = 1;
  for (const WorksheetFunction& f : WorksheetFunctions()) {
    out << "        [id(" << id++ << ")] HRESULT " << f.name << "(";
    for (const FunctionArgument& a : f.arguments) {
      const Parameter p = ParameterOf(a);
      out << p.attributes << " " << p.idlType << " " << a.name << ", ";
    }
    out << "[out, retval] " << ResultTypeName(f) << " result);\n";
  }
  return out.str();
}

std::string ConnectCommandsIdl() {
  std::ostringstream out;
  int id = 0x100;
  for (const RibbonCommand& c : RibbonCommands()) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", id++);
    out << "        [id(" << hex << ")] void " << c.callback << "([in] IDispatch* control);\n";
  }
  return out.str();
}

std::string Replacement(std::string_view marker) {
  if (marker == "ClsFunctionMembers") return ClsFunctionMembersIdl();
  if (marker == "ConnectCommands") return ConnectCommandsIdl();
  if (marker == "LibraryId(Kestrel)") return Unbraced(kTypeLibId);
  if (marker == "LibraryId(Hollin)") return Unbraced(kHollinTypeLibId);
  const size_t open = marker.find('(');
  if (open != std::string_view::npos && marker.back() == ')') {
    const std::string_view kind = marker.substr(0, open);
    const ComClass& row = Row(marker.substr(open + 1, marker.size() - open - 2));
    if (kind == "ClassId") return Unbraced(row.clsid);
    if (kind == "InterfaceId") return Unbraced(row.interfaceId);
  }
  throw std::runtime_error("unknown marker @" + std::string(marker) + "@");
}

std::string Filled(const std::string& text) {
  std::string out;
  size_t at = 0;
  for (size_t start; (start = text.find('@', at)) != std::string::npos;) {
    const size_t end = text.find('@', start + 1);
    if (end == std::string::npos) throw std::runtime_error("an unclosed @ marker");
    out.append(text, at, start - at);
    const std::string replacement = Replacement(std::string_view(text).substr(start + 1, end - start - 1));
    // A block marker stands on a line of its own: its lines bring their own indentation.
    if (!replacement.empty() && replacement.back() == '\n') {
      while (!out.empty() && out.back() == ' ') out.pop_back();
      out += replacement;
      at = text.find('\n', end);
      at = at == std::string::npos ? text.size() : at + 1;
    } else {
      out += replacement;
      at = end + 1;
    }
  }
  out.append(text, at, std::string::npos);
  return out;
}

std::string ClsFunctionMembersCpp() {
  std::ostringstream out;
  out << "// ClsFunctionMembers: _ClsFunction's methods, written by com_tables from the worksheet-function catalogue.\n"
         "#pragma once\n\n#include \"com/automation_object.h\"\n#include \"kestrel_h.h\"\n\nnamespace kestrel {\n\n"
         "// Each method calls Object::Call with the catalogue row's name, its arguments and its result.\n"
         "template <class Object>\nclass ClsFunctionMembers : public AutomationObject<_ClsFunction> {\n public:\n";
  for (const WorksheetFunction& f : WorksheetFunctions()) {
    std::string parameters, arguments;
    for (const FunctionArgument& a : f.arguments) {
      const Parameter p = ParameterOf(a);
      parameters += p.cppType + " " + std::string(a.name) + ", ";
      arguments += (arguments.empty() ? "" : ", ") + std::string(p.passAddress ? "&" : "") + std::string(a.name);
    }
    out << "  HRESULT STDMETHODCALLTYPE " << f.name << "(" << parameters << ResultTypeName(f) << " result) override {\n"
        << "    return static_cast<Object*>(this)->Call(\"" << f.name << "\", {" << arguments << "}, result);\n  }\n";
  }
  out << "};\n\n}  // namespace kestrel\n";
  return out.str();
}

std::string ReadAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("cannot read ") + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const char* path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error(std::string("cannot write ") + path);
}

int Run(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (mode == "idl" && argc == 4) {
    WriteAll(argv[3], Filled(ReadAll(argv[2])));
  } else if (mode == "members" && argc == 3) {
    WriteAll(argv[2], ClsFunctionMembersCpp());
  } else {
    throw std::runtime_error("usage: com_tables idl TEMPLATE OUT | com_tables members OUT");
  }
  return 0;
}

}  // namespace
}  // namespace kestrel

int main(int argc, char** argv) {
  try {
    return kestrel::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "com_tables: %s\n", e.what());
    return 1;
  }
}
