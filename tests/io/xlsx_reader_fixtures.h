// The workbooks the reader's tests load, made once per test process by the oracle scripts
// (openpyxl, Python's zipfile, LibreOffice), each with the facts its maker states.
#pragma once

#include <optional>

#include "io_test_support.h"

namespace kestrel::iotest {

struct Fixture {
  std::string xlsx;          // empty when it could not be made (the test has failed already)
  std::vector<Fact> facts;   // what the maker says the file holds
};

inline const TempDir& FixtureDir() {
  static TempDir dir("reader");
  return dir;
}

// Written by openpyxl: values, formulas without results, formats, fonts, a merge, a note,
// widths, heights, hidden sheets, the active sheet last, page setup.
inline const Fixture& OpenpyxlFixture() {
  static const Fixture fixture = [] {
    Fixture f;
    std::string xlsx = FixtureDir() / "openpyxl.xlsx", facts = FixtureDir() / "openpyxl.facts";
    if (RunOracleOrFail("make_openpyxl_fixture.py", {xlsx, facts}, FixtureDir().Path() / "openpyxl.log"))
      f = {xlsx, ReadFacts(facts)};
    return f;
  }();
  return fixture;
}

// Written part by part: shared and array formulas, rich strings, notes with VML, prefixes...
inline const Fixture& RawFixture() {
  static const Fixture fixture = [] {
    Fixture f;
    if (RunOracleOrFail("make_raw_fixtures.py", {FixtureDir().Path().string()}, FixtureDir().Path() / "raw.log"))
      f = {FixtureDir() / "raw.xlsx", ReadFacts(FixtureDir().Path() / "raw.facts")};
    return f;
  }();
  return fixture;
}

// openpyxl's reading of a file, as facts.
inline std::vector<Fact> OpenpyxlReading(const std::string& xlsx) {
  std::string out = xlsx + ".openpyxl.facts";
  if (!RunOracleOrFail("dump_xlsx.py", {xlsx, out}, xlsx + ".openpyxl.log")) return {};
  return ReadFacts(out);
}

// LibreOffice's conversion of a file into .xlsx (in a folder of its own); nothing when it fails.
inline std::optional<std::string> LibreOfficeCopy(const std::string& source, const std::string& label) {
  fs::path dir = FixtureDir().Path() / ("lo-" + label);
  fs::create_directories(dir);
  if (!RunOracleOrFail("lo_convert.py", {source, dir.string(), "xlsx"}, dir / "convert.log")) return std::nullopt;
  fs::path made = dir / (fs::path(source).stem().string() + ".xlsx");
  if (!fs::exists(made)) {
    ADD_FAILURE() << "LibreOffice made no " << made;
    return std::nullopt;
  }
  return made.string();
}

// What LibreOffice displays in each filled cell of the file, as display facts.
inline std::vector<Fact> LibreOfficeDisplay(const std::string& xlsx, const std::string& label) {
  fs::path dir = FixtureDir().Path() / ("shown-" + label);
  fs::create_directories(dir);
  fs::path out = dir / "display.facts";
  if (!RunOracleOrFail("lo_display.py", {xlsx, dir.string(), out.string()}, dir / "display.log")) return {};
  return ReadFacts(out);
}

}  // namespace kestrel::iotest
