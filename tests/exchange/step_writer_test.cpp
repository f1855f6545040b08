// STEP text: reals always with a point, texts in ISO 10303-21's escapes, GlobalIds of IFC's form.
#include "exchange/step_writer.h"

#include <gtest/gtest.h>

#include <set>

namespace kestrel {
namespace {

TEST(StepWriter, WritesRealsTextsAndGlobalIdsInStepForm) {
  EXPECT_EQ(StepReal(1), "1.");
  EXPECT_EQ(StepReal(-0.25), "-0.25");
  EXPECT_EQ(StepReal(1e-10), "1.E-10");
  EXPECT_EQ(StepReal(0), "0.");
  EXPECT_EQ(StepString("K1+200 地面线 it's \\"), "'K1+200 \\X2\\573097627EBF\\X0\\ it''s \\\\'");
  StepWriter step("seed");
  std::set<std::string> ids;
  for (int i = 0; i < 100; ++i) {
    const std::string id = step.NewGlobalId();
    ASSERT_EQ(id.size(), 24u);
    EXPECT_LE(id[1], '3');  // the first character holds two bits
    EXPECT_EQ(id.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$", 1), 23u);
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 100u);
  EXPECT_EQ(StepWriter("seed").NewGlobalId(), StepWriter("seed").NewGlobalId());  // reproducible
  const int point = step.Add("IFCCARTESIANPOINT", {StepList({StepReal(0), StepReal(1.5)})});
  step.Add("IFCLINE", {StepRef(point), kStepUnset});
  const std::string text = step.Text("a.ifc", "2026-12-08T09:00:00", "IFC4X3_ADD2");
  EXPECT_EQ(text.rfind("ISO-10303-21;\n", 0), 0u);
  EXPECT_NE(text.find("#1=IFCCARTESIANPOINT((0.,1.5));\n#2=IFCLINE(#1,$);\n"), std::string::npos);
  EXPECT_NE(text.find("FILE_SCHEMA(('IFC4X3_ADD2'));"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
