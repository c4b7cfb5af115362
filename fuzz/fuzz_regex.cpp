// The regex matcher: a pattern and a text from any bytes (little-endian UTF-16 units, lone
// surrogates included; the first byte splits them and chooses the case rule). A pattern
// either compiles or says why; a match's span lies inside the text; a text is never refused
// for its content.
#include <algorithm>
#include <cstdlib>

#include "search/regexmatch.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  TText units;
  for (std::size_t i = 1; i + 1 < size; i += 2) units += char16_t(data[i] | (data[i + 1] << 8));
  const std::size_t split = std::min<std::size_t>(data[0] >> 1, units.size());
  const TTextView pattern = TTextView(units).substr(0, split);
  const TTextView text = TTextView(units).substr(split);
  const TRegex regex(pattern, (data[0] & 1) != 0);
  if (regex.Valid() != regex.Error().empty()) std::abort();
  if (!regex.Valid()) return 0;
  static TRegexMatcher matcher;
  std::int32_t start = -1, len = -1;
  const TRegexResult r = matcher.Find(regex, text, start, len);
  if (r == rrMatch) {
    if (start < 1 || len < 0 || std::size_t(start - 1) + std::size_t(len) > text.size()) std::abort();
  } else if (start != 0 || len != 0) {
    std::abort();
  }
  return 0;
}
