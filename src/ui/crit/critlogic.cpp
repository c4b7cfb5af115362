#include "ui/crit/critlogic.h"

#include <string>

namespace corvane {

TText CritRowName(std::int32_t vTag, std::int32_t vChildCount) {
  const std::int64_t n = std::int64_t(vChildCount) + std::int64_t(vTag) * 1000;
  return u"CF" + DecimalText(n);
}

std::int32_t CritBoxHeight(std::int32_t vRows) {
  return kEmptyBoxHeight + (vRows > 0 ? vRows : 0) * kCritRowHeight;
}

TBoxTops StackCritBoxes(std::int32_t vKeyTop, std::int32_t vKeyHeight, std::int32_t vValHeight) {
  TBoxTops t;
  t.fVal = vKeyTop + vKeyHeight + 1;
  t.fDat = t.fVal + vValHeight + 1;
  return t;
}

namespace {
bool IsBoxTag(std::int32_t vTag) {
  return vTag >= 1 && vTag <= kCritBoxCount;
}
}  // namespace

std::int32_t ShortcutBox(const TShortcutFocus& vFocus, bool vFallBack) {
  if (!vFocus.fHasFocus) return 0;
  if (IsBoxTag(vFocus.fParentTag)) return vFocus.fParentTag;
  if (IsBoxTag(vFocus.fGrandTag)) return vFocus.fGrandTag;
  return vFallBack && vFocus.fAdvancedShown ? ckKey : 0;
}

TText RootBoxName(const TRootBox& vBox) {
  for (const TRootInfo& r : kSearchOrder)
    if (r.fMember == vBox.fBit) return r.fName;
  return {};
}

TText RootBoxHint(const TRootBox& vBox) {
  const TText name = RootBoxName(vBox);
  return name + u"|Search the " + name + u" root key";
}

TSearchCriteria NewSearchCriteria(const TSearchCriteria& vCurrent) {
  TSearchCriteria c;
  c.fRoots = TRootKeySet(DefaultRoots);
  c.fPerPageIdx = vCurrent.fPerPageIdx;
  c.fMaxRsltIdx = vCurrent.fMaxRsltIdx;
  c.fDatCase = vCurrent.fDatCase;
  return c;
}

bool CriteriaComplete(const TSearchCriteria& vCrit) {
  if (vCrit.fRoots.Bits() == 0) return false;
  const struct {
    TCritKind fKind;
    const std::vector<TCritRow>& fRows;
  } boxes[] = {{ckKey, vCrit.fKeyRows}, {ckValue, vCrit.fValRows}, {ckData, vCrit.fDatRows}};
  bool any = false;
  for (const auto& box : boxes) {
    for (const TCritRow& row : box.fRows) {
      if (!CritRowValid(box.fKind, row.fMatchType, row.fText)) return false;
      any = true;
    }
  }
  // A time limit alone is a search too: every key written in its range.
  if (vCrit.fTime.fLimit != tlAnyTime) return TimeFilterProblem(vCrit.fTime).empty();
  return any;
}

TComplexCriteria EncodeCriteria(const TSearchCriteria& vCrit) {
  TComplexCriteria c;
  for (const TCritRow& row : vCrit.fKeyRows)
    c.fKeyCrit.push_back(EncodeNameCrit(row.fText, row.fMatchType));
  for (const TCritRow& row : vCrit.fValRows)
    c.fValCrit.push_back(EncodeNameCrit(row.fText, row.fMatchType));
  for (const TCritRow& row : vCrit.fDatRows)
    c.fDatCrit.push_back(EncodeDatCrit(row.fText, row.fMatchType, row.fDataType));
  c.fKeyAll = vCrit.fKeyAll;
  c.fValAll = vCrit.fValAll;
  c.fDatAll = vCrit.fDatAll;
  c.fDatCase = vCrit.fDatCase;
  c.fRoots = vCrit.fRoots;
  return c;
}

}  // namespace corvane
