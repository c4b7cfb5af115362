#include "search/searchtexts.h"

namespace corvane {

TText EndText(TStatus vStatus, std::int32_t vCount, std::int32_t vTooCostly) {
  TText t = u"Found " + DecimalText(vCount) + u" items";
  switch (vStatus) {
    case stOverflow:
      t += u" (the maximum)";
      break;
    case stFinished:
      break;
    default:
      t += u" before being stopped";
      break;
  }
  // Nothing is lost silently: the texts a regular expression gave up on are counted.
  if (vTooCostly == 1) t += u". 1 value was too costly to match and was skipped";
  if (vTooCostly > 1)
    t += u". " + DecimalText(vTooCostly) + u" values were too costly to match and were skipped";
  return t;
}

TText ProgressText(std::int32_t vTotal, std::int32_t vCount) {
  return u"Hits: " + DecimalText(vCount) + u", Keys searched: " + DecimalText(vTotal);
}

}  // namespace corvane
