// The shape of a volume sheet for each of its three variants: columns, headers, widths, page.
#pragma once

#include <string>
#include <vector>

#include "host/worksheet.h"

namespace kestrel {

// The variant codes the dialog hands over: measured only, design and measured, design, measured
// and remaining.
inline constexpr int kVariantMeasured = 2;
inline constexpr int kVariantDesign = 4;
inline constexpr int kVariantRemaining = 6;

// Rows shared by every variant.
inline constexpr int kTitleRow = 1;
inline constexpr int kHeaderRow = 2;       // group headers; row 3 holds "挖方" / "填方"
inline constexpr int kFirstSectionRow = 4;
inline constexpr int kFirstVolumeRow = 5;  // the first section has no predecessor

// One header of row 2: a pair spans two columns of row 2 over "挖方" and "填方" in row 3; a single
// column spans rows 2 and 3.
struct HeaderGroup {
  int column;
  bool pair;
  const char* text;  // "实测面积(m2)"
};

// Columns first..last get one width (characters of the standard font).
struct WidthSpan {
  int first;
  int last;
  double width;
};

// Column numbers follow from the variant v: areas B..(1+v) (for v = 6 the last two are the
// computed remaining areas), the distance in column 2+v, the volumes in the v columns after it,
// one volume column per area column in the same order, and the remarks last in column 3+2v.
//
//   const VolumeLayout& layout = VolumeLayoutOf(kVariantDesign);
//   layout.LastColumn() == 11 (K); layout.DistanceColumn() == 6 (F); layout.AreaOfVolume(9) == 4 (D)
struct VolumeLayout {
  int variant;
  Orientation orientation;
  bool narrowMargins;  // left and right 0.25 inch, top and bottom 0.75, header and footer 0.3
  bool smallBodyFont;  // size 10 on the section and totals rows
  std::vector<HeaderGroup> headers;  // in column order
  std::vector<WidthSpan> widths;

  int LastColumn() const { return 3 + 2 * variant; }  // the letter with code 67 + 2 x variant
  int DistanceColumn() const { return 2 + variant; }
  int FirstVolumeColumn() const { return 3 + variant; }
  int LastVolumeColumn() const { return 2 + 2 * variant; }
  int AreaOfVolume(int volumeColumn) const { return volumeColumn - variant - 1; }
  // The totals text "合计:" is merged over columns A to this one.
  int TotalsLabelEnd() const { return 1 + variant; }
  // Variant 6 computes F = B - D and G = C - E (design minus measured).
  bool ComputesRemainingAreas() const { return variant == kVariantRemaining; }
};

// The layout of variant 2, 4 or 6; throws std::invalid_argument for any other code.
const VolumeLayout& VolumeLayoutOf(int variant);

}  // namespace kestrel
