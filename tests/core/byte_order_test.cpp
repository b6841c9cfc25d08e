#include "core/byte_order.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ByteOrder, ShortIsUnchangedOrSwapped) {
  EXPECT_EQ(OrderShort(0, 0x1234), 0x1234);
  EXPECT_EQ(OrderShort(1, 0x1234), 0x3412);
  EXPECT_EQ(OrderShort(0xFFFFFFFFu, 0x00FF), 0xFF00);  // any nonzero flag
  EXPECT_EQ(OrderShort(1, OrderShort(1, 0xBEEF)), 0xBEEF);
}

TEST(ByteOrder, LongReversesAllFourBytes) {
  const unsigned char stored[4] = {0x44, 0x33, 0x22, 0x11};
  std::uint32_t value;
  std::memcpy(&value, stored, sizeof value);
  EXPECT_EQ(OrderLong(0, value), value);

  const std::uint32_t reversed = OrderLong(1, value);
  unsigned char out[4];
  std::memcpy(out, &reversed, sizeof out);
  EXPECT_EQ(out[0], 0x11);
  EXPECT_EQ(out[1], 0x22);
  EXPECT_EQ(out[2], 0x33);
  EXPECT_EQ(out[3], 0x44);
  EXPECT_EQ(OrderLong(2, 0x80000001u), 0x01000080u);
}

}  // namespace
