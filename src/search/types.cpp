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

}  // namespace corvane
