// Simple-search matching: names, data, the widened search and the data excerpt.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "search/dataview.h"
#include "search/number.h"
#include "search/searchthread.h"

namespace corvane {
namespace {

constexpr char16_t kCutEnd[] = u"\u2026\u00BB";
constexpr char16_t kCutStart[] = u"\u00AB\u2026";

// The first position from vFrom to vLast (inclusive) whose unit, masked by vMask, is vUnit;
// vLast + 1 when there is none. Eight units at a time where SSE2 is there (every x86-64).
std::size_t FindUnit(const char16_t* s, std::size_t vFrom, std::size_t vLast, char16_t vMask,
                     char16_t vUnit) {
  std::size_t i = vFrom;
#if defined(__SSE2__)
  const __m128i mask = _mm_set1_epi16(static_cast<short>(vMask));
  const __m128i unit = _mm_set1_epi16(static_cast<short>(vUnit));
  for (; i + 8 <= vLast + 1; i += 8) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const int hits = _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(block, mask), unit));
    if (hits != 0) return i + std::size_t(__builtin_ctz(unsigned(hits))) / 2;
  }
#endif
  for (; i <= vLast; ++i)
    if (char16_t(s[i] & vMask) == vUnit) return i;
  return vLast + 1;
}

// Pos(vPlain, FoldAZ(s)) without building the folded copy of s (vPlain is folded); when that
// is 0 and vWide is given (vPlain widened, so it begins with the same unit), Pos(vWide, ...)
// with vUni set: both in one pass, so most data, which hold neither, are read once. Candidates
// for the first character are found by FindUnit: a letter A-Z there matches itself and its
// lower case, the two codes that differ in bit 5 alone.
std::int32_t PosFoldedOrWide(TTextView vPlain, TTextView vWide, TTextView s, bool& vUni) {
  vUni = false;
  if (vPlain.empty() || vPlain.size() > s.size()) return 0;
  const char16_t first = vPlain[0];
  const char16_t mask = first >= u'A' && first <= u'Z' ? char16_t(0xFFDF) : char16_t(0xFFFF);
  const std::size_t last = s.size() - vPlain.size();
  std::int32_t wide = 0;
  auto at = [&](TTextView vSub, std::size_t i) {
    std::size_t j = 1;
    while (j < vSub.size() && FoldAZ(s[i + j]) == vSub[j]) ++j;
    return j == vSub.size();
  };
  for (std::size_t i = FindUnit(s.data(), 0, last, mask, first); i <= last;
       i = FindUnit(s.data(), i + 1, last, mask, first)) {
    if (at(vPlain, i)) return static_cast<std::int32_t>(i + 1);
    if (wide == 0 && !vWide.empty() && vWide.size() <= s.size() - i && at(vWide, i))
      wide = static_cast<std::int32_t>(i + 1);
  }
  vUni = wide > 0;
  return wide;
}

std::int32_t PosFolded(TTextView vFoldedSub, TTextView s) {
  bool uni = false;
  return PosFoldedOrWide(vFoldedSub, TTextView(), s, uni);
}

}  // namespace

TText TSearchThread::Widened(const TText& s) {
  TText w;
  w.reserve(s.size() * 2);
  for (char16_t c : s) {
    w += c;
    w += char16_t(0);
  }
  return w;
}

bool TSearchThread::SimpleMatch(const TText& S, std::int32_t& keyStart,
                                std::int32_t& keyLen) const {
  if (fNameRegex) {
    if (FindRegex(*fNameRegex, S, keyStart, keyLen) == rrMatch) return true;
    keyStart = 0;
    keyLen = 0;
    return false;
  }
  keyStart = PosFolded(fSimpleFolded, S);
  keyLen = keyStart > 0 ? static_cast<std::int32_t>(fSimpleS.size()) : 0;
  return keyStart > 0;
}

std::int32_t TSearchThread::PosUni(const TText& subS, const TText& S, bool fCase) const {
  const TText wide = Widened(subS);
  if (fCase) return Pos(wide, S);
  return PosFolded(FoldAZ(wide), S);
}

bool TSearchThread::SimpleMatchD(const std::uint8_t* Buff, std::uint32_t bType, std::uint32_t bSize,
                                 TText& datStr, std::int32_t& datStart,
                                 std::int32_t& datLen) const {
  datStart = 0;
  datLen = 0;
  TDataView& view = fView;
  FillDataView(view, bType, Buff, bSize);
  if (fDataRegex) {
    // The text view only: neither widened nor the number.
    std::int32_t start = 0, len = 0;
    if (FindRegex(*fDataRegex, view.fText, start, len) != rrMatch) return false;
    datStr =
        Excerpt(view.fText, start, len, view.fHasNumber, bType, view.fNumber, datStart, datLen);
    return true;
  }
  // The text, then the widened text (as PosUni finds it), both prepared once per search.
  bool uni = false;
  std::int32_t position = 0;
  if (fCrit.fDatCase) {
    position = Pos(fSimpleS, view.fText);
    if (position == 0) {
      position = Pos(fSimpleWide, view.fText);
      uni = position > 0;
    }
  } else {
    position = PosFoldedOrWide(fSimpleFolded, fSimpleWideFolded, view.fText, uni);
  }
  bool matched = position > 0;
  if (!matched && view.fHasNumber && fSmpHasI)
    matched = view.fNumber == static_cast<std::uint32_t>(fSimpleI);
  if (matched)
    datStr = Dots(view.fText, fSimpleS, position, view.fHasNumber, uni, bType, view.fNumber,
                  datStart, datLen);
  return matched;
}

TText TSearchThread::Dots(const TText& S, const TText& SubS, std::int32_t FoundPos, bool HasI,
                          bool Uni, std::uint32_t bType, std::uint32_t DatI, std::int32_t& datStart,
                          std::int32_t& datLen) const {
  return Excerpt(S, FoundPos, static_cast<std::int32_t>(SubS.size() * (Uni ? 2 : 1)), HasI, bType,
                 DatI, datStart, datLen);
}

TText TSearchThread::Excerpt(const TText& S, std::int32_t FoundPos, std::int32_t vLen, bool HasI,
                             std::uint32_t bType, std::uint32_t DatI, std::int32_t& datStart,
                             std::int32_t& datLen) const {
  if (HasI && (bType == kRegDword || bType == kRegDwordBigEndian)) return NumberForm(DatI);
  TText excerpt = S;
  const auto size = static_cast<std::int64_t>(excerpt.size());
  const std::int64_t window = maxShowT, half = maxShowT / 2;
  if (FoundPos > 0) {
    std::int64_t start = FoundPos;
    std::int64_t len = vLen;
    if (size > window) {
      const std::int64_t centre = start + len / 2;
      if (centre <= half) {
        excerpt = excerpt.substr(0, std::size_t(window)) + kCutEnd;
      } else if (centre + half >= size) {
        const std::int64_t cut = size - window;
        excerpt = kCutStart + excerpt.substr(std::size_t(cut));
        start = start - cut + 2;
      } else {
        const std::int64_t begin = centre - half;
        excerpt = kCutStart + excerpt.substr(std::size_t(begin - 1), std::size_t(window)) + kCutEnd;
        start = start - begin + 3;
      }
    }
    if (datStart == 0) {
      datStart = static_cast<std::int32_t>(start);
      datLen = static_cast<std::int32_t>(len);
    }
  } else {
    datStart = 0;
    datLen = 0;
    if (size > window) excerpt = excerpt.substr(0, std::size_t(window)) + kCutEnd;
  }
  for (auto& c : excerpt)
    if (c < 32) c = u'.';
  return excerpt;
}

}  // namespace corvane
