#include <algorithm>
#include "search/emphasis.h"

namespace corvane {

bool EmphasisRange(std::int32_t vStart, std::int32_t vLen, std::size_t vSize, std::size_t& vBegin,
                   std::size_t& vCount) {
  if (vStart <= 0 || vLen <= 0 || std::size_t(vStart) > vSize) return false;
  vBegin = std::size_t(vStart) - 1;
  const std::size_t end = std::min<std::size_t>(vSize, vBegin + std::size_t(vLen));
  vCount = end - vBegin;
  return true;
}

TText MarkEmphasis(const TText& vText, std::int32_t vStart, std::int32_t vLen, TTextView vOpen,
                   TTextView vClose) {
  std::size_t begin = 0, count = 0;
  if (!EmphasisRange(vStart, vLen, vText.size(), begin, count)) return vText;
  TText r = vText.substr(0, begin);
  r += vOpen;
  r += vText.substr(begin, count);
  r += vClose;
  r += vText.substr(begin + count);
  return r;
}

}  // namespace corvane
