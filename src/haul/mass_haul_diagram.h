// The mass-haul (Brückner) diagram of a distribution: the ordinate, balance line, free-haul
// chords and the hauls as arrows.
#pragma once

#include "drawing/mass_haul_plot.h"
#include "haul/haul_table.h"

namespace kestrel {

// The ordinate M at each station is the cumulative compacted cut less fill from the first. The
// balance line is M less the volume hauled rightward past the station (leftward counts
// negative): it is level where nothing is wasted or borrowed, steps by what is, and meets the
// curve where no haul passes; between the two lie the hauls, area = volume × distance. In each
// loop a free-haul chord spans FreeHaul metres where the loop is that wide.
MassHaulPlot MassHaulDiagramOf(const HaulTable& table);

// The volume hauled across each station, rightward positive: Σ over the lengths before it of
// what they send out less what they take in.
std::vector<double> HaulAcross(const HaulTable& table);

}  // namespace kestrel
