// SpeedString: growth by 1024 slots and the CR LF trimming of Data.
#include "util/speed_string.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(SpeedString, StartsWith1025EmptySlots) {
  SpeedString s;
  EXPECT_EQ(s.SlotCount(), 1025u);
  EXPECT_EQ(s.Count(), 0);
  EXPECT_EQ(s.CapacityMark(), 1023);
  EXPECT_EQ(s.Data(), "");
}

TEST(SpeedString, GrowsBy1024SlotsNeverDoubling) {
  SpeedString s;
  std::string expected;
  for (int i = 0; i < 1023; ++i) s.Append("x");
  EXPECT_EQ(s.SlotCount(), 1025u);
  s.Append("x");
  EXPECT_EQ(s.SlotCount(), 2048u);
  for (int i = 0; i < 1024; ++i) s.Append("y");
  EXPECT_EQ(s.SlotCount(), 3072u);
  EXPECT_EQ(s.Data(), std::string(1024, 'x') + std::string(1024, 'y'));
}

TEST(SpeedString, TrimsOneLeadingOrTrailingLineEnd) {
  SpeedString s;
  s.Append("\r\n");
  s.Append("a");
  EXPECT_EQ(s.Data(-1), "a");
  EXPECT_EQ(s.Data(0), "\r\na");
  EXPECT_EQ(s.Data(-999999), "\r\na");
  SpeedString t;
  t.Append("a");
  t.Append("\r\n");
  EXPECT_EQ(t.Data(-999999), "a");
  EXPECT_EQ(t.Data(-1), "a\r\n");
  t.Reset();
  EXPECT_EQ(t.Data(), "");
  EXPECT_EQ(t.SlotCount(), 1025u);
}

}  // namespace
}  // namespace kestrel
