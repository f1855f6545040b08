// LandXML in: the first alignment of a LandXML document with its geometry, profiles and cross
// sections, whoever wrote it.
#pragma once

#include <istream>

#include "exchange/road_exchange.h"
#include "exchange/xml_reader.h"

namespace kestrel {

// Reads a LandXML document (1.0 to 1.2; any namespace prefix; elements in any order): the first
// Alignment's CoordGeom (Line, Curve, Spiral of the clothoid type), station equations, the first
// ProfAlign (PVI, ParaCurve, CircCurve) and ProfSurf of its profile, and its cross sections
// (CrossSectSurf point lists as ground stretches, DesignCrossSectSurf points as the design,
// areas and volumes). Cross sections are sorted by station. Throws ExchangeError (one line)
// for anything it cannot read: not XML, another root, a missing required attribute, a value
// that is not a number, an element it cannot represent.
RoadExchange ReadLandXml(std::istream& in, const XmlLimits& limits = {});
RoadExchange RoadFromLandXml(const XmlElement& root);

}  // namespace kestrel
