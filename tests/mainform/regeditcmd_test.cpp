#include <gtest/gtest.h>

#include "ui/main/regeditcmd.h"

namespace corvane {
namespace {

std::vector<TResult> Hits(int vCount) {
  std::vector<TResult> hits;
  for (int i = 0; i < vCount; ++i) {
    const TText n = FromUtf8(std::to_string(i));
    hits.emplace_back(u"HKEY_CURRENT_USER\\k" + n, u"v" + n, u"d", 0, 0, 0, 0, 0, 0, 0);
  }
  return hits;
}

std::string Target(const TRegeditTarget& vT) {
  return ToUtf8(vT.fKey) + "|" + ToUtf8(vT.fValue);
}

TEST(RegeditTarget, DetailKeyThenSelectedHitThenNothing) {
  const std::vector<TResult> hits = Hits(25);
  // The selected row counts from the page's first hit.
  EXPECT_EQ(Target(RegeditTarget(u"", u"", hits, 10, 3)), "HKEY_CURRENT_USER\\k13|v13");
  EXPECT_EQ(Target(RegeditTarget(u"", u"", hits, 20, 4)), "HKEY_CURRENT_USER\\k24|v24");
  // The detail page's key wins over any selected hit, with its selected value (empty: the
  // default value or none selected).
  EXPECT_EQ(Target(RegeditTarget(u"HKEY_USERS\\x", u"", hits, 10, 3)), "HKEY_USERS\\x|");
  EXPECT_EQ(Target(RegeditTarget(u"HKEY_USERS\\x", u"Run", hits, 0, -1)), "HKEY_USERS\\x|Run");
  // A detail value without its key is no target.
  EXPECT_EQ(Target(RegeditTarget(u"", u"Run", hits, 0, -1)), "|");
  // No row selected, or a row past the hits: only the editor.
  EXPECT_EQ(Target(RegeditTarget(u"", u"", hits, 0, -1)), "|");
  EXPECT_EQ(Target(RegeditTarget(u"", u"", hits, 20, 5)), "|");
  EXPECT_EQ(Target(RegeditTarget(u"", u"", {}, 0, 0)), "|");
}

}  // namespace
}  // namespace corvane
