#include "search/number.h"

namespace corvane {

bool ReadsAsNumber(TTextView s, std::int32_t& value) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
    negative = s[i] == u'-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return false;
  std::uint64_t acc = 0;
  if (hex) {
    for (; i < s.size(); ++i) {
      const int d = HexDigit(s[i]);
      if (d < 0) return false;
      acc = acc * 16 + std::uint64_t(d);
      if (acc > 0xFFFFFFFFull) return false;
    }
    std::uint32_t pattern = static_cast<std::uint32_t>(acc);
    if (negative) pattern = 0u - pattern;
    value = static_cast<std::int32_t>(pattern);
    return true;
  }
  for (; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return false;
    acc = acc * 10 + std::uint64_t(s[i] - u'0');
    if (acc > 2147483648ull) return false;
  }
  if (!negative && acc > 2147483647ull) return false;
  const std::uint32_t magnitude = static_cast<std::uint32_t>(acc);
  value = static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
  return true;
}

TText NumberForm(std::uint32_t n) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  TText r = u"0x";
  for (int shift = 28; shift >= 0; shift -= 4) r += kHex[(n >> shift) & 15];
  r += u" (";
  TText dec;
  do {
    dec.insert(dec.begin(), char16_t(u'0' + n % 10));
    n /= 10;
  } while (n != 0);
  r += dec;
  r += u')';
  return r;
}

}  // namespace corvane
