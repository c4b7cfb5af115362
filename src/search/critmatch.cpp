// Criteria matching: key names, value names and value data against their lists.
#include "search/dataview.h"
#include "search/number.h"
#include "search/searchthread.h"

namespace corvane {

bool TSearchThread::NameCritHolds(const TNameCrit& vCrit, const TText& S, const TText& vFolded,
                                  std::int32_t& vStart, std::int32_t& vLen) const {
  switch (vCrit.fMatch) {
    case mtContains: {
      // The entry text is upper-cased already; only a-z of the name are folded.
      const std::int32_t at = Pos(vCrit.fText, vFolded);
      if (at == 0) return false;
      if (vLen == 0) {
        vStart = at;
        vLen = static_cast<std::int32_t>(vCrit.fText.size());
      }
      return true;
    }
    case mtEquals:
      if (!fHost.fCompare->Same(S, vCrit.fText)) return false;
      if (vLen == 0) {
        vStart = 1;
        vLen = static_cast<std::int32_t>(S.size());
      }
      return true;
    case mtNotContains:
      return Pos(vCrit.fText, vFolded) == 0;
    case mtNotEquals:
      return !fHost.fCompare->Same(S, vCrit.fText);
    case mtRegex: {
      std::int32_t start = 0, len = 0;
      if (FindRegex(*vCrit.fRegex, S, start, len) != rrMatch) return false;
      if (vLen == 0) {
        vStart = start;
        vLen = len;
      }
      return true;
    }
    case mtNotRegex: {
      // A name given up on is neither: the row does not hold.
      std::int32_t start = 0, len = 0;
      return vCrit.fRegex->Valid() && FindRegex(*vCrit.fRegex, S, start, len) == rrNoMatch;
    }
    default:
      return false;
  }
}

bool TSearchThread::NameMatches(const TNameCritList& vList, bool vAll, const TText& S,
                                std::int32_t& vStart, std::int32_t& vLen) const {
  vStart = 0;
  vLen = 0;
  if (vList.empty()) return true;
  const TText folded = FoldAZ(S);
  for (const TNameCrit& c : vList) {
    const bool holds = NameCritHolds(c, S, folded, vStart, vLen);
    if (vAll && !holds) return false;
    if (!vAll && holds) return true;
  }
  return vAll;
}

bool TSearchThread::KeyMatches(const TText& S, std::int32_t& keyStart,
                               std::int32_t& keyLen) const {
  return NameMatches(fCrit.fKeyCrit, fCrit.fKeyAll, S, keyStart, keyLen);
}

bool TSearchThread::ValMatches(const TText& S, std::int32_t& valStart,
                               std::int32_t& valLen) const {
  return NameMatches(fCrit.fValCrit, fCrit.fValAll, S, valStart, valLen);
}

bool TSearchThread::DatCritHolds(const TDatCritEntry& vEntry, std::uint32_t bType,
                                 const TDataView& vView, TText& datStr, std::int32_t& datStart,
                                 std::int32_t& datLen) const {
  const TText& T = vEntry.fText;
  const TDatCrit& c = *vEntry.fCrit;
  const TText& D = vView.fText;
  const bool sameText = D.size() == T.size() && fHost.fCompare->Same(D, T);
  switch (c.fType) {
    case mtContains:
    case mtNotContains: {
      bool widened = false;
      std::int32_t at = fCrit.fDatCase ? Pos(T, D) : Pos(FoldAZ(T), FoldAZ(D));
      if (at == 0) {
        at = PosUni(T, D, fCrit.fDatCase);
        widened = at > 0;
      }
      bool found = at > 0;
      if (c.fType == mtNotContains) {
        found = !found;
        at = 0;
      }
      if (found && datStart == 0)
        datStr = Dots(D, T, at, vView.fHasNumber, widened, bType, vView.fNumber, datStart, datLen);
      return found;
    }
    case mtEquals: {
      if (sameText) {
        datStr = D;
        datStart = 1;
        datLen = static_cast<std::int32_t>(D.size());
        return true;
      }
      if (vView.fHasNumber && c.fHasInt && vView.fNumber == static_cast<std::uint32_t>(c.fInt)) {
        datStr = NumberForm(vView.fNumber);
        return true;
      }
      return false;
    }
    case mtNotEquals: {
      bool found = !sameText;
      if (found && datStart == 0) datStr = D;
      if (found && vView.fHasNumber && c.fHasInt) {
        found = vView.fNumber != static_cast<std::uint32_t>(c.fInt);
        if (found) datStr = NumberForm(vView.fNumber);
      }
      return found;
    }
    case mtRegex:
    case mtNotRegex: {
      // The text view only, never the number; a text given up on holds neither row.
      std::int32_t start = 0, len = 0;
      const TRegexResult r = FindRegex(*c.fRegex, D, start, len);
      const bool found = c.fType == mtRegex ? r == rrMatch : c.fRegex->Valid() && r == rrNoMatch;
      if (found && datStart == 0)
        datStr = Excerpt(D, c.fType == mtRegex ? start : 0, len, vView.fHasNumber, bType,
                         vView.fNumber, datStart, datLen);
      return found;
    }
    case mtDataType: {
      const std::int32_t want = c.fInt - 3;
      const bool found = static_cast<std::int64_t>(bType) == want || TypeClass(bType) == want;
      if (found && datStart == 0)
        datStr = Dots(D, TText(), 0, vView.fHasNumber, false, bType, vView.fNumber, datStart,
                      datLen);
      return found;
    }
    default:
      return false;
  }
}

bool TSearchThread::DatMatches(const std::uint8_t* Buff, std::uint32_t bType,
                               std::uint32_t bSize, TText& datStr, std::int32_t& datStart,
                               std::int32_t& datLen) const {
  datStart = 0;
  datLen = 0;
  if (fCrit.fDatCrit.empty()) return true;
  const TDataView view = MakeDataView(bType, Buff, bSize);
  for (const TDatCritEntry& c : fCrit.fDatCrit) {
    const bool holds = DatCritHolds(c, bType, view, datStr, datStart, datLen);
    if (fCrit.fDatAll && !holds) return false;
    if (!fCrit.fDatAll && holds) return true;
  }
  return fCrit.fDatAll;
}

}  // namespace corvane
