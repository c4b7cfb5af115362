// The single-instance block's layout: handles, and a path field that is never overrun.
#include "app/corvane/instancelayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane {
namespace {

TEST(InstanceBlock, HandlesAreLittleEndianAtZeroAndFour) {
  std::vector<std::uint8_t> block(kInstanceBlockSize, 0xAA);
  ASSERT_TRUE(WriteHandles(block.data(), block.size(), 0x01020304u, 0xFFFF0010u));
  EXPECT_EQ(block[0], 0x04);
  EXPECT_EQ(block[3], 0x01);
  EXPECT_EQ(block[4], 0x10);
  EXPECT_EQ(block[7], 0xFF);
  std::uint32_t a = 0, b = 0;
  ASSERT_TRUE(ReadHandles(block.data(), block.size(), a, b));
  EXPECT_EQ(a, 0x01020304u);
  EXPECT_EQ(b, 0xFFFF0010u);
  EXPECT_FALSE(ReadHandles(block.data(), 7, a, b));
  EXPECT_FALSE(WriteHandles(nullptr, kInstanceBlockSize, 1, 2));
}

TEST(InstanceBlock, PathRoundTripsIncludingAFullLongPath) {
  std::vector<std::uint8_t> block(kInstanceBlockSize, 0);
  const TText path = u"C:\\Saved\\\u00fcber.qmx";
  ASSERT_TRUE(WritePath(block.data(), block.size(), path));
  EXPECT_EQ(ReadPath(block.data(), block.size()), path);
  const TText longest(kPathCapacity - 1, u'x');
  ASSERT_TRUE(WritePath(block.data(), block.size(), longest));
  EXPECT_EQ(ReadPath(block.data(), block.size()), longest);
}

TEST(InstanceBlock, APathThatDoesNotFitIsNotWrittenPastTheField) {
  // A block one byte larger than needed, with a guard byte at the end.
  std::vector<std::uint8_t> block(kInstanceBlockSize + 1, 0x5A);
  ASSERT_TRUE(WritePath(block.data(), kInstanceBlockSize, u"old"));
  EXPECT_FALSE(WritePath(block.data(), kInstanceBlockSize, TText(kPathCapacity, u'y')));
  EXPECT_EQ(block.back(), 0x5A);
  EXPECT_EQ(ReadPath(block.data(), kInstanceBlockSize), u"") << "no cut-off path";
  EXPECT_FALSE(WritePath(block.data(), kInstanceBlockSize, TText(u"a\0b", 3)));
}

TEST(InstanceBlock, SmallOrUnterminatedBlocksAreReadWithinBounds) {
  std::vector<std::uint8_t> block(kPathOffset + 6, 0);
  for (std::size_t i = kPathOffset; i < block.size(); i += 2) block[i] = 'z';
  EXPECT_EQ(ReadPath(block.data(), block.size()), u"zzz");
  EXPECT_EQ(ReadPath(block.data(), 4), u"");
  EXPECT_FALSE(WritePath(block.data(), kPathOffset, u""));
  EXPECT_TRUE(WritePath(block.data(), block.size(), u"ab"));
  EXPECT_FALSE(WritePath(block.data(), block.size(), u"abc")) << "no room for the zero";
}

}  // namespace
}  // namespace corvane
