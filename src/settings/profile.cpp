#include "settings/profile.h"

namespace corvane {

bool ParseProfileInt(TTextView vText, std::int32_t& vValue) {
  std::size_t i = 0;
  bool negative = false;
  if (i < vText.size() && (vText[i] == u'+' || vText[i] == u'-')) {
    negative = vText[i] == u'-';
    ++i;
  }
  bool hex = false;
  if (i < vText.size() && vText[i] == u'$') {
    hex = true;
    i += 1;
  } else if (i + 1 < vText.size() && vText[i] == u'0' &&
             (vText[i + 1] == u'x' || vText[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= vText.size()) return false;
  std::uint64_t acc = 0;
  for (; i < vText.size(); ++i) {
    if (hex) {
      const int d = HexDigit(vText[i]);
      if (d < 0) return false;
      acc = acc * 16 + std::uint64_t(d);
      if (acc > 0xFFFFFFFFull) return false;
    } else {
      if (vText[i] < u'0' || vText[i] > u'9') return false;
      acc = acc * 10 + std::uint64_t(vText[i] - u'0');
      if (acc > 2147483648ull) return false;
    }
  }
  if (!hex && !negative && acc > 2147483647ull) return false;
  const std::uint32_t bits = static_cast<std::uint32_t>(acc);
  vValue = static_cast<std::int32_t>(negative ? 0u - bits : bits);
  return true;
}

std::int32_t ReadProfileInt(TProfile& vProfile, TTextView vSection, TTextView vKey,
                            std::int32_t vDefault) {
  std::int32_t value = 0;
  return ParseProfileInt(vProfile.ReadString(vSection, vKey), value) ? value : vDefault;
}

bool ReadProfileFlag(TProfile& vProfile, TTextView vSection, TTextView vKey, bool vDefault) {
  return ReadProfileInt(vProfile, vSection, vKey, vDefault ? 1 : 0) != 0;
}

}  // namespace corvane
