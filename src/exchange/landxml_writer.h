// LandXML 1.2 out: the road's alignment, profiles and cross sections as one LandXML document.
#pragma once

#include <string>

#include "exchange/road_exchange.h"

namespace kestrel {

// When a document is written: xs:date and xs:time text ("2026-12-08", "09:30:00").
struct ExchangeStamp {
  std::string Date;
  std::string Time;
};
ExchangeStamp CurrentStamp();

// The whole document: Units (metric, every required unit), Application, one Alignment with its
// CoordGeom (lines, arcs, clothoids; a chain of lines for a table), the Profile (ProfSurf of the
// ground, ProfAlign of PVIs and ParaCurves) when there is one, and the CrossSects (average end
// areas) with one CrossSect per station. Points are "northing easting". The road must have an
// alignment.
std::string LandXmlText(const RoadExchange& road, const ExchangeStamp& stamp);

}  // namespace kestrel
