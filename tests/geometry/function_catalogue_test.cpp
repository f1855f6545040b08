// The function catalogue: the published interface, the call barrier, conversions and defaults.
#include "geometry/function_catalogue.h"

#include <gtest/gtest.h>

#include <set>

#include "addin/session.h"
#include "geometry/function_error.h"
#include "support/command_fixture.h"
#include "support/manual_clock.h"

namespace kestrel {
namespace {

class FunctionCatalogueTest : public CommandFixture {
 protected:
  FunctionValue Call(std::string_view name, FunctionArguments arguments) {
    const WorksheetFunction* f = FindWorksheetFunction(name);
    EXPECT_NE(f, nullptr) << name;
    if (!f) return {};
    FunctionContext context{session.Geometry, clock, shell, &book};
    FunctionValue result = CallWorksheetFunction(*f, arguments, context);
    lastArguments = arguments;
    return result;
  }
  std::string Text(std::string_view name, FunctionArguments arguments) {
    return Call(name, std::move(arguments)).ResultText();
  }
  FunctionValue Cells(const char* a1) { return RangeArg(Sheet(), RangeRef::Parse(a1).value(), "Book1"); }

  ManualClock clock;
  FunctionArguments lastArguments;
};

TEST_F(FunctionCatalogueTest, TheFifteenFunctionsInSlotOrder) {
  std::vector<std::string> names;
  for (const WorksheetFunction& f : WorksheetFunctions()) names.emplace_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"GetH", "Text2", "GetJK", "GetHP", "VlookZhD", "HHR", "GetPoint", "Pl",
                                             "Rand0", "RangeAddress", "DMS", "DEG", "FWJ", "JL", "ViewF"}));
  for (const WorksheetFunction& f : WorksheetFunctions()) {
    EXPECT_FALSE(f.help.empty()) << f.name;
    bool optionalSeen = false;
    for (const FunctionArgument& a : f.arguments) {
      EXPECT_FALSE(a.help.empty()) << f.name << " " << a.name;
      EXPECT_TRUE(a.Optional() || !optionalSeen) << f.name << ": a required argument after an optional one";
      optionalSeen = optionalSeen || a.Optional();
    }
  }
}

TEST_F(FunctionCatalogueTest, ArgumentNamesDefaultsAndReferences) {
  EXPECT_EQ(FindWorksheetFunction("GetH")->Signature(), "GetH(jsdzh, Adress, [Refresh=1])");
  EXPECT_EQ(FindWorksheetFunction("VlookZhD")->Signature(), "VlookZhD(zh, D, scrRange, Column, [zhDig=0], [DDig=0])");
  EXPECT_EQ(FindWorksheetFunction("GetPoint")->Signature(), "GetPoint(SrcText, cs, [Round=3])");
  EXPECT_EQ(FindWorksheetFunction("FWJ")->Signature(), "FWJ(X1, Y1, X2, Y2, [model=0])");
  EXPECT_EQ(FindWorksheetFunction("RangeAddress")->Signature(), "RangeAddress()");
  auto byRef = [](std::string_view function) {
    std::string names;
    for (const FunctionArgument& a : FindWorksheetFunction(function)->arguments)
      if (a.byReference) names += std::string(a.name) + " ";
    return names;
  };
  EXPECT_EQ(byRef("GetH"), "Adress ");
  EXPECT_EQ(byRef("GetJK"), "model ");
  EXPECT_EQ(byRef("VlookZhD"), "scrRange zhDig DDig ");
  EXPECT_EQ(byRef("DMS"), "model ");
  EXPECT_EQ(byRef("FWJ"), "model ");
  EXPECT_EQ(byRef("ViewF"), "rng ");
  EXPECT_EQ(byRef("JL"), "");
  EXPECT_EQ(FindWorksheetFunction("GetPoint")->arguments[2].type, ArgumentType::Integer);
  EXPECT_EQ(FindWorksheetFunction("Text2")->arguments[0].type, ArgumentType::Range);
  EXPECT_EQ(FindWorksheetFunction("DMS")->result, ResultType::Variant);
  EXPECT_EQ(FindWorksheetFunction("dms"), FindWorksheetFunction("DMS"));
  EXPECT_EQ(FindWorksheetFunction("Nope"), nullptr);
}

TEST_F(FunctionCatalogueTest, OmittedOptionalArgumentsTakeTheirDefaults) {
  EXPECT_EQ(Text("DMS", {12.5043055556}), "12°30′15.5″");
  EXPECT_EQ(Call("FWJ", {0, 0, 0, -5}).Value(), CellValue(270.0 / 24));
  EXPECT_EQ(Text("HHR", {60, 300}), "计算出错");
  EXPECT_EQ(Text("HHR", {60, 300, 1000}), "完R=1500|非完大R=3000|非完小R=600");
  EXPECT_EQ(Text("GetPoint", {"X=100.5 Y=200.25 Z=3", "x,y"}), "100.5,200.25");
  EXPECT_EQ(lastArguments.size(), 3u);
  EXPECT_EQ(lastArguments[2].Value(), CellValue(3));
}

TEST_F(FunctionCatalogueTest, ByReferenceResultsComeBack) {
  for (int r = 1; r <= 3; ++r) {
    Sheet().SetValue({r, 1}, 12200 + 20 * r);
    Sheet().SetValue({r, 2}, 0);
    Sheet().SetValue({r, 3}, 300 + r);
  }
  EXPECT_EQ(Call("VlookZhD", {12240.3, "no", Cells("A1:C3"), 3, -0.5000001}).Value(), CellValue(302));
  ASSERT_EQ(lastArguments.size(), 6u);
  EXPECT_EQ(lastArguments[4].Value(), CellValue(0.5));
  EXPECT_EQ(lastArguments[5].Value(), CellValue(0));
}

TEST_F(FunctionCatalogueTest, ValuesConvertAsTheHostConvertsThem) {
  EXPECT_EQ(Text("JL", {"0", " 3 ", 4, "6e0"}), "5");  // whole texts that are numbers
  EXPECT_EQ(Text("JL", {FunctionValue(), 0, 3, 4}), "5");  // empty reads 0
  EXPECT_EQ(Text("JL", {CellValue::Boolean(true), 0, 2, 0}), "3");  // True is -1
  EXPECT_EQ(Text("JL", {"3m", 0, 0, 0}), "#VALUE!");
  EXPECT_EQ(Text("JL", {"", 0, 0, 0}), "#VALUE!");
  EXPECT_EQ(Text("JL", {FunctionValue::Error(CellError::NA), 0, 0, 0}), "#VALUE!");
  // Integers round half to even and must fit.
  EXPECT_EQ(Text("DMS", {12.5043055556, 2.5}), "12度30分15.5秒");
  EXPECT_EQ(Text("DMS", {12.5043055556, 3.5}), "");  // 4: no such form
  EXPECT_EQ(Text("DMS", {12.5043055556, 1.5}), "12度30分15.5秒");
  EXPECT_EQ(Text("DMS", {1, 3e9}), "#VALUE!");
  EXPECT_EQ(Text("GetPoint", {"x=1", "x", 40000}), "#VALUE!");  // beyond 16 bits
  EXPECT_EQ(Text("GetPoint", {"x=1", "x", 30000}), "1");
  // Texts take numbers in the general form.
  EXPECT_EQ(Text("Pl", {100.5, 1e20}), "100.5,1E+20");
}

TEST_F(FunctionCatalogueTest, ACellGivenForAValueIsItsValue) {
  Sheet().SetValue({1, 1}, 3);
  Sheet().SetValue({1, 2}, "4");
  EXPECT_EQ(Text("JL", {Cells("A1"), Cells("B1"), 0, 0}), "5");
  EXPECT_EQ(Text("JL", {Cells("A1:B1"), 0, 0, 0}), "#VALUE!");
}

TEST_F(FunctionCatalogueTest, WrongArgumentCountsAreTheHostsErrorValue) {
  EXPECT_EQ(Text("JL", {1, 2, 3}), "#VALUE!");
  EXPECT_EQ(Text("JL", {1, 2, 3, 4, 5}), "#VALUE!");
  EXPECT_EQ(Text("RangeAddress", {1}), "#VALUE!");
}

TEST_F(FunctionCatalogueTest, ErrorsWithoutSentinelsReachTheHost) {
  EXPECT_EQ(Text("Text2", {"A1"}), "#VALUE!");  // a text is not a range
  EXPECT_EQ(Text("ViewF", {5}), "#VALUE!");
  EXPECT_EQ(Text("RangeAddress", {}), "#VALUE!");  // not called from a cell
  book.SetCaller(CallerCell{"Sheet1", {7, 3}});
  EXPECT_EQ(Text("RangeAddress", {}), "C7");
  EXPECT_EQ(Text("JL", {0, 0, 1e200, 1e200}), "#VALUE!");
  EXPECT_EQ(Text("FWJ", {1e300, 0, -1e300, 1e-300}), "#VALUE!");
}

TEST_F(FunctionCatalogueTest, GetHAndTheSideValuesThroughTheSession) {
  Sheet().SetValue({1, 1}, 0);
  Sheet().SetValue({1, 2}, 100);
  Sheet().SetValue({2, 1}, 300);
  Sheet().SetValue({2, 2}, 103);
  Sheet().SetValue({2, 3}, 6000);
  Sheet().SetValue({3, 1}, 700);
  Sheet().SetValue({3, 2}, 99);
  EXPECT_EQ(Text("GetH", {300, Cells("A1:C3")}), "102.7");
  EXPECT_EQ(session.Geometry.Profile.Curves.size(), 1u);
  EXPECT_EQ(Text("GetH", {300, Cells("A1:B3"), 0}), "-1");
  EXPECT_EQ(Text("GetH", {300, Cells("A1:C2")}), "-1");

  const std::string hp = TempPath("road.hp");
  ASSERT_EQ(WriteTextFile(hp, "KestrelFile2.0-HP\r\n100,2,2\r\n200,-2,4\r\n"), 1);
  EXPECT_EQ(Text("GetHP", {125, 3.5, hp, 3}), "2.3125");
  EXPECT_EQ(Text("GetJK", {150, -3.5, hp}), "0");
  EXPECT_EQ(Text("GetJK", {99.99, -3.5, hp}), "#VALUE!");
  EXPECT_EQ(Text("GetHP", {150, 1, TempPath("none.hp")}), "-999999");
  EXPECT_EQ(session.Geometry.Slopes.Files.size(), 1u);
}

TEST_F(FunctionCatalogueTest, Rand0DrawsFromTheSessionsGenerator) {
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) seen.insert(Text("Rand0", {1, 3}));
  EXPECT_EQ(seen, (std::set<std::string>{"1", "2", "3"}));
  EXPECT_EQ(session.Geometry.RandomDraws, 200u);
  EXPECT_EQ(Text("Rand0", {1, 3, 12}), "0");
}

}  // namespace
}  // namespace kestrel
