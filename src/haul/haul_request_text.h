// The distribution's inputs as a person types them (stations, ranges, class shares, factors),
// read into the request's values by the command line and the add-in's dialog alike.
#pragma once

#include <string>
#include <vector>

#include "haul/haul_stations.h"
#include "haul/segment_volumes.h"
#include "haul/soil_classes.h"

namespace kestrel {

// Every reader takes the name of its entry (an option or a caption), which begins the HaulError
// that says what is wrong with the text:
//   RangeOfText("--exclude", "K1+200,K1+260")  -> {1200, 1260}
//   ClassRangeOfText("--class", "K0+000,K0+500,0,60,40,0,0,0")
//   FactorsOfText("--factors", "1.2,1.1,1,0.9,0.9,0.9", factors)
double StationOfText(const std::string& entry, const std::string& field, const std::string& whole);
StationRange RangeOfText(const std::string& entry, const std::string& text);
ClassRange ClassRangeOfText(const std::string& entry, const std::string& text);
void FactorsOfText(const std::string& entry, const std::string& text, ConversionFactors& factors);

// The comma-separated fields of a text, empty fields kept: "a,,b" -> {"a", "", "b"}.
std::vector<std::string> FieldsOf(const std::string& text, char separator);

}  // namespace kestrel
