#include "text/text.h"

namespace corvane {

TText FoldAZ(TTextView s) {
  TText r(s);
  for (auto& c : r) c = FoldAZ(c);
  return r;
}

TText LowerAZ(TTextView s) {
  TText r(s);
  for (auto& c : r) c = LowerAZ(c);
  return r;
}

std::int32_t Pos(TTextView sub, TTextView s) {
  if (sub.empty()) return 0;
  const auto at = s.find(sub);
  return at == TTextView::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

char16_t FoldWide(char16_t c) {
  if (c < 0x80) return FoldAZ(c);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 0x20);
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs capital/small on even/odd codes, except a few odd-aligned runs.
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : char16_t(c - 1);
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    return (c & 1) ? char16_t(c - 1) : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return char16_t(c - 0x20);
  if (c >= 0x430 && c <= 0x44F) return char16_t(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return char16_t(c - 0x50);
  return c;
}

int CompareFoldWide(TTextView a, TTextView b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = FoldWide(a[i]), y = FoldWide(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string ToUtf8(TTextView s) {
  std::string r;
  r.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::uint32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (std::uint32_t(s[i + 1]) - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      r += char(cp);
    } else if (cp < 0x800) {
      r += char(0xC0 | (cp >> 6));
      r += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      r += char(0xE0 | (cp >> 12));
      r += char(0x80 | ((cp >> 6) & 0x3F));
      r += char(0x80 | (cp & 0x3F));
    } else {
      r += char(0xF0 | (cp >> 18));
      r += char(0x80 | ((cp >> 12) & 0x3F));
      r += char(0x80 | ((cp >> 6) & 0x3F));
      r += char(0x80 | (cp & 0x3F));
    }
  }
  return r;
}

std::size_t UnpairedSurrogates(TTextView s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] < 0xD800 || s[i] > 0xDFFF) continue;
    if (s[i] <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
      ++i;
    else
      ++n;
  }
  return n;
}

TText FromUtf8(std::string_view s) {
  TText r;
  r.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::uint32_t cp = 0xFFFD;
    std::size_t len = 1;
    if (b < 0x80) {
      cp = b;
    } else if ((b & 0xE0) == 0xC0) {
      len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      len = 3;
    } else if ((b & 0xF8) == 0xF0) {
      len = 4;
    }
    if (len > 1) {
      if (i + len > s.size()) {
        len = 1;
      } else {
        cp = b & (0xFF >> (len + 1));
        bool ok = true;
        for (std::size_t k = 1; k < len; ++k) {
          const auto cb = static_cast<unsigned char>(s[i + k]);
          if ((cb & 0xC0) != 0x80) ok = false;
          cp = (cp << 6) | (cb & 0x3F);
        }
        static constexpr std::uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
          cp = 0xFFFD;
          len = 1;
        }
      }
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      r += char16_t(0xD800 + (cp >> 10));
      r += char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      r += char16_t(cp);
    }
    i += len;
  }
  return r;
}

}  // namespace corvane
