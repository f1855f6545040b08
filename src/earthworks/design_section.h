// Design cross-sections: the template placed on a measured section, run out to the ground, and
// the cut and fill areas between the two lines.
#pragma once

#include <vector>

#include "earthworks/design_template.h"

namespace kestrel {

// A point of a section: offset from the centre line (metres, negative to the left) and level.
struct SectionPoint {
  double Offset = 0;
  double Level = 0;
  friend bool operator==(const SectionPoint&, const SectionPoint&) = default;
};

// A measured section: its points in increasing offset (equal offsets allowed: a vertical step).
struct GroundSection {
  double Station = 0;
  std::vector<SectionPoint> Points;
};

// The road's values at one station: the profile's centre level, the cross slopes (per cent,
// positive rising away from the centre line) and the widenings (metres added to the half width).
struct RoadAtStation {
  double CentreLevel = 0;
  double LeftCrossSlope = -2;
  double RightCrossSlope = -2;
  double LeftWidening = 0;
  double RightWidening = 0;
};

// Cut: ground above the design line; fill: design line above the ground. Square metres, split
// at the centre line; Strip is the topsoil stripped under the footprint (depth x its width).
struct SectionAreas {
  double CutLeft = 0, CutRight = 0, FillLeft = 0, FillRight = 0;
  double Strip = 0;
  double Cut() const { return CutLeft + CutRight; }
  double Fill() const { return FillLeft + FillRight; }
};

// Where one side's slope meets the ground.
struct SideDaylight {
  SectionPoint Point;  // the daylight point: top of the cut or toe of the fill
  bool Fill = true;    // the side slope is a fill slope (else a cut slope, with its ditch)
  // The slope met no measured ground: the ground line was extended horizontally from its last
  // measured point on this side (or the measured ground ends inside the footprint), and the
  // side's area includes that extension.
  bool GroundExtended = false;
};

// Everything one section's design gives: what the results sheet, the volume sheet and the
// drawings show. A plain value; per-section results are independent of each other.
struct DesignSection {
  double Station = 0;
  double CentreGroundLevel = 0;  // ground at offset 0 (extended horizontally when not measured)
  double CentreDesignLevel = 0;  // the design line at offset 0
  // The design line from the left daylight point to the right one, offsets never decreasing.
  std::vector<SectionPoint> Outline;
  SideDaylight Left, Right;
  SectionAreas Areas;
};

// The design section of a measured section with at least one point. The design line is the road
// surface (or the subgrade, by the template's setting) from the centre outwards to the shoulder
// edges, then per side a fill slope (with its berms) when the shoulder edge lies at or above the
// ground, else the ditch and the cut slope (with its berms), run out to the first point where it
// meets the ground line; beyond its last measured point the ground line is extended horizontally
// and the side is flagged GroundExtended.
//   flat ground at 10, centre level 12, both sides half width 4, no shoulder, cross slope 0,
//   fill 1:2 -> outline (-8,10) (-4,12) (0,12) (4,12) (8,10); fill area 2 x (4 x 2 + 4 x 2 / 2) = 24
DesignSection DesignSectionAt(const GroundSection& ground, const RoadAtStation& road, const DesignTemplate& tpl);

// The areas between a ground line and a design line over [from, to] (offsets), both lines given
// with offsets never decreasing and extended horizontally beyond their ends. Exact for
// polylines: the offsets of both lines cut the range into strips in which both are straight,
// and a strip where the lines cross is split at the crossing. Split at offset 0.
SectionAreas AreasBetween(const std::vector<SectionPoint>& ground, const std::vector<SectionPoint>& design,
                          double from, double to);

}  // namespace kestrel
