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
  return ToUtf8(vT.fKey) + "|" + (vT.fKeyOnly ? "(key only)" : ToUtf8(vT.fValue));
}

TEST(RegeditTarget, DetailKeyThenSelectedHitThenNothing) {
  const std::vector<TResult> hits = Hits(25);
  // The selected row counts from the page's first hit.
  EXPECT_EQ(Target(RegeditTarget(u"", u"", hits, 10, 3, hfSimple)), "HKEY_CURRENT_USER\\k13|v13");
  EXPECT_EQ(Target(RegeditTarget(u"", u"", hits, 20, 4, hfSimple)), "HKEY_CURRENT_USER\\k24|v24");
  // The detail page's key wins over any selected hit, with its selected value (empty: the
  // default value or none selected).
  EXPECT_EQ(Target(RegeditTarget(u"HKEY_USERS\\x", u"", hits, 10, 3, hfSimple)), "HKEY_USERS\\x|");
  EXPECT_EQ(Target(RegeditTarget(u"HKEY_USERS\\x", u"Run", hits, 0, -1, hfSimple)), "HKEY_USERS\\x|Run");
  // A detail value without its key is no target.
  EXPECT_EQ(Target(RegeditTarget(u"", u"Run", hits, 0, -1, hfSimple)), "|");
  // No row selected, or a row past the hits: only the editor.
  EXPECT_EQ(Target(RegeditTarget(u"", u"", hits, 0, -1, hfSimple)), "|");
  EXPECT_EQ(Target(RegeditTarget(u"", u"", hits, 20, 5, hfSimple)), "|");
  EXPECT_EQ(Target(RegeditTarget(u"", u"", {}, 0, 0, hfSimple)), "|");
}

TEST(RegeditTarget, AKeyHitNamesTheKeyAloneNotItsPlaceholder) {
  // A simple search's key hit: the placeholder in the value and data places, no emphasis
  // there. A value that happens to be named like the placeholder is still a value.
  const std::vector<TResult> hits = {
      TResult(u"HKEY_CURRENT_USER\\run", kNoPart, kNoPart, 19, 0, 0, 3, 0, 0, 0),
      TResult(u"HKEY_CURRENT_USER\\k", kNoPart, u"run", 0, 0, 1, 0, 0, 3, 0)};
  EXPECT_EQ(Target(RegeditTarget(u"", u"", hits, 0, 0, hfSimple)),
            "HKEY_CURRENT_USER\\run|(key only)");
  EXPECT_EQ(Target(RegeditTarget(u"", u"", hits, 0, 1, hfSimple)),
            "HKEY_CURRENT_USER\\k|\u2014\u2014");
  // Every hit of a key-name-only Advanced search is a key; those of other criteria are values.
  EXPECT_EQ(Target(RegeditTarget(u"", u"", hits, 0, 1, hfKeyCriteria)),
            "HKEY_CURRENT_USER\\k|(key only)");
  EXPECT_EQ(Target(RegeditTarget(u"", u"", hits, 0, 0, hfCriteria)),
            "HKEY_CURRENT_USER\\run|\u2014\u2014");
}

}  // namespace
}  // namespace corvane
