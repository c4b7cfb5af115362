#include "search/criteria.h"

#include "search/number.h"
#include "search/types.h"

namespace corvane {

std::int32_t TypeClass(std::uint32_t vType) {
  if (vType == kRegSz || vType == kRegExpandSz || vType == kRegMultiSz) return -3;
  if (vType == kRegDword || vType == kRegDwordBigEndian) return -2;
  return -1;
}

TDatCrit::TDatCrit(const TText& S, std::int32_t vType, std::int32_t vDataType)
    : fType(vType), fInt(0), fHasInt(false) {
  if (vType == mtDataType) {
    fInt = vDataType;
    return;
  }
  // A pattern is no number: the regex applies to text only.
  if (IsRegexMatch(vType)) return;
  std::int32_t value = 0;
  fHasInt = ReadsAsNumber(S, value);
  if (fHasInt) fInt = value;
}

bool CritRowValid(TCritKind vKind, std::int32_t vMatch, const TText& vText) {
  if (vMatch < 0) return false;
  if (IsRegexMatch(vMatch))
    return (vKind == ckKey || vKind == ckValue || vKind == ckData) && !vText.empty() &&
           TRegex(vText, true).Valid();
  switch (vKind) {
    case ckKey:
      return vMatch <= mtNotEquals && !vText.empty();
    case ckValue:
      return vMatch <= mtNotEquals &&
             (!vText.empty() || vMatch == mtEquals || vMatch == mtNotEquals);
    case ckData:
      if (vMatch > mtDataType) return false;
      return vMatch == mtEquals || vMatch == mtNotEquals || vMatch == mtDataType || !vText.empty();
  }
  return false;
}

TText CritRowError(std::int32_t vMatch, const TText& vText) {
  if (!IsRegexMatch(vMatch) || vText.empty()) return TText();
  return RegexError(vText);
}

TNameCrit EncodeNameCrit(const TText& vText, std::int32_t vMatch) {
  // Folding a pattern would change it (\d is not \D); the regex ignores case itself.
  return TNameCrit{IsRegexMatch(vMatch) ? vText : FoldAZ(vText), vMatch, nullptr};
}

TDatCritEntry EncodeDatCrit(const TText& vText, std::int32_t vMatch, std::int32_t vDataType) {
  return TDatCritEntry{vText, std::make_unique<TDatCrit>(vText, vMatch, vDataType)};
}

}  // namespace corvane
