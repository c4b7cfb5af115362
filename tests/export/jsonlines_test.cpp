// The JSON Lines writer beyond the fields corvane-find's tests pin down: lone surrogates and
// whole files.
#include "export/jsonlines.h"

#include <gtest/gtest.h>

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

// Every hit's line in order, the key's line break escaped. Texts go out unchanged apart from
// JSON's escapes: the CSV's apostrophe before a formula start is not written here.
TEST(JsonLines, AFileIsOneLinePerHitInOrder) {
  std::vector<TResult> hits = {
      TResult(u"HKEY_USERS\\a", u"", u"", 12, 0, 0, 1, 0, 0, kHKU),
      TResult(u"HKEY_USERS\\b\nc", u"=1+2", u"-4", 0, 1, -4, 0, 4, 0, kHKLM)};
  hits[1].fModified = 133537247990000001ull;  // 2024-02-29T23:59:59Z and 100 ns
  const std::string all = HitsJsonLines(hits);
  EXPECT_EQ(all,
            "{\"root\":2147483651,\"key\":\"HKEY_USERS\\\\a\",\"value\":\"\",\"data\":\"\","
            "\"keyStart\":12,\"valueStart\":0,\"dataStart\":0,\"keyLength\":1,\"valueLength\":0,"
            "\"dataLength\":0,\"modified\":\"\"}\n"
            "{\"root\":2147483650,\"key\":\"HKEY_USERS\\\\b\\u000ac\",\"value\":\"=1+2\","
            "\"data\":\"-4\",\"keyStart\":0,\"valueStart\":1,\"dataStart\":-4,\"keyLength\":0,"
            "\"valueLength\":4,\"dataLength\":0,\"modified\":\"2024-02-29T23:59:59Z\"}\n");
}

}  // namespace
}  // namespace corvane
