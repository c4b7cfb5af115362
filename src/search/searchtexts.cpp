#include "search/searchtexts.h"

namespace corvane {

TText EndText(TStatus vStatus, std::int32_t vCount) {
  switch (vStatus) {
    case stOverflow:
      return u"Found " + DecimalText(vCount) + u" items (the maximum)";
    case stFinished:
      return u"Found " + DecimalText(vCount) + u" items";
    default:
      return u"Found " + DecimalText(vCount) + u" items before being stopped";
  }
}

TText ProgressText(std::int32_t vTotal, std::int32_t vCount) {
  return u"Hits: " + DecimalText(vCount) + u", Keys searched: " + DecimalText(vTotal);
}

}  // namespace corvane
