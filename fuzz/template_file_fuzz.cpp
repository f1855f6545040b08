// Fuzz target: the road template (.tpl, UTF-16LE or UTF-8), loaded and run out on three grounds.
#include <cmath>
#include <cstdint>
#include <string>

#include "earthworks/design_section.h"
#include "earthworks/design_template.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  std::string error;
  const auto tpl = LoadTemplateFile(fuzz::InputFile(fuzz::Bytes(data, size), ".tpl"), error);
  if (!tpl) {
    if (error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  if (ParseTemplateText(TemplateText(*tpl), error) != tpl) __builtin_trap();  // written and read back alike
  const GroundSection grounds[] = {{0, {{-30, 95}, {30, 95}}},                 // under a fill
                                   {0, {{-30, 110}, {0, 108}, {30, 112}}},     // in a cut
                                   {0, {{-20, 90}, {-5, 101}, {-5, 99}, {12, 104}}}};  // side hill, step, short
  RoadAtStation road;
  road.CentreLevel = 100;
  for (const GroundSection& ground : grounds) {
    const DesignSection s = DesignSectionAt(ground, road, *tpl);
    for (size_t i = 1; i < s.Outline.size(); ++i)
      if (s.Outline[i].Offset < s.Outline[i - 1].Offset) __builtin_trap();  // offsets never go back
    const double areas[] = {s.Areas.CutLeft, s.Areas.CutRight, s.Areas.FillLeft, s.Areas.FillRight};
    for (double a : areas)
      if (a < 0) __builtin_trap();
  }
  return 0;
}
