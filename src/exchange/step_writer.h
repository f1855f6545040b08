// A small ISO 10303-21 (STEP physical file) writer: numbered entity instances, STEP text, reals
// and IFC's compressed globally unique identifiers.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

//   StepWriter step("road");  int p = step.Add("IFCCARTESIANPOINT", {StepList({StepReal(0), StepReal(1)})});
//   step.Text("road.ifc", "2026-12-08T09:00:00", "IFC4X3_ADD2") -> "ISO-10303-21;\nHEADER;..."
class StepWriter {
 public:
  // The seed makes the GlobalIds: the same seed and order give the same identifiers.
  explicit StepWriter(std::string seed) : seed_(std::move(seed)) {}
  // Adds an instance "#n=TYPE(a,b,...);" and returns n.
  int Add(std::string_view type, std::initializer_list<std::string> attributes);
  int Add(std::string_view type, const std::vector<std::string>& attributes);
  // A new GlobalId: 22 characters of IFC's base-64 alphabet, quoted.
  std::string NewGlobalId();
  std::string Text(std::string_view fileName, std::string_view timeStamp, std::string_view schema) const;

 private:
  std::string seed_;
  std::string data_;
  int next_ = 1;
  int ids_ = 0;
};

std::string StepRef(int id);                         // #12
std::string StepReal(double value);                  // 1., 0.25, 1.E-05
std::string StepString(std::string_view utf8);       // 'K\X2\7EBF\X0\'
std::string StepEnum(std::string_view name);         // .LINE.
std::string StepList(const std::vector<std::string>& items);  // (a,b)
std::string StepTyped(std::string_view type, const std::string& value);  // IFCLENGTHMEASURE(0.)
inline const std::string kStepUnset = "$";
inline const std::string kStepDerived = "*";

}  // namespace kestrel
