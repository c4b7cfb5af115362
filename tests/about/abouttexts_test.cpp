// The About box's lines from the program's version information.
#include "about/abouttexts.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(AboutTexts, VersionLineWithAndWithoutThePreReleaseFlag) {
  const TVersionTexts release = VersionTexts(u"Corvane", u"1.0.0.4", u"(C) Us", u"Hi", 0);
  EXPECT_EQ(release, (TVersionTexts{u"Corvane - version 1.0.0.4", u"(C) Us", u"Hi", false}));
  const TVersionTexts beta = VersionTexts(u"Corvane", u"1.0.0.4", u"(C) Us", u"Hi", 2);
  EXPECT_EQ(beta.VerStr, u"Corvane - beta version 1.0.0.4");
  EXPECT_TRUE(beta.PreRel);
  // Other flags (debug, patched, ...) are no pre-release; the mask is not applied.
  EXPECT_FALSE(VersionTexts(u"Corvane", u"1", u"", u"", 0x3D).PreRel);
  EXPECT_TRUE(VersionTexts(u"Corvane", u"1", u"", u"", 0xFFFFFFFF).PreRel);
}

TEST(AboutTexts, MissingValuesGiveTheTitleAloneAndTheBuiltInLines) {
  EXPECT_EQ(VersionTexts(u"Corvane", u"", u"", u"", 2).VerStr, u"Corvane beta");
  const TVersionTexts bare = VersionTexts(u"Corvane", u"", u"", u"", 0);
  EXPECT_EQ(bare, (TVersionTexts{u"Corvane", kBuiltInCopyright, kBuiltInComment, false}));
}

TEST(AboutTexts, FromAFileWithoutVersionInformation) {
  struct TNoInfo final : TVerSource {
    std::uint32_t InfoSize(const TText&) const override { return 0; }
    bool ReadInfo(const TText&, std::span<std::uint8_t>) const override { return false; }
  } none;
  const TVerInfoObj info(u"C:\\corvane.exe", none);
  const TVersionTexts t = VersionTexts(u"Corvane", info);
  EXPECT_EQ(t, (TVersionTexts{u"Corvane", kBuiltInCopyright, kBuiltInComment, false}));
}

}  // namespace
}  // namespace corvane
