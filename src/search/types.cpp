#include "search/types.h"

namespace corvane {

const char16_t* RootName(TKeyHandle vRoot) {
  for (const auto& r : kSearchOrder)
    if (r.fHandle == vRoot) return r.fName;
  return nullptr;
}

bool RootByName(TTextView vName, TKeyHandle& vRoot) {
  for (const auto& r : kSearchOrder) {
    if (FoldAZ(vName) == FoldAZ(TTextView(r.fName))) {
      vRoot = r.fHandle;
      return true;
    }
  }
  return false;
}

}  // namespace corvane
