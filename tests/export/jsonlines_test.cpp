// The JSON Lines writer beyond the fields corvane-find's tests pin down: lone surrogates and
// whole files.
#include "export/jsonlines.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/printers.h"

namespace corvane {
namespace {

TEST(JsonLines, LoneSurrogatesBecomeReplacementCharactersAndAreCounted) {
  const TResult hit(u"HKEY_USERS\\\U00010437", TText(1, char16_t(0xDBFF)),
                    TText(1, char16_t(0xDC01)) + u"\"", 1, 0, 0, 1, 0, 0, kHKU);
  std::size_t replaced = 0;
  const std::string line = HitJson(hit, &replaced);
  EXPECT_EQ(replaced, 2u);
  EXPECT_NE(
      line.find(
          "\"key\":\"HKEY_USERS\\\\\U00010437\",\"value\":\"\uFFFD\",\"data\":\"\uFFFD\\\"\""),
      std::string::npos)
      << line;
}

TEST(JsonLines, AFileIsOneLinePerHitInOrder) {
  const std::vector<TResult> hits = {
      TResult(u"HKEY_USERS\\a", u"", u"", 0, 0, 0, 0, 0, 0, kHKU),
      TResult(u"HKEY_USERS\\b\nc", u"", u"", 0, 0, 0, 0, 0, 0, kHKU)};
  const std::string all = HitsJsonLines(hits);
  EXPECT_EQ(all, HitJson(hits[0]) + HitJson(hits[1]));
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 2);  // the key's line break is escaped
}

}  // namespace
}  // namespace corvane
