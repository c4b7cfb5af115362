#include "ui/results/resultslogic.h"

#include <algorithm>

namespace corvane {

TPageState NextPage(TPageState vState, std::int32_t vPerPage, std::int32_t vHits) {
  vState.fPageBeg += vPerPage;
  vState.fPrevEnabled = true;
  if (vState.fPageBeg + vPerPage < vHits) {
    vState.fRows = std::max(vState.fRows, vPerPage);
  } else {
    vState.fNextEnabled = false;
    vState.fRows = std::max(0, vHits - vState.fPageBeg);
  }
  return vState;
}

TPageState PrevPage(TPageState vState, std::int32_t vPerPage) {
  vState.fNextEnabled = true;
  vState.fPageBeg = std::max(0, vState.fPageBeg - vPerPage);
  if (vState.fPageBeg <= 0) vState.fPrevEnabled = false;
  vState.fRows = std::max(vState.fRows, vPerPage);
  return vState;
}

THitStep AddHit(std::int32_t vIndex, std::int32_t vPageBeg, std::int32_t vPerPage,
                std::int32_t vRows) {
  THitStep s;
  s.fEnableNext = vIndex >= vPageBeg + vPerPage;
  const std::int32_t r = vIndex - vPageBeg;
  s.fRows = vRows;
  if (r >= 0 && r < vPerPage) {
    s.fShown = true;
    s.fRows = std::max(vRows, r + 1);
  }
  if (r >= 0 && r < s.fRows) s.fRow = r;
  return s;
}

TText PrevCaption(std::int32_t vPerPage) {
  return u"&< Previous " + DecimalText(vPerPage);
}
TText NextCaption(std::int32_t vPerPage) {
  return u"Next " + DecimalText(vPerPage) + u" &>";
}
TText RowNumberText(std::int32_t vNumber) {
  return DecimalText(vNumber) + u". ";
}

}  // namespace corvane
