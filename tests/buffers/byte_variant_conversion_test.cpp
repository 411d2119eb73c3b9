#include <gtest/gtest.h>

#include "buffer_test_support.h"
#include "buffers/byte_variant_conversion.h"

namespace zelvane {
namespace {

using platform::ByteVariant;

TEST(ByteVariantConversion, RoundTripKeepsEveryByte) {
  const CChrArr bytes = BytesOf({0x02, 0x00, 'A', 0xFF, 0x0D});
  const ByteVariant value = ToVariant(bytes);
  EXPECT_EQ(value.Type(), ByteVariant::kByteArray);
  EXPECT_EQ(value.Dimensions(), 1u);
  EXPECT_EQ(value.UpperBound(), 4);
  std::uint8_t byte = 0;
  ASSERT_TRUE(value.GetElement(3, byte));
  EXPECT_EQ(byte, 0xFF);
  EXPECT_EQ(Contents(FromVariant(value)), Contents(bytes));
}

TEST(ByteVariantConversion, EmptyBufferGivesAnEmptyArray) {
  const ByteVariant value = ToVariant(CChrArr());
  EXPECT_EQ(value.Type(), ByteVariant::kByteArray);
  EXPECT_EQ(value.UpperBound(), -1);
  EXPECT_TRUE(FromVariant(value).IsEmpty());
}

TEST(ByteVariantConversion, OtherValuesGiveAnEmptyBuffer) {
  EXPECT_TRUE(FromVariant(ByteVariant()).IsEmpty());

  ByteVariant twoDimensions;
  ASSERT_TRUE(twoDimensions.CreateArray(ByteVariant::kUnsignedByte, 2, 3));
  EXPECT_TRUE(FromVariant(twoDimensions).IsEmpty());

  ByteVariant integers;
  ASSERT_TRUE(integers.CreateArray(ByteVariant::kSignedInt32, 1, 3));
  EXPECT_TRUE(FromVariant(integers).IsEmpty());
}

}  // namespace
}  // namespace zelvane
