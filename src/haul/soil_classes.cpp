// Soil and rock classes by station range, and the factors from bank to compacted volume.
#include "haul/soil_classes.h"

#include <cmath>

#include "util/number_text.h"

namespace kestrel {

const std::array<const char*, kSoilClasses> kSoilClassNames = {"I 松土", "II 普通土", "III 硬土",
                                                               "IV 软石", "V 次坚石", "VI 坚石"};

ClassShares ClassSharesAt(const std::vector<ClassRange>& ranges, double station) {
  for (const ClassRange& r : ranges)
    if (station >= r.From && station <= r.To) return r.Percent;
  return {0, 100, 0, 0, 0, 0};
}

bool DefaultFactors(const std::string& roadClass, ConversionFactors& factors) {
  if (roadClass == kHighRoadClass) {
    factors = {1.23, 1.16, 1.09, 0.92, 0.92, 0.92};
    return true;
  }
  if (roadClass == kLowRoadClass) {
    factors = {1.11, 1.05, 1.00, 0.84, 0.84, 0.84};
    return true;
  }
  return false;
}

std::string ClassRangesProblem(const std::vector<ClassRange>& ranges) {
  for (const ClassRange& r : ranges) {
    const std::string where = StationText(r.From) + " to " + StationText(r.To);
    if (!(r.From < r.To)) return "the class range " + where + " is empty";
    double sum = 0;
    for (double p : r.Percent) {
      if (!(p >= 0 && p <= 100)) return "the class range " + where + " has a share outside 0 to 100";
      sum += p;
    }
    if (std::abs(sum - 100) > 1e-3) return "the class range " + where + " adds up to " + GeneralText(sum) + " per cent, not 100";
  }
  return "";
}

}  // namespace kestrel
