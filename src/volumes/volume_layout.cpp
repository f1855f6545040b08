// The three volume sheet layouts as data.
#include "volumes/volume_layout.h"

#include <stdexcept>
#include <string>

namespace kestrel {

const VolumeLayout& VolumeLayoutOf(int variant) {
  static const VolumeLayout kMeasured{
      kVariantMeasured,
      Orientation::Portrait,
      false,
      false,
      {{1, false, "桩号"}, {2, true, "实测面积(m2)"}, {4, false, "距离(m)"}, {5, true, "实测体积(m3)"}, {7, false, "备注"}},
      {{1, 1, 14}, {2, 3, 10}, {4, 6, 12}, {7, 7, 14}}};
  // The 12-character width runs on to column M, two blank columns past the remarks column K, so
  // that a note typed beside the table has room.
  static const VolumeLayout kDesign{kVariantDesign,
                                    Orientation::Landscape,
                                    false,
                                    false,
                                    {{1, false, "桩号"},
                                     {2, true, "设计面积(m2)"},
                                     {4, true, "实测面积(m2)"},
                                     {6, false, "距离(m)"},
                                     {7, true, "设计体积(m3)"},
                                     {9, true, "实测体积(m3)"},
                                     {11, false, "备注"}},
                                    {{1, 1, 14}, {2, 5, 10}, {6, 13, 12}}};
  static const VolumeLayout kRemaining{kVariantRemaining,
                                       Orientation::Landscape,
                                       true,
                                       true,
                                       {{1, false, "桩号"},
                                        {2, true, "设计面积(m2)"},
                                        {4, true, "实测面积(m2)"},
                                        {6, true, "剩余面积(m2)"},
                                        {8, false, "距离(m)"},
                                        {9, true, "设计体积(m3)"},
                                        {11, true, "实测体积(m3)"},
                                        {13, true, "剩余体积(m3)"},
                                        {15, false, "备注"}},
                                       {{1, 1, 10}, {2, 8, 8}, {9, 15, 10}}};
  switch (variant) {
    case kVariantMeasured:
      return kMeasured;
    case kVariantDesign:
      return kDesign;
    case kVariantRemaining:
      return kRemaining;
    default:
      throw std::invalid_argument("no volume sheet variant " + std::to_string(variant));
  }
}

}  // namespace kestrel
