// Fuzz target: a LandXML file read as a road, its profile made into .ZM records, its centre line
// evaluated at every section, and the road written out again.
#include <cstdint>
#include <sstream>

#include "exchange/landxml_reader.h"
#include "exchange/landxml_writer.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  std::istringstream in{std::string(fuzz::Bytes(data, size))};
  RoadExchange road;
  try {
    road = ReadLandXml(in);
  } catch (const ExchangeError&) {
    return 0;  // refused: the expected answer to most inputs
  }
  try {
    if (road.DesignProfile.size() >= 2) ProfileOf(road.DesignProfile);
  } catch (const ExchangeError&) {
  }
  for (const ExchangeSection& s : road.Sections) {
    if (!road.Alignment.Empty()) road.Alignment.PoseAt(s.Station);
    DisplayedStation(road.Equations, s.Station);
  }
  if (!road.Alignment.Empty()) LandXmlText(road, {"2026-12-08", "09:00:00"});
  return 0;
}
