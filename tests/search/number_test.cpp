#include <gtest/gtest.h>

#include "search/number.h"
#include "support/printers.h"

namespace corvane {
namespace {

std::optional<std::int32_t> Read(const char16_t* s) {
  std::int32_t v = 0;
  if (!ReadsAsNumber(s, v)) return std::nullopt;
  return v;
}

TEST(NumberRule, DecimalWithSpacesAndSign) {
  EXPECT_EQ(Read(u"65"), 65);
  EXPECT_EQ(Read(u"   -12"), -12);
  EXPECT_EQ(Read(u"+7"), 7);
  EXPECT_EQ(Read(u"007"), 7);
  EXPECT_EQ(Read(u"2147483647"), 2147483647);
  EXPECT_EQ(Read(u"-2147483648"), INT32_MIN);
  EXPECT_EQ(Read(u"2147483648"), std::nullopt);
  EXPECT_EQ(Read(u"4294967295"), std::nullopt);
  EXPECT_EQ(Read(u"-2147483649"), std::nullopt);
  EXPECT_EQ(Read(u"99999999999999999999999"), std::nullopt);
}

TEST(NumberRule, HexadecimalPrefixesArePatterns) {
  EXPECT_EQ(Read(u"$10"), 16);
  EXPECT_EQ(Read(u"x1f"), 31);
  EXPECT_EQ(Read(u"X1F"), 31);
  EXPECT_EQ(Read(u"0x41"), 65);
  EXPECT_EQ(Read(u"0XfF"), 255);
  EXPECT_EQ(Read(u"0xFFFFFFFF"), -1);
  EXPECT_EQ(Read(u"$FFFFFFFF"), -1);
  EXPECT_EQ(Read(u"-$10"), -16);
  EXPECT_EQ(Read(u"-0x80000000"), INT32_MIN);
  EXPECT_EQ(Read(u"0x00000000000000001"), 1);
  EXPECT_EQ(Read(u"0x100000000"), std::nullopt);
}

TEST(NumberRule, RejectsEverythingElse) {
  for (const char16_t* s : {u"", u" ", u"$", u"0x", u"x", u"-", u"+-5", u"--5", u"12 ", u"1 2",
                            u"0x1g", u"1.5", u"\u0661", u"\t5"}) {
    EXPECT_EQ(Read(s), std::nullopt) << ToUtf8(s);
  }
  std::int32_t v = 0;
  EXPECT_FALSE(ReadsAsNumber(TText(u"5\0", 2), v));
}

TEST(NumberForm, HexUpperAndUnsignedDecimal) {
  EXPECT_EQ(NumberForm(255), u"0x000000FF (255)");
  EXPECT_EQ(NumberForm(0xFFFFFFFFu), u"0xFFFFFFFF (4294967295)");
  EXPECT_EQ(NumberForm(0), u"0x00000000 (0)");
  EXPECT_EQ(NumberForm(0x41), u"0x00000041 (65)");
}

}  // namespace
}  // namespace corvane
