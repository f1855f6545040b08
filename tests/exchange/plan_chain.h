// Test helper: a centre line made of elements run one after the other from a start pose.
#pragma once

#include <vector>

#include "exchange/plan_alignment.h"

namespace kestrel {

struct ChainPiece {
  PlanElementKind Kind;
  double Length, StartCurvature, EndCurvature;
};

//   Chain({{0, 0}, 0.3}, 500, {{PlanElementKind::Line, 100, 0, 0}, ...})
inline std::vector<PlanElement> Chain(PlanPose at, double station, const std::vector<ChainPiece>& pieces) {
  std::vector<PlanElement> elements;
  for (const ChainPiece& p : pieces) {
    elements.push_back({p.Kind, station, station + p.Length, p.Length, at, p.StartCurvature, p.EndCurvature});
    at = RunAlong(at, p.StartCurvature, p.EndCurvature, p.Length, p.Length);
    station += p.Length;
  }
  return elements;
}

}  // namespace kestrel
