// The six soil and rock classes of the cut, by station range, and their conversion factors.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace kestrel {

inline constexpr int kSoilClasses = 6;
// "I 松土", "II 普通土", "III 硬土" (土方), "IV 软石", "V 次坚石", "VI 坚石" (石方).
extern const std::array<const char*, kSoilClasses> kSoilClassNames;

// Classes IV to VI (石方); I to III are soil (土方).
inline constexpr bool IsRockClass(int c) { return c >= 3; }

using ClassShares = std::array<double, kSoilClasses>;  // per cent, adding to 100

// The cut from one station to another split into the classes.
struct ClassRange {
  double From = 0;
  double To = 0;
  ClassShares Percent{};
};

// The shares at a station: the first range that holds it, else all 普通土 (II).
ClassShares ClassSharesAt(const std::vector<ClassRange>& ranges, double station);

// Natural (bank) cubic metres that make one compacted cubic metre of fill, per class.
using ConversionFactors = std::array<double, kSoilClasses>;

// The road classes with published default factors: "二级及以上" (1.23, 1.16, 1.09, rock 0.92)
// and "三、四级" (1.11, 1.05, 1.00, rock 0.84), the factors of the national road budget norms
// for fill measured compacted and cut measured in the bank.
inline constexpr const char* kHighRoadClass = "二级及以上";
inline constexpr const char* kLowRoadClass = "三、四级";
// The factors of a road class; false for a name that is neither.
bool DefaultFactors(const std::string& roadClass, ConversionFactors& factors);

// A class table's check: every range From < To, shares from 0 to 100 adding to 100 (within
// 0.001); "" when it holds, else the reason.
std::string ClassRangesProblem(const std::vector<ClassRange>& ranges);

}  // namespace kestrel
