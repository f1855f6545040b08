// The least-cost distribution on cases small enough to work by hand.
#include "haul/haul_distribution.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

const HaulPrices kPrices{50, 10, 5, 1};  // free 50 m, 10 元/(m³·km), borrow 5, waste 1

TEST(HaulDistributionTest, HaulsWhatCostsLessThanWasteAndBorrowAndNothingAcrossABarrier) {
  // 60 m³ over 150 m cost (150 − 50)/1000 · 10 = 1 元 each, less than wasting (1) and borrowing (5).
  const std::vector<HaulPlace> places{{0, 100, 0}, {150, 0, 60}};
  const Distribution d = DistributeHaul(places, {}, kPrices);
  ASSERT_EQ(d.Hauls.size(), 1u);
  EXPECT_NEAR(d.Hauls[0].Volume, 60, 1e-9);
  EXPECT_NEAR(d.Hauls[0].Distance, 150, 1e-12);
  EXPECT_NEAR(d.Wasted[0], 40, 1e-9);
  EXPECT_NEAR(d.Borrowed[1], 0, 1e-9);
  EXPECT_NEAR(d.TotalCost(), 60 + 40, 1e-9);
  // A river between them: all wasted and all borrowed.
  const Distribution split = DistributeHaul(places, {75}, kPrices);
  EXPECT_TRUE(split.Hauls.empty());
  EXPECT_NEAR(split.TotalCost(), 100 * 1 + 60 * 5, 1e-9);
  // Beyond the economic haul limit, 50 + (5 + 1)/10 · 1000 = 650 m, hauling no longer pays.
  EXPECT_NEAR(EconomicHaulLimit(kPrices), 650, 1e-12);
  const Distribution far = DistributeHaul({{0, 100, 0}, {700, 0, 60}}, {}, kPrices);
  EXPECT_TRUE(far.Hauls.empty());
}

TEST(HaulDistributionTest, TheNearerTakerGetsTheFreeHaulAndTheRestPaysByDistance) {
  // Giver 0 (80 m³) between takers at −30 (50 m³, free) and +200 (50 m³, 1.5 元 each).
  const Distribution d = DistributeHaul({{-30, 0, 50}, {0, 80, 0}, {200, 0, 50}}, {}, kPrices);
  EXPECT_NEAR(d.Borrowed[0], 0, 1e-9);
  EXPECT_NEAR(d.Borrowed[2], 20, 1e-9);
  EXPECT_NEAR(d.Wasted[1], 0, 1e-9);
  EXPECT_NEAR(d.OverhaulCost, 30 * 1.5, 1e-9);
  EXPECT_NEAR(d.TotalCost(), 45 + 20 * 5, 1e-9);
  // Paired in order along the road: to the left taker first.
  ASSERT_EQ(d.Hauls.size(), 2u);
  EXPECT_EQ(d.Hauls[0].To, 0);
  EXPECT_NEAR(d.Hauls[0].Volume, 50, 1e-9);
}

}  // namespace
}  // namespace kestrel
