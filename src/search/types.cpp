#include "search/types.h"

namespace corvane {

const char16_t* RootName(TKeyHandle vRoot) {
  for (const auto& r : kSearchOrder)
    if (r.fHandle == vRoot) return r.fName;
  return nullptr;
}

const TRootInfo* RootByName(TTextView vName) {
  const TText folded = FoldAZ(vName);
  for (const auto& r : kSearchOrder)
    if (folded == TTextView(r.fName) || folded == TTextView(r.fShortName)) return &r;
  return nullptr;
}

bool IsKeyHit(const TResult& vHit, THitsFrom vFrom) {
  switch (vFrom) {
    case hfKeyCriteria:
      return true;
    case hfCriteria:
      return false;
    case hfSimple:
      break;
  }
  // A simple-search key hit matched in the key name only: the placeholder stands in both the
  // value and the data place, with no emphasis there. A value hit matched in its name (a
  // value emphasis) or its data (an excerpt or a number form in the data place).
  return vHit.fKeyLen > 0 && vHit.fValStr == kNoPart && vHit.fDatStr == kNoPart &&
         vHit.fValLen <= 0 && vHit.fDatLen <= 0;
}

}  // namespace corvane
