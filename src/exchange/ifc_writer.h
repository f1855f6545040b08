// IFC 4.3 (IFC4X3_ADD2) out: the road's alignment with its horizontal and vertical layouts and
// their geometry, the ground and design cross sections placed by station, and the earthworks
// between stations with their volumes.
#pragma once

#include <string>

#include "exchange/landxml_writer.h"
#include "exchange/road_exchange.h"

namespace kestrel {

// The distance along the centre line's elements to a station (stations of a table's chain map
// in proportion onto its lines).
double DistanceAlong(const PlanAlignment& alignment, double station);

// The whole STEP file: an IfcProject (metres, square and cubic metres, radians) with an IfcSite;
// an IfcAlignment nesting an IfcAlignmentHorizontal (LINE, CIRCULARARC, CLOTHOID segments) and,
// with a design profile, an IfcAlignmentVertical (CONSTANTGRADIENT, PARABOLICARC), each ending
// with a segment of length 0, represented by an IfcCompositeCurve and an IfcGradientCurve on it;
// the measured ground of every section as open cross profiles of a terrain element; and per
// interval between sections an IfcEarthworksCut and an IfcEarthworksFill (where their volume is
// not 0) with the interval's design sections and their volumes (Qto_ base quantities). The road
// must have an alignment. No byte-order mark.
std::string IfcText(const RoadExchange& road, const std::string& fileName, const ExchangeStamp& stamp);

}  // namespace kestrel
