#include "core/byte_order.h"
#include "core/segy_fields.h"

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

// The bytes in the file are the chosen order's whatever the host's; loads
// give back what was stored.
TEST(ByteOrder, SegyFieldsByTheirByteNumbers) {
  unsigned char header[8] = {};
  putSegyShort(header, 1, 0, 0x1234);
  putSegyLong(header, 3, 1, 0x11223344u);
  const unsigned char expected[8] = {0x34, 0x12, 0x11, 0x22, 0x33, 0x44, 0, 0};
  EXPECT_EQ(std::memcmp(header, expected, sizeof header), 0);
  EXPECT_EQ(segyShortAt(header, 1, 0), 0x1234);
  EXPECT_EQ(segyShortAt(header, 1, 1), 0x3412);
  EXPECT_EQ(segyLongAt(header, 3, 1), 0x11223344u);
  EXPECT_EQ(segyLongAt(header, 3, 0), 0x44332211u);
}

}  // namespace
